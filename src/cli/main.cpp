#include <QGuiApplication>
#include <QImage>
#include <iostream>
#include <memory>

#include "cli/Comandos.h"
#include "method/Perfil.h"
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

std::string guardarGrafico(const koral::TPerfil& p, const std::string& ruta) {
    asegurarAplicacionQt();
    QImage imagen(337, 245, QImage::Format_RGB32);
    imagen.fill(Qt::white);
    {
        koral::SuperficieQt s(imagen, QGuiApplication::font().family());
        koral::dibujarValorativo(p, s, '.');
    }
    if (!imagen.save(QString::fromUtf8(ruta.c_str()), "PNG"))
        return "no se pudo escribir la imagen " + ruta;
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    koral::cli::Servicios servicios;
    servicios.guardarGrafico = guardarGrafico;
    const int codigo = koral::cli::ejecutar(args, std::cin, std::cout, std::cerr, servicios);
    std::cout.flush();
    gAplicacion.reset();
    return codigo;
}
