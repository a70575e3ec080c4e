#include "ui/Iconos.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace koral {

namespace {

void hoja(QPainter& p) {
    QPainterPath borde;
    borde.moveTo(4, 2);
    borde.lineTo(12, 2);
    borde.lineTo(16, 6);
    borde.lineTo(16, 18);
    borde.lineTo(4, 18);
    borde.closeSubpath();
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(Qt::white);
    p.drawPath(borde);
    p.drawLine(12, 2, 12, 6);
    p.drawLine(12, 6, 16, 6);
}

void flecha(QPainter& p, bool haciaAbajo, const QColor& color) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    QPolygonF punta;
    if (haciaAbajo) {
        p.drawRect(QRectF(8, 1, 4, 7));
        punta << QPointF(4, 8) << QPointF(16, 8) << QPointF(10, 14);
    } else {
        p.drawRect(QRectF(8, 7, 4, 7));
        punta << QPointF(4, 7) << QPointF(16, 7) << QPointF(10, 1);
    }
    p.drawPolygon(punta);
    // The tray the data goes into or comes out of.
    p.setPen(QPen(QColor(70, 70, 70), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF() << QPointF(2, 13) << QPointF(2, 18) << QPointF(18, 18)
                               << QPointF(18, 13));
}

}  // namespace

QIcon iconoHerramienta(Dibujo d) {
    QPixmap lienzo(20, 20);
    lienzo.fill(Qt::transparent);
    QPainter p(&lienzo);
    p.setRenderHint(QPainter::Antialiasing);
    switch (d) {
        case Dibujo::Nuevo:
            hoja(p);
            p.setPen(QPen(QColor(20, 140, 40), 3));
            p.drawLine(QPointF(13, 10), QPointF(13, 18));
            p.drawLine(QPointF(9, 14), QPointF(17, 14));
            break;
        case Dibujo::Modificar:
            hoja(p);
            p.setPen(QPen(QColor(200, 150, 20), 3.5, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(18, 4), QPointF(9, 13));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(60, 60, 60));
            p.drawPolygon(QPolygonF()
                          << QPointF(7.5, 11.5) << QPointF(10.5, 14.5) << QPointF(6, 16));
            break;
        case Dibujo::Estructura:
            p.setPen(QPen(QColor(70, 70, 70), 1.5));
            p.drawLine(QPointF(5, 6), QPointF(5, 15));
            p.drawLine(QPointF(5, 10), QPointF(12, 10));
            p.drawLine(QPointF(5, 15), QPointF(12, 15));
            p.setBrush(QColor(40, 110, 190));
            p.drawRect(QRectF(2, 2, 7, 5));
            p.setBrush(QColor(120, 180, 230));
            p.drawRect(QRectF(11, 8, 7, 4));
            p.drawRect(QRectF(11, 13, 7, 4));
            break;
        case Dibujo::Eliminar:
            p.setPen(QPen(QColor(200, 30, 30), 3.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, 4), QPointF(16, 16));
            p.drawLine(QPointF(16, 4), QPointF(4, 16));
            break;
        case Dibujo::Imprimir:
            p.setPen(QPen(QColor(70, 70, 70), 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(5.5, 1.5, 9, 6));
            p.setBrush(QColor(150, 150, 150));
            p.drawRoundedRect(QRectF(1.5, 7.5, 17, 7), 1.5, 1.5);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(5.5, 12.5, 9, 6));
            p.setPen(QColor(120, 120, 120));
            p.drawLine(QPointF(7, 15), QPointF(13, 15));
            p.drawLine(QPointF(7, 17), QPointF(13, 17));
            break;
        case Dibujo::Importar:
            flecha(p, true, QColor(30, 100, 200));
            break;
        case Dibujo::Exportar:
            flecha(p, false, QColor(20, 140, 40));
            break;
        case Dibujo::Comparar:
            // Two profiles' lines over the same axes.
            p.setPen(QPen(QColor(70, 70, 70), 1));
            p.drawPolyline(QPolygonF()
                           << QPointF(2.5, 2) << QPointF(2.5, 17.5) << QPointF(18, 17.5));
            p.setPen(QPen(QColor(30, 100, 200), 2));
            p.drawPolyline(QPolygonF()
                           << QPointF(4, 14) << QPointF(8, 7) << QPointF(12, 11) << QPointF(17, 4));
            p.setPen(QPen(QColor(220, 110, 20), 2));
            p.drawPolyline(QPolygonF()
                           << QPointF(4, 8) << QPointF(8, 13) << QPointF(12, 5) << QPointF(17, 10));
            break;
        case Dibujo::Evaluacion:
            // A sheet with ticked lines: the assessment's own record.
            hoja(p);
            p.setPen(QPen(QColor(20, 140, 40), 1.5));
            for (int y : {7, 11, 15}) {
                p.drawPolyline(QPolygonF()
                               << QPointF(5.5, y) << QPointF(7, y + 1.5) << QPointF(9.5, y - 1.5));
            }
            p.setPen(QPen(QColor(120, 120, 120), 1));
            for (int y : {7, 11, 15}) p.drawLine(QPointF(11, y), QPointF(15, y));
            break;
    }
    p.end();
    return QIcon(lienzo);
}

}  // namespace koral
