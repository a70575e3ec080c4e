#include <gtest/gtest.h>

#include "document/Acompanante.h"
#include "document/Campana.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"

using namespace koral;

namespace {

const std::string kSal = "00112233445566778899aabbccddeeff";

TEST(Campana, KeptWholeWithUnknownFieldsAndNoCodeInClear) {
    // Python's hashlib.sha256(b"<salt>\n482913") gives the same.
    EXPECT_EQ(hashCodigo(kSal, "482913"),
              "db9c50cbde34719b1f10f53350f0de8fb04381bb109cb5692343c59b33fac84a");
    TCampanaGuardada c;
    c.codigo = "Turno-Ñ 7";
    c.preguntas = {{"Departamento", {"Producción"_cp, "Calidad"}}, {"Turno", {"Noche"}}};
    c.aviso = "Línea 1\r\nLínea 2"_cp;
    c.sal = kSal;
    c.codigos = {{hashCodigo(kSal, "482913"), true}, {hashCodigo(kSal, "100200"), false}};
    c.recibidas = 17;
    c.empezada = fechaDeCivil(2026, 12, 8);
    c.direccion = "http://10.0.0.5:8080/";
    c.ids = {4, 7};
    TAcompanante a;
    a.ponerSeccion("campana", R"({"futuro": 1})");
    ponerCampana(a, c);
    EXPECT_TRUE(campanaGuardada(a) == c);
    const std::string s = a.seccion("campana");
    EXPECT_NE(s.find(R"("futuro":1)"), std::string::npos);
    EXPECT_EQ(s.find("482913"), std::string::npos);
    EXPECT_NE(s.find(R"("empezada":"2026-12-08")"), std::string::npos);
    quitarCampana(a);
    EXPECT_FALSE(campanaGuardada(a));
}

TEST(Campana, ADamagedCampaignIsNone) {
    for (const char* s : {
             R"({"preguntas": []})",                                    // no code at all
             R"([1])",                                                  // not an object
             R"({"codigo": "123456", "preguntas": [{"grupos": []}]})",  // unnamed question
             R"({"codigo": "123456", "preguntas": [{"pregunta": "✓", "grupos": []}]})",
             R"({"sal": "00", "codigos": [{"hash": "ab"}]})",  // short salt and hash
             R"({"sal": "00112233445566778899aabbccddeeff", "codigos": [{"hash": 5}]})",
         }) {
        TAcompanante a;
        a.ponerSeccion("campana", s);
        EXPECT_FALSE(campanaGuardada(a)) << s;
    }
}

TEST(Campana, CollectedIdsSortedOnceEachWithGarbageSkipped) {
    TAcompanante a;
    EXPECT_TRUE(recogidos(a).empty());
    a.ponerSeccion("recogidos", R"([9, "x", -1, 3, 9])");
    anadirRecogidos(a, {5, 3});
    EXPECT_EQ(recogidos(a), (std::vector<std::int32_t>{3, 5, 9}));
    // A campaign's own list grows with the company's.
    TCampanaGuardada c;
    c.ids = {5};
    anadirRecogidos(a, c, {11, 5});
    EXPECT_EQ(c.ids, (std::vector<std::int32_t>{5, 11}));
    EXPECT_EQ(recogidos(a), (std::vector<std::int32_t>{3, 5, 9, 11}));
}

}  // namespace
