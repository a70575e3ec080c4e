// The three layout engines on the recording surface. Its metrics: a
// character is 8 wide (9 in bold), a text 16 high, so altoLinea is 20,
// sangria ("WWW") 24, the bold "WW" 18 and the bold "WWWW" 36.
#include <gtest/gtest.h>

#include <stdexcept>

#include "reports/Escritores.h"
#include "reports/Impresion.h"
#include "support/SuperficieGrabadora.h"

namespace koral {
namespace {

using prueba::SuperficieGrabadora;
using V = std::vector<std::string>;

std::string t(int x, int y, const std::string& texto, const char* estilo = "") {
    return "texto " + std::to_string(x) + "," + std::to_string(y) + " \"" + texto + "\" 8" +
           estilo + " #000000";
}

// ---- Listing printer ----

TEST(Listado, LineTopsRunFrom100ToTheLimitInclusiveOnEveryPage) {
    SuperficieGrabadora s(400, 200);  // limit 180: tops 100, 120, 140, 160, 180
    TImpresora imp;
    imp.EmpezarListado(s);
    EXPECT_EQ(imp.altoLinea, 20);
    EXPECT_EQ(imp.limiteListado, 180);
    for (int i = 0; i < 11; ++i) imp.ImprimirLinea("L" + std::to_string(i), 1);
    imp.TerminarListado();
    EXPECT_EQ(s.llamadas, (V{"documento \"\"", t(0, 100, "L0"), t(0, 120, "L1"), t(0, 140, "L2"),
                             t(0, 160, "L3"), t(0, 180, "L4"), "pagina", t(0, 100, "L5"),
                             t(0, 120, "L6"), t(0, 140, "L7"), t(0, 160, "L8"), t(0, 180, "L9"),
                             "pagina", t(0, 100, "L10"), "fin"}));
}

TEST(Listado, IndentIsUnitTimesLevelTruncatedAndTheStateOutlivesTheJob) {
    SuperficieGrabadora s(400, 1000);
    TImpresora imp;
    imp.unidadSangria = 3;
    imp.tituloTrabajo = "Imp. Archivo";
    imp.EmpezarListado(s);
    imp.ImprimirLinea("a", 1);
    imp.ImprimirLinea("b", 1.5);
    EXPECT_EQ(imp.xListado, 4);
    imp.ImprimirLinea("c", 2);
    imp.TerminarListado();
    EXPECT_EQ(s.llamadas, (V{"documento \"Imp. Archivo\"", t(3, 100, "a"), t(4, 120, "b"),
                             t(6, 140, "c"), "fin"}));
    // A second job starts again at the top, keeps the unit and the title.
    s.llamadas.clear();
    imp.EmpezarListado(s);
    imp.ImprimirLinea("d", 1);
    imp.TerminarListado();
    EXPECT_EQ(s.llamadas, (V{"documento \"Imp. Archivo\"", t(3, 100, "d"), "fin"}));
    EXPECT_THROW(imp.ImprimirLinea("sin documento", 1), std::logic_error);
}

TEST(Listado, APageTooShortForOneLineIsRefusedBeforeAnythingIsDrawn) {
    SuperficieGrabadora pequena(400, 119);
    TImpresora imp;
    EXPECT_THROW(imp.EmpezarListado(pequena), ErrorImpresion);
    EXPECT_TRUE(pequena.llamadas.empty());
    SuperficieGrabadora justa(400, 120);  // one line per page, at 100
    imp.EmpezarListado(justa);
    imp.ImprimirLinea("a", 1);
    imp.ImprimirLinea("b", 1);
    EXPECT_EQ(justa.filtrar("texto"), (V{t(0, 100, "a"), t(0, 100, "b")}));
}

// ---- Two-column flowing writer ----

// A questionnaire-variant writer on a 440-wide page: column 1 from 30 to 190
// (20 characters), column 2 from 250 to 410; bottom limit PH - 80. The page
// header stands for a report's: it records itself and ends at y = 60.
struct Columnas : ::testing::Test {
    void preparar(int ancho, int alto, TEscritorColumnas::Variante v, int origen) {
        s = std::make_unique<SuperficieGrabadora>(ancho, alto);
        e = std::make_unique<TEscritorColumnas>(*s, v);
        e->CabeceraPagina = [this] {
            s->llamadas.push_back("cabecera");
            EstiloNormal(*s);
            e->yTexto = 60;
        };
        e->EmpezarColumnas(origen);
        s->llamadas.clear();
    }
    std::unique_ptr<SuperficieGrabadora> s;
    std::unique_ptr<TEscritorColumnas> e;
};

TEST_F(Columnas, LayoutValuesOfTheTwoVariants) {
    preparar(440, 600, TEscritorColumnas::Variante::Cuestionario, 100);
    EXPECT_EQ(e->altoLinea, 20);
    EXPECT_EQ(e->sangria, 24);
    EXPECT_EQ(e->marco.x1, 10);
    EXPECT_EQ(e->marco.y1, 40);
    EXPECT_EQ(e->marco.x2, 420);
    EXPECT_EQ(e->marco.y2, 560);
    EXPECT_EQ(e->columnas[0].derecha, 190);
    EXPECT_EQ(e->columnas[1].izquierda, 250);
    EXPECT_EQ(e->columnas[1].derecha, 410);
    EXPECT_EQ(e->columnas[1].limite, 520);
    preparar(440, 600, TEscritorColumnas::Variante::Perfil, 100);
    EXPECT_EQ(e->columnas[0].derecha, 200);
    EXPECT_EQ(e->columnas[1].izquierda, 240);
    EXPECT_EQ(e->columnas[1].derecha, 400);
    EXPECT_EQ(e->columnas[0].limite, 510);
}

TEST_F(Columnas, ColumnsStartWithTheVariantsRuleAndTheDivider) {
    SuperficieGrabadora q(440, 600);
    TEscritorColumnas c(q, TEscritorColumnas::Variante::Cuestionario);
    c.EmpezarColumnas(100);
    EXPECT_EQ(q.llamadas, (V{"linea 10,100 420,100 #000000/1", "linea 220,100 220,560 #000000/1"}));
    EXPECT_EQ(c.xTexto, 30);
    EXPECT_EQ(c.yTexto, 140);
    SuperficieGrabadora p(440, 600);
    TEscritorColumnas d(p, TEscritorColumnas::Variante::Perfil);
    d.EmpezarColumnas(100);
    EXPECT_EQ(p.llamadas, (V{"linea 220,100 220,560 #000000/1"}));
}

TEST_F(Columnas, AWordEndingExactlyOnTheEdgeStaysOnlyAGreaterOneWraps) {
    preparar(440, 600, TEscritorColumnas::Variante::Cuestionario, 100);
    e->EscribirTexto("aaaaaaaaa   bbbbbbbbb c");  // 30 + 80 + 80 = 190, the edge
    EXPECT_EQ(s->llamadas,
              (V{t(30, 140, "aaaaaaaaa "), t(110, 140, "bbbbbbbbb "), t(30, 160, "c ")}));
    EXPECT_EQ(e->yTexto, 180);
    EXPECT_EQ(e->xTexto, 30);
}

TEST_F(Columnas, AWordWiderThanTheColumnMovesOnceAndRunsPastTheEdge) {
    preparar(440, 600, TEscritorColumnas::Variante::Cuestionario, 100);
    e->EscribirTexto("a " + std::string(30, 'x') + " b");
    EXPECT_EQ(s->llamadas,
              (V{t(30, 140, "a "), t(30, 160, std::string(30, 'x') + " "), t(30, 180, "b ")}));
    // At the very start of a line the wide word still moves down one line, once.
    s->llamadas.clear();
    e->EscribirTexto(std::string(30, 'y'));
    EXPECT_EQ(s->llamadas, (V{t(30, 220, std::string(30, 'y') + " ")}));
}

TEST_F(Columnas, TheColumnChangesOnlyWhenTheLimitIsExceeded) {
    // Limit 220: lines at 140, 160, 180, 200 and 220 (equal) stay in column 1.
    preparar(440, 300, TEscritorColumnas::Variante::Cuestionario, 100);
    for (int i = 1; i <= 6; ++i) e->EscribirTexto("l" + std::to_string(i));
    EXPECT_EQ(s->llamadas, (V{t(30, 140, "l1 "), t(30, 160, "l2 "), t(30, 180, "l3 "),
                              t(30, 200, "l4 "), t(30, 220, "l5 "), t(250, 140, "l6 ")}));
    EXPECT_EQ(e->columnaActual, 2);
}

TEST_F(Columnas, AFullSecondColumnStartsAPageWithHeaderRuleAndDivider) {
    preparar(440, 300, TEscritorColumnas::Variante::Cuestionario, 100);
    for (int i = 1; i <= 11; ++i) e->EscribirTexto("l" + std::to_string(i));
    const V esperado{"pagina", "cabecera", "linea 10,60 420,60 #000000/1",
                     "linea 220,60 220,260 #000000/1", t(30, 100, "l11 ")};
    EXPECT_EQ(V(s->llamadas.end() - 5, s->llamadas.end()), esperado);
    EXPECT_EQ(e->origenColumnas, 60);
    EXPECT_EQ(e->columnaActual, 1);
}

TEST_F(Columnas, ALastLineOnThePagesEndStartsNoPageUntilMoreIsWritten) {
    preparar(440, 300, TEscritorColumnas::Variante::Cuestionario, 100);
    for (int i = 1; i <= 10; ++i) e->EscribirTexto("l" + std::to_string(i));
    e->EscribirTexto("");
    EXPECT_TRUE(s->filtrar("pagina").empty());  // the report may end here
    e->EscribirTexto("a");                      // the blank line takes the new page's first line
    EXPECT_EQ(V(s->llamadas.end() - 5, s->llamadas.end()),
              (V{"pagina", "cabecera", "linea 10,60 420,60 #000000/1",
                 "linea 220,60 220,260 #000000/1", t(30, 120, "a ")}));
    // Blank lines kept while the page waited are laid out on it as they came.
    preparar(440, 300, TEscritorColumnas::Variante::Cuestionario, 100);
    for (int i = 1; i <= 10; ++i) e->EscribirTexto("l" + std::to_string(i));
    for (int i = 0; i < 7; ++i) e->EscribirTexto("");
    e->EscribirTexto("b");
    EXPECT_EQ(s->llamadas.back(), t(250, 100, "b "));
    EXPECT_EQ(s->filtrar("pagina").size(), 1u);
    // Asked for directly, the advance starts the page at once.
    preparar(440, 300, TEscritorColumnas::Variante::Cuestionario, 100);
    for (int i = 1; i <= 10; ++i) e->EscribirTexto("l" + std::to_string(i));
    e->SiguienteRenglon();
    EXPECT_EQ(s->filtrar("pagina").size(), 1u);
    EXPECT_EQ(e->yTexto, 120);
}

TEST_F(Columnas, AnEmptyLineIsABlankLine) {
    preparar(440, 600, TEscritorColumnas::Variante::Cuestionario, 100);
    e->EscribirTexto("");
    e->EscribirTexto("a");
    EXPECT_EQ(s->llamadas, (V{t(30, 160, "a ")}));
}

TEST_F(Columnas, TagsSwitchTheStyleAndAreRemoved) {
    preparar(440, 600, TEscritorColumnas::Variante::Cuestionario, 100);
    e->EscribirTexto("<C>(de x <n> y a<b <Nz w");
    EXPECT_EQ(s->llamadas,
              (V{t(30, 140, "(de ", "C"), t(62, 140, "x ", "C"), t(78, 140, " "), t(86, 140, "y "),
                 t(102, 140, "a<b "), t(134, 140, " ", "N"), t(143, 140, "w ", "N")}));
    // The style stays in force on the next line until another tag.
    e->EscribirTexto("<X>q <n>");
    EXPECT_EQ(s->llamadas[7], t(30, 160, "q ", "N"));
    EXPECT_EQ(s->llamadas[8], t(48, 160, " "));
    // Short tags: "<" and "<C" leave nothing of themselves.
    e->EscribirTexto("< <C");
    EXPECT_EQ(s->llamadas[9], t(30, 180, " "));
    EXPECT_EQ(s->llamadas[10], t(38, 180, " ", "C"));
}

TEST_F(Columnas, QuestionnaireOptionHasABoldNumberAndAHangingIndent) {
    preparar(440, 600, TEscritorColumnas::Variante::Cuestionario, 100);
    // Tab: 30 + 24 = 54; "1 " bold there; the label at 54 + 18 = 72.
    e->EscribirTexto("\t1 casi todo el tiempo del mundo");
    EXPECT_EQ(s->llamadas, (V{t(54, 140, "1 ", "N"), t(72, 140, "casi "), t(112, 140, "todo "),
                              t(152, 140, "el "), t(72, 160, "tiempo "), t(128, 160, "del "),
                              t(72, 180, "mundo ")}));
    EXPECT_EQ(e->xColgante, 72);
    EXPECT_EQ(s->estiloFuente(), Estilo::Normal);
}

TEST_F(Columnas, QuestionnaireTabLineWithoutADigitHasNoNumberNorHangingIndent) {
    preparar(440, 600, TEscritorColumnas::Variante::Cuestionario, 100);
    e->EscribirTexto("\tcasi todo el tiempo");
    EXPECT_EQ(s->llamadas, (V{t(54, 140, "casi "), t(94, 140, "todo "), t(134, 140, "el "),
                              t(30, 160, "tiempo ")}));
    EXPECT_FALSE(e->colgante);
}

TEST_F(Columnas, ProfileOptionTakesEightCharactersWhateverTheyAre) {
    preparar(440, 600, TEscritorColumnas::Variante::Perfil, 100);
    // 54 + 36 = 90: the label's place.
    e->EscribirTexto("\t   12.50% abc");
    EXPECT_EQ(s->llamadas, (V{t(54, 140, "   12.50", "N"), t(90, 140, "% "), t(106, 140, "abc ")}));
    s->llamadas.clear();
    e->EscribirTexto("\txy");
    EXPECT_EQ(s->llamadas, (V{t(54, 160, "xy", "N")}));
    EXPECT_TRUE(e->colgante);
}

TEST_F(Columnas, HangingIndentMovesWithAColumnChangeAndWithAPageChange) {
    // Limit 220; the option starts on the last line of column 1.
    preparar(440, 300, TEscritorColumnas::Variante::Cuestionario, 100);
    for (int i = 0; i < 4; ++i) e->EscribirTexto("x");
    s->llamadas.clear();
    e->EscribirTexto("\t2 aaaaaaaaaaaa bbbb");  // the label fills what is left
    EXPECT_EQ(s->llamadas,
              (V{t(54, 220, "2 ", "N"), t(72, 220, "aaaaaaaaaaaa "), t(72 + 220, 140, "bbbb ")}));
    EXPECT_EQ(e->xColgante, 292);
    // Column 2 down to its last line, then an option wrapping onto a new page.
    for (int i = 0; i < 3; ++i) e->EscribirTexto("y");
    s->llamadas.clear();
    e->EscribirTexto("\t3 aaaaaaaaaaaa bbbb");
    EXPECT_EQ(s->llamadas, (V{t(274, 220, "3 ", "N"), t(292, 220, "aaaaaaaaaaaa "), "pagina",
                              "cabecera", "linea 10,60 420,60 #000000/1",
                              "linea 220,60 220,260 #000000/1", t(72, 100, "bbbb ")}));
    EXPECT_EQ(e->xColgante, 72);
}

TEST_F(Columnas, AStyleInForceIsRegularAfterThePageHeader) {
    preparar(440, 300, TEscritorColumnas::Variante::Cuestionario, 100);
    for (int i = 0; i < 9; ++i) e->EscribirTexto("x");
    s->llamadas.clear();
    e->EscribirTexto("<C>uno dos tres cuatro cinco");
    EXPECT_EQ(s->llamadas.back(), t(30, 100, "cinco "));  // measured italic, drawn regular
    EXPECT_EQ(s->llamadas.front(), t(250, 220, "uno ", "C"));
}

TEST_F(Columnas, ABlockGoesWholeToTheNextColumnOrPageUnlessItsColumnIsEmpty) {
    // Limit 220: a column holds the lines at 140, 160, ..., 220.
    preparar(440, 300, TEscritorColumnas::Variante::Cuestionario, 100);
    const V bloque{"<C>pregunta larga que ocupa dos", "\t1 uno"};  // 3 lines
    for (int i = 0; i < 3; ++i) e->EscribirTexto("x");
    s->llamadas.clear();
    EXPECT_EQ(e->renglonesBloque(bloque), 3);  // measured without a trace
    EXPECT_TRUE(s->llamadas.empty());
    EXPECT_EQ(e->yTexto, 200);
    EXPECT_EQ(s->estiloFuente(), Estilo::Normal);
    e->EscribirBloque(bloque);  // 200 to 240: all of it in column 2
    EXPECT_EQ(s->llamadas.front(), t(250, 140, "pregunta ", "C"));
    EXPECT_EQ(s->llamadas.back(), t(292, 180, "uno "));
    s->llamadas.clear();
    e->EscribirBloque(bloque);  // 200 to 240 again: a new page
    EXPECT_EQ(V(s->llamadas.begin(), s->llamadas.begin() + 5),
              (V{"pagina", "cabecera", "linea 10,60 420,60 #000000/1",
                 "linea 220,60 220,260 #000000/1", t(30, 100, "pregunta ", "C")}));
    // Taller than a column: it starts where it is, at the top, and flows on.
    preparar(440, 300, TEscritorColumnas::Variante::Cuestionario, 100);
    e->EscribirBloque(V(6, "l"));
    EXPECT_EQ(s->llamadas.front(), t(30, 140, "l "));
    EXPECT_EQ(s->llamadas.back(), t(250, 140, "l "));
}

TEST(ColumnasPequenas, ColumnsWithoutWidthOrRoomAreRefused) {
    SuperficieGrabadora estrecha(120, 600);
    EXPECT_THROW(TEscritorColumnas(estrecha, TEscritorColumnas::Variante::Cuestionario),
                 ErrorImpresion);
    SuperficieGrabadora baja(440, 200);  // limit 120
    TEscritorColumnas c(baja, TEscritorColumnas::Variante::Cuestionario);
    EXPECT_NO_THROW(c.comprobarOrigen(80));
    EXPECT_THROW(c.comprobarOrigen(81), ErrorImpresion);
    EXPECT_TRUE(baja.llamadas.empty());
}

// ---- Line-grid writer ----

// 660 high: pasoLinea 10, LineaY(n) = 30 + 10n. 400 wide: limiteDerecho 320.
TEST(Rejilla, PiecesKeepTheirBlankAndRunsOfBlanksGiveBlankPieces) {
    SuperficieGrabadora s(400, 660);
    TEscritorRejilla r(s);
    EXPECT_EQ(r.pasoLinea, 10);
    EXPECT_EQ(r.limiteDerecho, 320);
    EXPECT_EQ(r.LineaY(12), 150);
    r.numLinea = 12;
    r.EscribirParrafo(" ab   cd");
    EXPECT_EQ(s.llamadas, (V{t(40, 150, " "), t(48, 150, "ab "), t(72, 150, " "), t(80, 150, " "),
                             t(88, 150, "cd")}));
    EXPECT_EQ(r.numLinea, 13);
}

TEST(Rejilla, APieceEndingOnTheLimitStaysAndAGreaterOneWraps) {
    SuperficieGrabadora s(400, 660);
    TEscritorRejilla r(s);
    // 40 + 35 x 8 = 320: on the limit.
    r.EscribirParrafo(std::string(34, 'a') + " b");
    EXPECT_EQ(s.llamadas, (V{t(40, 30, std::string(34, 'a') + " "), t(40, 40, "b")}));
    EXPECT_EQ(r.numLinea, 2);
}

TEST(Rejilla, NoLineIsLeftEmptyAndAWordWiderThanTheLineIsCutAtItsEnd) {
    SuperficieGrabadora s(400, 660);
    TEscritorRejilla r(s);
    // Only its blank passes the limit: the first piece stays on the first line.
    r.EscribirParrafo(std::string(35, 'a') + " b");
    EXPECT_EQ(s.llamadas, (V{t(40, 30, std::string(35, 'a') + " "), t(40, 40, "b")}));
    s.llamadas.clear();
    // After a word, a wider one starts a new line and fills each line up to 320.
    r.EscribirParrafo("x " + std::string(80, 'c') + " d");
    EXPECT_EQ(s.llamadas,
              (V{t(40, 50, "x "), t(40, 60, std::string(35, 'c')), t(40, 70, std::string(35, 'c')),
                 t(40, 80, std::string(10, 'c') + " "), t(128, 80, "d")}));
    EXPECT_EQ(r.numLinea, 6);
}

TEST(Rejilla, ATextPastTheLastLineGoesOnWhereTheBreakPutsIt) {
    SuperficieGrabadora s(400, 660);
    TEscritorRejilla r(s);
    r.ultimaLinea = 2;
    r.SaltoPagina = [&] {
        s.llamadas.push_back("salto");
        r.numLinea = 10;
    };
    // The blank line on line 2 breaks nothing: the next text does.
    r.EscribirMultilinea("a\r\nb\r\n\r\nc");
    EXPECT_EQ(s.llamadas, (V{t(40, 30, "a"), t(40, 40, "b"), "salto", t(40, 130, "c")}));
    EXPECT_EQ(r.numLinea, 11);
}

TEST(Rejilla, MultilineSplitsAtCrLfAndEmptyTextsAdvanceOneLine) {
    SuperficieGrabadora s(400, 660);
    TEscritorRejilla r(s);
    r.EscribirMultilinea("");
    EXPECT_EQ(r.numLinea, 1);
    EXPECT_TRUE(s.llamadas.empty());
    r.EscribirMultilinea("a\r\n\r\nb\nc\r\n");
    EXPECT_EQ(s.llamadas, (V{t(40, 40, "a"), t(40, 60, "b\nc")}));
    EXPECT_EQ(r.numLinea, 5);  // a, blank, b, and the blank after the last CR LF
}

TEST(Estilos, SettersReplaceTheWholeStyleAndKeepTheSize) {
    SuperficieGrabadora s(400, 660);
    s.fuente(6, Estilo::Cursiva);
    EstiloNegrita(s);
    EXPECT_EQ(s.estiloFuente(), Estilo::Negrita);
    EXPECT_EQ(s.puntosFuente(), 6);
    EstiloCursiva(s);
    EXPECT_EQ(s.estiloFuente(), Estilo::Cursiva);
    EstiloNormal(s);
    EXPECT_EQ(s.estiloFuente(), Estilo::Normal);
    EXPECT_EQ(s.puntosFuente(), 6);
}

}  // namespace
}  // namespace koral
