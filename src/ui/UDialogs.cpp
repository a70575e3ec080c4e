#include "ui/UDialogs.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "platform/qt/TextoQt.h"

namespace koral {

namespace {
QFont fuente13(const QWidget* w) {
    QFont f = w->font();
    f.setPixelSize(13);
    return f;
}
}  // namespace

TOKBottomDlg::TOKBottomDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("OKBottomDlg");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(313, 181);
    setModal(true);

    marco_ = new QFrame(this);
    marco_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    marco_->setGeometry(8, 8, 297, 97);

    lblTexto = new QLabel(this);
    lblTexto->setObjectName("Label1");
    lblTexto->setGeometry(24, 24, 265, 65);
    lblTexto->setFont(fuente13(this));
    lblTexto->setWordWrap(true);
    lblTexto->setTextFormat(Qt::PlainText);  // messages may hold '<'
    lblTexto->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    edCampo = new QLineEdit(this);
    edCampo->setObjectName("edCampo");
    edCampo->setGeometry(8, 112, 297, 24);
    edCampo->setFont(fuente13(this));
    edCampo->setValidator(new ValidadorCp1252(edCampo));
    edCampo->hide();

    btnSi = new QPushButton("&Si", this);
    btnSi->setObjectName("OKBtn");
    btnSi->setGeometry(15, 148, 75, 25);
    btnNo = new QPushButton("&No", this);
    btnNo->setObjectName("NoBtn");
    btnNo->setGeometry(120, 148, 75, 25);
    btnCancelar = new QPushButton("&Cancelar", this);
    btnCancelar->setObjectName("CancelBtn");
    btnCancelar->setGeometry(223, 148, 75, 25);
    btnSi->setDefault(true);

    setTabOrder(edCampo, btnSi);
    setTabOrder(btnSi, btnNo);
    setTabOrder(btnNo, btnCancelar);

    connect(btnSi, &QPushButton::clicked, this, &TOKBottomDlg::responderSi);
    connect(btnNo, &QPushButton::clicked, this, &TOKBottomDlg::responderNo);
    connect(btnCancelar, &QPushButton::clicked, this, &TOKBottomDlg::cancelar);
}

void TOKBottomDlg::responderSi() {
    respuesta_ = Respuesta::Si;
    accept();
}

void TOKBottomDlg::responderNo() {
    respuesta_ = Respuesta::No;
    accept();
}

void TOKBottomDlg::cancelar() {
    respuesta_ = Respuesta::Cancelar;
    reject();
}

void TOKBottomDlg::keyPressEvent(QKeyEvent* e) {
    // A question has no text field: S and N answer it without Alt.
    const auto mod = e->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (preguntando_ && mod == Qt::NoModifier && (e->key() == Qt::Key_S || e->key() == Qt::Key_N)) {
        if (!e->isAutoRepeat()) e->key() == Qt::Key_S ? responderSi() : responderNo();
        return;
    }
    QDialog::keyPressEvent(e);
}

// The designed layout holds a few lines; a longer text (a campaign's
// summary, a list of warnings) makes the box taller rather than being cut
// off, up to the screen's height. Short texts keep the layout exactly.
void TOKBottomDlg::ajustarAlTexto() {
    constexpr int kAltoTexto = 65;
    const int necesario =
        lblTexto->fontMetrics()
            .boundingRect(QRect(0, 0, 265, 100000), Qt::TextWordWrap, lblTexto->text())
            .height();
    int extra = std::max(0, necesario - kAltoTexto);
    if (const QScreen* pantalla = QGuiApplication::primaryScreen())
        extra = std::min(extra, std::max(0, pantalla->availableGeometry().height() - 181 - 60));
    setFixedSize(313, 181 + extra);
    marco_->setGeometry(8, 8, 297, 97 + extra);
    lblTexto->setGeometry(24, 24, 265, kAltoTexto + extra);
    edCampo->setGeometry(8, 112 + extra, 297, 24);
    btnSi->setGeometry(15, 148 + extra, 75, 25);
    btnNo->setGeometry(120, 148 + extra, 75, 25);
    btnCancelar->setGeometry(223, 148 + extra, 75, 25);
}

Respuesta TOKBottomDlg::mostrar(QWidget* foco) {
    // Esc and the close box both end in reject(): Cancelar unless a button said otherwise.
    respuesta_ = Respuesta::Cancelar;
    ajustarAlTexto();
    if (const QScreen* pantalla = QGuiApplication::primaryScreen())
        move(pantalla->availableGeometry().center() - rect().center());
    foco->setFocus();
    exec();
    return respuesta_;
}

void TOKBottomDlg::mensaje(const std::string& texto) {
    setWindowTitle(QString::fromUtf8("Atención"));
    lblTexto->setText(aQString(texto));
    btnSi->hide();
    btnCancelar->hide();
    btnNo->setText("&Aceptar");
    btnNo->setDefault(true);
    mostrar(btnNo);
    btnNo->setText("&No");
    btnNo->setDefault(false);
    btnSi->setDefault(true);
    btnSi->show();
    btnCancelar->show();
}

Respuesta TOKBottomDlg::pregunta(const std::string& titulo, const std::string& texto) {
    setWindowTitle(aQString(titulo));
    lblTexto->setText(aQString(texto));
    preguntando_ = true;
    const Respuesta r = mostrar(btnSi);
    preguntando_ = false;
    return r;
}

bool TOKBottomDlg::pideCampo(const std::string& titulo, const std::string& indicacion,
                             std::string& valor) {
    setWindowTitle(aQString(titulo));
    lblTexto->setText(aQString(indicacion));
    btnSi->hide();
    btnNo->setText("&Aceptar");
    btnNo->setDefault(true);
    edCampo->setText(aQString(valor));
    edCampo->selectAll();
    edCampo->show();
    const Respuesta r = mostrar(edCampo);
    std::string tecleado;
    // The validator keeps the field to characters we can store.
    const bool confirmado = r == Respuesta::No && deQString(edCampo->text(), tecleado);
    if (confirmado) valor = std::move(tecleado);
    btnNo->setText("&No");
    btnNo->setDefault(false);
    btnSi->setDefault(true);
    btnSi->show();
    edCampo->hide();
    return confirmado;
}

}  // namespace koral
