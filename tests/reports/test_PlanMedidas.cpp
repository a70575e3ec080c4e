// The action plan's pages on the recording surface (8 wide per character at
// 8 points, one more in bold, twice the size high).
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Fecha.h"
#include "platform/Texto.h"
#include "reports/ComprobarPaginas.h"
#include "reports/PlanMedidas.h"

namespace koral {
namespace {

using prueba::SuperficieGrabadora;
using prueba::TextoGrabado;
using V = std::vector<std::string>;

TMedida medida(const std::string& texto, Prioridad prioridad, double fin) {
    TMedida m;
    m.medida = texto;
    m.prioridad = prioridad;
    m.fin = fin;
    return m;
}

struct Plan : ::testing::Test {
    Plan() { doc.nombre = "Talleres del Norte"; }
    void SetUp() override { fijarFechaHoy(45444); }  // 1 June 2024
    void TearDown() override { fijarFechaHoy(std::nullopt); }

    // Draws the plan on a 1000 x 1400 sheet; checks that nothing is outside
    // it and that every page has its footer and the table's headings.
    std::vector<std::vector<TextoGrabado>> dibujar(const std::string& caso) {
        SuperficieGrabadora s(1000, 1400);
        TImpresora imp;
        DibujarMedidas(doc, datos, s, ',', imp);
        EXPECT_EQ(s.llamadas.front(), "documento \"Imp. Plan de medidas\"") << caso;
        prueba::dentro(s.llamadas, 0, 0, 1000, 1400, caso);
        std::vector<std::vector<TextoGrabado>> paginas;
        for (const auto& p : prueba::paginas(s.llamadas)) {
            paginas.emplace_back();
            for (const auto& l : p)
                if (auto t = prueba::leerTexto(l)) paginas.back().push_back(*t);
        }
        for (std::size_t n = 0; n < paginas.size(); ++n) {
            const std::string donde = caso + ", page " + std::to_string(n + 1);
            const auto& p = paginas[n];
            const auto hay = [&](const std::string& texto, const std::string& estilo) {
                return std::find_if(p.begin(), p.end(), [&](const TextoGrabado& t) {
                    return t.texto == texto && t.estilo == estilo;
                });
            };
            const auto pie = hay(
                "Página " + std::to_string(n + 1) + " de " + std::to_string(paginas.size()), "");
            const auto empresa = hay("Talleres del Norte", "");
            EXPECT_TRUE(pie != p.end() && empresa != p.end() && pie->y == empresa->y) << donde;
            // The table's headings on each page it runs over.
            if (!datos.medidas.empty() && n + 1 < paginas.size()) {
                EXPECT_NE(hay("Seguimiento", "N"), p.end()) << donde;
            }
        }
        return paginas;
    }

    TKoral doc;
    TDatosEvaluacion datos;
};

TEST_F(Plan, RowsInThePlansOrderWrapInTheirCellsAndMoveWholeToTheNextPage) {
    std::string larga;
    for (int i = 0; i < 700; ++i) larga += "larga ";
    datos.medidas = {medida("M4", Prioridad::Baja, 100), medida("M3", Prioridad::Media, 0),
                     medida("M2", Prioridad::Media, 200), medida(larga, Prioridad::Alta, 400),
                     medida("M1", Prioridad::Alta, 300)};
    // A word too long for any cell breaks alone.
    datos.medidas[0].perfiles = {"Administración"_cp};
    datos.medidas[0].seguimiento = std::string(300, 'x');
    const auto paginas = dibujar("long measure");
    ASSERT_GE(paginas.size(), 3u);  // the long measure runs over pages
    V orden;
    int xMedida = 0, xFactores = 0;
    std::string reunida;
    for (const auto& p : paginas)
        for (const auto& t : p) {
            if (t.texto.size() == 2 && t.texto[0] == 'M') orden.push_back(t.texto);
            if (t.texto.rfind("larga", 0) == 0) {
                if (reunida.empty()) orden.push_back("larga");
                reunida += t.texto + " ";
                // Inside the measure's cell: at its left, short of the next.
                EXPECT_EQ(t.x, xMedida);
                EXPECT_LT(t.x + 8 * static_cast<int>(t.texto.size()), xFactores) << t.texto;
            }
            if (t.texto == "Medida" && t.estilo == "N") xMedida = t.x;
            if (t.texto == "Factores" && t.estilo == "N") xFactores = t.x;
        }
    EXPECT_EQ(orden, (V{"M1", "larga", "M2", "M3", "M4"}));
    EXPECT_EQ(std::count_if(paginas.back().begin(), paginas.back().end(),
                            [](const TextoGrabado& t) { return t.texto == "Administración"; }),
              1);
    EXPECT_EQ(reunida, larga);

    // A row of 20 lines is never split, wherever the rows before it leave it.
    std::string veinte = "fila";
    for (int i = 1; i < 20; ++i) veinte += "\r\nfila";
    for (int antes = 0; antes < 60; antes += 3) {
        datos.medidas.assign(static_cast<std::size_t>(antes), medida("corta", Prioridad::Alta, 0));
        datos.medidas.push_back(medida(veinte, Prioridad::Baja, 0));
        const auto p = dibujar(std::to_string(antes) + " rows before");
        const auto filas = [](const std::vector<TextoGrabado>& pagina) {
            return std::count_if(pagina.begin(), pagina.end(),
                                 [](const TextoGrabado& t) { return t.texto == "fila"; });
        };
        EXPECT_EQ(std::count_if(p.begin(), p.end(), [&](const auto& x) { return filas(x) > 0; }), 1)
            << antes;
    }
}

TEST_F(Plan, EmptyPlanSmallPageAndTextForm) {
    datos.proximaEvaluacion = fechaDeCivil(2026, 6, 1);
    auto p = dibujar("empty");
    ASSERT_EQ(p.size(), 1u);
    V textos;
    for (const auto& t : p[0]) textos.push_back(t.texto);
    EXPECT_EQ(V(textos.begin(), textos.begin() + 6),
              (V{"Talleres del Norte", "Página 1 de 1", "Plan de medidas", "Talleres del Norte",
                 "Fecha: 01/06/2024", "El plan no tiene medidas."}));
    EXPECT_EQ(textos.back(), "Próxima evaluación: 01/06/2026");

    TMedida m = medida("Rotación \"A\"; turnos"_cp, Prioridad::Media, fechaDeCivil(2024, 9, 30));
    m.factores = {2, 9, 7};  // 9: a hand-edited file
    m.perfiles = {"Noche", "Producción"_cp};
    m.estado = EstadoMedida::Hecha;
    m.hecha = fechaDeCivil(2024, 9, 2);
    datos.medidas = {m};
    datos.proximaEvaluacion = 0;
    EXPECT_EQ(TextoMedidas(doc, datos),
              (V{"Plan de medidas", "Empresa: Talleres del Norte", "Fecha: 01/06/2024",
                 "Medida:\tRotaci\xF3n \"A\"; turnos", "Prioridad:\tMedia", "Factores:\tAT\tRP",
                 "Perfiles:\tNoche\tProducci\xF3n", "Responsable:\t", "Recursos:\t", "Inicio:\t",
                 "Fin:\t30/09/2024", "Estado:\tHecha\t02/09/2024", "Seguimiento:\t",
                 "Pr\xF3xima evaluaci\xF3n: sin fijar"}));
    p = dibujar("done");
    textos.clear();
    for (const auto& t : p[0]) textos.push_back(t.texto);
    for (const char* t : {"AT, RP", "Hecha", "02/09/2024", "Producción",
                          "Factores: AT AUTONOMÍA TEMPORAL; RP RELACIONES PERSONALES."})
        EXPECT_EQ(std::count(textos.begin(), textos.end(), t), 1) << t;

    // The footer fits a 700-unit sheet, the table does not.
    SuperficieGrabadora estrecha(700, 1400);
    TImpresora imp;
    EXPECT_THROW(DibujarMedidas(doc, datos, estrecha, ',', imp), ErrorImpresion);
    EXPECT_TRUE(estrecha.llamadas.empty());
}

}  // namespace
}  // namespace koral
