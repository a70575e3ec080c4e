// Profiles side by side: their figures against calcularPerfil's, the chart on
// the recording surface (8 wide per character at 8 points, 16 high), and the
// pages for portrait and landscape sheets.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>

#include "method/Perfil.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"
#include "reports/Comparacion.h"
#include "reports/ComprobarPaginas.h"
#include "reports/Maquetacion.h"
#include "support/SuperficieGrabadora.h"

namespace koral {
namespace {

using prueba::SuperficieGrabadora;
using V = std::vector<std::string>;

// Three questionnaires: q1 in A and B, q2 in A, q3 in no group; q1 answers
// every item, the others only the first.
struct Empresa {
    Empresa() {
        fijarFechaHoy(45444);  // 1 June 2024
        doc.nombre = "Talleres";
        TGrupo* a = doc.agregarGrupo("A");
        TGrupo* b = doc.agregarGrupo("B");
        doc.agregarGrupo("C");  // nobody
        const std::array<Puntuaciones, 3> puntos = {
            {{3.0, 0, 5, 4.0, 1, 1, 1}, {3.25, 0, 5, 7.0, 1, 1, 1}, {0.0, 9, 5, 3.99, 1, 1, 1}}};
        for (int i = 0; i < 3; ++i) {
            TCuestionario* q = doc.agregarCuestionario("Q" + std::to_string(i + 1));
            q->puntuaciones = puntos[static_cast<std::size_t>(i)];
            q->respuestas[0] = '1';
            q->sinRespuesta = kNumItems - 1;
            if (i == 0) {
                q->respuestas.fill('1');
                q->sinRespuesta = 0;
            }
            if (i < 2) enlazar(*q, *a);
            if (i == 0) enlazar(*q, *b);
        }
        auto perfil = [&](const char* nombre, std::vector<TGrupo*> grupos) {
            TPerfil* p = doc.agregarPerfil(nombre);
            p->grupos = std::move(grupos);
            calcularPerfil(doc, *p);
            return p;
        };
        a_ = perfil("Solo A", {a});
        toda_ = perfil("Toda", {});
        ab_ = perfil("A y B", {a, b});
        nadie_ = perfil("C", {doc.grupos[2].get()});
        fijarFechaHoy(std::nullopt);
    }
    std::vector<TPerfilComparado> lista() const {
        return {{"Solo A", a_}, {"Toda", toda_}, {"A y B", ab_}, {"C", nadie_}};
    }
    TKoral doc;
    TPerfil *a_, *toda_, *ab_, *nadie_;
};

TEST(Comparacion, FiguresAreCalcularPerfilsAndDifferencesThoseOfTheShownMeans) {
    Empresa e;
    const auto lista = e.lista();
    // The whole company is the reference unless told otherwise.
    ASSERT_EQ(referenciaPorDefecto(lista), 1u);
    const TComparacion c = compararPerfiles(lista, 1, 1);
    ASSERT_EQ(c.perfiles.size(), 4u);
    for (std::size_t i = 0; i < lista.size(); ++i) {
        const TPerfil& p = *lista[i].perfil;
        const CifrasPerfil& cf = c.perfiles[i];
        EXPECT_EQ(cf.nSujetos, p.nSujetos);
        EXPECT_EQ(cf.sinRespuesta, porcentajeSinRespuesta(p));
        EXPECT_EQ(cf.identificable, p.nSujetos >= 1 && p.nSujetos <= 4);
        for (int f = 1; f <= kNumFactores; ++f) {
            const auto k = static_cast<std::size_t>(f - 1);
            EXPECT_EQ(cf.medias[k], mediaFactor(p, f));
            for (int b = 1; b <= 3; ++b)
                EXPECT_EQ(textoBanda(cf.bandas[k][static_cast<std::size_t>(b - 1)], ','),
                          porcentajeBanda(p, f, b, ','));
        }
    }
    const auto diferencias = [&](std::size_t i) {
        V v;
        for (double d : c.perfiles[i].diferencias) v.push_back(textoDiferencia(d, '.'));
        return v;
    };
    // Factor 1: A 3.125 shows 3.13 and the whole 2.0833 shows 2.08: +1.05,
    // not the +1.04 of the unrounded means. Factor 4 holds scores of 4 and 7.
    EXPECT_EQ(diferencias(0), (V{"+1.05", "-3.00", "0.00", "+0.50", "0.00", "0.00", "0.00"}));
    EXPECT_EQ(diferencias(1), (V{"0.00", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00"}));
    EXPECT_EQ(diferencias(2), (V{"+0.92", "-3.00", "0.00", "-1.00", "0.00", "0.00", "0.00"}));
    EXPECT_EQ(textoBanda(c.perfiles[1].bandas[3][1], '.'), "33.33 %");
    EXPECT_EQ(bandaDeMedia(3.999), 2);  // shown as 4.00, coloured as 4.00
    EXPECT_EQ(c.perfiles[3].nSujetos, 0);
    EXPECT_FALSE(c.perfiles[3].identificable);

    // Another company's whole company is no default reference; its label
    // carries the year of its latest questionnaire.
    std::vector<TPerfilComparado> otra = {{"x", e.a_}, {"y", e.toda_, true}};
    EXPECT_EQ(referenciaPorDefecto(otra), 0u);
    EXPECT_EQ(etiquetaOtraEmpresa(e.doc, *e.a_), "Solo A (Talleres, 2024)");
    e.doc.cuestionarios[1]->fecha = 45731;  // 15 March 2025
    EXPECT_EQ(etiquetaOtraEmpresa(e.doc, *e.a_), "Solo A (Talleres, 2025)");
    for (auto& q : e.doc.cuestionarios) q->fecha = 0;
    EXPECT_EQ(etiquetaOtraEmpresa(e.doc, *e.a_), "Solo A (Talleres)");
}

TEST(Comparacion, ChartLinesPassThroughEachProfilesMeansAndTheLegendNamesThem) {
    Empresa e;
    TPerfil p;  // means 0, 4, 7, 10, 5, 2, 8
    p.nSujetos = 1;
    p.sumaPuntuaciones = {0, 4, 7, 10, 5, 2, 8};
    std::vector<TPerfilComparado> lista = e.lista();
    lista.push_back({"Medido", &p});
    const TComparacion c = compararPerfiles(lista, 0, 1);
    SuperficieGrabadora s(1000, 700);
    dibujarGraficoComparacion(c, s, {10, 20, 990, 690});
    prueba::dentro(s.llamadas, 10, 20, 990, 690, "chart");

    // The bands give X(0), X(4), X(7), X(10); the horizontal lines the strips.
    const V bandas = s.filtrar("rellenar");  // the bands first, then square markers
    ASSERT_GE(bandas.size(), 3u);
    const int x0 = prueba::numeros(bandas[0])[0], x4 = prueba::numeros(bandas[1])[0],
              x7 = prueba::numeros(bandas[2])[0], x10 = prueba::numeros(bandas[2])[2];
    std::vector<int> ys;
    for (const auto& l : s.filtrar("linea ")) {
        const auto v = prueba::numeros(l);
        if (v[1] == v[3] && v[0] == x0 && v[2] == x10) ys.push_back(v[1]);
    }
    ASSERT_EQ(ys.size(), 8u);
    V lineas;  // the profiles' lines; markers are polylines of 4 and 5 points
    for (const auto& l : s.filtrar("polilinea"))
        if (prueba::numeros(l).size() == 14) lineas.push_back(l);
    ASSERT_EQ(lineas.size(), 4u);  // none for C, which counts nobody
    std::set<std::string> plumas;
    for (const auto& l : lineas) plumas.insert(l.substr(l.rfind(' ')));
    EXPECT_EQ(plumas.size(), 4u);  // each profile its own colour
    const auto v = prueba::numeros(lineas[3]);
    ASSERT_EQ(v.size(), 14u);
    const std::array<int, 7> xs = {
        x0, x4, x7, x10, (x0 + x10) / 2, x0 + (x10 - x0) / 5, x0 + (x10 - x0) * 4 / 5};
    for (std::size_t f = 0; f < 7; ++f) {
        EXPECT_NEAR(v[2 * f], xs[f], 1) << f;
        EXPECT_EQ(v[2 * f + 1], (ys[f] + ys[f + 1]) / 2) << f;  // the middle of its strip
    }

    // The legend: every label with its subjects, below the scale.
    const auto escala = std::find_if(s.llamadas.begin(), s.llamadas.end(), [](const auto& l) {
        const auto t = prueba::leerTexto(l);
        return t && t->texto == "10" && t->puntos == 6;
    });
    ASSERT_NE(escala, s.llamadas.end());
    for (const char* texto : {"Solo A: 2 sujetos", "Toda: 3 sujetos", "A y B: 1 sujeto",
                              "C: Sin cuestionarios", "Medido: 1 sujeto"}) {
        const auto l = std::find_if(s.llamadas.begin(), s.llamadas.end(), [&](const auto& l) {
            const auto t = prueba::leerTexto(l);
            return t && t->texto == texto;
        });
        ASSERT_NE(l, s.llamadas.end()) << texto;
        EXPECT_GT(prueba::leerTexto(*l)->y, prueba::leerTexto(*escala)->y) << texto;
    }

    // Without colour the bands still part: their names above them, greys
    // far apart, band 1 plain, 2 hatched one way and 3 both ways.
    const int xs4[] = {x0, x4, x7, x10};
    for (int b = 0; b < 3; ++b) {
        const std::string nombre = "Nivel " + std::to_string(b + 1);
        const auto l = std::find_if(s.llamadas.begin(), s.llamadas.end(), [&](const auto& l) {
            const auto t = prueba::leerTexto(l);
            return t && t->texto == nombre && t->y < ys[0] && t->x > xs4[b] && t->x < xs4[b + 1];
        });
        EXPECT_NE(l, s.llamadas.end()) << nombre;
    }
    const auto gris = [](Color c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; };
    EXPECT_GT(gris(kColoresBanda[0]) - gris(kColoresBanda[1]), 40);
    EXPECT_GT(gris(kColoresBanda[1]) - gris(kColoresBanda[2]), 40);
    std::array<std::set<int>, 3> sentidos;  // per band, the slopes of its diagonals
    for (const auto& l : s.filtrar("linea ")) {
        const auto n = prueba::numeros(l);
        if (n[0] == n[2] || n[1] == n[3] || n[1] < ys[0] || n[1] > ys[7]) continue;
        const int medio = (n[0] + n[2]) / 2;
        for (std::size_t b = 0; b < 3; ++b)
            if (medio > xs4[b] && medio < xs4[b + 1] && std::abs(n[2] - n[0]) > ys[1] - ys[0])
                sentidos[b].insert((n[2] - n[0] > 0) == (n[3] - n[1] > 0) ? 1 : -1);
    }
    EXPECT_EQ(sentidos[0].size(), 0u);
    EXPECT_EQ(sentidos[1].size(), 1u);
    EXPECT_EQ(sentidos[2].size(), 2u);
}

TEST(Comparacion, TwelveProfilesEachTheirOwnColourAndMarker) {
    std::set<std::string> formas;
    std::set<std::string> colores;
    for (std::size_t i = 0; i < kSeriesDistintas; ++i) {
        SuperficieGrabadora s(100, 100);
        dibujarMarcador(s, i, 50, 50, 6);
        std::string forma;
        for (const auto& l : s.llamadas)
            forma += std::regex_replace(l, std::regex("#[0-9A-F]{6}(/[0-9]+)?"), "") + ";";
        formas.insert(forma);
        const Color c = colorSerie(i);
        colores.insert(std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b));
    }
    EXPECT_EQ(formas.size(), kSeriesDistintas);
    EXPECT_EQ(colores.size(), kSeriesDistintas);
    EXPECT_EQ(kSeriesDistintas, kMaxPerfilesComparados);
}

TEST(Comparacion, AProfileOfNobodyHasNoFiguresAndMostlyBlankFormsAreCounted) {
    Empresa e;
    const auto lista = e.lista();  // C counts nobody
    const auto despues = [](const V& l, const std::string& linea, std::size_t n) {
        const auto i = std::find(l.begin(), l.end(), linea);
        return i == l.end() ? V{} : V(i + 1, i + 1 + std::min<std::ptrdiff_t>(n, l.end() - i - 1));
    };
    const V l = TextoComparacion(compararPerfiles(lista, 1, 1), "Talleres");
    EXPECT_EQ(despues(l, "Perfil: C", 3), (V{"N\xBA Sujetos: 0", kSinCuestionarios}));
    // Q1 answers everything: A y B has no mostly blank form and no caution;
    // Solo A has Q2, 74 of its 150 answers blank.
    const V soloA = despues(l, "Perfil: Solo A", 12);
    ASSERT_EQ(soloA.size(), 12u);
    EXPECT_EQ(V(soloA.begin() + 9, soloA.end()),
              (V{"Sin respuesta:\t   49 %",
                 "Cuestionarios con m\xE1s de un tercio sin responder:\t1", kAvisoSinRespuesta}));
    const V ayb = despues(l, "Perfil: A y B", 12);
    ASSERT_EQ(ayb.size(), 12u);
    EXPECT_EQ(V(ayb.begin() + 10, ayb.end()),
              (V{"Cuestionarios con m\xE1s de un tercio sin responder:\t0", "Perfil: C"}));

    // C as the reference: no differences anywhere, and the text says why.
    const TComparacion c = compararPerfiles(lista, 3, 1);
    for (const auto& p : c.perfiles) EXPECT_FALSE(p.conDiferencias) << p.etiqueta;
    const V sinReferencia = TextoComparacion(c, "Talleres");
    EXPECT_EQ(sinReferencia[3], kReferenciaSinCuestionarios);
    for (const auto& linea : sinReferencia)
        EXPECT_LT(std::count(linea.begin(), linea.end(), '\t'), 5) << linea;

    // On paper: its row says so in place of the figures, and the cautions
    // stand under the rows they belong to.
    SuperficieGrabadora s(1000, 1400);
    TImpresora imp;
    DibujarComparacion(compararPerfiles(lista, 1, 1), "Talleres", s, ',', imp);
    std::size_t sinCuestionarios = 0, cautelas = 0, cifras = 0;
    for (const auto& llamada : s.llamadas)
        if (const auto t = prueba::leerTexto(llamada)) {
            sinCuestionarios += t->texto == kSinCuestionarios;
            cautelas += t->texto == kAvisoSinRespuesta;
            cifras += t->texto.find(" %") != std::string::npos;
        }
    EXPECT_EQ(sinCuestionarios, 1u);
    EXPECT_EQ(cautelas, 2u);            // Solo A and Toda
    EXPECT_EQ(cifras, 3u * 7 * 3 + 3);  // three profiles' band shares and "Sin respuesta"
}

// With a threshold of 3, Solo A (2) and A y B (1) are withheld: no figure of
// theirs anywhere, nor any difference against them.
TEST(Comparacion, ProfilesUnderTheThresholdShowNoFigure) {
    Empresa e;
    const auto lista = e.lista();
    const std::string retenido = "Resultados no mostrados: menos de 3 personas";
    const TComparacion c = compararPerfiles(lista, 1, 3);
    for (std::size_t i : {0u, 2u}) {
        const CifrasPerfil& p = c.perfiles[i];
        EXPECT_TRUE(p.retenido && !p.conDiferencias && !p.identificable) << p.etiqueta;
        for (std::size_t f = 0; f < kNumFactores; ++f)
            EXPECT_TRUE(p.medias[f] == 0 && p.bandas[f] == (std::array<double, 3>{})) << f;
    }
    EXPECT_FALSE(c.perfiles[1].retenido);
    const V l = TextoComparacion(c, "Talleres");
    const auto soloA = std::find(l.begin(), l.end(), "Perfil: Solo A");
    ASSERT_LT(soloA + 3, l.end());
    EXPECT_EQ(V(soloA + 1, soloA + 4), (V{"N\xBA Sujetos: 2", retenido, "Perfil: Toda"}));
    // A withheld reference: its means would show through the differences.
    const TComparacion referencia = compararPerfiles(lista, 0, 3);
    for (const auto& p : referencia.perfiles) EXPECT_FALSE(p.conDiferencias) << p.etiqueta;
    EXPECT_EQ(TextoComparacion(referencia, "Talleres")[3], kReferenciaRetenida);

    // On paper: one chart line (Toda's), the text in both rows, and only
    // Toda's band shares.
    SuperficieGrabadora s(1000, 1400);
    TImpresora imp;
    DibujarComparacion(c, "Talleres", s, ',', imp);
    std::size_t textos = 0, cifras = 0, lineas = 0;
    for (const auto& llamada : s.llamadas) {
        if (const auto t = prueba::leerTexto(llamada)) {
            textos += t->texto == retenido;
            cifras += t->texto.find(" %") != std::string::npos;
        }
        lineas += llamada.rfind("polilinea", 0) == 0 && prueba::numeros(llamada).size() == 14;
    }
    EXPECT_EQ(textos, 2u);
    EXPECT_EQ(cifras, 7u * 3 + 1);
    EXPECT_EQ(lineas, 1u);
}

TEST(Comparacion, PagesForEverySheetWithTheirFooterAndNothingOutside) {
    Empresa e;
    std::vector<TPerfilComparado> lista;
    for (int i = 0; i < 6; ++i)
        for (const auto& p : e.lista())
            lista.push_back(
                {p.etiqueta + " " + std::to_string(i) + std::string(i * 12, 'x'), p.perfil});
    const TComparacion c = compararPerfiles(lista, 1, 1);
    std::size_t avisos = 0;
    for (const auto& p : c.perfiles) avisos += p.identificable;
    for (const auto& [ancho, alto] : {std::pair{1000, 1400}, {1400, 1000}, {4724, 6780}}) {
        SuperficieGrabadora s(ancho, alto);
        TImpresora imp;
        DibujarComparacion(c, "Talleres", s, ',', imp);
        const std::string hoja = std::to_string(ancho) + "x" + std::to_string(alto);
        EXPECT_EQ(s.llamadas.front(), "documento \"Imp. Comparación\"") << hoja;
        prueba::dentro(s.llamadas, 0, 0, ancho, alto, hoja);
        const auto pags = prueba::paginas(s.llamadas);
        EXPECT_TRUE(alto > 2000 || pags.size() > 1) << hoja;
        std::size_t filas = 0, vistos = 0, acentos = 0;
        for (std::size_t n = 0; n < pags.size(); ++n) {
            const std::string pie =
                "Página " + std::to_string(n + 1) + " de " + std::to_string(pags.size());
            std::size_t pies = 0, cabeceras = 0;
            for (const auto& l : pags[n])
                if (const auto t = prueba::leerTexto(l)) {
                    pies += t->texto == pie;
                    cabeceras += t->texto == "Perfil" && t->estilo == "N";
                    filas += std::regex_match(t->texto, std::regex("[0-9]+ sujetos?"));
                    acentos += t->texto.find("AUTONOMÍA TEMPORAL") != std::string::npos;
                    vistos += t->estilo == "N" && t->texto.rfind("Atención: con tan", 0) == 0;
                }
            EXPECT_EQ(pies, 1u) << hoja << " page " << n + 1;
            // The table's heading row on every page the table reaches.
            EXPECT_EQ(cabeceras, n == 0 ? cabeceras : 1u) << hoja << " page " << n + 1;
        }
        EXPECT_EQ(filas, lista.size()) << hoja;
        EXPECT_EQ(acentos, 1u) << hoja;
        EXPECT_EQ(vistos, avisos) << hoja;  // each notice whole on one line here
    }
    // Too small a sheet: refused before anything is drawn.
    SuperficieGrabadora pequena(500, 700);
    TImpresora imp;
    EXPECT_THROW(DibujarComparacion(c, "Talleres", pequena, ',', imp), ErrorImpresion);
    EXPECT_TRUE(pequena.llamadas.empty());
}

}  // namespace
}  // namespace koral
