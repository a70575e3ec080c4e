#include "platform/qt/DispositivoSalida.h"

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>

namespace koral {

DispositivoSalida::DispositivoSalida(SalidaArchivo& salida) : salida_(salida) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 DispositivoSalida::writeData(const char* datos, qint64 n) {
    if (fallo()) return -1;
    try {
        salida_.escribir(datos, static_cast<std::size_t>(n));
        return n;
    } catch (const std::exception& e) {
        // Nothing may cross Qt's and the image libraries' C frames.
        error_ = *e.what() ? e.what() : "Error de escritura";
        return -1;
    }
}

void DispositivoSalida::comprobar() const {
    if (fallo()) throw ErrorArchivo(error_);
}

void escribirPng(const QImage& imagen, SalidaArchivo& salida) {
    // Encoded in memory first (a picture is small): a write failing inside
    // the PNG library would also print the library's own line on stderr.
    QByteArray datos;
    QBuffer memoria(&datos);
    memoria.open(QIODevice::WriteOnly);
    if (!imagen.save(&memoria, "PNG")) throw ErrorArchivo("No se pudo codificar la imagen PNG.");
    salida.escribir(datos.constData(), static_cast<std::size_t>(datos.size()));
}

namespace detalle {

DocumentoPdf::DocumentoPdf(SalidaArchivo* salida, const std::string& ruta, const QPageLayout& hoja)
    : archivo(salida ? nullptr : std::make_unique<Reemplazo>(ruta)),
      dispositivo(salida ? *salida : archivo->salida()),
      pdf(&dispositivo) {
    // 600 dots per inch, so that the reports' fixed margins mean what they do on a printer.
    pdf.setResolution(600);
    pdf.setPageLayout(hoja);
}

}  // namespace detalle

QPageLayout hojaPdf(const std::string& papel, bool horizontal) {
    QPageSize tamano(QPageSize::A4);
    for (int i = 0; i <= QPageSize::LastPageSize; ++i) {
        const auto id = static_cast<QPageSize::PageSizeId>(i);
        if (QPageSize::key(id) == QLatin1String(papel.c_str())) tamano = QPageSize(id);
    }
    return QPageLayout(tamano, horizontal ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
}

SuperficiePdf::SuperficiePdf(SalidaArchivo& salida, const QString& familia, const QPageLayout& hoja)
    : detalle::DocumentoPdf(&salida, {}, hoja), SuperficieQt(pdf, familia) {}

SuperficiePdf::SuperficiePdf(const std::string& ruta, const QString& familia,
                             const QPageLayout& hoja)
    : detalle::DocumentoPdf(nullptr, ruta, hoja), SuperficieQt(pdf, familia) {}

void SuperficiePdf::empezarDocumento(const std::string& titulo) {
    SuperficieQt::empezarDocumento(titulo);
    empezado_ = true;
}

void SuperficiePdf::terminarDocumento() {
    if (terminado_) return;
    terminado_ = true;
    SuperficieQt::terminarDocumento();  // the painter writes the document's tail
    if (!empezado_) throw ErrorArchivo("No se pudo completar el documento PDF.");
    dispositivo.comprobar();
    if (archivo) archivo->confirmar();
}

}  // namespace koral
