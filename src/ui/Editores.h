// The three record editors of the run (questionnaire, group, profile), made
// once and handed to every company window; and what the editors share: the
// two sorted membership lists and the screen's decimal separator.
#pragma once

#include <string>
#include <vector>

#include "document/UData.h"

class QListView;

namespace koral {

class TfrmMain;
template <class T>
class TListaDe;

// Creates the editors as children of the frame and fills the frame's
// editarCuestionario, verGrupo and editarPerfil.
void conectarEditores(TfrmMain& frm);

// The user's regional decimal separator, as the screen shows numbers.
char separadorDecimal();

// The selected row of a single-selection list, or -1.
int filaElegida(const QListView* lista);

// Both sides of the questionnaire-group association behind a pair of sorted
// lists: `disponibles` holds the records of kind Otro not linked to the
// edited record, `asociados` those linked. Every move changes the edited
// record's list and the other record's list at once. Bulk moves and the
// opening work in linear time, so that a group of a large company opens and
// moves quickly.
template <class Propio, class Otro>
class TMiembros {
public:
    TMiembros(TListaDe<Otro>& disponibles, TListaDe<Otro>& asociados)
        : disponibles_(disponibles), asociados_(asociados) {}

    // Fills both lists. `huerfano` is the notice for an entry of the record's
    // list that refers to nothing.
    void abrir(TKoral& doc, Propio& propio, const std::string& huerfano);
    void agregar(int fila);  // ">" on a row of disponibles
    void agregarTodos();     // ">>"
    void quitar(int fila);   // "<" on a row of asociados
    void quitarTodos();      // "<<"

private:
    void marcar();

    TListaDe<Otro>& disponibles_;
    TListaDe<Otro>& asociados_;
    TKoral* doc_ = nullptr;
    Propio* propio_ = nullptr;
};

extern template class TMiembros<TCuestionario, TGrupo>;
extern template class TMiembros<TGrupo, TCuestionario>;

}  // namespace koral
