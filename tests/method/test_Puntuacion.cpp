#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "method/Puntuacion.h"
#include "platform/Reales.h"
#include "support/ArchivosMemoria.h"

namespace koral {
namespace {

Respuestas todas(char c) {
    Respuestas r;
    r.fill(c);
    return r;
}

// Every item answered with its highest option.
Respuestas maximos() {
    Respuestas r;
    std::copy_n(kOpcionesTexto, kNumItems, r.begin());
    return r;
}

// Writes `texto` over the answers starting at item `primerItem` (1-based).
Respuestas con(Respuestas r, int primerItem, std::string_view texto) {
    std::copy(texto.begin(), texto.end(), r.begin() + (primerItem - 1));
    return r;
}

Puntuaciones puntuar(const Respuestas& r) {
    Puntuaciones p{};
    puntuarRespuestas(r.data(), p);
    return p;
}

int ceros(const Respuestas& r) {
    Puntuaciones p{};
    return puntuarRespuestas(r.data(), p);
}

std::string texto(const Respuestas& r) {
    return std::string(r.begin(), r.end());
}

struct CasoUniforme {
    const char* nombre;
    Respuestas respuestas;
    Puntuaciones esperadas;
    int sinRespuesta;
};

TEST(PuntuarRespuestas, CuestionariosUniformes) {
    const CasoUniforme casos[] = {
        {"todas '0'",
         todas('0'),
         {4.05, 4, 4.8, 5,
          (0.4 + 0.5 + 0.4 + 0.4 + 0.4 + 0.4 + 0.5) * 5 / 7 + (0.4 + 0.4 + 0.7 + 0.4), 4.75, 5},
         75},
        {"todas '1'", todas('1'), {6.9, 0, 9.1, 9, 4, 2, 4}, 0},
        // Factor 7 by rule 5: w71..w73 are 2, 2, 2 and w74 is 1.
        {"todas '3'",
         todas('3'),
         {5.25, 5, 4.3, 4.8,
          (0.5 + 0.5 + 0.5 + 0.5 + 0.8 + 0.5 + 0.8) * 5 / 7 + (0.2 + 0.2 + 0.5 + 0.2), 6, 3},
         0},
        {"todas al maximo",
         maximos(),
         {5.1, 5, 0.85, 4, (0.7 + 0.7 + 0.7 + 0.7 + 1.3 + 0.7 + 1.3) * 5 / 7 + (0.0 + 0 + 0 + 0), 8,
          6},
         0},
    };
    for (const CasoUniforme& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Puntuaciones p{};
        EXPECT_EQ(puntuarRespuestas(caso.respuestas.data(), p), caso.sinRespuesta);
        for (int f = 0; f < kNumFactores; ++f)
            EXPECT_DOUBLE_EQ(p[f], caso.esperadas[f]) << "factor " << f + 1;
    }
}

// The averages, the scaling of factor 5 and the item order of the sums decide
// the last bit before the scores are kept to the file's 15 digits; these
// answers were chosen where another order would round differently.
TEST(PuntuarRespuestas, OperacionesEnElOrdenDelMetodo) {
    Respuestas r = todas('0');
    r = con(r, 1, "00000030001");           // items 1-11
    r = con(r, 16, "1033304233500043010");  // items 16-34
    r = con(r, 35, "303133");               // items 35-40
    r = con(r, 41, "12420");                // items 41-45
    r = con(r, 46, "301323");               // items 46-51
    r = con(r, 52, "0002043");              // items 52-58
    const Puntuaciones p = puntuar(r);

    EXPECT_EQ(p[0], valorGuardado(0.0 + 0.25 + 0.3 + 0.5 + 0.8 + 1 + 1 + 0));
    // Items 16-25, 26-30, then 31x33, 32x33, 33 alone and 34x33.
    EXPECT_EQ(p[2], valorGuardado(0.5 + 0.25 + 0.2 + 0.2 + 0.2 + 0.25 + 0 + 0.4 + 0.2 + 0.2 + 0.1 +
                                  0.4 + 0.5 + 0.3 + 0 + 0.1 + 0 + 0.25 + 0.15));
    // Weights 4 1 4 3 4 4 / 3 2 0 2 2 / 0 2 4 0 1 0, each block averaged on its own.
    EXPECT_EQ(p[3], valorGuardado(20.0 / 6 + 9.0 / 5 + 7.0 / 6));
    EXPECT_EQ(p[4], valorGuardado((0.4 + 0.5 + 0.4 + 0.2 + 0.4 + 0.7 + 0.8) * 5 / 7 +
                                  (0.4 + 0.4 + 0.7 + 0.4)));
}

TEST(PuntuarRespuestas, BandasDeInformacionEnElFactor6) {
    struct Caso {
        const char* items65a68;
        int s;
        double x;
    };
    const Caso casos[] = {
        {"4444", 0, 0}, {"3442", 4, 0}, {"1144", 5, 1},  {"3441", 5, 1},
        {"4412", 8, 1}, {"4411", 9, 2}, {"1111", 14, 2},
    };
    const Respuestas base = todas('0');
    const Puntuaciones sinInformacion = puntuar(con(base, 65, "4444"));
    for (const Caso& caso : casos) {
        SCOPED_TRACE(testing::Message() << "65-68 = " << caso.items65a68 << ", S = " << caso.s);
        const Puntuaciones p = puntuar(con(base, 65, caso.items65a68));
        EXPECT_DOUBLE_EQ(p[5] - sinInformacion[5], caso.x);
        for (int f = 0; f < kNumFactores; ++f) {
            if (f != 5) {
                EXPECT_EQ(p[f], sinInformacion[f]) << "factor " << f + 1;
            }
        }
    }
}

TEST(PuntuarRespuestas, ReglasDeRelacionesPersonales) {
    struct Caso {
        const char* items71a74;
        double y;
    };
    const Caso casos[] = {
        {"3454", (2.0 + 4 + 3 + 2) / 4},  // rule 1: all four over 1
        {"3453", (2.0 + 4 + 3) / 3},      // rule 5: w74 is exactly 1
        {"3353", (2.0 + 2 + 3) / 3},      // rule 5
        {"1311", (2.0 + 0) / 2},          // rule 8: weights 0 2 0 0
        {"4441", (4.0 + 0) / 2},          // rule 8: a weight of 0 is neither over nor one
        {"5355", (2.0 + 0) / 2},          // rule 8
        {"2333", (2.0 + 1) / 2},          // rule 8: w71 is 0
    };
    // Items 70 and 75 unanswered weigh 1 and 2.
    const Respuestas base = todas('0');
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.items71a74);
        const Puntuaciones p = puntuar(con(base, 71, caso.items71a74));
        EXPECT_DOUBLE_EQ(p[6], 1 + caso.y + 2);
    }
}

TEST(PuntuarRespuestas, TopeDeDiez) {
    const Respuestas base = todas('0');

    // Factor 1 weighs 3 + 0.75 + 0.5 + 0.75 + 1 + 3 + 2 + 1 = 12.
    const Respuestas carga = con(base, 1, "11141134113");
    EXPECT_EQ(puntuar(carga)[0], 10.0);
    // Item 8 answered 1 takes 3 off: under the cap, left alone.
    EXPECT_DOUBLE_EQ(puntuar(con(carga, 8, "1"))[0], 9.0);

    // Factor 4: 24 / 6 + 11 / 5 + 24 / 6 = 10.2.
    const Respuestas supervision = con(base, 35, "33333310000111111");
    EXPECT_EQ(puntuar(supervision)[3], 10.0);
    EXPECT_DOUBLE_EQ(puntuar(con(supervision, 46, "2"))[3], 24.0 / 6 + 11.0 / 5 + 22.0 / 6);
}

TEST(PuntuarRespuestas, CaracteresNoValidosPesanComoCero) {
    struct Caso {
        int item;
        char c;
    };
    const Caso noValidos[] = {
        {2, '5'},  {6, '4'},   {11, '9'},   {35, '4'},    {46, '4'},    {70, '4'},
        {71, '6'}, {1, ' '},   {33, 'x'},   {75, '/'},    {12, ':'},    {41, 'A'},
        {52, '-'}, {65, '\0'}, {9, '\xB5'}, {31, '\xFF'}, {72, '\x7F'},
    };
    // No '0' in the base, so every '0' counted comes from the case itself.
    const Respuestas base = todas('1');
    for (const Caso& caso : noValidos) {
        SCOPED_TRACE(testing::Message() << "item " << caso.item << ", char code "
                                        << static_cast<int>(static_cast<unsigned char>(caso.c)));
        const Respuestas conCaracter = con(base, caso.item, std::string_view(&caso.c, 1));
        const Respuestas conCero = con(base, caso.item, "0");
        EXPECT_EQ(puntuar(conCaracter), puntuar(conCero));
        EXPECT_EQ(ceros(conCaracter), 0);
        EXPECT_EQ(ceros(conCero), 1);
    }

    // The highest valid digit of an item is an answer, not a blank.
    const Caso validos[] = {{2, '4'},  {1, '5'},  {7, '3'}, {26, '5'},
                            {46, '3'}, {70, '3'}, {75, '5'}};
    for (const Caso& caso : validos) {
        SCOPED_TRACE(testing::Message() << "item " << caso.item << " = " << caso.c);
        EXPECT_NE(puntuar(con(base, caso.item, std::string_view(&caso.c, 1))),
                  puntuar(con(base, caso.item, "0")));
    }

    const Respuestas blancos = todas(' ');
    EXPECT_EQ(puntuar(blancos), puntuar(todas('0')));
    EXPECT_EQ(ceros(blancos), 0);
}

// Replaces what the scoring reads as no answer by '0'.
Respuestas depurar(Respuestas r) {
    for (int i = 1; i <= kNumItems; ++i) {
        char& c = r[i - 1];
        if (c < '0' || c > '0' + maximoRespuesta[i]) c = '0';
    }
    return r;
}

TEST(PuntuarRespuestas, PropiedadesSobreRespuestasAleatorias) {
    constexpr char kOtros[] = {' ', 'A', 'z', '/', ':', '\0', '\x80', '\xFF'};
    std::mt19937 gen(20240611);
    std::uniform_int_distribution<int> elegir(0, 10 + static_cast<int>(std::size(kOtros)) - 1);
    // Exactly 75 bytes on the heap so an address sanitizer sees any read past them.
    const auto buffer = std::make_unique<char[]>(kNumItems);

    for (int n = 0; n < 100000; ++n) {
        Respuestas r;
        for (char& c : r) {
            const int k = elegir(gen);
            c = k < 10 ? static_cast<char>('0' + k) : kOtros[k - 10];
        }
        std::copy(r.begin(), r.end(), buffer.get());
        Puntuaciones p{};
        const int sinRespuesta = puntuarRespuestas(buffer.get(), p);

        const Respuestas limpias = depurar(r);
        Puntuaciones q{};
        const int sinRespuestaLimpias = puntuarRespuestas(limpias.data(), q);

        for (int f = 0; f < kNumFactores; ++f) {
            ASSERT_GE(p[f], 0.0) << "factor " << f + 1 << " of " << texto(r);
            ASSERT_LE(p[f], 10.0) << "factor " << f + 1 << " of " << texto(r);
            ASSERT_EQ(std::bit_cast<std::uint64_t>(p[f]), std::bit_cast<std::uint64_t>(q[f]))
                << "factor " << f + 1 << " of " << texto(r);
        }
        ASSERT_EQ(sinRespuesta, std::ranges::count(r, '0')) << texto(r);
        ASSERT_EQ(sinRespuestaLimpias, std::ranges::count(limpias, '0')) << texto(r);
    }
}

// A score that is 4 or 7 in exact arithmetic can be computed a hair below and
// fall in the band under it until the file's 15 digits round it back: every
// score is what the company file gives back, so a figure is the same before a
// save and after the reopening. The first forms sit on those limits (a random
// form does once in three hundred).
TEST(PuntuarCuestionario, PuntuacionesIgualesTrasGuardarYLeer) {
    std::vector<std::string> formas = {
        "003121202110012021122100401410223401200023331303303300040112421400333313043",  // DR 4
        "230011110322021130023102340133133220310344410313333200444342423302042253013",  // CM 4
        "212421020211220431220310031040410312122002114003101444230414220414241104102",  // CM 7
        "131340320210222111133320111122443130010203342120333001201313211103303204432",  // CT 7
        "123040041423121322114034104423133030131313010022000004221142123241310314320",  // SP 7
    };
    std::mt19937 gen(26);
    for (int n = 0; n < 3000; ++n) {
        std::string r(kNumItems, '0');
        for (int i = 0; i < kNumItems; ++i)
            r[i] = static_cast<char>('0' + gen() % (maximoRespuesta[i + 1] + 1));
        formas.push_back(r);
    }
    prueba::ArchivosMemoria fs;
    TKoral origen;
    for (const std::string& r : formas) {
        auto q = std::make_unique<TCuestionario>();
        q->id = ++origen.ultimoId;
        q->nombre = std::to_string(q->id);
        std::copy(r.begin(), r.end(), q->respuestas.begin());
        puntuarCuestionario(*q);
        origen.cuestionarios.push_back(std::move(q));
    }
    origen.nCuestionarios = static_cast<std::int32_t>(formas.size());
    EXPECT_EQ(origen.cuestionarios[0]->puntuaciones[4], 4.0);

    origen.archivo = "/e/e.kr2";
    origen.guardarArchivo();
    TKoral leido;
    leido.leerArchivo("/e/e.kr2");
    ASSERT_EQ(leido.cuestionarios.size(), formas.size());
    for (std::size_t n = 0; n < formas.size(); ++n)
        for (int f = 0; f < kNumFactores; ++f)
            ASSERT_EQ(std::bit_cast<std::uint64_t>(origen.cuestionarios[n]->puntuaciones[f]),
                      std::bit_cast<std::uint64_t>(leido.cuestionarios[n]->puntuaciones[f]))
                << formas[n] << " factor " << f + 1;
}

TEST(PuntuarCuestionario, GuardaPuntuacionesYSinRespuesta) {
    TCuestionario nuevo;
    puntuarCuestionario(nuevo);
    EXPECT_EQ(nuevo.puntuaciones, puntuar(todas('0')));
    EXPECT_EQ(nuevo.sinRespuesta, 75);

    TCuestionario q;
    q.respuestas = con(todas('2'), 10, "0 90");
    q.puntuaciones.fill(-1);
    q.sinRespuesta = -1;
    puntuarCuestionario(q);
    EXPECT_EQ(q.puntuaciones, puntuar(q.respuestas));
    EXPECT_EQ(q.sinRespuesta, 2);
}

TEST(MediasGrupo, MediaDeLosMiembrosYPuntuacionesReescritas) {
    TCuestionario unos;
    unos.respuestas = todas('1');
    TCuestionario treses;
    treses.respuestas = todas('3');
    for (TCuestionario* q : {&unos, &treses}) {
        q->puntuaciones.fill(99);
        q->sinRespuesta = 99;
    }
    TGrupo g;
    g.cuestionarios = {&unos, &treses};
    g.medias.fill(7);

    mediasGrupo(g);

    const double rol1 = (0.0 + 0 + 0 + 0 + 0 + 0 + 0) * 5 / 7 + (0.7 + 0.6 + 2 + 0.7);
    const double rol3 = (0.5 + 0.5 + 0.5 + 0.5 + 0.8 + 0.5 + 0.8) * 5 / 7 + (0.2 + 0.2 + 0.5 + 0.2);
    const Puntuaciones esperadas{6.075, 2.5, 6.7, 6.9, (rol1 + rol3) / 2, 4, 3.5};
    for (int f = 0; f < kNumFactores; ++f)
        EXPECT_DOUBLE_EQ(g.medias[f], esperadas[f]) << "factor " << f + 1;
    EXPECT_EQ(unos.puntuaciones, puntuar(todas('1')));
    EXPECT_EQ(treses.puntuaciones, puntuar(todas('3')));
    EXPECT_EQ(unos.sinRespuesta, 0);
    EXPECT_EQ(treses.sinRespuesta, 0);
}

TEST(MediasGrupo, GrupoVacioQuedaEnCeros) {
    TGrupo g;
    g.medias.fill(5);
    mediasGrupo(g);
    EXPECT_EQ(g.medias, Puntuaciones{});
}

}  // namespace
}  // namespace koral
