#include "ui/CajaTexto.h"

#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

#include "document/UData.h"
#include "platform/qt/TextoQt.h"

namespace koral {

namespace {

// The characters of `texto` that Windows-1252 can hold.
QString soloCp1252(const QString& texto) {
    QString r;
    r.reserve(texto.size());
    for (qsizetype i = 0; i < texto.size(); ++i) {
        // A surrogate pair is one character; none has a Windows-1252 form.
        if (texto[i].isHighSurrogate() && i + 1 < texto.size()) {
            ++i;
            continue;
        }
        const QChar c = texto[i];
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || esCp1252(QString(c)))
            r += c;
    }
    return r;
}

// Pasted or dropped text, its line breaks as the box keeps them.
QString textoDe(const QMimeData* datos) {
    QString texto = datos->text();
    texto.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    texto.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return texto;
}

}  // namespace

void TMemo::keyPressEvent(QKeyEvent* e) {
    if (rechazarNoCp1252(this, e->text())) {
        e->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

void TMemo::inputMethodEvent(QInputMethodEvent* e) {
    if (rechazarNoCp1252(this, e->commitString())) e->setCommitString({});
    QPlainTextEdit::inputMethodEvent(e);
}

void TMemo::insertFromMimeData(const QMimeData* datos) {
    if (!datos->hasText()) return;
    const QString texto = textoDe(datos);
    if (!rechazarNoCp1252(this, texto)) insertPlainText(texto);
}

bool TMemo::canInsertFromMimeData(const QMimeData* datos) const {
    return datos->hasText();
}

void TMemo::dropEvent(QDropEvent* e) {
    // Refused before it is taken, so that a source that moves its text keeps it.
    if (e->mimeData()->hasText() && rechazarNoCp1252(this, textoDe(e->mimeData()))) {
        QDragLeaveEvent fuera;
        QPlainTextEdit::dragLeaveEvent(&fuera);
        e->ignore();
        return;
    }
    QPlainTextEdit::dropEvent(e);
}

QString aCaja(const std::string& texto) {
    QString t = aQString(texto);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

std::string textoGuardado(const QPlainTextEdit* caja) {
    // The raw text keeps no-break spaces, which the plain text would turn into blanks.
    QString t = soloCp1252(caja->document()->toRawText());
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    t.replace(QChar::LineSeparator, QLatin1Char('\n'));
    std::string cp;
    deQString(t, cp);
    return normalizarSaltos(cp);
}

}  // namespace koral
