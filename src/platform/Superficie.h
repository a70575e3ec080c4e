// What the chart and the printed reports draw on: an image on screen, a
// printer or a PDF. Coordinates are the device's units (pixels or dots).
// Texts are Windows-1252.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace koral {

struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color kNegro{0, 0, 0};
inline constexpr Color kBlanco{255, 255, 255};

enum class Estilo { Normal, Negrita, Cursiva };

using Punto = std::pair<int, int>;

class Superficie {
public:
    virtual ~Superficie() = default;

    // Size of the drawable area (the printable area of a page).
    virtual int ancho() const = 0;
    virtual int alto() const = 0;

    // The one current font: the surface's own face, at a size in points and
    // in exactly one style.
    virtual void fuente(int puntos, Estilo estilo) = 0;
    virtual int puntosFuente() const = 0;
    virtual Estilo estiloFuente() const = 0;
    virtual void colorTexto(Color c) = 0;
    virtual void pluma(Color c, int grosor) = 0;

    // Text with its top-left corner at (x, y), on an opaque white background.
    virtual void texto(int x, int y, const std::string& t) = 0;
    virtual int anchoTexto(const std::string& t) = 0;
    virtual int altoTexto(const std::string& t) = 0;

    // Lines stop short of their end point, as the platforms' line drawing does.
    virtual void linea(int x1, int y1, int x2, int y2) = 0;
    virtual void rectangulo(int x1, int y1, int x2, int y2) = 0;  // outline, current pen
    // Filled without outline; right and bottom edges excluded.
    virtual void rellenar(int x1, int y1, int x2, int y2, Color c) = 0;
    virtual void polilinea(const std::vector<Punto>& puntos) = 0;

    // Printing only; an image ignores them.
    // The title a document file carries (a PDF's Title), set before it
    // starts; the job title of empezarDocumento names it in a print queue.
    virtual void tituloDocumento(const std::string& /*titulo*/) {}
    virtual void empezarDocumento(const std::string& /*titulo*/) {}
    virtual void nuevaPagina() {}
    virtual void terminarDocumento() {}
};

}  // namespace koral
