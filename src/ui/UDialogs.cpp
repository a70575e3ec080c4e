#include "ui/UDialogs.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

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

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(24, 24, 265, 65);
    Label1->setFont(fuente13(this));
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);  // messages may hold '<'
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    edCampo = new QLineEdit(this);
    edCampo->setObjectName("edCampo");
    edCampo->setGeometry(8, 112, 297, 24);
    edCampo->setFont(fuente13(this));
    edCampo->setValidator(new ValidadorCp1252(edCampo));
    edCampo->hide();

    OKBtn = new QPushButton("&Si", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setGeometry(15, 148, 75, 25);
    NoBtn = new QPushButton("&No", this);
    NoBtn->setObjectName("NoBtn");
    NoBtn->setGeometry(120, 148, 75, 25);
    CancelBtn = new QPushButton("&Cancelar", this);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setGeometry(223, 148, 75, 25);
    OKBtn->setDefault(true);

    setTabOrder(edCampo, OKBtn);
    setTabOrder(OKBtn, NoBtn);
    setTabOrder(NoBtn, CancelBtn);

    connect(OKBtn, &QPushButton::clicked, this, &TOKBottomDlg::OKBtnClick);
    connect(NoBtn, &QPushButton::clicked, this, &TOKBottomDlg::NoBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TOKBottomDlg::CancelBtnClick);
}

void TOKBottomDlg::OKBtnClick() {
    respuesta_ = Respuesta::Si;
    accept();
}

void TOKBottomDlg::NoBtnClick() {
    respuesta_ = Respuesta::No;
    accept();
}

void TOKBottomDlg::CancelBtnClick() {
    respuesta_ = Respuesta::Cancelar;
    reject();
}

void TOKBottomDlg::keyPressEvent(QKeyEvent* e) {
    // A question has no text field: S and N answer it without Alt.
    const auto mod = e->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (preguntando_ && mod == Qt::NoModifier && (e->key() == Qt::Key_S || e->key() == Qt::Key_N)) {
        if (!e->isAutoRepeat()) e->key() == Qt::Key_S ? OKBtnClick() : NoBtnClick();
        return;
    }
    QDialog::keyPressEvent(e);
}

Respuesta TOKBottomDlg::mostrar(QWidget* foco) {
    // Esc and the close box both end in reject(): Cancelar unless a button said otherwise.
    respuesta_ = Respuesta::Cancelar;
    if (const QScreen* pantalla = QGuiApplication::primaryScreen())
        move(pantalla->availableGeometry().center() - rect().center());
    foco->setFocus();
    exec();
    return respuesta_;
}

void TOKBottomDlg::mensaje(const std::string& texto) {
    setWindowTitle(QString::fromUtf8("Atención"));
    Label1->setText(aQString(texto));
    OKBtn->hide();
    CancelBtn->hide();
    NoBtn->setText("&Aceptar");
    NoBtn->setDefault(true);
    mostrar(NoBtn);
    NoBtn->setText("&No");
    NoBtn->setDefault(false);
    OKBtn->setDefault(true);
    OKBtn->show();
    CancelBtn->show();
}

Respuesta TOKBottomDlg::pregunta(const std::string& titulo, const std::string& texto) {
    setWindowTitle(aQString(titulo));
    Label1->setText(aQString(texto));
    preguntando_ = true;
    const Respuesta r = mostrar(OKBtn);
    preguntando_ = false;
    return r;
}

bool TOKBottomDlg::pideCampo(const std::string& titulo, const std::string& indicacion,
                             std::string& valor) {
    setWindowTitle(aQString(titulo));
    Label1->setText(aQString(indicacion));
    OKBtn->hide();
    NoBtn->setText("&Aceptar");
    NoBtn->setDefault(true);
    edCampo->setText(aQString(valor));
    edCampo->selectAll();
    edCampo->show();
    const Respuesta r = mostrar(edCampo);
    std::string tecleado;
    // The validator keeps the field to characters we can store.
    const bool confirmado = r == Respuesta::No && deQString(edCampo->text(), tecleado);
    if (confirmado) valor = std::move(tecleado);
    NoBtn->setText("&No");
    NoBtn->setDefault(false);
    OKBtn->setDefault(true);
    OKBtn->show();
    edCampo->hide();
    return confirmado;
}

}  // namespace koral
