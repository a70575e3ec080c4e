// The assessment report's pages on the recording surface (8 wide per
// character at 8 points, one more in bold, twice the size high), for
// portrait and landscape sheets, with and without the distribution and the
// annex of questionnaires.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "method/Perfil.h"
#include "method/Textos.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"
#include "reports/Comparacion.h"
#include "reports/ComprobarPaginas.h"
#include "reports/Evaluacion.h"

namespace koral {
namespace {

using prueba::SuperficieGrabadora;
using V = std::vector<std::string>;

// 40 questionnaires, the odd ones in Producción and the even ones in
// Oficinas (every fifth in both), the first two in Calidad, none in Vacío;
// C1000, C1001 and C1004 left blank, the others answering every item.
struct Empresa {
    Empresa() {
        doc.nombre = "Talleres del Norte";
        TGrupo* a = doc.agregarGrupo("Producción"_cp);
        TGrupo* b = doc.agregarGrupo("Oficinas");
        TGrupo* c = doc.agregarGrupo("Calidad");
        TGrupo* d = doc.agregarGrupo("Vacío"_cp);
        for (int i = 0; i < 40; ++i) {
            TCuestionario* q = doc.agregarCuestionario("C" + std::to_string(1000 + i));
            for (int f = 0; f < kNumFactores; ++f) q->puntuaciones[f] = (i * 7 + f * 3) % 11;
            if (i > 1 && i != 4) {
                q->respuestas.fill('1');
                q->sinRespuesta = 0;
            }
            enlazar(*q, i % 2 ? *a : *b);
            if (i % 5 == 0) enlazar(*q, *(i % 2 ? b : a));
            if (i < 2) enlazar(*q, *c);
        }
        auto perfil = [&](const std::string& nombre, std::vector<TGrupo*> grupos) {
            TPerfil* p = doc.agregarPerfil(nombre);
            p->grupos = std::move(grupos);
            p->descripcion = "Primera línea.\r\nSegunda línea de la descripción."_cp;
            return p;
        };
        toda = perfil("Toda la plantilla", {});
        perfil("Producción y oficinas"_cp, {a, b});
        pocos = perfil("Calidad", {c});
        perfil("Nadie", {d});
        perfil(std::string(49, 'N'), {a});
        PrepararEvaluacion(doc);
    }
    TKoral doc;
    TPerfil *toda, *pocos;
};

struct Paginas : ::testing::Test {
    void SetUp() override { fijarFechaHoy(45444); }  // 1 June 2024
    void TearDown() override { fijarFechaHoy(std::nullopt); }
    // Pages with the data and options of the fixture.
    void dibujar(SuperficieGrabadora& s) {
        TImpresora imp;
        DibujarEvaluacion(e.doc, datos, opciones, s, ',', imp);
    }
    Empresa e;
    TDatosEvaluacion datos;
    OpcionesEvaluacion opciones;
};

bool esTitulo(const prueba::TextoGrabado& t) {
    return t.estilo == "N" && t.puntos >= 10;
}

// Footer on every page with the right M; no heading as the lowest text of a
// page; everything on the page; each entry of the table of contents (page
// 2) with the page its heading is drawn on.
void comprobar(const SuperficieGrabadora& s, int ancho, int alto, const std::string& caso) {
    prueba::dentro(s.llamadas, 0, 0, ancho, alto, caso);
    const auto paginas = prueba::paginas(s.llamadas);
    ASSERT_GT(paginas.size(), 2u) << caso;
    std::vector<prueba::TextoGrabado> indice;
    for (const auto& l : paginas[1])
        if (const auto t = prueba::leerTexto(l)) indice.push_back(*t);
    std::size_t entradas = 0;
    for (const auto& entrada : indice) {
        if (entrada.estilo != "" || prueba::sonDigitos(entrada.texto) ||
            !(std::isdigit(static_cast<unsigned char>(entrada.texto[0])) ||
              entrada.texto.rfind("Perfil: ", 0) == 0 || entrada.texto.rfind("Anexo", 0) == 0))
            continue;
        const auto numero = std::find_if(indice.begin(), indice.end(), [&](const auto& t) {
            return t.y == entrada.y && t.x > entrada.x && prueba::sonDigitos(t.texto);
        });
        ASSERT_NE(numero, indice.end()) << caso << ": " << entrada.texto;
        std::size_t dibujada = 0;
        for (std::size_t n = 2; n < paginas.size() && !dibujada; ++n)
            for (const auto& l : paginas[n])
                if (const auto t = prueba::leerTexto(l);
                    t && t->texto == entrada.texto && t->estilo == "N" && t->puntos == 14)
                    dibujada = n + 1;
        EXPECT_EQ(std::to_string(dibujada), numero->texto) << caso << ": " << entrada.texto;
        ++entradas;
    }
    EXPECT_EQ(entradas, 8u + 5u) << caso;  // the sections and the five profiles
    for (std::size_t n = 0; n < paginas.size(); ++n) {
        const std::string pie =
            "Página " + std::to_string(n + 1) + " de " + std::to_string(paginas.size());
        std::optional<prueba::TextoGrabado> piePagina, empresa, ultimo;
        for (const auto& l : paginas[n]) {
            const auto t = prueba::leerTexto(l);
            if (!t) continue;
            if (t->texto == pie)
                piePagina = t;
            else if (t->texto == "Talleres del Norte" && t->puntos == 8 &&
                     (!empresa || t->y > empresa->y))
                empresa = t;
            else if (!ultimo || t->y > ultimo->y)
                ultimo = t;
        }
        const std::string donde = caso + ", page " + std::to_string(n + 1);
        ASSERT_TRUE(piePagina && empresa) << donde;
        EXPECT_EQ(piePagina->y, empresa->y) << donde;
        ASSERT_TRUE(ultimo) << donde;
        EXPECT_LT(ultimo->y, piePagina->y) << donde;
        EXPECT_FALSE(esTitulo(*ultimo)) << donde << ": " << ultimo->texto;
    }
}

std::size_t veces(const SuperficieGrabadora& s, const std::string& texto) {
    return static_cast<std::size_t>(
        std::count_if(s.llamadas.begin(), s.llamadas.end(), [&](const std::string& l) {
            return prueba::leerTexto(l).value_or(prueba::TextoGrabado{}).texto == texto;
        }));
}

TEST_F(Paginas, EverySheetHasItsFootersItsContentsAndNoHeadingAloneAtTheFootOfAPage) {
    opciones.minimo = 1;
    for (const auto& [ancho, alto] : {std::pair{1000, 1400}, {1400, 1000}})
        for (bool distribucion : {false, true}) {
            opciones.distribucion = opciones.anexo = distribucion;
            SuperficieGrabadora s(ancho, alto);
            dibujar(s);
            const std::string caso = std::to_string(ancho) + "x" + std::to_string(alto) +
                                     (distribucion ? " with the distribution and annex" : "");
            EXPECT_EQ(s.llamadas.front(), "documento \"Imp. Evaluación\"") << caso;
            comprobar(s, ancho, alto, caso);
            // Each in the contents and as its section's heading.
            for (const auto& p : e.doc.perfiles)
                EXPECT_EQ(veces(s, cp1252AUtf8("Perfil: " + p->nombre)), 2u) << caso;
            // None for the profile of nobody.
            EXPECT_EQ(veces(s, "Distribución de las respuestas"), distribucion ? 4u : 0u) << caso;
        }
    opciones = {};
    // Headings meet the foot of the page at every height the descriptions
    // push them to.
    for (int lineas = 0; lineas < 40; ++lineas) {
        e.toda->descripcion = "x";
        for (int i = 0; i < lineas; ++i) e.toda->descripcion += "\r\nx";
        SuperficieGrabadora s(1000, 1400);
        dibujar(s);
        comprobar(s, 1000, 1400, std::to_string(lineas) + " lines");
    }
    // A section that runs on names its profile.
    e.toda->descripcion = "x";
    SuperficieGrabadora s(1000, 1400);
    dibujar(s);
    e.toda->descripcion += std::string(20000, 'x');
    SuperficieGrabadora larga(1000, 1400);
    dibujar(larga);
    EXPECT_GT(veces(larga, "Toda la plantilla (continuación)"),
              veces(s, "Toda la plantilla (continuación)"));
}

// The text drawn right after the first `titulo`, after page `desde`.
std::string despues(const SuperficieGrabadora& s, const std::string& titulo) {
    bool visto = false;
    for (const auto& l : s.llamadas)
        if (const auto t = prueba::leerTexto(l)) {
            if (visto) return t->texto + (t->estilo == "C" ? " (C)" : "");
            visto = t->texto == titulo && t->estilo == "N" && t->puntos >= 10;
        }
    return {};
}

TEST_F(Paginas, CoverSectionsAndAnnexSayWhatTheCompanyAndTheAssessmentHold) {
    // Nothing written by the assessor: each such part says so.
    {
        SuperficieGrabadora s(1000, 1400);
        dibujar(s);
        for (const char* t :
             {"2. Objeto y alcance", "Discusión", "Conclusiones",
              "Participación de los representantes de los trabajadores", "6. Plan de medidas"})
            EXPECT_EQ(despues(s, t), "Sin completar. (C)") << t;
        // By default the annex has no questionnaires: they tell who is where.
        EXPECT_EQ(veces(s, "Oficinas, Producción, Calidad"), 0u);
        EXPECT_EQ(veces(s, "Cuestionario"), 0u);
    }
    opciones.minimo = 1;
    opciones.anexo = true;
    datos.evaluador = "Ana Gil";
    datos.titulacion = "Psicóloga"_cp;
    datos.trabajadores = 80;
    datos.plantilla = {{"Producción"_cp, 30}};
    datos.resultados = {{"Toda la plantilla", "Discusión escrita."_cp, ""}};
    TMedida m;
    m.medida = "Revisar los turnos.";
    datos.medidas = {m};
    SuperficieGrabadora s(1000, 1400);
    dibujar(s);
    for (const char* t : {"Fecha del informe: 01/06/2024", "40 cuestionarios", "4 grupos",
                          "5 perfiles", "Población: 2 cuestionarios", "Población: 0 cuestionarios",
                          "Evaluación: Ana Gil, Psicóloga", "1. Revisar los turnos."})
        EXPECT_EQ(veces(s, t), 1u) << t;
    EXPECT_EQ(despues(s, "Discusión"), "Discusión escrita.");
    // Participation: 40 of 80 in the company and in the profile of all,
    // 24 of 30 in Producción and its profile.
    EXPECT_EQ(veces(s, "50,0 %"), 2u);
    EXPECT_EQ(veces(s, "80,0 %"), 2u);
    // The notice for the profile of two, in its section and under the summary.
    EXPECT_EQ(veces(s, cp1252AUtf8(kAvisoAnonimato)), 1u);
    EXPECT_EQ(veces(s, "* " + cp1252AUtf8(kAvisoAnonimato)), 1u);
    // Nadie: no figures in the summary nor in its section, and no line
    // drawn; the chart's profile lines are polylines of seven points.
    EXPECT_EQ(veces(s, kSinCuestionarios), 2u);
    EXPECT_EQ(std::count_if(s.llamadas.begin(), s.llamadas.end(),
                            [](const std::string& l) {
                                return l.rfind("polilinea", 0) == 0 &&
                                       prueba::numeros(l).size() == 14;
                            }),
              4);
    // Mostly blank forms counted in each section: 3 of the whole company,
    // 1 of 8, 2 of 2 and 2 of 24; the caution where 10 % or more of the
    // answers are blank.
    for (const auto& [n, v] : {std::pair{3, 1u}, {1, 1u}, {2, 2u}})
        EXPECT_EQ(
            veces(s, "Cuestionarios con más de un tercio sin responder: " + std::to_string(n)), v)
            << n;
    EXPECT_EQ(veces(s, kAvisoSinRespuesta), 2u);
    // The additions' own words: accents, and a formal third band.
    EXPECT_EQ(veces(s, "AT  AUTONOMÍA TEMPORAL (preguntas 12 a 15)"), 1u);
    EXPECT_EQ(veces(s, "AUTONOMÍA TEMPORAL"), 8u);  // each table of means and of bars
    EXPECT_EQ(veces(s,
                    "Nivel 3 (rojo, cuadriculado): 7 o más. Situación desfavorable: "
                    "requiere intervención."),
              1u);
    const V textos = s.filtrar("texto ");
    const auto hay = [&](const std::string& parte) {
        return std::any_of(textos.begin(), textos.end(), [&](const std::string& l) {
            return l.find(parte) != std::string::npos;
        });
    };
    EXPECT_TRUE(hay("Grupos: ninguno. El perfil cuenta toda la empresa"));
    EXPECT_TRUE(hay("Grupos: Producción, Oficinas. El perfil cuenta los cuestionarios que"));
    // The annex: each questionnaire with its groups, in the order it joined them.
    EXPECT_EQ(veces(s, "Oficinas, Producción, Calidad"), 1u);  // C1000
    EXPECT_EQ(veces(s, "Producción, Calidad"), 1u);            // C1001

    SuperficieGrabadora pequena(500, 700);
    EXPECT_THROW(dibujar(pequena), ErrorImpresion);
    EXPECT_TRUE(pequena.llamadas.empty());
}

// Calidad's two people under the threshold: not one of their figures, on
// any page, and the report says how many profiles it withheld.
TEST_F(Paginas, AProfileUnderTheThresholdShowsNoFigure) {
    opciones.distribucion = true;
    SuperficieGrabadora s(1000, 1400);
    dibujar(s);
    const std::string retenido = "Resultados no mostrados: menos de 5 personas";
    EXPECT_EQ(veces(s, retenido), 2u);  // in the summary and in its section
    EXPECT_EQ(veces(s, cp1252AUtf8(kAvisoAnonimato)), 0u);
    const auto polilineas = std::count_if(s.llamadas.begin(), s.llamadas.end(), [](const auto& l) {
        return l.rfind("polilinea", 0) == 0 && prueba::numeros(l).size() == 14;
    });
    EXPECT_EQ(polilineas, 3);  // no chart line for it nor for the profile of nobody
    EXPECT_EQ(veces(s, "AUTONOMÍA TEMPORAL"), 6u);
    EXPECT_EQ(veces(s, "Distribución de las respuestas"), 3u);
    // Its summary row: the name, the count and the text, nothing more.
    const auto paginas = prueba::paginas(s.llamadas);
    const auto resumen = std::find_if(paginas.begin(), paginas.end(), [](const V& p) {
        return std::any_of(p.begin(), p.end(), [](const std::string& l) {
            return prueba::leerTexto(l).value_or(prueba::TextoGrabado{}).texto ==
                   "Resumen de los perfiles";
        });
    });
    ASSERT_NE(resumen, paginas.end());
    std::vector<prueba::TextoGrabado> textos;
    for (const auto& l : *resumen)
        if (const auto t = prueba::leerTexto(l)) textos.push_back(*t);
    const auto fila = std::find_if(textos.begin(), textos.end(),
                                   [](const auto& t) { return t.texto == "Calidad"; });
    ASSERT_NE(fila, textos.end());
    V enFila;
    for (const auto& t : textos)
        if (t.y == fila->y && t.x > fila->x) enFila.push_back(t.texto);
    EXPECT_EQ(enFila, (V{"2", retenido}));
    // Its section, from its heading to the next profile's: no number with
    // decimals, no share, no band drawn.
    bool dentro = false;
    for (const auto& l : s.llamadas) {
        const auto t = prueba::leerTexto(l);
        if (t && t->puntos == 14 && t->texto.rfind("Perfil: ", 0) == 0)
            dentro = t->texto == "Perfil: Calidad";
        if (!dentro) continue;
        EXPECT_EQ(l.rfind("rellenar", 0), std::string::npos) << l;
        if (t) {
            EXPECT_FALSE(std::regex_search(t->texto, std::regex("[0-9][.,][0-9]|%"))) << l;
        }
    }
    std::string todo;
    for (const auto& l : s.llamadas)
        if (const auto t = prueba::leerTexto(l)) todo += t->texto + " ";
    EXPECT_NE(todo.find("En esta evaluación, 1 perfil no muestra resultados"), std::string::npos);
}

TEST_F(Paginas, TextFormHoldsThePagesFigures) {
    // Withheld: the text in place of the figures, and no questionnaire.
    const V retenido = TextoEvaluacion(e.doc, datos, opciones);
    const auto calidad = std::find(retenido.begin(), retenido.end(), "Perfil: Calidad");
    ASSERT_NE(calidad, retenido.end());
    EXPECT_EQ(
        V(calidad + 2, calidad + 5),
        (V{"N\xBA Sujetos: 2", "Resultados no mostrados: menos de 5 personas", "Discusi\xF3n:"}));
    EXPECT_TRUE(std::find(retenido.begin(), retenido.end(), "Perfiles no mostrados: 1") !=
                retenido.end());
    EXPECT_EQ(retenido.back(), "Grupo:\tVac\xEDo\t0");

    opciones = {true, true, 1};
    datos.trabajadores = 80;
    const V l = TextoEvaluacion(e.doc, datos, opciones);
    EXPECT_TRUE(std::find(l.begin(), l.end(),
                          "Participaci\xF3n:\tTalleres del Norte\t40\t80\t50.0 %") != l.end());
    ASSERT_GT(l.size(), 10u);
    EXPECT_EQ(V(l.begin(), l.begin() + 6),
              (V{"Informe de evaluaci\xF3n", "Empresa: Talleres del Norte", "Fecha: 01/06/2024",
                 "N\xBA Cuestionarios: 40", "N\xBA Grupos: 4", "N\xBA Perfiles: 5"}));
    const auto perfil = std::find(l.begin(), l.end(), "Perfil: Calidad");
    ASSERT_NE(perfil, l.end());
    EXPECT_EQ(*(perfil + 1), "Grupos:\tCalidad");
    EXPECT_EQ(*(perfil + 2), "N\xBA Sujetos: 2");
    EXPECT_EQ(*(perfil + 3), kAvisoAnonimato);
    // C1000 scores 0 3 6 9 1 4 7, C1001 7 10 2 5 8 0 3; nothing answered.
    EXPECT_EQ(V(perfil + 4, perfil + 14),
              (V{"CM\t 3.50\t50.00 %\t 0.00 %\t50.00 %", "AT\t 6.50\t50.00 %\t 0.00 %\t50.00 %",
                 "CT\t 4.00\t50.00 %\t50.00 %\t 0.00 %", "SP\t 7.00\t 0.00 %\t50.00 %\t50.00 %",
                 "DR\t 4.50\t50.00 %\t 0.00 %\t50.00 %", "IT\t 2.00\t50.00 %\t50.00 %\t 0.00 %",
                 "RP\t 5.00\t50.00 %\t 0.00 %\t50.00 %", "Sin respuesta:\t  100 %",
                 "Cuestionarios con m\xE1s de un tercio sin responder:\t2", kAvisoSinRespuesta}));
    // The assessor's texts, each profile's 439 distribution lines, then the annex.
    EXPECT_EQ(V(perfil + 14, perfil + 18),
              (V{"Discusi\xF3n:", "Sin completar.", "Conclusiones:", "Sin completar."}));
    EXPECT_EQ(*(perfil + 18), lineasCatalogo()[0]);
    EXPECT_EQ(*(perfil + 18 + 438), "  100.00%   sin respuesta");
    // The profile of nobody: no figures, no distribution.
    const auto nadie = std::find(l.begin(), l.end(), "Perfil: Nadie");
    ASSERT_NE(nadie, l.end());
    EXPECT_EQ(V(nadie + 2, nadie + 5), (V{"N\xBA Sujetos: 0", kSinCuestionarios, "Discusi\xF3n:"}));
    EXPECT_EQ(*(nadie + 8), "Perfil: " + std::string(49, 'N'));
    EXPECT_EQ(
        std::count_if(l.begin(), l.end(),
                      [](const std::string& x) { return x.rfind("Cuestionario:\t", 0) == 0; }),
        40);
    EXPECT_EQ(l.back(), "Cuestionario:\tC1039\tProducci\xF3n");
}

}  // namespace
}  // namespace koral
