#include "ui/ProgresoLargo.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <limits>

#include "ui/UMain.h"

namespace koral {

DialogoProgreso::DialogoProgreso(const QString& texto, bool cancelable, int pasos, QWidget* padre)
    : QProgressDialog(texto, cancelable ? QStringLiteral("Cancelar") : QString(), 0, pasos, padre),
      cancelable_(cancelable) {
    if (!cancelable) setCancelButton(nullptr);
}

void DialogoProgreso::reject() {
    if (cancelable_) cancel();
}

void DialogoProgreso::closeEvent(QCloseEvent* e) {
    if (cancelable_)
        QProgressDialog::closeEvent(e);
    else
        e->ignore();
}

ProgresoLargo::ProgresoLargo(const QString& accion, const std::string& ruta,
                             const QString& nombreObjeto, bool cancelable, QWidget* padre)
    : dialogo_(accion + " ...\n" + QFileInfo(QString::fromUtf8(ruta)).fileName(), cancelable,
               kPasos, padre) {
    dialogo_.setMinimumWidth(420);  // the caption whole
    dialogo_.setObjectName(nombreObjeto);
    dialogo_.setWindowTitle(QString::fromUtf8(kTituloPrograma));
    dialogo_.setWindowModality(Qt::ApplicationModal);
    // Never shown by its own timer: avance shows it when the task is large or slow.
    dialogo_.setMinimumDuration(std::numeric_limits<int>::max());
    dialogo_.setAutoClose(false);
    dialogo_.setAutoReset(false);
    reloj_.start();
}

bool ProgresoLargo::avance(std::size_t hecho, std::size_t total) {
    if (!dialogo_.isVisible() && (total >= kArchivoGrande || reloj_.elapsed() >= kLento)) {
        dialogo_.show();
        ultimo_ = -kIntervalo;
    }
    // Events are let through now and then: the windows repaint, the button
    // answers, and the task hardly slows.
    if (dialogo_.isVisible() && (reloj_.elapsed() - ultimo_ >= kIntervalo || hecho == total)) {
        const double parte = total > 0 ? static_cast<double>(hecho) / double(total) : 1.0;
        dialogo_.setValue(static_cast<int>(parte * kPasos));
        QCoreApplication::processEvents();
        ultimo_ = reloj_.elapsed();
    }
    return !dialogo_.wasCanceled();
}

}  // namespace koral
