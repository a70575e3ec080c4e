// The profile report and the blank questionnaire on the recording surface
// (8 wide per character, 9 in bold, 16 high: altoLinea 20).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <sstream>

#include "method/Textos.h"
#include "platform/Texto.h"
#include "reports/Informes.h"
#include "support/SuperficieGrabadora.h"

namespace koral {
namespace {

using prueba::SuperficieGrabadora;
using V = std::vector<std::string>;

std::string t(int x, int y, const std::string& texto, const char* estilo = "", int puntos = 8) {
    return "texto " + std::to_string(x) + "," + std::to_string(y) + " \"" + texto + "\" " +
           std::to_string(puntos) + estilo + " #000000";
}

// The profile editor's notice for a population of 1 to 4.
const std::string kAviso = "Atención: con tan pocas personas sus respuestas podrían reconocerse.";

bool contiene(const V& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

// Texts drawn in 8 points with exactly this content and style.
std::size_t cuenta(const V& v, const std::string& texto, const std::string& estilo) {
    return static_cast<std::size_t>(std::count_if(v.begin(), v.end(), [&](const std::string& l) {
        const auto t = prueba::leerTexto(l);
        return t && t->texto == texto && t->puntos == 8 && t->estilo == estilo;
    }));
}

// "12. " gives 12; anything else 0.
int numeroItem(const std::string& texto) {
    if (texto.size() < 3 || texto.compare(texto.size() - 2, 2, ". ") != 0) return 0;
    const std::string n = texto.substr(0, texto.size() - 2);
    return prueba::sonDigitos(n) ? std::stoi(n) : 0;
}

// Calls from the first "pagina" on: the item pages.
V paginasItems(const SuperficieGrabadora& s) {
    const auto it = std::find(s.llamadas.begin(), s.llamadas.end(), "pagina");
    return V(it, s.llamadas.end());
}

// 810 x 6600: u = 10 (axis 300 to 700), pasoLinea = 100, LineaY(n) = 30 + 100n.
struct Perfil : ::testing::Test {
    Perfil() {
        p.nombre = "Mañanas"_cp;
        p.descripcion = "Turno de mañana"_cp;
        p.observaciones = "Sin novedad";
        p.nSujetos = 4;
        p.sumaPuntuaciones = {0, 16, 40, 10, 28, 39.96, 22};  // means 0 4 10 2.5 7 9.99 5.5
        for (auto& b : p.bandas) b = {1, 2, 1};
        for (auto& f : p.frecuencias) f = {3, 1, 0, 0, 0, 0};
    }
    TPerfil p;
    TImpresora imp;
};

TEST_F(Perfil, TextFormIsOneLineCutTo56) {
    EXPECT_EQ(TextoPerfil(p), V{"Perfil Ma\xF1"
                                "anas"});
    p.nombre = std::string(60, 'x');
    EXPECT_EQ(TextoPerfil(p), V{"Perfil " + std::string(49, 'x')});
}

TEST_F(Perfil, HeaderOfTheFirstPage) {
    SuperficieGrabadora s(810, 6600);
    s.pluma(kNegro, 2);  // left by a previous job
    DibujarPerfil(p, s, ',', imp);
    EXPECT_EQ(imp.tituloTrabajo, "Imp. Perfiles");
    const V esperado{"documento \"Imp. Perfiles\"",
                     "rectangulo 10,40 790,6560 #000000/1",
                     t(30, 60, "PERFILES DEL MÉTODO DE EVALUACIÓN DE FACTORES PSICOSOCIALES", "N"),
                     t(40, 430, "Perfil: Mañanas"),
                     t(40, 730, "Población: 4"),
                     t(160, 730, kAviso, "N"),  // after "WWW"
                     "linea 20,930 780,930 #000000/1",
                     t(40, 1030, "DESCRIPCIÓN DEL GRUPO:"),
                     t(40, 1230, "Turno "),
                     t(88, 1230, "de "),
                     t(112, 1230, "mañana")};
    EXPECT_EQ(V(s.llamadas.begin(), s.llamadas.begin() + 11), esperado);
}

TEST_F(Perfil, FirstPageGridLinesWithAOneLineDescription) {
    SuperficieGrabadora s(810, 6600);
    DibujarPerfil(p, s, ',', imp);
    const V& l = s.llamadas;
    EXPECT_TRUE(contiene(l, "linea 20,1630 780,1630 #000000/1"));  // grid line 16
    for (int f = 0; f < 7; ++f)
        EXPECT_TRUE(contiene(l, t(40, 1800 + 400 * f, cp1252AUtf8(nombresFactor[f]), "N"))) << f;
    EXPECT_TRUE(contiene(l, t(140, 1816, "media= 0,00", "N")));
    EXPECT_TRUE(contiene(l, t(140, 2216, "media= 4,00", "N")));
    EXPECT_TRUE(contiene(l, t(340, 1816, "25,00 %", "N")));
    EXPECT_TRUE(contiene(l, t(500, 1816, "50,00 %", "N")));
    EXPECT_TRUE(contiene(l, t(620, 1816, "25,00 %", "N")));
    EXPECT_TRUE(contiene(l, "linea 300,1836 700,1836 #000000/1"));  // axis of factor 1
    EXPECT_TRUE(contiene(l, t(300, 1840, "0", "N", 6)));
    EXPECT_TRUE(contiene(l, t(700, 4240, "10", "N", 6)));
    EXPECT_TRUE(contiene(l, t(40, 4830, "PORCENTAJE SIN RESPUESTA:    75 %")));  // line 48
    EXPECT_TRUE(contiene(l, "linea 20,5030 780,5030 #000000/1"));                // line 50
    EXPECT_TRUE(contiene(l, t(40, 5230, "OBSERVACIONES:")));                     // line 52
    EXPECT_TRUE(contiene(l, t(40, 5430, "Sin ")));                               // line 54
    EXPECT_EQ(s.puntosFuente(), 8);
}

TEST_F(Perfil, ChartPointsBandLinesAndTheProfileLine) {
    SuperficieGrabadora s(810, 6600);
    DibujarPerfil(p, s, '.', imp);
    const V& l = s.llamadas;
    for (int x : {300, 460, 580, 700})
        EXPECT_TRUE(contiene(
            l, "linea " + std::to_string(x) + ",1836 " + std::to_string(x) + ",4236 #000000/1"))
            << x;
    // Means 0, 4, 10, 2.5, 7, 9.99, 5.5: the axis ends, the first inner band line.
    EXPECT_TRUE(contiene(l,
                         "polilinea 300,1836 460,2236 700,2636 400,3036 580,3436 699,3836 "
                         "520,4236 #000000/6"));
    EXPECT_EQ(s.filtrar("polilinea").size(), 1u);
    // Texts come over the lines, so that the lines do not strike them through.
    const auto poli = std::find_if(
        l.begin(), l.end(), [](const std::string& c) { return c.rfind("polilinea", 0) == 0; });
    const auto nombre = std::find(l.begin(), l.end(), t(40, 1800, "CARGA MENTAL", "N"));
    const auto linea = std::find(l.begin(), l.end(), "linea 700,1836 700,4236 #000000/1");
    EXPECT_LT(linea, poli);
    EXPECT_LT(poli, nombre);
    EXPECT_NE(nombre, l.end());
}

TEST_F(Perfil, MeansOffTheScaleStayOnTheAxis) {
    p.sumaPuntuaciones = {48, -12, std::numeric_limits<double>::quiet_NaN(), 1e300, 0, 0, 0};
    SuperficieGrabadora s(810, 6600);
    DibujarPerfil(p, s, '.', imp);
    const V poli = s.filtrar("polilinea");
    ASSERT_EQ(poli.size(), 1u);
    EXPECT_EQ(poli[0],
              "polilinea 700,1836 300,2236 300,2636 700,3036 300,3436 300,3836 300,4236 #000000/6");
}

TEST_F(Perfil, OnlyOneToFourSubjectsBringTheNotice) {
    for (int n : {0, 1, 4, 5}) {
        p.nSujetos = n;
        SuperficieGrabadora s(810, 6600);
        DibujarPerfil(p, s, '.', imp);
        const V v = s.filtrar("texto ");
        const bool hay = std::any_of(v.begin(), v.end(), [](const std::string& l) {
            return l.find(kAviso) != std::string::npos;
        });
        EXPECT_EQ(hay, n >= 1 && n <= 4) << n;
    }
}

TEST_F(Perfil, AProfileWithoutSubjectsPrintsZeros) {
    p.nSujetos = 0;
    SuperficieGrabadora s(810, 6600);
    DibujarPerfil(p, s, '.', imp);
    const V& l = s.llamadas;
    EXPECT_TRUE(contiene(l, t(40, 730, "Población: 0")));
    EXPECT_TRUE(contiene(l, t(140, 1816, "media= 0.00", "N")));
    EXPECT_TRUE(contiene(l, t(340, 1816, " 0.00 %", "N")));
    EXPECT_TRUE(contiene(l, t(40, 4830, "PORCENTAJE SIN RESPUESTA: 0")));
    const V items = paginasItems(s);
    EXPECT_EQ(cuenta(items, "    0.00", "N"), 75u + 289u);
}

TEST_F(Perfil, LongerDescriptionsMoveTheChartDown) {
    p.descripcion = "uno\r\ndos\r\n";  // three grid lines: 12, 13, 14
    SuperficieGrabadora s(810, 6600);
    DibujarPerfil(p, s, '.', imp);
    EXPECT_TRUE(contiene(s.llamadas, "linea 20,1830 780,1830 #000000/1"));  // 15 + 3 = 18
    EXPECT_TRUE(contiene(s.llamadas, t(40, 2000, "CARGA MENTAL", "N")));
    // Fifteen lines leave the chart whole on the first page (the last line a
    // text may take is 65) but no room for the observations' heading and
    // first line: both start the next page, on lines 10 and 12.
    p.descripcion = "x";
    for (int i = 1; i < 15; ++i) p.descripcion += "\r\nx";
    s.llamadas.clear();
    DibujarPerfil(p, s, '.', imp);
    const auto pagina = std::find(s.llamadas.begin(), s.llamadas.end(), "pagina");
    EXPECT_NE(
        std::find(s.llamadas.begin(), pagina, t(40, 6230, "PORCENTAJE SIN RESPUESTA:    75 %")),
        pagina);
    const auto obs = std::find(pagina, s.llamadas.end(), t(40, 1030, "OBSERVACIONES:"));
    ASSERT_NE(obs, s.llamadas.end());
    EXPECT_EQ(*(obs + 1), t(40, 1230, "Sin "));
}

TEST_F(Perfil, ItemPagesHoldEveryItemOptionAndNoAnswerLine) {
    // 1980 high: pasoLinea 30, so the items take several pages.
    SuperficieGrabadora s(810, 1980);
    DibujarPerfil(p, s, '.', imp);
    const V items = paginasItems(s);
    // Option lines: the first option 25 %, the others 0 %; no answer: 75 %.
    EXPECT_EQ(cuenta(items, "   25.00", "N"), 75u);
    EXPECT_EQ(cuenta(items, "    0.00", "N"), 289u - 75u);
    EXPECT_EQ(cuenta(items, "   75.00", "N"), 75u);
    // Titles: " 1. TIEMPO ..." starts with its number, in regular style, at a column's left edge.
    V numeros;
    for (const auto& l : items) {
        const auto t = prueba::leerTexto(l);
        if (t && (t->x == 30 || t->x == 425) && t->puntos == 8 && t->estilo.empty() &&
            numeroItem(t->texto) > 0)
            numeros.push_back(std::to_string(numeroItem(t->texto)));
    }
    V esperados;
    for (int i = 1; i <= 75; ++i) esperados.push_back(std::to_string(i));
    EXPECT_EQ(numeros, esperados);
    // The first item page's columns start 40 below LineaY(9) = 300.
    EXPECT_EQ(items[7], "linea 405,300 405,1940 #000000/1");
    EXPECT_EQ(items[8], t(30, 340, "1. "));
    EXPECT_EQ(s.llamadas.back(), "fin");
}

TEST_F(Perfil, EveryItemPageRepeatsTheHeader) {
    SuperficieGrabadora s(810, 1980);
    DibujarPerfil(p, s, '.', imp);
    const V items = paginasItems(s);
    const std::size_t paginas = s.filtrar("pagina").size() + 1;
    EXPECT_GE(paginas, 3u);
    EXPECT_EQ(s.filtrar("rectangulo").size(), paginas);
    EXPECT_EQ(std::count(s.llamadas.begin(), s.llamadas.end(), t(40, 150, "Perfil: Mañanas")),
              static_cast<long>(paginas));
    EXPECT_EQ(std::count(s.llamadas.begin(), s.llamadas.end(), t(40, 240, "Población: 4")),
              static_cast<long>(paginas));
    EXPECT_EQ(std::count(s.llamadas.begin(), s.llamadas.end(), t(160, 240, kAviso, "N")),
              static_cast<long>(paginas));
    // Each new page: header, then the divider from LineaY(9) to the frame's bottom.
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == "pagina") {
            ASSERT_LT(i + 8, items.size());
            EXPECT_EQ(items[i + 1], "rectangulo 10,40 790,1940 #000000/1");
            EXPECT_EQ(items[i + 6], "linea 20,300 780,300 #000000/1");
            EXPECT_EQ(items[i + 7], "linea 405,300 405,1940 #000000/1");
        }
}

TEST_F(Perfil, LongTextsGoOnOverFurtherPagesAndNothingCrossesTheFrame) {
    // 810 x 1980: the frame is (10,40)-(790,1940); a page holds grid lines 12 to 63.
    p.descripcion.clear();
    p.observaciones.clear();
    for (int i = 0; i < 90; ++i) {
        p.descripcion += "d" + std::to_string(i) + " con unas cuantas palabras\r\n";
        p.observaciones += "\r\no" + std::to_string(i) + " y algo más"_cp;
    }
    p.descripcion += std::string(300, 'w');  // wider than four lines
    SuperficieGrabadora s(810, 1980);
    DibujarPerfil(p, s, '.', imp);
    V palabras;
    int pagina = 1, paginaGrafico = 0;
    std::set<int> paginasFactores;
    for (const auto& l : s.llamadas) {
        if (l == "pagina") ++pagina;
        if (l.rfind("polilinea", 0) == 0) paginaGrafico = pagina;
        if (const auto dibujado = prueba::leerTexto(l)) {
            const std::string& t = dibujado->texto;
            palabras.push_back(t);
            const int x = dibujado->x, y = dibujado->y, puntos = dibujado->puntos;
            const auto letras =
                std::count_if(t.begin(), t.end(), [](char c) { return (c & 0xC0) != 0x80; });
            const int ancho =
                static_cast<int>(letras) * (puntos + (dibujado->estilo == "N" ? 1 : 0));
            // Inside the frame: a text's opaque ground would erase its edge.
            EXPECT_TRUE(x > 10 && y > 40 && x + ancho <= 790 && y + 2 * puntos <= 1940) << l;
            for (const auto& n : nombresFactor)
                if (t == cp1252AUtf8(n)) paginasFactores.insert(pagina);
        } else if (l.rfind("linea", 0) == 0 || l.rfind("polilinea", 0) == 0) {
            std::string puntos = l.substr(0, l.find(" #"));
            std::replace(puntos.begin(), puntos.end(), ',', ' ');
            std::istringstream numeros(puntos.substr(puntos.find(' ')));
            for (int n; numeros >> n;) EXPECT_TRUE(n >= 0 && n <= 1980) << l;
        }
    }
    EXPECT_EQ(s.filtrar("rectangulo").size(), static_cast<std::size_t>(pagina));
    for (const auto& r : s.filtrar("rectangulo"))
        EXPECT_EQ(r, "rectangulo 10,40 790,1940 #000000/1");
    // Every paragraph and every letter of the long word, in order.
    std::size_t k = 0;
    auto siguiente = [&](const std::string& p) {
        k = static_cast<std::size_t>(std::find(palabras.begin() + k, palabras.end(), p) -
                                     palabras.begin());
        return k < palabras.size();
    };
    for (int i = 0; i < 90; ++i) EXPECT_TRUE(siguiente("d" + std::to_string(i) + " ")) << i;
    std::string w;
    while (k < palabras.size() && palabras[k].rfind("ww", 0) != 0) ++k;
    for (; k < palabras.size() && palabras[k].find_first_not_of("w ") == std::string::npos; ++k)
        w += palabras[k];
    EXPECT_EQ(w, std::string(300, 'w'));
    EXPECT_TRUE(siguiente("PORCENTAJE SIN RESPUESTA:    75 %"));
    EXPECT_TRUE(siguiente("OBSERVACIONES:"));
    for (int i = 0; i < 90; ++i) EXPECT_TRUE(siguiente("o" + std::to_string(i) + " ")) << i;
    EXPECT_TRUE(contiene(palabras, "DESCRIPCIÓN DEL GRUPO (continuación):"));
    EXPECT_TRUE(contiene(palabras, "OBSERVACIONES (continuación):"));
    // The chart whole on one page, after the description, and the item pages after it all.
    EXPECT_GT(paginaGrafico, 1);
    EXPECT_EQ(paginasFactores, std::set<int>{paginaGrafico});
    EXPECT_EQ(std::count(palabras.begin(), palabras.end(), "   75.00"), 75);
}

TEST_F(Perfil, APageTooSmallIsRefusedBeforeAnythingIsDrawn) {
    // The last one has room for the columns but not for the chart below the header.
    for (auto [ancho, alto] :
         {std::pair{89, 6600}, std::pair{810, 65}, std::pair{810, 150}, std::pair{810, 200}}) {
        SuperficieGrabadora s(ancho, alto);
        EXPECT_THROW(DibujarPerfil(p, s, '.', imp), ErrorImpresion) << ancho << "x" << alto;
        EXPECT_TRUE(s.llamadas.empty());
    }
}

// ---- Blank questionnaire ----

// 810 x 3000: the header ends at 4 x 20 + 10 = 90; columns from 170.
TEST(CuestVacio, TitleBlockOnTheFirstPageAndColumnsFourLinesBelow) {
    SuperficieGrabadora s(810, 3000);
    TImpresora imp;
    DibujarCuestVacio(s, imp);
    const V esperado{
        "documento \"Imp. Cuestionarios\"",
        "rectangulo 10,40 790,2960 #000000/2",
        t(30, 60, "CUESTIONARIO DEL MÉTODO DE EVALUACIÓN DE FACTORES PSICOSOCIALES", "N"),
        t(30, 90, "IDENTIFICADOR ...............", "N"),
        t(30, 110, "GRUPOS " + std::string(103, '.'), "N"),
        t(30, 130, "       " + std::string(103, '.'), "N"),
        t(30, 150, "FECHA .......................", "N"),
        t(435, 90, "INSTRUCCIONES:", "N"),
        t(435, 110, "Este cuestionario es anónimo.", "N"),
        t(435, 130, "Conteste sinceramente a todas las preguntas,", "N"),
        t(435, 150, "marcando las opciones que mejor se ajusten.", "N"),
        "linea 10,170 790,170 #000000/2",
        "linea 405,170 405,2960 #000000/2",
        t(30, 210, "1. ")};
    EXPECT_EQ(V(s.llamadas.begin(), s.llamadas.begin() + 14), esperado);
    EXPECT_EQ(s.llamadas.back(), "fin");
}

TEST(CuestVacio, LaterPagesShowFrameTitleRuleAndDividerOnly) {
    SuperficieGrabadora s(810, 3000);
    TImpresora imp;
    DibujarCuestVacio(s, imp);
    const std::size_t paginas = s.filtrar("pagina").size() + 1;
    EXPECT_GE(paginas, 2u);
    EXPECT_EQ(s.filtrar("rectangulo").size(), paginas);
    EXPECT_EQ(std::count_if(s.llamadas.begin(), s.llamadas.end(),
                            [](const std::string& l) {
                                const auto t = prueba::leerTexto(l);
                                return t && t->texto.find("IDENTIFICADOR") != std::string::npos;
                            }),
              1);
    for (std::size_t i = 0; i < s.llamadas.size(); ++i)
        if (s.llamadas[i] == "pagina") {
            EXPECT_EQ(s.llamadas[i + 1], "rectangulo 10,40 790,2960 #000000/2");
            EXPECT_EQ(s.llamadas[i + 3], "linea 10,90 790,90 #000000/2");
            EXPECT_EQ(s.llamadas[i + 4], "linea 405,90 405,2960 #000000/2");
            // The text goes on 40 below the rule (a blank line may come first).
            const auto t = prueba::leerTexto(s.llamadas[i + 5]);
            EXPECT_TRUE(t && (t->y == 130 || t->y == 150)) << s.llamadas[i + 5];
        }
}

TEST(CuestVacio, OptionsAreBoldDigitsWithTheLabelAtSangriaPlusWW) {
    SuperficieGrabadora s(810, 3000);
    TImpresora imp;
    DibujarCuestVacio(s, imp);
    // Item 1's question takes three lines; its first option: 30 + 24, then
    // the label at 54 + 18.
    const auto it = std::find(s.llamadas.begin(), s.llamadas.end(), t(54, 270, "1 ", "N"));
    ASSERT_NE(it, s.llamadas.end());
    EXPECT_EQ(*(it + 1), t(72, 270, "casi "));
    // Every option digit of the 75 items is drawn in bold.
    std::size_t opciones = 0;
    for (char d = '0'; d <= '9'; ++d) opciones += cuenta(s.llamadas, std::string{d, ' '}, "N");
    EXPECT_EQ(opciones, 289u);
}

TEST(CuestVacio, EveryQuestionStaysInOneColumnWithItsOptionsAndItsHeading) {
    // The page and column of every text, by item: a heading counts with the
    // question after it. The form's title on each page is left aside.
    for (int alto : {820, 1400, 2400, 3000}) {
        SuperficieGrabadora s(810, alto);
        TImpresora imp;
        DibujarCuestVacio(s, imp);
        std::map<int, std::set<std::pair<int, int>>> sitios;
        int pagina = 1, item = 0;
        bool encabezado = false;
        for (const auto& l : s.llamadas) {
            if (l == "pagina") ++pagina;
            const auto t = prueba::leerTexto(l);
            if (!t || t->puntos != 8) continue;
            const std::string &palabra = t->texto, &estilo = t->estilo;
            const int x = t->x;
            if (palabra.rfind("CUESTIONARIO DEL", 0) == 0 || (item == 0 && palabra != "1. "))
                continue;
            if (numeroItem(palabra) == item + 1 && estilo.empty() && (x == 30 || x == 435)) {
                ++item;
                encabezado = false;
            } else if (estilo == "N" && !(palabra.size() == 2 &&
                                          std::isdigit(static_cast<unsigned char>(palabra[0])) &&
                                          palabra[1] == ' ')) {
                encabezado = true;
            }
            sitios[encabezado ? item + 1 : item].insert({pagina, x < 405 ? 1 : 2});
        }
        EXPECT_EQ(item, 75) << alto;
        for (const auto& [i, donde] : sitios)
            EXPECT_EQ(donde.size(), 1u) << "item " << i << ", " << alto;
    }
}

TEST(CuestVacio, APageTooSmallIsRefused) {
    SuperficieGrabadora s(810, 200);
    TImpresora imp;
    EXPECT_THROW(DibujarCuestVacio(s, imp), ErrorImpresion);
    EXPECT_TRUE(s.llamadas.empty());
}

}  // namespace
}  // namespace koral
