// The progress of a long task run in the windows' own thread (opening a
// company, importing a text file): shown at once when the task is large, or
// once it turns out slow, and letting the events through now and then so
// that the windows repaint and its button answers. Application-modal: while
// it shows, nothing else reaches the windows, so no command can act on a
// company half read.
#pragma once

#include <QElapsedTimer>
#include <QProgressDialog>
#include <cstddef>
#include <string>

namespace koral {

// A file from this size on shows the progress of its reading at once; a
// smaller one only if its reading is slow.
inline constexpr std::size_t kArchivoGrande = 2 << 20;

// Escape and the window's close box cancel as the button does, or do
// nothing where there is no button: either way the window never just hides
// while the task runs on.
class DialogoProgreso : public QProgressDialog {
public:
    DialogoProgreso(const QString& texto, bool cancelable, int pasos, QWidget* padre);
    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    bool cancelable_;
};

class ProgresoLargo {
public:
    // "`accion` ..." over the name of the file at `ruta`; `cancelable`: with
    // a «Cancelar» button.
    ProgresoLargo(const QString& accion, const std::string& ruta, const QString& nombreObjeto,
                  bool cancelable, QWidget* padre);

    // Where the task stands; false once the user has cancelled it.
    bool avance(std::size_t hecho, std::size_t total);

    QProgressDialog& dialogo() { return dialogo_; }

private:
    static constexpr int kPasos = 1000;       // of the bar
    static constexpr qint64 kIntervalo = 50;  // ms between two looks at the events
    static constexpr qint64 kLento = 300;     // ms before a small task shows its progress

    DialogoProgreso dialogo_;
    QElapsedTimer reloj_;
    qint64 ultimo_ = 0;
};

}  // namespace koral
