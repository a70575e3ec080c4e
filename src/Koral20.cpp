// The window program: creates its windows once, shows the frame, and opens
// the company file named on the command line.
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTranslator>
#include <string>
#include <vector>

#include "platform/Dialogos.h"
#include "ui/AvisosLectura.h"
#include "ui/Editores.h"
#include "ui/ImpresionVentanas.h"
#include "ui/Intercambio.h"
#include "ui/UDialogs.h"
#include "ui/UMain.h"
#include "ui/about.h"

namespace koral::recursos {
extern const unsigned char Icono[];
extern const std::size_t IconoTam;
}  // namespace koral::recursos

int main(int argc, char** argv) {
    using namespace koral;
    QApplication app(argc, argv);
    // QApplication has taken out its own options; the rest name the file, as
    // the system handed the bytes over.
    std::vector<std::string> argumentos(argv + 1, argv + argc);

    QApplication::setApplicationName("Koral20");
    QGuiApplication::setDesktopFileName("koral20");
    QImage icono;
    if (icono.loadFromData(recursos::Icono, static_cast<int>(recursos::IconoTam), "PNG"))
        QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icono)));

    // Qt's own dialogs and buttons speak the program's language.
    QTranslator traduccion;
    if (traduccion.load(QLocale(QLocale::Spanish, QLocale::Spain), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traduccion);

    TfrmMain frmMain;
    frmMain.ArchivoAyuda = "KORAL.chm";
    frmMain.setWindowIcon(QApplication::windowIcon());
    frmMain.AboutBox = new TAboutBox(&frmMain);
    TOKBottomDlg OKBottomDlg(&frmMain);
    TAvisosLectura avisos(OKBottomDlg);
    Dialogos* anteriores = instalarDialogos(&avisos);

    TImpresionVentanas impresion(frmMain);
    impresion.conectar();
    conectarIntercambio(frmMain, impresion);
    conectarEditores(frmMain);

    frmMain.argumentos = std::move(argumentos);
    frmMain.show();
    const int resultado = app.exec();
    instalarDialogos(anteriores);
    return resultado;
}
