#include <gtest/gtest.h>

#include <random>

#include "method/Perfil.h"
#include "method/Textos.h"
#include "support/AvisosRecogidos.h"
#include "support/SuperficieGrabadora.h"

using namespace koral;
using prueba::AvisosRecogidos;
using prueba::SuperficieGrabadora;

namespace {

struct Empresa : ::testing::Test {
    TGrupo* grupo(const char* n) { return doc.agregarGrupo(n); }
    TCuestionario* cuestionario(std::vector<TGrupo*> grupos, const std::string& respuestas = "",
                                Puntuaciones p = {}) {
        TCuestionario* q = doc.agregarCuestionario("Q" + std::to_string(doc.cuestionarios.size()));
        for (TGrupo* g : grupos) enlazar(*q, *g);
        if (!respuestas.empty())
            std::copy(respuestas.begin(), respuestas.end(), q->respuestas.begin());
        q->puntuaciones = p;
        return q;
    }
    AvisosRecogidos avisos;
    TKoral doc{avisos.sumidero()};
};

}  // namespace

TEST_F(Empresa, ProfileCountsTheIntersectionOfItsGroups) {
    TGrupo* taller = grupo("Taller");
    TGrupo* noche = grupo("Noche");
    TGrupo* oficina = grupo("Oficina");
    cuestionario({taller, noche});
    cuestionario({noche, taller, oficina});
    cuestionario({taller});
    cuestionario({});
    TPerfil* todos = doc.agregarPerfil("Todos");
    ASSERT_TRUE(calcularPerfil(doc, *todos));
    EXPECT_EQ(todos->nSujetos, 4);  // no groups: everyone, the groupless too
    TPerfil* p = doc.agregarPerfil("Taller de noche");
    p->grupos = {taller, noche};
    ASSERT_TRUE(calcularPerfil(doc, *p));
    EXPECT_EQ(p->nSujetos, 2);
    p->grupos = {oficina};
    calcularPerfil(doc, *p);
    EXPECT_EQ(p->nSujetos, 1);
    EXPECT_TRUE(avisos.mensajes.empty());
}

TEST(PerteneceAGrupos, CountsPairsOfEqualIdentifiers) {
    TGrupo a, b, c;
    a.id = 1;
    b.id = 2;
    c.id = 3;
    EXPECT_TRUE(perteneceAGrupos({}, {}));
    EXPECT_TRUE(perteneceAGrupos({&a}, {}));
    EXPECT_FALSE(perteneceAGrupos({}, {&a}));
    EXPECT_TRUE(perteneceAGrupos({&c, &a, &b}, {&b, &a}));
    EXPECT_FALSE(perteneceAGrupos({&a, &c}, {&a, &b}));
    // A repeated membership counts twice: the pair count then exceeds the
    // profile's groups and the questionnaire drops out.
    EXPECT_FALSE(perteneceAGrupos({&a, &a}, {&a}));
    // An empty entry in a selection matches nothing rather than being read.
    EXPECT_FALSE(perteneceAGrupos({&a}, {&a, nullptr}));
    EXPECT_FALSE(perteneceAGrupos({nullptr}, {&a}));
}

TEST_F(Empresa, BandsSplitAtFourAndSeven) {
    cuestionario({}, "", {3.9999999, 4.0, 6.9999999, 7.0, 0, 10, 5});
    TPerfil* p = doc.agregarPerfil("P");
    calcularPerfil(doc, *p);
    EXPECT_EQ(p->bandas[0], (std::array<std::int32_t, 3>{1, 0, 0}));
    EXPECT_EQ(p->bandas[1], (std::array<std::int32_t, 3>{0, 1, 0}));
    EXPECT_EQ(p->bandas[2], (std::array<std::int32_t, 3>{0, 1, 0}));
    EXPECT_EQ(p->bandas[3], (std::array<std::int32_t, 3>{0, 0, 1}));
    EXPECT_EQ(p->bandas[5], (std::array<std::int32_t, 3>{0, 0, 1}));
    EXPECT_EQ(porcentajeBanda(*p, 4, 3, ','), "100,00 %");
    EXPECT_EQ(porcentajeBanda(*p, 4, 1, '.'), " 0.00 %");
}

TEST_F(Empresa, CountersAddUpToTheSubjectsWhateverTheAnswers) {
    std::mt19937 azar(3);
    for (int k = 0; k < 600; ++k) {  // past what a byte counts
        std::string r(75, '0');
        for (char& c : r) c = static_cast<char>(azar() % 2 ? '0' + azar() % 6 : azar() % 256);
        r[74] = '5';
        Puntuaciones p;
        for (double& s : p) s = (azar() % 1001) / 100.0;
        cuestionario({}, r, p);
    }
    TPerfil* p = doc.agregarPerfil("P");
    calcularPerfil(doc, *p);
    EXPECT_EQ(p->nSujetos, 600);
    EXPECT_EQ(p->frecuencias[74][5], 600);
    for (const auto& fila : p->frecuencias) {
        int suma = 0;
        for (int v : fila) suma += v;
        EXPECT_EQ(suma, 600);
    }
    for (const auto& fila : p->bandas) EXPECT_EQ(fila[0] + fila[1] + fila[2], 600);
}

TEST_F(Empresa, CharactersOutsideTheDigitsCountAsNoAnswer) {
    std::string r(75, '1');
    r[0] = ' ';
    r[1] = '9';
    r[2] = '\xF1';
    r[3] = '5';  // over item 4's options, still its own counter
    cuestionario({}, r);
    TPerfil* p = doc.agregarPerfil("P");
    calcularPerfil(doc, *p);
    EXPECT_EQ(p->frecuencias[0][0], 1);
    EXPECT_EQ(p->frecuencias[1][0], 1);
    EXPECT_EQ(p->frecuencias[2][0], 1);
    EXPECT_EQ(p->frecuencias[3][5], 1);
    EXPECT_EQ(p->frecuencias[4][1], 1);
}

TEST_F(Empresa, CountMismatchReportsAndLeavesZeros) {
    cuestionario({}, "", {5, 5, 5, 5, 5, 5, 5});
    TPerfil* p = doc.agregarPerfil("P");
    calcularPerfil(doc, *p);
    doc.nCuestionarios = 7;
    EXPECT_FALSE(calcularPerfil(doc, *p));
    EXPECT_EQ(avisos.mensajes, std::vector<std::string>{"Ocurrió error en el nº de Cuestionarios"});
    EXPECT_EQ(p->nSujetos, 0);
    EXPECT_EQ(p->sumaPuntuaciones[0], 0);
    EXPECT_EQ(p->bandas[1][1], 0);
}

TEST_F(Empresa, FiguresOfThirtyTwoSubjects) {
    for (int k = 0; k < 32; ++k) {
        std::string r(75, '2');
        r[0] = k == 0 ? '1' : '2';
        r[74] = k < 3 ? '0' : '2';
        cuestionario({}, r, {static_cast<double>(k % 10), 0, 0, 0, 0, 0, 0});
    }
    TPerfil* p = doc.agregarPerfil("P");
    calcularPerfil(doc, *p);
    EXPECT_EQ(porcentajeRespuesta(*p, 1, 1), 3.125);
    EXPECT_EQ(mediaFactor(*p, 1), (3 * 45 + 0 + 1) / 32.0);  // scores 0-9, 0-9, 0-9, 0, 1
    std::vector<std::string> l;
    llenarDescriptivo(*p, l, ',');
    ASSERT_EQ(l.size(), 439u);
    EXPECT_EQ(l[0], lineasCatalogo()[0]);
    EXPECT_EQ(cp1252AUtf8(l[1]), "    3,13%   1  casi todo el tiempo");
    EXPECT_EQ(cp1252AUtf8(l[2]), "   96,88%   2  sobre 3/4 partes del tiempo");
    EXPECT_EQ(l[6], "    0,00%   sin respuesta");
    EXPECT_EQ(l[438], "    9,38%   sin respuesta");
    // 3 unanswered items in 32 x 75: 300 / 2400 truncates to 0.
    EXPECT_EQ(porcentajeSinRespuesta(*p), "    0 %");
}

TEST(PorcentajeSinRespuesta, TruncatesAndCountsInSixtyFourBits) {
    TPerfil p;
    EXPECT_EQ(porcentajeSinRespuesta(p), "0");
    p.nSujetos = 1;
    p.frecuencias[10][0] = 1;
    EXPECT_EQ(porcentajeSinRespuesta(p), "    1 %");  // 100 / 75
    p.nSujetos = 1'000'000;
    for (auto& fila : p.frecuencias) fila[0] = 1'000'000;
    EXPECT_EQ(porcentajeSinRespuesta(p), "  100 %");
    EXPECT_EQ(porcentajeRespuesta(p, 75, 0), 100);
}

TEST_F(Empresa, MostlyBlankFormsAndTheCautionFromTenPercentBlank) {
    // A third of the items (25) blank is not yet "mostly blank"; 26 is.
    cuestionario({}, std::string(25, '0') + std::string(50, '1'))->sinRespuesta = 25;
    cuestionario({}, std::string(26, '0') + std::string(49, '1'))->sinRespuesta = 26;
    TPerfil* p = doc.agregarPerfil("P");
    calcularPerfil(doc, *p);
    EXPECT_EQ(p->nCasiEnBlanco, 1);
    EXPECT_TRUE(muchasSinRespuesta(*p));

    TPerfil t;  // 150 answers: 14 blank is under 10 %, 15 is 10 %
    EXPECT_FALSE(muchasSinRespuesta(t));
    t.nSujetos = 2;
    t.frecuencias[0][0] = 14;
    EXPECT_FALSE(muchasSinRespuesta(t));
    t.frecuencias[1][0] = 1;
    EXPECT_TRUE(muchasSinRespuesta(t));
}

TEST(Descriptivo, WithoutSubjectsEveryShareIsZero) {
    TPerfil p;
    std::vector<std::string> l = {"antes"};
    llenarDescriptivo(p, l, '.');
    ASSERT_EQ(l.size(), 439u);
    int titulos = 0, ceros = 0;
    for (const auto& x : l) {
        if (x.rfind("    0.00%   ", 0) == 0)
            ++ceros;
        else
            ++titulos;
    }
    EXPECT_EQ(titulos, 75);
    EXPECT_EQ(ceros, 289 + 75);
}

TEST(Valorativo, DrawsTheEditorsChartCallByCall) {
    TPerfil p;
    p.nSujetos = 2;
    p.sumaPuntuaciones = {0, 8, 20, 9, 14, 1, 12.15};
    p.bandas[0] = {2, 0, 0};
    p.bandas[1] = {0, 2, 0};
    p.bandas[2] = {0, 0, 2};
    p.bandas[3] = {1, 1, 0};
    SuperficieGrabadora s(337, 245);
    dibujarValorativo(p, s, ',');
    std::vector<std::string> esperado = {
        "rellenar 30,27 130,216 #008000",  "rellenar 130,27 205,216 #FFFF00",
        "rellenar 205,27 280,216 #FF0000", "linea 30,27 30,216 #000000/1",
        "linea 130,27 130,216 #000000/1",  "linea 205,27 205,216 #000000/1",
        "linea 280,27 280,216 #000000/1",
    };
    for (int k = 1; k <= 8; ++k)
        esperado.push_back("linea 30," + std::to_string(27 * k) + " 280," + std::to_string(27 * k) +
                           " #000000/1");
    for (int n = 0; n <= 10; ++n)
        esperado.push_back("texto " + std::to_string(30 + 25 * n) + ",224 \"" + std::to_string(n) +
                           "\" 6 #000000");
    const char* abr[] = {"CM", "AT", "CT", "SP", "DR", "IT", "RP"};
    const char* bandas[7][3] = {
        {"100,00 %", " 0,00 %", " 0,00 %"}, {" 0,00 %", "100,00 %", " 0,00 %"},
        {" 0,00 %", " 0,00 %", "100,00 %"}, {"50,00 %", "50,00 %", " 0,00 %"},
        {" 0,00 %", " 0,00 %", " 0,00 %"},  {" 0,00 %", " 0,00 %", " 0,00 %"},
        {" 0,00 %", " 0,00 %", " 0,00 %"}};
    const char* medias[] = {" 0,00", " 4,00", "10,00", " 4,50", " 7,00", " 0,50", " 6,08"};
    for (int f = 0; f < 7; ++f) {
        const std::string y = std::to_string(27 * (f + 1) + 10);
        esperado.push_back("texto 4," + y + " \"" + abr[f] + "\" 10 #000000");
        esperado.push_back("texto 55," + y + " \"" + bandas[f][0] + "\" 8 #808080");
        esperado.push_back("texto 142," + y + " \"" + bandas[f][1] + "\" 8 #808080");
        esperado.push_back("texto 230," + y + " \"" + bandas[f][2] + "\" 8 #808080");
        esperado.push_back("texto 285," + y + " \"" + medias[f] + "\" 10 #000000");
    }
    // X(4.5) = 142 (112.5 to the even 112); X(6.075) = 181.875 -> 182.
    esperado.push_back("polilinea 30,54 130,81 280,108 142,135 205,162 42,189 182,216 #0000FF/2");
    EXPECT_EQ(s.llamadas, esperado);
}

TEST(Valorativo, ZeroSubjectsDrawTheLineAlongTheLeftEdge) {
    TPerfil p;
    SuperficieGrabadora s(337, 245);
    dibujarValorativo(p, s, '.');
    EXPECT_EQ(s.filtrar("polilinea"),
              std::vector<std::string>{
                  "polilinea 30,54 30,81 30,108 30,135 30,162 30,189 30,216 #0000FF/2"});
    EXPECT_EQ(s.filtrar("texto 285,37"),
              std::vector<std::string>{"texto 285,37 \" 0.00\" 10 #000000"});
}
