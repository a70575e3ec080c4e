// What the comparison of profiles and the assessment report share: pages
// whose footer says "Página N de M" (so each document is laid out twice, the
// first time only to count its pages), text broken into lines that fit a
// width, and the chart of factor means in the profile editor's style.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/Instrumento.h"
#include "platform/Fecha.h"
#include "platform/Superficie.h"
#include "reports/Escritores.h"

namespace koral {

// Band colours, band 1 first: green, yellow and red, but light, medium and
// dark once photocopied in grey (lumas about 233, 180 and 123), so that the
// bands also part for readers who confuse red with green. The hatching of
// dibujarFondoBanda adds to it.
inline constexpr std::array<Color, 3> kColoresBanda{
    {{0xD8, 0xF5, 0xD8}, {0xF0, 0xB8, 0x00}, {0xE0, 0x50, 0x50}}};

// Factor names as these reports print them: the written reports' names with
// every accent (Windows-1252).
inline constexpr std::array<const char*, kNumFactores> kNombresFactorAcentuados = {
    "CARGA MENTAL",
    "AUTONOM\xCD"
    "A TEMPORAL",
    "CONTENIDO DEL TRABAJO",
    "SUPERVISI\xD3N-PARTICIPACI\xD3N",
    "DEFINICI\xD3N DE ROL",
    "INTER\xC9S POR EL TRABAJADOR",
    "RELACIONES PERSONALES"};

// Measures in the font of another surface and draws nothing: the counting
// pass. Font changes reach the other surface, whose font the drawing pass
// sets again.
class SuperficieMedida : public Superficie {
public:
    explicit SuperficieMedida(Superficie& real) : real_(real) {}
    int ancho() const override { return real_.ancho(); }
    int alto() const override { return real_.alto(); }
    void fuente(int puntos, Estilo estilo) override { real_.fuente(puntos, estilo); }
    int puntosFuente() const override { return real_.puntosFuente(); }
    Estilo estiloFuente() const override { return real_.estiloFuente(); }
    void colorTexto(Color) override {}
    void pluma(Color, int) override {}
    void texto(int, int, const std::string&) override {}
    int anchoTexto(const std::string& t) override { return real_.anchoTexto(t); }
    int altoTexto(const std::string& t) override { return real_.altoTexto(t); }
    void linea(int, int, int, int) override {}
    void rectangulo(int, int, int, int) override {}
    void rellenar(int, int, int, int, Color) override {}
    void polilinea(const std::vector<Punto>&) override {}

private:
    Superficie& real_;
};

// `texto` in lines no wider than `ancho` in the surface's current font, broken
// at blanks (a run of blanks is one break) and, for a word wider than a
// line, inside the word. Always at least one line.
std::vector<std::string> partirTexto(Superficie& s, std::string_view texto, int ancho);
// The paragraphs of a text typed in several lines, whichever line ends
// (CR LF or LF) it came with.
std::vector<std::string> parrafos(const std::string& t);

// `t` without its leading blanks (porcentajeSinRespuesta within a sentence).
std::string sinBlancosIniciales(const std::string& t);

// Sets the font and returns its line height: the height of "W" and a fifth
// more (at least 4 units).
int fijarLetra(Superficie& s, int puntos, Estilo estilo = Estilo::Normal);

// Pages with a body between margins, and a footer with the company's name
// on the left and "Página N de M" on the right.
class TPaginas {
public:
    // `total` is M; 0 while counting, when nothing is drawn anyway. Throws
    // ErrorImpresion when the page cannot hold a body of a few lines.
    TPaginas(Superficie& s, std::string empresa, int total);

    // The first page, after the document has been started.
    void empezar() { empezarPagina(); }
    void nuevaPagina();
    // What a new page gets, for a writer that starts its pages itself:
    // footer, then the page heading (`cabecera`), which moves y.
    void empezarPagina();
    bool cabe(int alto) const { return y + alto <= abajo; }
    // A new page unless `alto` fits below y; ErrorImpresion when it could
    // not fit on an empty page either.
    void reservar(int alto);
    int ancho() const { return derecha - izquierda; }

    Superficie& s;
    int altoLinea = 0;  // 8-point regular
    int izquierda = 0, derecha = 0, arriba = 0, abajo = 0;
    int y = 0;
    int pagina = 0;
    int total = 0;
    std::function<void()> cabecera;

private:
    std::string empresa_;
    int inicioCuerpo_ = 0;  // y below the current page's heading
};

// A profile line of the chart: its seven means and its index, which sets its
// colour and marker.
struct SerieMedias {
    std::array<double, kNumFactores> medias{};
    std::size_t indice = 0;
};

// Series 0 to kSeriesDistintas - 1 differ both in colour and in marker;
// later ones repeat them.
inline constexpr std::size_t kSeriesDistintas = 12;
Color colorSerie(std::size_t indice);
// The marker of series `indice` centred at (x, y), `radio` from centre to edge.
void dibujarMarcador(Superficie& s, std::size_t indice, int x, int y, int radio);
// A short stretch of the series' line with its marker, as the legend shows it.
void dibujarMuestraSerie(Superficie& s, std::size_t indice, int x, int y, int ancho, int radio);

// The chart of factor means in `area`: the three bands over the scale 0-10,
// one strip per factor with its abbreviation, the scale digits below, and
// each series as a line through its means, with a marker at each factor.
void dibujarGraficoMedias(Superficie& s, const Rectangulo& area,
                          std::span<const SerieMedias> series);
// The least height at which the chart's texts fit in their strips.
int altoMinimoGrafico(Superficie& s);

// Band `banda` (1-3) over `r`: its colour, then none, one or two sets of
// diagonal lines `paso` apart (band 1 plain, 2 hatched, 3 cross-hatched),
// set on the surface's own grid so that neighbouring areas match.
void dibujarFondoBanda(Superficie& s, int banda, const Rectangulo& r, int paso);
// A small square of band `banda` (1-3; 0 for none: white), outlined, at (x, y).
void dibujarMuestraBanda(Superficie& s, int x, int y, int lado, int banda);

// "dd/mm/aaaa", or "" when fechaCivil gives none.
std::string textoFecha(double dias);

}  // namespace koral
