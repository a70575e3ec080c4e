// The group editor: which questionnaires make up one group. Every move takes
// effect at once on both sides; the window has no cancel: "Salir" (also
// Ctrl+Enter, Escape and the close box) keeps every move.
#pragma once

#include <QDialog>
#include <memory>

#include "document/UData.h"
#include "ui/Editores.h"

namespace koral {

class TfrmGrupo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGrupo(QWidget* parent = nullptr);
    ~TfrmGrupo() override;

    // Shows the editor modally on g until the user closes it.
    void verGrupo(TKoral& doc, TGrupo& g);
    // The opening: fills both lists and the caption. verGrupo does this,
    // then shows the window.
    void abrir(TKoral& doc, TGrupo& g);

    // "Grupo <" + name + ">", at most 57 characters.
    static QString titulo(const std::string& nombre);

private:
    void salir();  // "Salir"

    std::unique_ptr<TMiembros<TGrupo, TCuestionario>> miembros_;
};

}  // namespace koral
