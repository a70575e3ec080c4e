// Text that Windows-1252 cannot hold is refused the same way in every field:
// the field keeps what it had and one message names the character. Built
// with the windows, since it shows the message box.
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <cstdio>

#include "platform/Texto.h"
#include "platform/qt/Escritorio.h"
#include "platform/qt/TextoQt.h"

namespace koral {

namespace {

// The first character of `texto` with no Windows-1252 form; 0 when none.
char32_t primerRechazado(const QString& texto) {
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const bool par =
            texto[i].isHighSurrogate() && i + 1 < texto.size() && texto[i + 1].isLowSurrogate();
        const qsizetype n = par ? 2 : 1;
        if (!esCp1252(texto.mid(i, n)))
            return par ? QChar::surrogateToUcs4(texto[i], texto[i + 1]) : texto[i].unicode();
        i += n - 1;
    }
    return 0;
}

// Set on a field while its message waits to be shown: one change is one
// message, however often the field asked about it.
constexpr const char* kPendiente = "koralAvisoCp1252";

// The message shows the character and its code (UTF-8: the character is
// one Windows-1252 lacks); a control character is named by its code only.
std::string textoRechazo(char32_t caracter) {
    char codigo[16];
    std::snprintf(codigo, sizeof codigo, "U+%04X", static_cast<unsigned>(caracter));
    const QString visible = QChar::isPrint(caracter) ? QString::fromUcs4(&caracter, 1) : QString();
    const std::string nombre = visible.isEmpty()
                                   ? std::string(codigo)
                                   : "«" + visible.toUtf8().toStdString() + "» (" + codigo + ")";
    return "No se admite el carácter " + nombre +
           ": el programa no puede guardarlo. El campo queda como estaba.";
}

}  // namespace

bool rechazarNoCp1252(QObject* campo, const QString& texto) {
    const char32_t c = primerRechazado(texto);
    if (c == 0) return false;
    if (!campo || campo->property(kPendiente).toBool()) return true;
    campo->setProperty(kPendiente, true);
    // Shown once the field has finished with the change (a modal box inside
    // a validator would run in the middle of it); dropped with the field.
    QTimer::singleShot(0, campo, [campo, texto = textoRechazo(c)] {
        campo->setProperty(kPendiente, false);
        CajaMensajeUtf8("Atención"_cp, texto);
    });
    return true;
}

ValidadorCp1252::ValidadorCp1252(QObject* campo) : QValidator(campo) {
    if (campo) campo->installEventFilter(this);
}

bool ValidadorCp1252::eventFilter(QObject* objeto, QEvent* e) {
    // A line edit accepts a drop before its validator refuses the text, and
    // a source that moves its text would then delete it.
    if (e->type() == QEvent::Drop) {
        auto* suelta = static_cast<QDropEvent*>(e);
        if (suelta->mimeData()->hasText() && rechazarNoCp1252(objeto, suelta->mimeData()->text())) {
            suelta->ignore();
            QDragLeaveEvent fuera;  // the field stops showing where it would go
            QCoreApplication::sendEvent(objeto, &fuera);
            return true;
        }
    }
    return QValidator::eventFilter(objeto, e);
}

QValidator::State ValidadorCp1252::validate(QString& texto, int&) const {
    // The line edit puts its previous text back on Invalid.
    return rechazarNoCp1252(parent(), texto) ? Invalid : Acceptable;
}

}  // namespace koral
