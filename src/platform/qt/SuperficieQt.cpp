#include "platform/qt/SuperficieQt.h"

#include <QFontMetrics>
#include <QImage>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPrinter>

#include "platform/Archivos.h"
#include "platform/Texto.h"
#include "platform/qt/TextoQt.h"

namespace koral {

namespace {
QColor aQColor(Color c) {
    return QColor(c.r, c.g, c.b);
}
}  // namespace

char separadorPaginas(const QLocale& locale) {
    const QString s = locale.decimalPoint();
    return s.size() == 1 && s[0].unicode() < 0x80 ? static_cast<char>(s[0].unicode()) : ',';
}

SuperficieQt::SuperficieQt(QImage& imagen, const QString& familia)
    : dispositivo_(&imagen), fuente_(familia), pluma_(Qt::black, 1) {
    // Point sizes mean screen pixels at 96 per inch, as on the editor's page.
    if (imagen.dotsPerMeterX() != 3780) {
        imagen.setDotsPerMeterX(3780);
        imagen.setDotsPerMeterY(3780);
    }
    pintor_.begin(&imagen);
    aplicar();
}

SuperficieQt::SuperficieQt(QPagedPaintDevice& paginas, const QString& familia)
    : dispositivo_(&paginas), paginas_(&paginas), fuente_(familia), pluma_(Qt::black, 1) {
    // Reports measure their lines before the document starts: in the 8-point
    // font they will draw with, not in the face's default size.
    aplicar();
}

SuperficieQt::~SuperficieQt() {
    if (pintor_.isActive()) pintor_.end();
}

int SuperficieQt::ancho() const {
    return dispositivo_->width();
}
int SuperficieQt::alto() const {
    return dispositivo_->height();
}

QPainter& SuperficieQt::pintor() {
    return pintor_;
}

void SuperficieQt::aplicar() {
    fuente_.setPointSize(puntos_);
    fuente_.setBold(estilo_ == Estilo::Negrita);
    fuente_.setItalic(estilo_ == Estilo::Cursiva);
    if (!pintor_.isActive()) return;
    pintor_.setFont(fuente_);
    pintor_.setPen(pluma_);
}

void SuperficieQt::fuente(int puntos, Estilo estilo) {
    puntos_ = puntos;
    estilo_ = estilo;
    aplicar();
}

void SuperficieQt::colorTexto(Color c) {
    colorTexto_ = aQColor(c);
}

void SuperficieQt::pluma(Color c, int grosor) {
    pluma_ = QPen(aQColor(c), grosor, Qt::SolidLine, grosor > 1 ? Qt::RoundCap : Qt::SquareCap,
                  Qt::RoundJoin);
    if (pintor_.isActive()) pintor_.setPen(pluma_);
}

void SuperficieQt::texto(int x, int y, const std::string& t) {
    const QString s = aQString(t);
    const QFontMetrics m(fuente_, dispositivo_);
    // Opaque white behind the text, as the chart's labels over the bands need.
    pintor_.fillRect(QRect(x, y, m.horizontalAdvance(s), m.height()), Qt::white);
    pintor_.setPen(colorTexto_);
    pintor_.drawText(QPoint(x, y + m.ascent()), s);
    pintor_.setPen(pluma_);
}

int SuperficieQt::anchoTexto(const std::string& t) {
    return QFontMetrics(fuente_, dispositivo_).horizontalAdvance(aQString(t));
}

int SuperficieQt::altoTexto(const std::string&) {
    return QFontMetrics(fuente_, dispositivo_).height();
}

void SuperficieQt::linea(int x1, int y1, int x2, int y2) {
    // The end point is not drawn; on straight lines that is one pixel less.
    if (x1 == x2 && y1 != y2)
        y2 += y2 > y1 ? -1 : 1;
    else if (y1 == y2 && x1 != x2)
        x2 += x2 > x1 ? -1 : 1;
    else if (x1 == x2)
        return;
    pintor_.drawLine(x1, y1, x2, y2);
}

void SuperficieQt::rectangulo(int x1, int y1, int x2, int y2) {
    pintor_.setBrush(Qt::NoBrush);
    pintor_.drawRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)));
}

void SuperficieQt::rellenar(int x1, int y1, int x2, int y2, Color c) {
    pintor_.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), aQColor(c));
}

void SuperficieQt::polilinea(const std::vector<Punto>& puntos) {
    QPolygon p;
    for (const auto& [x, y] : puntos) p << QPoint(x, y);
    pintor_.drawPolyline(p);
}

void SuperficieQt::tituloDocumento(const std::string& titulo) {
    tituloDocumento_ = aQString(titulo);
}

void SuperficieQt::empezarDocumento(const std::string& titulo) {
    if (!paginas_) return;
    const QString trabajo = aQString(titulo);
    const QString documento = tituloDocumento_.isEmpty() ? trabajo : tituloDocumento_;
    // A printer's queue shows the job's name; a PDF, the printer's own
    // included (which takes its Title from the same name), the document's.
    if (auto* impresora = dynamic_cast<QPrinter*>(paginas_))
        impresora->setDocName(impresora->outputFormat() == QPrinter::PdfFormat ? documento
                                                                               : trabajo);
    else if (auto* pdf = dynamic_cast<QPdfWriter*>(paginas_))
        pdf->setTitle(documento);
    if (!pintor_.begin(paginas_)) {
        std::string nombre = "la impresora";
        if (auto* impresora = dynamic_cast<QPrinter*>(paginas_)) {
            const QString destino = impresora->outputFileName().isEmpty()
                                        ? impresora->printerName()
                                        : impresora->outputFileName();
            nombre = textoMostrable(destino.toUtf8().toStdString());
        }
        throw ErrorArchivo("No se puede imprimir en " + nombre + ".");
    }
    aplicar();
}

void SuperficieQt::restaurar(const Estado& e) {
    puntos_ = e.puntos;
    estilo_ = e.estilo;
    pluma_ = e.pluma;
    aplicar();
}

void SuperficieQt::nuevaPagina() {
    if (paginas_) paginas_->newPage();
}

void SuperficieQt::terminarDocumento() {
    if (paginas_ && pintor_.isActive()) pintor_.end();
}

}  // namespace koral
