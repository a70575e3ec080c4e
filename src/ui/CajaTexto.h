// Multi-line text boxes for texts the core keeps in Windows-1252 with CR LF
// breaks: the box, and the crossing of its text both ways.
#pragma once

#include <QPlainTextEdit>
#include <string>

class QDropEvent;
class QInputMethodEvent;
class QKeyEvent;
class QMimeData;

namespace koral {

// A text box that takes only what the document can store: typed, pasted or
// dropped text with a character that has no Windows-1252 form is refused
// whole and reported, as the one-line fields do.
class TMemo : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void insertFromMimeData(const QMimeData* datos) override;
    bool canInsertFromMimeData(const QMimeData* datos) const override;
    void dropEvent(QDropEvent* e) override;
};

// A kept text (Windows-1252, any breaks) as a box shows it.
QString aCaja(const std::string& texto);
// A box's content as the document keeps it: Windows-1252, CR LF breaks.
std::string textoGuardado(const QPlainTextEdit* caja);

}  // namespace koral
