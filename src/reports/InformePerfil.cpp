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

void DibujarPerfil(const TPerfil& perfil, Superficie& s, char separador, TImpresora& impresora) {
    TEscritorColumnas columnas(s, TEscritorColumnas::Variante::Perfil);
    TEscritorRejilla rejilla(s);
    const int ancho = s.ancho();
    const int u = (ancho - 10) / 80;
    const int altoLinea = columnas.altoLinea;
    if (rejilla.pasoLinea < 1 || u < 1) throw ErrorImpresion(mensajePaginaPequena());
    columnas.comprobarOrigen(rejilla.LineaY(9));

    // Nothing on the grid comes nearer than 4 units to the frame's bottom
    // edge, which a text's opaque ground would erase. Texts that pass the
    // last line go on over further pages under the same header; the chart
    // with its figures is never split. A page must hold the chart below the
    // header.
    const int puntosFuente = s.puntosFuente();
    const Estilo estiloFuente = s.estiloFuente();
    s.fuente(puntosFuente, Estilo::Negrita);  // the chart's style
    const int altoW = s.altoTexto("W");
    s.fuente(6, Estilo::Negrita);
    const int altoEscala = s.altoTexto("10");
    s.fuente(puntosFuente, estiloFuente);
    const int fondo = columnas.marco.y2 - 4;
    rejilla.ultimaLinea = (fondo - altoW - 30) / rejilla.pasoLinea;
    // The chart from grid line n: seven blocks of 4 lines, the last one's
    // scale digits, then the share of unanswered items 2 lines below.
    auto cabeGrafico = [&](int n) {
        return (n + 24) * rejilla.pasoLinea + 2 * altoW + 8 + altoEscala <= fondo &&
               n + 30 <= rejilla.ultimaLinea;
    };
    constexpr int kLineaContinuacion = 10;  // as "DESCRIPCIÓN DEL GRUPO:"
    constexpr int kLineaGraficoSolo = 11;   // two below the header's rule
    if (!cabeGrafico(kLineaGraficoSolo)) throw ErrorImpresion(mensajePaginaPequena());

    const std::string titulo = "PERFILES DEL MÉTODO DE EVALUACIÓN DE FACTORES PSICOSOCIALES"_cp;
    columnas.CabeceraPagina = [&] {
        const Rectangulo& m = columnas.marco;
        s.rectangulo(m.x1, m.y1, m.x2, m.y2);
        EstiloNegrita(s);
        s.texto(30, 2 * altoLinea + 20, titulo);
        EstiloNormal(s);
        s.texto(40, rejilla.LineaY(4), cortada("Perfil: " + perfil.nombre, 57));
        const std::string poblacion = "Población: "_cp + formatoEntero(perfil.nSujetos);
        s.texto(40, rejilla.LineaY(7), poblacion);
        if (poblacionIdentificable(perfil.nSujetos)) {
            // As the profile editor says it, beside the population.
            const int x = 40 + s.anchoTexto(poblacion) + columnas.sangria;
            EstiloNegrita(s);
            s.texto(x, rejilla.LineaY(7), kAvisoAnonimato);
            EstiloNormal(s);
        }
        s.linea(20, rejilla.LineaY(9), ancho - 30, rejilla.LineaY(9));
        columnas.yTexto = rejilla.LineaY(9);
    };

    // The frame, rules and axes are 1 unit wide whatever the previous job left.
    s.pluma(kNegro, 1);
    impresora.tituloTrabajo = "Imp. Perfiles";
    impresora.tituloDocumento = tituloConEmpresa(titulo, impresora.empresa);
    impresora.EmpezarDocumento(s);
    columnas.CabeceraPagina();

    auto nuevaPagina = [&] {
        s.nuevaPagina();
        columnas.CabeceraPagina();
    };
    auto seguirEnOtraPagina = [&](const std::string& titulo) {
        nuevaPagina();
        s.texto(40, rejilla.LineaY(kLineaContinuacion), titulo);
        rejilla.numLinea = kLineaContinuacion + 2;
    };

    // First page, on the grid.
    s.texto(40, rejilla.LineaY(10), "DESCRIPCIÓN DEL GRUPO:"_cp);
    rejilla.numLinea = 12;
    rejilla.SaltoPagina = [&] { seguirEnOtraPagina("DESCRIPCIÓN DEL GRUPO (continuación):"_cp); };
    rejilla.EscribirMultilinea(perfil.descripcion);
    rejilla.SaltoPagina = nullptr;
    rejilla.numLinea += 3;
    if (cabeGrafico(rejilla.numLinea + 2)) {
        s.linea(20, rejilla.LineaY(rejilla.numLinea), ancho - 30, rejilla.LineaY(rejilla.numLinea));
        rejilla.numLinea += 2;
    } else {
        nuevaPagina();  // the header's rule stands above the chart
        rejilla.numLinea = kLineaGraficoSolo;
    }

    // The chart's lines go first and its texts over them: the texts' opaque
    // ground keeps the percentages and the scale digits readable where the
    // profile line or a band-limit line crosses them.
    EstiloNegrita(s);
    struct Bloque {
        int y1, y2, y3;
    };
    std::array<Bloque, kNumFactores> bloques{};
    std::vector<Punto> puntos;
    for (int f = 1; f <= kNumFactores; ++f) {
        const int y1 = rejilla.numLinea * rejilla.pasoLinea;
        const int y2 = y1 + altoW;
        const int y3 = y2 + altoW + 4;
        bloques[static_cast<std::size_t>(f - 1)] = {y1, y2, y3};
        s.linea(30 * u, y3, 70 * u, y3);
        puntos.emplace_back(xMedia(mediaFactor(perfil, f), u), y3);
        rejilla.numLinea += 4;
    }
    for (int limite : {30, 46, 58, 70})
        s.linea(limite * u, bloques.front().y3, limite * u, bloques.back().y3);
    s.pluma(kNegro, 6);
    s.polilinea(puntos);
    s.pluma(kNegro, 1);

    for (int f = 1; f <= kNumFactores; ++f) {
        const Bloque& b = bloques[static_cast<std::size_t>(f - 1)];
        s.texto(40, b.y1, nombresFactor[static_cast<std::size_t>(f - 1)]);
        s.texto(40 + 10 * u, b.y2, "media=" + formatoReal(mediaFactor(perfil, f), 5, 2, separador));
        s.texto(34 * u, b.y2, porcentajeBanda(perfil, f, 1, separador));
        s.texto(50 * u, b.y2, porcentajeBanda(perfil, f, 2, separador));
        s.texto(62 * u, b.y2, porcentajeBanda(perfil, f, 3, separador));
        const int puntosPrevios = s.puntosFuente();
        s.fuente(6, s.estiloFuente());
        for (int k = 0; k <= 10; ++k) s.texto(30 * u + 4 * u * k, b.y3 + 4, std::to_string(k));
        s.fuente(puntosPrevios, s.estiloFuente());
    }

    EstiloNormal(s);
    rejilla.numLinea += 2;
    s.texto(40, rejilla.LineaY(rejilla.numLinea),
            "PORCENTAJE SIN RESPUESTA: " + porcentajeSinRespuesta(perfil));
    rejilla.numLinea += 2;
    // The heading of the observations keeps their first line with it.
    if (rejilla.numLinea + 4 <= rejilla.ultimaLinea) {
        s.linea(20, rejilla.LineaY(rejilla.numLinea), ancho - 30, rejilla.LineaY(rejilla.numLinea));
        rejilla.numLinea += 2;
    } else {
        nuevaPagina();
        rejilla.numLinea = kLineaContinuacion;
    }
    s.texto(40, rejilla.LineaY(rejilla.numLinea), "OBSERVACIONES:");
    rejilla.numLinea += 2;
    rejilla.SaltoPagina = [&] { seguirEnOtraPagina("OBSERVACIONES (continuación):"_cp); };
    rejilla.EscribirMultilinea(perfil.observaciones);
    rejilla.SaltoPagina = nullptr;

    // Item pages, in two columns.
    nuevaPagina();
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
