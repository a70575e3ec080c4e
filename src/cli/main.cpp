#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "cli/ComandoRecoger.h"
#include "cli/Comandos.h"
#include "cli/Comun.h"
#include "method/Perfil.h"
#include "platform/qt/DispositivoSalida.h"
#include "platform/qt/SuperficieQt.h"

namespace {

// Qt needs an application object to draw text; made only when a chart is
// asked for, on the offscreen platform so that no display is needed.
// Released before main returns: Qt's own globals are gone by static destruction.
std::unique_ptr<QGuiApplication> gAplicacion;

void asegurarAplicacionQt() {
    if (gAplicacion) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own warnings (no runtime folder and the like) are not ours to print.
    qInstallMessageHandler([](QtMsgType tipo, const QMessageLogContext&, const QString& texto) {
        if (tipo >= QtCriticalMsg) std::cerr << texto.toStdString() << '\n';
    });
    static int argc = 1;
    static char nombre[] = "koral20-cli";
    static char* argv[] = {nombre, nullptr};
    gAplicacion = std::make_unique<QGuiApplication>(argc, argv);
}

void guardarGrafico(const koral::TPerfil& p, koral::SalidaArchivo& salida) {
    asegurarAplicacionQt();
    QImage imagen(337, 245, QImage::Format_RGB32);
    imagen.fill(Qt::white);
    {
        koral::SuperficieQt s(imagen, QGuiApplication::font().family());
        koral::dibujarValorativo(p, s, '.');
    }
    koral::escribirPng(imagen, salida);
}

std::unique_ptr<koral::Superficie> superficiePdf(koral::SalidaArchivo& salida) {
    asegurarAplicacionQt();
    return std::make_unique<koral::SuperficiePdf>(salida, koral::kFuenteInformes);
}

// Read by Qt from its own locale data, so that a locale the system has not
// installed still gives its separator, as in the window program.
char separadorDecimal(const std::string& locale) {
    return koral::separadorPaginas(QLocale(QString::fromLocal8Bit(locale.c_str())));
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    koral::cli::Servicios servicios;
    servicios.guardarGrafico = guardarGrafico;
    servicios.superficiePdf = superficiePdf;
    servicios.separadorDecimal = separadorDecimal;
    servicios.recoger = koral::cli::comandoRecoger;
    koral::cli::gSoltarAlSalir = true;
    int codigo = koral::cli::ejecutar(args, std::cin, std::cout, std::cerr, servicios);
    gAplicacion.reset();
    // _Exit flushes nothing: every stream the process wrote goes out here,
    // and output that could not be written is a failure, whoever wrote it.
    const bool escrita = static_cast<bool>(std::cout.flush()) && std::fflush(stdout) == 0;
    if (!escrita && codigo == 0) {
        std::cerr << "Error: no se pudo escribir la salida estándar\n";
        codigo = 1;
    }
    std::clog.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // The records left to the system are no leak to report: the process
    // ends here, without the leak check's exit handler.
    std::_Exit(codigo);
}
