// A drawing surface that writes SVG: the chart as a picture that scales in
// a written report. Text metrics are estimates, fine for labels placed at
// given points; nothing that flows text should measure on it.
#pragma once

#include <string>

#include "platform/Superficie.h"

namespace koral {

class SuperficieSvg : public Superficie {
public:
    // A white picture of `ancho` x `alto` pixels, `familia` for its texts.
    SuperficieSvg(int ancho, int alto, std::string familia);

    int ancho() const override { return ancho_; }
    int alto() const override { return alto_; }
    void fuente(int puntos, Estilo estilo) override;
    int puntosFuente() const override { return puntos_; }
    Estilo estiloFuente() const override { return estilo_; }
    void colorTexto(Color c) override { colorTexto_ = c; }
    void pluma(Color c, int grosor) override;
    void texto(int x, int y, const std::string& t) override;
    int anchoTexto(const std::string& t) override;
    int altoTexto(const std::string& t) override;
    void linea(int x1, int y1, int x2, int y2) override;
    void rectangulo(int x1, int y1, int x2, int y2) override;
    void rellenar(int x1, int y1, int x2, int y2, Color c) override;
    void polilinea(const std::vector<Punto>& puntos) override;

    // The whole document, UTF-8.
    std::string svg() const;

private:
    double pixeles() const { return puntos_ * 96.0 / 72.0; }
    std::string trazo() const;

    int ancho_, alto_;
    std::string familia_;
    int puntos_ = 8;
    Estilo estilo_ = Estilo::Normal;
    Color colorTexto_ = kNegro;
    Color pluma_ = kNegro;
    int grosor_ = 1;
    std::string cuerpo_;
};

}  // namespace koral
