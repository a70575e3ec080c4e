// A drawing surface that records every call as a line of text, with simple
// fixed metrics so that tests can work out every coordinate:
// a character is as wide as the font's size in points (one more in bold),
// and every text is twice the size high.
#pragma once

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Superficie.h"
#include "platform/Texto.h"

namespace koral::prueba {

class SuperficieGrabadora : public Superficie {
public:
    SuperficieGrabadora(int ancho, int alto) : ancho_(ancho), alto_(alto) {}

    int ancho() const override { return ancho_; }
    int alto() const override { return alto_; }
    void fuente(int puntos, Estilo estilo) override {
        puntos_ = puntos;
        estilo_ = estilo;
    }
    int puntosFuente() const override { return puntos_; }
    Estilo estiloFuente() const override { return estilo_; }
    void colorTexto(Color c) override { colorTexto_ = c; }
    void pluma(Color c, int grosor) override {
        pluma_ = c;
        grosor_ = grosor;
    }

    void texto(int x, int y, const std::string& t) override {
        std::ostringstream o;
        o << "texto " << x << ',' << y << " \"" << cp1252AUtf8(t) << "\" " << puntos_
          << (estilo_ == Estilo::Negrita   ? "N"
              : estilo_ == Estilo::Cursiva ? "C"
                                           : "")
          << ' ' << hex(colorTexto_);
        llamadas.push_back(o.str());
    }
    int anchoTexto(const std::string& t) override {
        return static_cast<int>(t.size()) * (puntos_ + (estilo_ == Estilo::Negrita ? 1 : 0));
    }
    int altoTexto(const std::string&) override { return 2 * puntos_; }

    void linea(int x1, int y1, int x2, int y2) override {
        llamadas.push_back("linea " + par(x1, y1) + " " + par(x2, y2) + " " + plumaTexto());
    }
    void rectangulo(int x1, int y1, int x2, int y2) override {
        llamadas.push_back("rectangulo " + par(x1, y1) + " " + par(x2, y2) + " " + plumaTexto());
    }
    void rellenar(int x1, int y1, int x2, int y2, Color c) override {
        llamadas.push_back("rellenar " + par(x1, y1) + " " + par(x2, y2) + " " + hex(c));
    }
    void polilinea(const std::vector<Punto>& puntos) override {
        std::string s = "polilinea";
        for (const auto& [x, y] : puntos) s += " " + par(x, y);
        llamadas.push_back(s + " " + plumaTexto());
    }
    void empezarDocumento(const std::string& titulo) override {
        llamadas.push_back("documento \"" + cp1252AUtf8(titulo) + "\"");
    }
    void nuevaPagina() override { llamadas.push_back("pagina"); }
    void terminarDocumento() override { llamadas.push_back("fin"); }

    // Only the calls that start with `prefijo`.
    std::vector<std::string> filtrar(const std::string& prefijo) const {
        std::vector<std::string> v;
        for (const auto& l : llamadas)
            if (l.rfind(prefijo, 0) == 0) v.push_back(l);
        return v;
    }

    std::vector<std::string> llamadas;

private:
    static std::string par(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    static std::string hex(Color c) {
        static const char* d = "0123456789ABCDEF";
        std::string s = "#";
        for (auto v : {c.r, c.g, c.b}) {
            s += d[v >> 4];
            s += d[v & 15];
        }
        return s;
    }
    std::string plumaTexto() const { return hex(pluma_) + "/" + std::to_string(grosor_); }

    int ancho_, alto_;
    int puntos_ = 8;
    Estilo estilo_ = Estilo::Normal;
    Color colorTexto_ = kNegro;
    Color pluma_ = kNegro;
    int grosor_ = 1;
};

// A recorded "texto X,Y "T" PUNTOS[N|C] #COLOR" call read back.
struct TextoGrabado {
    int x = 0, y = 0;
    std::string texto;
    int puntos = 0;
    std::string estilo;  // "", "N" or "C"
};

inline bool sonDigitos(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

inline std::optional<TextoGrabado> leerTexto(const std::string& l) {
    const auto coma = l.find(','), espacio = l.find(' ', 6), cierre = l.rfind('"');
    if (l.rfind("texto ", 0) != 0 || coma == std::string::npos || espacio == std::string::npos ||
        coma > espacio || cierre <= espacio + 1 || l.compare(espacio, 2, " \"") != 0)
        return std::nullopt;
    const std::string x = l.substr(6, coma - 6), y = l.substr(coma + 1, espacio - coma - 1);
    const std::string resto = l.substr(cierre + 2);  // "8N #000000"
    const auto fin = resto.find(' ');
    std::string tam = resto.substr(0, fin), estilo;
    while (!tam.empty() && (tam.back() == 'N' || tam.back() == 'C')) {
        estilo.insert(estilo.begin(), tam.back());
        tam.pop_back();
    }
    if (!sonDigitos(x) || !sonDigitos(y) || !sonDigitos(tam)) return std::nullopt;
    return TextoGrabado{std::stoi(x), std::stoi(y), l.substr(espacio + 2, cierre - espacio - 2),
                        std::stoi(tam), estilo};
}

}  // namespace koral::prueba
