#include "ui/about.h"

#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include "platform/qt/Jpeg.h"

namespace koral::recursos {
extern const unsigned char AcercaDe[];
extern const std::size_t AcercaDeTam;
}  // namespace koral::recursos

namespace koral {

QImage imagenAcercaDe() {
    return decodificarJpeg(recursos::AcercaDe, recursos::AcercaDeTam);
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("Acerca de KORAL 2.0");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(401, 346);
    setModal(true);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(8, 8, 385, 305);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setGeometry(Panel1->contentsRect());
    ProgramIcon->setScaledContents(true);
    const QImage imagen = imagenAcercaDe();
    if (imagen.isNull()) {
        // Should the built-in picture not decode, the box still says what it is.
        ProgramIcon->setAlignment(Qt::AlignCenter);
        ProgramIcon->setText("KORAL 2.0\nFactores psicosociales\nO.R.V.E.N.");
    } else {
        ProgramIcon->setPixmap(QPixmap::fromImage(imagen));
    }

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(176, 320, 65, 19);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::showEvent(QShowEvent* e) {
    if (const QScreen* pantalla = QGuiApplication::primaryScreen())
        move(pantalla->availableGeometry().center() - rect().center());
    QDialog::showEvent(e);
}

void TAboutBox::OKButtonClick() {
    accept();
}

}  // namespace koral
