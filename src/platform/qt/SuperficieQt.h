// The drawing surface on Qt's painter: an image for the chart, a printer or
// PDF writer for reports.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <memory>

#include "platform/Superficie.h"

class QImage;
class QLocale;
class QPagedPaintDevice;

namespace koral {

// The face of printed reports: metric-compatible with the classic office
// sans face, shipped by Debian's fonts-liberation.
inline const QString kFuenteInformes = QStringLiteral("Liberation Sans");

// The decimal separator that pages print under `locale`: its own when it is
// one plain character, else ','.
char separadorPaginas(const QLocale& locale);

class SuperficieQt : public Superficie {
public:
    // Paints on `imagen` at once, in the face `familia`.
    SuperficieQt(QImage& imagen, const QString& familia);
    // Paints on a printer or PDF writer between empezarDocumento and terminarDocumento.
    SuperficieQt(QPagedPaintDevice& paginas, const QString& familia);
    ~SuperficieQt() override;

    int ancho() const override;
    int alto() const override;
    void fuente(int puntos, Estilo estilo) override;
    int puntosFuente() const override { return puntos_; }
    Estilo estiloFuente() const override { return estilo_; }
    void colorTexto(Color c) override;
    void pluma(Color c, int grosor) override;
    void texto(int x, int y, const std::string& t) override;
    int anchoTexto(const std::string& t) override;
    int altoTexto(const std::string& t) override;
    void linea(int x1, int y1, int x2, int y2) override;
    void rectangulo(int x1, int y1, int x2, int y2) override;
    void rellenar(int x1, int y1, int x2, int y2, Color c) override;
    void polilinea(const std::vector<Punto>& puntos) override;
    void tituloDocumento(const std::string& titulo) override;
    // Throws ErrorArchivo when the printer or file cannot be painted on.
    void empezarDocumento(const std::string& titulo) override;
    void nuevaPagina() override;
    void terminarDocumento() override;

    // Font size, style and pen, which a printer keeps from one job to the next.
    struct Estado {
        int puntos = 8;
        Estilo estilo = Estilo::Normal;
        QPen pluma{Qt::black, 1};
    };
    Estado estado() const { return {puntos_, estilo_, pluma_}; }
    void restaurar(const Estado& e);

private:
    void aplicar();
    QPainter& pintor();

    QPaintDevice* dispositivo_;
    QPagedPaintDevice* paginas_ = nullptr;
    QPainter pintor_;
    QFont fuente_;
    int puntos_ = 8;
    Estilo estilo_ = Estilo::Normal;
    QColor colorTexto_ = Qt::black;
    QPen pluma_;
    QString tituloDocumento_;
};

}  // namespace koral
