// The profile report: the first page on the line grid (description, chart of
// the seven factor means, observations), then the answers to the 75 items in
// two flowing columns.
#include <array>
#include <cmath>

#include "method/Formato.h"
#include "method/Perfil.h"
#include "method/Textos.h"
#include "platform/Texto.h"
#include "reports/Escritores.h"
#include "reports/Informes.h"

namespace koral {

namespace {

std::string cortada(std::string linea, std::size_t n) {
    if (linea.size() > n) linea.resize(n);
    return linea;
}

// x of a mean on the scale from 30u (0) to 70u (10). Stored scores come from
// the company file unchecked: outside 0-10 (or not a number) they are held to
// the scale, and the conversion to int stays defined.
int xMedia(double media, int u) {
    if (!(media > 0)) media = 0;
    if (media > 10) media = 10;
    return 30 * u + static_cast<int>(media * (40 * u) / 10);
}

// Line L of the item catalogue; past its end (never, with the built-in
// texts) an empty line rather than a read out of bounds.
const std::string& lineaCatalogo(std::size_t l) {
    static const std::string vacia;
    const auto& c = lineasCatalogo();
    return l < c.size() ? c[l] : vacia;
}

}  // namespace

std::vector<std::string> TextoPerfil(const TPerfil& perfil) {
    return {cortada("Perfil " + perfil.nombre, 56)};
}

namespace {

// What the parts of the first page share while they are drawn.
struct TPaginaPerfil {
    const TPerfil& perfil;
    Superficie& s;
    TEscritorColumnas& columnas;
    TEscritorRejilla& rejilla;
    char separador;
    int ancho = 0;
    int u = 0;  // a tenth of the chart's scale is 4 of these
    int altoLinea = 0;
    int altoW = 0;       // a line of the chart's bold texts
    int altoEscala = 0;  // the scale's digits
    int fondo = 0;       // nothing on the grid comes lower

    void nuevaPagina() {
        s.nuevaPagina();
        columnas.CabeceraPagina();
    }
    void seguirEnOtraPagina(const std::string& titulo) {
        nuevaPagina();
        s.texto(40, rejilla.LineaY(kLineaContinuacion), titulo);
        rejilla.numLinea = kLineaContinuacion + 2;
    }
    // A rule across the page on grid line n.
    void raya(int n) { s.linea(20, rejilla.LineaY(n), ancho - 30, rejilla.LineaY(n)); }
    // The chart from grid line n: seven blocks of 4 lines, the last one's
    // scale digits, then the share of unanswered items 2 lines below.
    bool cabeGrafico(int n) const {
        return (n + 24) * rejilla.pasoLinea + 2 * altoW + 8 + altoEscala <= fondo &&
               n + 30 <= rejilla.ultimaLinea;
    }

    static constexpr int kLineaContinuacion = 10;  // as "DESCRIPCIÓN DEL GRUPO:"
    static constexpr int kLineaGraficoSolo = 11;   // two below the header's rule
};

// Nothing on the grid comes nearer than 4 units to the frame's bottom edge,
// which a text's opaque ground would erase. Texts that pass the last line go
// on over further pages under the same header; the chart with its figures is
// never split. A page must hold the chart below the header.
void medirPagina(TPaginaPerfil& p) {
    Superficie& s = p.s;
    const int puntosFuente = s.puntosFuente();
    const Estilo estiloFuente = s.estiloFuente();
    s.fuente(puntosFuente, Estilo::Negrita);  // the chart's style
    p.altoW = s.altoTexto("W");
    s.fuente(6, Estilo::Negrita);
    p.altoEscala = s.altoTexto("10");
    s.fuente(puntosFuente, estiloFuente);
    p.fondo = p.columnas.marco.y2 - 4;
    p.rejilla.ultimaLinea = (p.fondo - p.altoW - 30) / p.rejilla.pasoLinea;
    if (!p.cabeGrafico(TPaginaPerfil::kLineaGraficoSolo))
        throw ErrorImpresion(mensajePaginaPequena());
}

// Frame, title, the profile's name and population, and the rule under them.
void dibujarCabecera(const TPaginaPerfil& p, const std::string& titulo) {
    Superficie& s = p.s;
    const TEscritorRejilla& rejilla = p.rejilla;
    const Rectangulo& m = p.columnas.marco;
    s.rectangulo(m.x1, m.y1, m.x2, m.y2);
    EstiloNegrita(s);
    s.texto(30, 2 * p.altoLinea + 20, titulo);
    EstiloNormal(s);
    s.texto(40, rejilla.LineaY(4), cortada("Perfil: " + p.perfil.nombre, 57));
    const std::string poblacion = "Población: "_cp + formatoEntero(p.perfil.nSujetos);
    s.texto(40, rejilla.LineaY(7), poblacion);
    if (poblacionIdentificable(p.perfil.nSujetos)) {
        // As the profile editor says it, beside the population.
        const int x = 40 + s.anchoTexto(poblacion) + p.columnas.sangria;
        EstiloNegrita(s);
        s.texto(x, rejilla.LineaY(7), kAvisoAnonimato);
        EstiloNormal(s);
    }
    s.linea(20, rejilla.LineaY(9), p.ancho - 30, rejilla.LineaY(9));
    p.columnas.yTexto = rejilla.LineaY(9);
}

// The description from grid line 12, then the rule above the chart, or a
// new page when the chart would not fit below it.
void escribirDescripcion(TPaginaPerfil& p) {
    TEscritorRejilla& rejilla = p.rejilla;
    p.s.texto(40, rejilla.LineaY(10), "DESCRIPCIÓN DEL GRUPO:"_cp);
    rejilla.numLinea = 12;
    rejilla.SaltoPagina = [&] { p.seguirEnOtraPagina("DESCRIPCIÓN DEL GRUPO (continuación):"_cp); };
    rejilla.EscribirMultilinea(p.perfil.descripcion);
    rejilla.SaltoPagina = nullptr;
    rejilla.numLinea += 3;
    if (p.cabeGrafico(rejilla.numLinea + 2)) {
        p.raya(rejilla.numLinea);
        rejilla.numLinea += 2;
    } else {
        p.nuevaPagina();  // the header's rule stands above the chart
        rejilla.numLinea = TPaginaPerfil::kLineaGraficoSolo;
    }
}

// Where one factor's block of the chart puts its name, its figures and its
// scale.
struct Bloque {
    int y1, y2, y3;
};

// Each factor's scale, the band limits across them and the profile line
// through the seven means.
std::array<Bloque, kNumFactores> dibujarLineasGrafico(TPaginaPerfil& p) {
    Superficie& s = p.s;
    const int u = p.u;
    std::array<Bloque, kNumFactores> bloques{};
    std::vector<Punto> puntos;
    for (int f = 1; f <= kNumFactores; ++f) {
        const int y1 = p.rejilla.numLinea * p.rejilla.pasoLinea;
        const int y2 = y1 + p.altoW;
        const int y3 = y2 + p.altoW + 4;
        bloques[static_cast<std::size_t>(f - 1)] = {y1, y2, y3};
        s.linea(30 * u, y3, 70 * u, y3);
        puntos.emplace_back(xMedia(mediaFactor(p.perfil, f), u), y3);
        p.rejilla.numLinea += 4;
    }
    for (int limite : {30, 46, 58, 70})
        s.linea(limite * u, bloques.front().y3, limite * u, bloques.back().y3);
    s.pluma(kNegro, 6);
    s.polilinea(puntos);
    s.pluma(kNegro, 1);
    return bloques;
}

// Each factor's name, mean, share in each band and scale digits.
void escribirTextosGrafico(const TPaginaPerfil& p,
                           const std::array<Bloque, kNumFactores>& bloques) {
    Superficie& s = p.s;
    const int u = p.u;
    const char separador = p.separador;
    for (int f = 1; f <= kNumFactores; ++f) {
        const Bloque& b = bloques[static_cast<std::size_t>(f - 1)];
        s.texto(40, b.y1, nombresFactor[static_cast<std::size_t>(f - 1)]);
        s.texto(40 + 10 * u, b.y2,
                "media=" + formatoReal(mediaFactor(p.perfil, f), 5, 2, separador));
        s.texto(34 * u, b.y2, porcentajeBanda(p.perfil, f, 1, separador));
        s.texto(50 * u, b.y2, porcentajeBanda(p.perfil, f, 2, separador));
        s.texto(62 * u, b.y2, porcentajeBanda(p.perfil, f, 3, separador));
        const int puntosPrevios = s.puntosFuente();
        s.fuente(6, s.estiloFuente());
        for (int k = 0; k <= 10; ++k) s.texto(30 * u + 4 * u * k, b.y3 + 4, std::to_string(k));
        s.fuente(puntosPrevios, s.estiloFuente());
    }
}

// The chart's lines go first and its texts over them: the texts' opaque
// ground keeps the percentages and the scale digits readable where the
// profile line or a band-limit line crosses them.
void dibujarGrafico(TPaginaPerfil& p) {
    EstiloNegrita(p.s);
    const auto bloques = dibujarLineasGrafico(p);
    escribirTextosGrafico(p, bloques);
    EstiloNormal(p.s);
}

// The share of unanswered items under the chart, then the observations,
// their heading kept with their first line.
void escribirObservaciones(TPaginaPerfil& p) {
    TEscritorRejilla& rejilla = p.rejilla;
    rejilla.numLinea += 2;
    p.s.texto(40, rejilla.LineaY(rejilla.numLinea),
              "PORCENTAJE SIN RESPUESTA: " + porcentajeSinRespuesta(p.perfil));
    rejilla.numLinea += 2;
    if (rejilla.numLinea + 4 <= rejilla.ultimaLinea) {
        p.raya(rejilla.numLinea);
        rejilla.numLinea += 2;
    } else {
        p.nuevaPagina();
        rejilla.numLinea = TPaginaPerfil::kLineaContinuacion;
    }
    p.s.texto(40, rejilla.LineaY(rejilla.numLinea), "OBSERVACIONES:");
    rejilla.numLinea += 2;
    rejilla.SaltoPagina = [&] { p.seguirEnOtraPagina("OBSERVACIONES (continuación):"_cp); };
    rejilla.EscribirMultilinea(p.perfil.observaciones);
    rejilla.SaltoPagina = nullptr;
}

}  // namespace

void DibujarPerfil(const TPerfil& perfil, Superficie& s, char separador, TImpresora& impresora) {
    TEscritorColumnas columnas(s, TEscritorColumnas::Variante::Perfil);
    TEscritorRejilla rejilla(s);
    TPaginaPerfil p{perfil, s, columnas, rejilla, separador};
    p.ancho = s.ancho();
    p.u = (p.ancho - 10) / 80;
    p.altoLinea = columnas.altoLinea;
    if (rejilla.pasoLinea < 1 || p.u < 1) throw ErrorImpresion(mensajePaginaPequena());
    columnas.comprobarOrigen(rejilla.LineaY(9));
    medirPagina(p);

    const std::string titulo = "PERFILES DEL MÉTODO DE EVALUACIÓN DE FACTORES PSICOSOCIALES"_cp;
    columnas.CabeceraPagina = [&] { dibujarCabecera(p, titulo); };

    // The frame, rules and axes are 1 unit wide whatever the previous job left.
    s.pluma(kNegro, 1);
    impresora.tituloTrabajo = "Imp. Perfiles";
    impresora.tituloDocumento = tituloConEmpresa(titulo, impresora.empresa);
    impresora.EmpezarDocumento(s);
    columnas.CabeceraPagina();

    // First page, on the grid.
    escribirDescripcion(p);
    dibujarGrafico(p);
    escribirObservaciones(p);

    // Item pages, in two columns.
    p.nuevaPagina();
    columnas.EmpezarColumnas(columnas.yTexto);
    EscribirDistribucion(columnas, perfil, separador);
    s.terminarDocumento();
}

void EscribirDistribucion(TEscritorColumnas& columnas, const TPerfil& perfil, char separador) {
    std::size_t l = 0;
    for (int i = 1; i <= kNumItems; ++i) {
        columnas.EscribirTexto(lineaCatalogo(l++));
        for (int j = 1; j <= opcionesItem(i); ++j) {
            const std::string& opcion = lineaCatalogo(l++);
            const std::string_view etiqueta =
                opcion.empty() ? std::string_view() : std::string_view(opcion).substr(1);
            std::string linea =
                "\t" + formatoReal(porcentajeRespuesta(perfil, i, j), 8, 2, separador);
            linea += "% ";
            linea += etiqueta;
            columnas.EscribirTexto(linea);
        }
        columnas.EscribirTexto("\t" +
                               formatoReal(porcentajeRespuesta(perfil, i, 0), 8, 2, separador) +
                               "% sin respuesta");
    }
}

}  // namespace koral
