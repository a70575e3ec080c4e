#include "platform/SuperficieSvg.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/Texto.h"

namespace koral {

namespace {

std::string hex(Color c) {
    char t[8];
    std::snprintf(t, sizeof t, "#%02X%02X%02X", c.r, c.g, c.b);
    return t;
}

std::string escapar(std::string_view utf8) {
    std::string s;
    for (char c : utf8) {
        switch (c) {
            case '&':
                s += "&amp;";
                break;
            case '<':
                s += "&lt;";
                break;
            case '>':
                s += "&gt;";
                break;
            case '"':
                s += "&quot;";
                break;
            default:
                // Control characters are not allowed in XML text.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') s += c;
        }
    }
    return s;
}

// Two decimals at most, always with '.': printf would take the decimal
// comma of a Spanish locale, which no SVG reader accepts.
std::string num(double v) {
    char t[32];
    std::string s(t, std::to_chars(t, t + sizeof t, v, std::chars_format::fixed, 2).ptr);
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

}  // namespace

SuperficieSvg::SuperficieSvg(int ancho, int alto, std::string familia)
    : ancho_(ancho), alto_(alto), familia_(std::move(familia)) {}

void SuperficieSvg::fuente(int puntos, Estilo estilo) {
    puntos_ = puntos;
    estilo_ = estilo;
}

void SuperficieSvg::pluma(Color c, int grosor) {
    pluma_ = c;
    grosor_ = grosor;
}

std::string SuperficieSvg::trazo() const {
    return " stroke=\"" + hex(pluma_) + "\" stroke-width=\"" + std::to_string(grosor_) +
           "\" stroke-linecap=\"" + (grosor_ > 1 ? "round" : "square") + "\"";
}

int SuperficieSvg::anchoTexto(const std::string& t) {
    return static_cast<int>(std::lround(t.size() * pixeles() * 0.56));
}

int SuperficieSvg::altoTexto(const std::string&) {
    return static_cast<int>(std::lround(pixeles() * 1.17));
}

void SuperficieSvg::texto(int x, int y, const std::string& t) {
    // The opaque white box behind the text, then the text on its baseline.
    cuerpo_ += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
               std::to_string(anchoTexto(t)) + "\" height=\"" + std::to_string(altoTexto(t)) +
               "\" fill=\"#FFFFFF\"/>\n";
    cuerpo_ += "<text x=\"" + std::to_string(x) + "\" y=\"" + num(y + pixeles() * 0.93) +
               "\" font-family=\"" + escapar(familia_) + "\" font-size=\"" + num(pixeles()) + "\"";
    if (estilo_ == Estilo::Negrita) cuerpo_ += " font-weight=\"bold\"";
    if (estilo_ == Estilo::Cursiva) cuerpo_ += " font-style=\"italic\"";
    cuerpo_ += " fill=\"" + hex(colorTexto_) + "\" xml:space=\"preserve\">" +
               escapar(cp1252AUtf8(t)) + "</text>\n";
}

void SuperficieSvg::linea(int x1, int y1, int x2, int y2) {
    // Half a pixel in, so that one-pixel lines fall on the pixels a painter would fill.
    cuerpo_ += "<line x1=\"" + num(x1 + 0.5) + "\" y1=\"" + num(y1 + 0.5) + "\" x2=\"" +
               num(x2 + 0.5) + "\" y2=\"" + num(y2 + 0.5) + "\"" + trazo() + "/>\n";
}

void SuperficieSvg::rectangulo(int x1, int y1, int x2, int y2) {
    cuerpo_ += "<rect x=\"" + num(x1 + 0.5) + "\" y=\"" + num(y1 + 0.5) + "\" width=\"" +
               std::to_string(x2 - x1 - 1) + "\" height=\"" + std::to_string(y2 - y1 - 1) +
               "\" fill=\"none\"" + trazo() + "/>\n";
}

void SuperficieSvg::rellenar(int x1, int y1, int x2, int y2, Color c) {
    cuerpo_ += "<rect x=\"" + std::to_string(x1) + "\" y=\"" + std::to_string(y1) + "\" width=\"" +
               std::to_string(x2 - x1) + "\" height=\"" + std::to_string(y2 - y1) + "\" fill=\"" +
               hex(c) + "\"/>\n";
}

void SuperficieSvg::polilinea(const std::vector<Punto>& puntos) {
    cuerpo_ += "<polyline points=\"";
    for (std::size_t i = 0; i < puntos.size(); ++i) {
        if (i) cuerpo_ += ' ';
        cuerpo_ += num(puntos[i].first + 0.5) + "," + num(puntos[i].second + 0.5);
    }
    cuerpo_ += "\" fill=\"none\"" + trazo() + " stroke-linejoin=\"round\"/>\n";
}

std::string SuperficieSvg::svg() const {
    const std::string a = std::to_string(ancho_), h = std::to_string(alto_);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           a + "\" height=\"" + h + "\" viewBox=\"0 0 " + a + " " + h + "\">\n<rect width=\"" + a +
           "\" height=\"" + h + "\" fill=\"#FFFFFF\"/>\n" + cuerpo_ + "</svg>\n";
}

}  // namespace koral
