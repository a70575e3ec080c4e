#include "reports/Maquetacion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "document/UData.h"
#include "method/Perfil.h"
#include "platform/Texto.h"
#include "reports/Impresion.h"

namespace koral {

namespace {

// The longest start of `palabra` no wider than `ancho`, at least one character.
std::size_t caracteresQueCaben(Superficie& s, const std::string& palabra, int ancho) {
    std::size_t bajo = 1, alto = palabra.size();
    while (alto > bajo) {
        const std::size_t medio = bajo + (alto - bajo + 1) / 2;
        if (s.anchoTexto(palabra.substr(0, medio)) <= ancho)
            bajo = medio;
        else
            alto = medio - 1;
    }
    return bajo;
}

// Lines and markers keep their proportions from a screen's chart to a page's.
int grosorDe(int radio) {
    return std::max(2, radio / 4);
}

struct Geometria {
    int x0 = 0, x10 = 0, arriba = 0, r = 0;
    // Stored scores come from the company file unchecked: outside 0-10 (or
    // not a number) they are held to the scale.
    int X(double v) const {
        if (!(v > 0)) v = 0;
        if (v > 10) v = 10;
        return x0 + static_cast<int>(std::lround(v * (x10 - x0) / 10.0));
    }
    int Y(int factor) const { return arriba + (factor - 1) * r + r / 2; }
    int abajo() const { return arriba + kNumFactores * r; }
};

struct MedidasGrafico {
    int anchoAbreviatura = 0, altoAbreviatura = 0, anchoDiez = 0, altoEscala = 0, margen = 0;
};

constexpr std::array<const char*, 3> kRotulosBanda = {"Nivel 1", "Nivel 2", "Nivel 3"};

MedidasGrafico medirGrafico(Superficie& s) {
    MedidasGrafico m;
    s.fuente(10, Estilo::Normal);
    for (const char* a : kAbreviaturas)
        m.anchoAbreviatura = std::max(m.anchoAbreviatura, s.anchoTexto(a));
    m.altoAbreviatura = s.altoTexto("CM");
    s.fuente(6, Estilo::Normal);
    m.anchoDiez = s.anchoTexto("10");
    m.altoEscala = s.altoTexto("10");
    m.margen = std::max(2, m.altoAbreviatura / 4);
    return m;
}

}  // namespace

std::vector<std::string> partirTexto(Superficie& s, std::string_view texto, int ancho) {
    // Most texts fit whole: one measurement, not one per word.
    const std::size_t primero = texto.find_first_not_of(' ');
    if (primero == std::string_view::npos) return {std::string()};
    texto = texto.substr(primero, texto.find_last_not_of(' ') + 1 - primero);
    if (s.anchoTexto(std::string(texto)) <= ancho) return {std::string(texto)};
    std::vector<std::string> lineas;
    std::string linea;
    std::size_t i = 0;
    while (i < texto.size()) {
        if (texto[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t fin = std::min(texto.find(' ', i), texto.size());
        std::string palabra(texto.substr(i, fin - i));
        i = fin;
        if (!linea.empty()) {
            std::string candidata = linea;
            candidata += ' ';
            candidata += palabra;
            if (s.anchoTexto(candidata) <= ancho) {
                linea = std::move(candidata);
                continue;
            }
            lineas.push_back(std::move(linea));
            linea.clear();
        }
        // A word wider than the line goes on over as many lines as it needs.
        while (palabra.size() > 1 && s.anchoTexto(palabra) > ancho) {
            const std::size_t n = caracteresQueCaben(s, palabra, ancho);
            lineas.push_back(palabra.substr(0, n));
            palabra.erase(0, n);
        }
        linea = std::move(palabra);
    }
    if (!linea.empty() || lineas.empty()) lineas.push_back(std::move(linea));
    return lineas;
}

std::string sinBlancosIniciales(const std::string& t) {
    const std::size_t i = t.find_first_not_of(' ');
    return i == std::string::npos ? std::string() : t.substr(i);
}

int fijarLetra(Superficie& s, int puntos, Estilo estilo) {
    s.fuente(puntos, estilo);
    const int h = s.altoTexto("W");
    return h + std::max(4, h / 5);
}

TPaginas::TPaginas(Superficie& superficie, std::string empresa, int totalPaginas)
    : s(superficie), total(totalPaginas), empresa_(std::move(empresa)) {
    altoLinea = fijarLetra(s, 8);
    const int margen = std::max(20, std::min(s.ancho(), s.alto()) / 30);
    izquierda = margen;
    derecha = s.ancho() - margen;
    arriba = margen;
    // The footer's text stands a line above the bottom margin, under a rule.
    abajo = s.alto() - margen - altoLinea - altoLinea / 2;
    const int anchoPie = s.anchoTexto(std::string(kLargoNombre, 'W')) +
                         s.anchoTexto("Página 99999 de 99999"_cp) + 2 * altoLinea;
    if (ancho() < anchoPie || abajo - arriba < 16 * altoLinea)
        throw ErrorImpresion(mensajePaginaPequena());
}

void TPaginas::nuevaPagina() {
    s.nuevaPagina();
    empezarPagina();
}

void TPaginas::empezarPagina() {
    ++pagina;
    fijarLetra(s, 8);
    s.colorTexto(kNegro);
    s.pluma(kNegro, 1);
    const int yPie = abajo + altoLinea / 2;
    s.linea(izquierda, yPie - altoLinea / 4, derecha, yPie - altoLinea / 4);
    s.texto(izquierda, yPie, empresa_);
    const std::string numero =
        "Página "_cp + std::to_string(pagina) + " de " + std::to_string(total);
    s.texto(derecha - s.anchoTexto(numero), yPie, numero);
    y = arriba;
    if (cabecera) cabecera();
    inicioCuerpo_ = y;
}

void TPaginas::reservar(int alto) {
    if (cabe(alto)) return;
    // A block taller than a page would be cut by the footer wherever it went.
    if (y == inicioCuerpo_ || alto > abajo - inicioCuerpo_)
        throw ErrorImpresion(mensajePaginaPequena());
    nuevaPagina();
}

Color colorSerie(std::size_t indice) {
    // Dark or strong enough to show on the three bands alike.
    static constexpr std::array<Color, kSeriesDistintas> colores{{{0x00, 0x00, 0xFF},
                                                                  {0x00, 0x00, 0x00},
                                                                  {0xFF, 0x00, 0xFF},
                                                                  {0x80, 0x00, 0x80},
                                                                  {0x00, 0x8B, 0x8B},
                                                                  {0x40, 0x40, 0x40},
                                                                  {0x00, 0x00, 0x80},
                                                                  {0x8B, 0x45, 0x13},
                                                                  {0x00, 0x64, 0x00},
                                                                  {0x80, 0x00, 0x00},
                                                                  {0x80, 0x80, 0x00},
                                                                  {0x00, 0xBF, 0xFF}}};
    return colores[indice % colores.size()];
}

namespace {

// A filled shape of horizontal lines, `media(dy)` its half width at y + dy.
template <typename Media>
void rellenarFilas(Superficie& s, int x, int y, int radio, Media media) {
    for (int dy = -radio; dy <= radio; ++dy) {
        const int w = media(dy);
        s.linea(x - w, y + dy, x + w + 1, y + dy);
    }
}

}  // namespace

void dibujarMarcador(Superficie& s, std::size_t indice, int x, int y, int radio) {
    const Color c = colorSerie(indice);
    const int r = radio;
    const int grosor = std::max(1, grosorDe(radio) / 2);
    s.pluma(c, grosor);
    const auto trianguloArriba = [&] {
        s.polilinea({{x, y - r}, {x + r, y + r}, {x - r, y + r}, {x, y - r}});
    };
    const auto aspa = [&] {
        s.linea(x - r, y - r, x + r + 1, y + r + 1);
        s.linea(x - r, y + r, x + r + 1, y - r - 1);
    };
    const auto cruz = [&] {
        s.linea(x - r, y, x + r + 1, y);
        s.linea(x, y - r, x, y + r + 1);
    };
    // Twelve shapes against twelve colours, each series its own of both.
    switch (indice % kSeriesDistintas) {
        case 0:
            s.rellenar(x - r, y - r, x + r + 1, y + r + 1, c);
            break;
        case 1:
            s.rectangulo(x - r, y - r, x + r, y + r);
            break;
        case 2:
            trianguloArriba();
            break;
        case 3:
            s.polilinea({{x, y - r}, {x + r, y}, {x, y + r}, {x - r, y}, {x, y - r}});
            break;
        case 4:
            cruz();
            break;
        case 5:
            aspa();
            break;
        case 6:
            s.pluma(c, 1);
            rellenarFilas(s, x, y, r, [r](int dy) { return (dy + r) / 2; });
            s.pluma(c, grosor);
            trianguloArriba();
            break;
        case 7:
            s.pluma(c, 1);
            rellenarFilas(s, x, y, r, [r](int dy) { return r - std::abs(dy); });
            break;
        case 8:
            s.polilinea({{x, y + r}, {x + r, y - r}, {x - r, y - r}, {x, y + r}});
            break;
        case 9:
            cruz();
            aspa();
            break;
        case 10:
            s.pluma(c, 1);
            rellenarFilas(s, x, y, r, [r](int dy) { return (r - dy) / 2; });
            s.pluma(c, grosor);
            s.polilinea({{x, y + r}, {x + r, y - r}, {x - r, y - r}, {x, y + r}});
            break;
        default:
            s.rectangulo(x - r, y - r, x + r, y + r);
            aspa();
            break;
    }
    s.pluma(kNegro, 1);
}

void dibujarMuestraSerie(Superficie& s, std::size_t indice, int x, int y, int ancho, int radio) {
    s.pluma(colorSerie(indice), grosorDe(radio));
    s.linea(x, y, x + ancho, y);
    dibujarMarcador(s, indice, x + ancho / 2, y, radio);
}

int altoMinimoGrafico(Superficie& s) {
    const MedidasGrafico m = medirGrafico(s);
    return kNumFactores * (m.altoAbreviatura + m.margen) + 4 * m.margen + 2 * m.altoEscala;
}

void dibujarGraficoMedias(Superficie& s, const Rectangulo& area,
                          std::span<const SerieMedias> series) {
    const MedidasGrafico m = medirGrafico(s);
    Geometria g;
    // The bands' names stand above them, in the scale's type.
    g.arriba = area.y1 + 2 * m.margen + m.altoEscala;
    g.r = std::max(1, (area.y2 - 2 * m.margen - m.altoEscala - m.margen - g.arriba) / kNumFactores);
    // A marker at 0 or 10 keeps clear of the abbreviations and of the edge;
    // the digits stand centred under their marks, "10" too.
    const int radioMayor = std::max(3, g.r / 6);
    g.x0 = area.x1 + m.anchoAbreviatura + 2 * m.margen + radioMayor;
    g.x10 = std::max(g.x0 + 10, area.x2 - std::max(m.anchoDiez / 2, radioMayor + 1) - m.margen);
    const int radio = std::max(3, std::min(radioMayor, (g.x10 - g.x0) / 100));

    static constexpr std::array<double, 4> limites{0, 4, 7, 10};
    const int paso = std::max(4, g.r / 3);
    for (int b = 0; b < 3; ++b)
        dibujarFondoBanda(s, b + 1,
                          {g.X(limites[static_cast<std::size_t>(b)]), g.arriba,
                           g.X(limites[static_cast<std::size_t>(b) + 1]), g.abajo()},
                          paso);
    s.colorTexto(kNegro);
    s.fuente(6, Estilo::Normal);
    for (std::size_t b = 0; b < 3; ++b) {
        // "Nivel 2" where it fits, else the bare digit.
        const int ancho = g.X(limites[b + 1]) - g.X(limites[b]);
        std::string t = kRotulosBanda[b];
        if (s.anchoTexto(t) > ancho) t = std::to_string(b + 1);
        s.texto((g.X(limites[b]) + g.X(limites[b + 1]) - s.anchoTexto(t)) / 2, area.y1 + m.margen,
                t);
    }
    s.pluma(kNegro, std::max(1, grosorDe(radio) / 4));
    for (double v : {0.0, 4.0, 7.0, 10.0}) s.linea(g.X(v), g.arriba, g.X(v), g.abajo());
    for (int k = 0; k <= kNumFactores; ++k)
        s.linea(g.X(0), g.arriba + k * g.r, g.X(10), g.arriba + k * g.r);

    s.colorTexto(kNegro);
    s.fuente(10, Estilo::Normal);
    for (int f = 1; f <= kNumFactores; ++f)
        s.texto(area.x1 + m.margen, g.Y(f) - m.altoAbreviatura / 2, kAbreviaturas[f - 1]);
    s.fuente(6, Estilo::Normal);
    for (int n = 0; n <= 10; ++n) {
        const std::string t = std::to_string(n);
        s.texto(g.X(n) - s.anchoTexto(t) / 2, g.abajo() + m.margen, t);
    }

    // Every line first, then every marker, so that no line hides a marker.
    for (const SerieMedias& serie : series) {
        std::vector<Punto> puntos;
        for (int f = 1; f <= kNumFactores; ++f)
            puntos.emplace_back(g.X(serie.medias[static_cast<std::size_t>(f - 1)]), g.Y(f));
        s.pluma(colorSerie(serie.indice), grosorDe(radio));
        s.polilinea(puntos);
    }
    for (const SerieMedias& serie : series)
        for (int f = 1; f <= kNumFactores; ++f)
            dibujarMarcador(s, serie.indice, g.X(serie.medias[static_cast<std::size_t>(f - 1)]),
                            g.Y(f), radio);
    s.pluma(kNegro, 1);
    s.fuente(8, Estilo::Normal);
}

void dibujarFondoBanda(Superficie& s, int banda, const Rectangulo& r, int paso) {
    if (banda < 1 || banda > 3 || r.x2 <= r.x1 || r.y2 <= r.y1) return;
    const Color c = kColoresBanda[static_cast<std::size_t>(banda - 1)];
    s.rellenar(r.x1, r.y1, r.x2, r.y2, c);
    if (banda == 1) return;
    paso = std::max(2, paso);
    // Lines of the band's own colour, darker, thick enough to survive a
    // photocopy of the page and thinner than the profiles' lines.
    s.pluma({static_cast<std::uint8_t>(c.r * 3 / 5), static_cast<std::uint8_t>(c.g * 3 / 5),
             static_cast<std::uint8_t>(c.b * 3 / 5)},
            std::max(1, paso / 16));
    // x + y = k: from the bottom left to the top right, clipped to r.
    const auto primero = [paso](int v) {
        return (v >= 0 ? (v + paso - 1) / paso : -((-v) / paso)) * paso;
    };
    for (int k = primero(r.x1 + r.y1); k <= r.x2 + r.y2; k += paso) {
        const int xa = std::max(r.x1, k - r.y2), xb = std::min(r.x2, k - r.y1);
        if (xa < xb) s.linea(xa, k - xa, xb, k - xb);
    }
    // x - y = k for the cross-hatching of band 3.
    if (banda == 3)
        for (int k = primero(r.x1 - r.y2); k <= r.x2 - r.y1; k += paso) {
            const int xa = std::max(r.x1, k + r.y1), xb = std::min(r.x2, k + r.y2);
            if (xa < xb) s.linea(xa, xa - k, xb, xb - k);
        }
    s.pluma(kNegro, 1);
}

void dibujarMuestraBanda(Superficie& s, int x, int y, int lado, int banda) {
    if (banda >= 1 && banda <= 3)
        dibujarFondoBanda(s, banda, {x, y, x + lado, y + lado}, std::max(3, lado / 3));
    else
        s.rellenar(x, y, x + lado, y + lado, kBlanco);
    s.pluma(kNegro, 1);
    s.rectangulo(x, y, x + lado, y + lado);
}

std::string textoFecha(double dias) {
    const auto f = fechaCivil(dias);
    if (!f) return {};
    return rellenarCeros(f->dia, 2) + "/" + rellenarCeros(f->mes, 2) + "/" +
           std::to_string(f->anio);
}

std::vector<std::string> parrafos(const std::string& t) {
    std::vector<std::string> v;
    std::size_t i = 0;
    for (;;) {
        const std::size_t salto = t.find('\n', i);
        std::string p = t.substr(i, salto == std::string::npos ? std::string::npos : salto - i);
        if (!p.empty() && p.back() == '\r') p.pop_back();
        v.push_back(std::move(p));
        if (salto == std::string::npos) return v;
        i = salto + 1;
    }
}

}  // namespace koral
