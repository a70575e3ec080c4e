// The three record editors of the run (questionnaire, group, profile), made
// once and handed to every company window; and what the editors share: the
// associations behind their pickers and the screen's decimal separator.
#pragma once

#include <string>

#include "document/UData.h"
#include "ui/ListaRegistros.h"
#include "ui/SelectorGrupos.h"

namespace koral {

class TfrmMain;

// Creates the editors as children of the frame and fills the frame's
// editarCuestionario, verGrupo and editarPerfil.
void conectarEditores(TfrmMain& frm);

// The user's regional decimal separator, as the screen shows numbers.
char separadorDecimal();

// The records of kind Otro that the edited record of kind Propio is linked
// to, behind a picker: `disponibles` holds those not linked, `asociados`
// those linked. Between questionnaires and groups the link is kept on both
// sides and both lists are sorted; every move changes the edited record's
// list and the other record's at once. A profile's groups are kept on the
// profile's side only, and its lists stay in the order of the company and
// of the moves. Bulk moves and the opening work in linear time, so that a
// group of a large company opens and moves quickly.
template <class Propio, class Otro>
class TMiembros final : public TAsociacion {
public:
    // The lists are made children of `padre`, to live as long as the views
    // that show them.
    explicit TMiembros(QObject* padre);

    TListaRegistros& disponibles() override { return *disponibles_; }
    TListaRegistros& asociados() override { return *asociados_; }

    // Fills both lists. `huerfano` is the notice for an entry of the record's
    // list that refers to nothing.
    void abrir(TKoral& doc, Propio& propio, const std::string& huerfano);
    void agregar(int fila) override;
    void agregarTodos() override;
    void quitar(int fila) override;
    void quitarTodos() override;

private:
    void marcar();
    // Fills both lists in the order of a shared list that holds every
    // record of `lista` (the company window's), without sorting; false when
    // there is none. `fuera`: the rows of `lista` not available.
    bool llenarSegunCompania(const std::vector<std::unique_ptr<Otro>>& lista,
                             const std::vector<std::size_t>& fuera,
                             const std::vector<Otro*>& suyos);

    TListaDe<Otro>* disponibles_;
    TListaDe<Otro>* asociados_;
    TKoral* doc_ = nullptr;
    Propio* propio_ = nullptr;
};

extern template class TMiembros<TCuestionario, TGrupo>;
extern template class TMiembros<TGrupo, TCuestionario>;
extern template class TMiembros<TPerfil, TGrupo>;

}  // namespace koral
