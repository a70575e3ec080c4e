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

    marcoImagen = new QFrame(this);
    marcoImagen->setObjectName("Panel1");
    marcoImagen->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    marcoImagen->setLineWidth(1);
    marcoImagen->setGeometry(8, 8, 385, 305);

    imgPrograma = new QLabel(marcoImagen);
    imgPrograma->setObjectName("ProgramIcon");
    imgPrograma->setGeometry(marcoImagen->contentsRect());
    imgPrograma->setScaledContents(true);
    const QImage imagen = imagenAcercaDe();
    if (imagen.isNull()) {
        // Should the built-in picture not decode, the box still says what it is.
        imgPrograma->setAlignment(Qt::AlignCenter);
        imgPrograma->setText("KORAL 2.0\nFactores psicosociales\nO.R.V.E.N.");
    } else {
        imgPrograma->setPixmap(QPixmap::fromImage(imagen));
    }

    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("OKButton");
    btnOK->setGeometry(176, 320, 65, 19);
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &TAboutBox::cerrar);
}

void TAboutBox::showEvent(QShowEvent* e) {
    if (const QScreen* pantalla = QGuiApplication::primaryScreen())
        move(pantalla->availableGeometry().center() - rect().center());
    QDialog::showEvent(e);
}

void TAboutBox::cerrar() {
    accept();
}

}  // namespace koral
