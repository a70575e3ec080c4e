#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
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

// The PDF writer lives as long as the surface that paints on it.
class SuperficiePdf : public koral::SuperficieQt {
public:
    SuperficiePdf(std::unique_ptr<QPdfWriter> pdf, const QString& familia)
        : koral::SuperficieQt(*pdf, familia), pdf_(std::move(pdf)) {}
    ~SuperficiePdf() override { terminarDocumento(); }

private:
    std::unique_ptr<QPdfWriter> pdf_;
};

std::unique_ptr<koral::Superficie> superficiePdf(const std::string& ruta) {
    asegurarAplicacionQt();
    auto pdf = std::make_unique<QPdfWriter>(QString::fromUtf8(ruta.c_str()));
    pdf->setResolution(600);
    // A printer's printable area: A4 less the 5 mm a printer cannot reach.
    pdf->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                   QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
    return std::make_unique<SuperficiePdf>(std::move(pdf), koral::kFuenteInformes);
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    koral::cli::Servicios servicios;
    servicios.guardarGrafico = guardarGrafico;
    servicios.superficiePdf = superficiePdf;
    const int codigo = koral::cli::ejecutar(args, std::cin, std::cout, std::cerr, servicios);
    std::cout.flush();
    gAplicacion.reset();
    return codigo;
}
