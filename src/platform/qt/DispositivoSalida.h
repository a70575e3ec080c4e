// Qt's writers (PDF pages, PNG pictures) onto the program's own file output,
// so that they write into a file replaced only as a whole and a failed write
// is known: Qt's painter and PDF writer do not say when the disk is full.
#pragma once

#include <QIODevice>
#include <QPageLayout>
#include <QPdfWriter>
#include <memory>
#include <string>

#include "platform/Archivos.h"
#include "platform/qt/SuperficieQt.h"

class QImage;

namespace koral {

// A write-only device over `salida` that remembers the first failed write
// and refuses every write after it.
class DispositivoSalida : public QIODevice {
public:
    explicit DispositivoSalida(SalidaArchivo& salida);
    bool fallo() const { return !error_.empty(); }
    // Throws ErrorArchivo with the first failure's message, if any.
    void comprobar() const;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* datos, qint64 n) override;

private:
    SalidaArchivo& salida_;
    std::string error_;  // Windows-1252
};

// Writes `imagen` as PNG into `salida`; throws ErrorArchivo when it could not.
void escribirPng(const QImage& imagen, SalidaArchivo& salida);

namespace detalle {
// What the PDF surface paints into; made before the painter, gone after it.
struct DocumentoPdf {
    DocumentoPdf(SalidaArchivo* salida, const std::string& ruta, const QPageLayout& hoja);
    std::unique_ptr<Reemplazo> archivo;  // when the surface owns its file
    DispositivoSalida dispositivo;
    QPdfWriter pdf;
};
}  // namespace detalle

// A page of `papel` (a page size key; A4 when unknown) less the 5 mm a
// printer cannot reach.
QPageLayout hojaPdf(const std::string& papel = "A4", bool horizontal = false);

// Pages (A4 upright unless told) at 600 dots per inch as a PDF document: the
// same pages the printer gets.
class SuperficiePdf : private detalle::DocumentoPdf, public SuperficieQt {
public:
    // Into `salida`, which the caller finishes once the document has ended.
    SuperficiePdf(SalidaArchivo& salida, const QString& familia,
                  const QPageLayout& hoja = hojaPdf());
    // Into the file at `ruta`, replaced when the document ends. Throws
    // ErrorArchivo when `ruta` is no missing or regular writable file.
    SuperficiePdf(const std::string& ruta, const QString& familia,
                  const QPageLayout& hoja = hojaPdf());

    void empezarDocumento(const std::string& titulo) override;
    // Throws ErrorArchivo when the document never started or could not be
    // written whole; the file at `ruta` is then left as it was.
    void terminarDocumento() override;

private:
    bool empezado_ = false;
    bool terminado_ = false;
};

}  // namespace koral
