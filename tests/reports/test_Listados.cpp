// The company listings' text forms and page forms, and the print-file writer.
#include <gtest/gtest.h>

#include <functional>

#include "method/Puntuacion.h"
#include "platform/Texto.h"
#include "reports/Informes.h"
#include "support/ArchivosMemoria.h"
#include "support/SuperficieGrabadora.h"

namespace koral {
namespace {

using prueba::SuperficieGrabadora;
using V = std::vector<std::string>;

std::string t(int x, int y, const std::string& texto) {
    return "texto " + std::to_string(x) + "," + std::to_string(y) + " \"" + texto + "\" 8 #000000";
}

// Texts of the recorded calls, UTF-8 as the recorder keeps them.
V textos(const SuperficieGrabadora& s) {
    V v;
    for (const auto& l : s.filtrar("texto ")) {
        const auto a = l.find('"');
        const auto b = l.rfind('"');
        v.push_back(l.substr(a + 1, b - a - 1));
    }
    return v;
}

// Talleres Pérez: "Taller" with Operario 1 (every answer '1'), "Vacío" with
// no members, Operario 2 in no group, one profile of the whole company whose
// figures in memory are stale: the listing computes them again.
struct Empresa : ::testing::Test {
    Empresa() {
        doc.nombre = "Talleres Pérez"_cp;
        taller = doc.agregarGrupo("Taller");
        vacio = doc.agregarGrupo("Vacío"_cp);
        op1 = doc.agregarCuestionario("Operario 1");
        op1->respuestas.fill('1');
        op2 = doc.agregarCuestionario("Operario 2");
        op2->respuestas[4] = '3';
        enlazar(*op1, *taller);
        enlazar(*op1, *vacio);
        desenlazar(*op1, *vacio);
        perfil = doc.agregarPerfil("Mañanas"_cp);
        perfil->sumaPuntuaciones = {12.345, 0, 1, 2, 3, 4, 100};
    }
    TKoral doc;
    TGrupo* taller;
    TGrupo* vacio;
    TCuestionario* op1;
    TCuestionario* op2;
    TPerfil* perfil;
};

V utf8(const V& lineas) {
    V v;
    for (const auto& l : lineas) v.push_back(cp1252AUtf8(l));
    return v;
}

TEST_F(Empresa, CompanyReportTextForm) {
    PrepararInforme(doc);
    EXPECT_EQ(utf8(TextoInforme(doc)),
              (V{"Archivo de Talleres Pérez", "Grupos:", "  Taller",
                 "        6.90    0.00    9.10    9.00    4.00    2.00    4.00", "  Vacío",
                 "        0.00    0.00    0.00    0.00    0.00    0.00    0.00",
                 "Cuestionarios:", "  Operario 1", "  " + std::string(75, '1'), "  Operario 2",
                 "  0000300000" + std::string(65, '0'), "Perfiles:", "Mañanas",
                 "      6.90    0.00    9.10    9.00    4.00    2.00    4.00"}));
}

TEST_F(Empresa, PreparationRescoresEveryGroupsMembersInListOrder) {
    taller->medias.fill(99);
    vacio->medias.fill(99);
    op1->puntuaciones.fill(0);
    PrepararInforme(doc);
    EXPECT_DOUBLE_EQ(taller->medias[0], 6.9);
    EXPECT_DOUBLE_EQ(op1->puntuaciones[2], 9.1);
    EXPECT_EQ(vacio->medias, Puntuaciones{});
}

TEST(EmpresaVacia, ListingsOfAnEmptyCompanyHoldOnlyTheirHeadings) {
    TKoral doc;
    EXPECT_EQ(TextoInforme(doc), (V{"Archivo de ", "Grupos:", "Cuestionarios:", "Perfiles:"}));
    EXPECT_EQ(TextoGrupos(doc), (V{"Archivo de ", "Grupos:"}));
    SuperficieGrabadora s(400, 1000);
    TImpresora imp;
    DibujarInforme(doc, s, ',', imp);
    EXPECT_EQ(textos(s), (V{"Archivo empresa ", "Grupos:", "Cuestionarios:", "Perfiles:"}));
}

TEST_F(Empresa, CompanyReportPageFormUsesTheRegionalSeparatorAndCuts) {
    PrepararInforme(doc);
    SuperficieGrabadora s(400, 1000);
    TImpresora imp;
    DibujarInforme(doc, s, ',', imp);
    EXPECT_EQ(s.llamadas.front(), "documento \"Imp. Archivo\"");
    EXPECT_EQ(s.llamadas.back(), "fin");
    EXPECT_EQ(textos(s),
              (V{"Archivo empresa Talleres Pérez", "Grupos:", "  Taller",
                 "    6,90    0,00    9,10    9,00    4,00    2,00    4,00", "  Vacío",
                 "    0,00    0,00    0,00    0,00    0,00    0,00    0,00",
                 "Cuestionarios:", "  Operario 1", "Resp:" + std::string(75, '1'), "  Operario 2",
                 "Resp:0000300000" + std::string(65, '0'), "Perfiles:", "  Mañanas",
                 "    6,90    0,00    9,10    9,00    4,00    2,00    4,00"}));
    EXPECT_EQ(s.llamadas[1], t(0, 100, "Archivo empresa Talleres Pérez"));
    EXPECT_EQ(s.llamadas[2], t(0, 120, "Grupos:"));
}

TEST_F(Empresa, LongNamesAreCutWithTheirPrefix) {
    doc.nombre = std::string(70, 'E');
    taller->nombre = std::string(60, 'G');
    op1->nombre = std::string(70, 'Q');
    EXPECT_EQ(TextoInforme(doc)[0], "Archivo de " + std::string(49, 'E'));
    EXPECT_EQ(TextoGrupos(doc)[2], "  " + std::string(60, 'G'));  // the text form keeps it whole
    EXPECT_EQ(TextoCuestionario(*op1)[0], "Cuestionario:" + std::string(49, 'Q'));
    SuperficieGrabadora s(400, 100000);
    TImpresora imp;
    DibujarInforme(doc, s, '.', imp);
    const V v = textos(s);
    EXPECT_EQ(v[0], "Archivo empresa " + std::string(49, 'E'));
    EXPECT_EQ(v[2], "  " + std::string(49, 'G'));
    EXPECT_EQ(v[7], "  " + std::string(49, 'Q'));
}

TEST_F(Empresa, GroupListingBothForms) {
    EXPECT_EQ(utf8(TextoGrupos(doc)),
              (V{"Archivo de Talleres Pérez", "Grupos:", "  Taller", "  Vacío"}));
    SuperficieGrabadora s(400, 1000);
    TImpresora imp;
    imp.tituloTrabajo = "Imp. Perfiles";
    DibujarGrupos(doc, s, imp);
    // No title of its own: the previous job's.
    EXPECT_EQ(s.llamadas.front(), "documento \"Imp. Perfiles\"");
    EXPECT_EQ(textos(s), (V{"Archivo empresa Talleres Pérez", "Grupos:", "  Taller", "  Vacío"}));
}

TEST_F(Empresa, QuestionnaireListingTextForm) {
    op1->puntuaciones = {6.9, 0, 9.125, 9, 4, 2, 4};
    enlazar(*op1, *vacio);
    const V v = utf8(TextoCuestionario(*op1));
    ASSERT_EQ(v.size(), 1u + 1 + 2 + 1 + 75 + 7);
    EXPECT_EQ(V(v.begin(), v.begin() + 6),
              (V{"Cuestionario:Operario 1", "  Grupos a los que pertenece:", "  Taller", "  Vacío",
                 "  Respuestas:", "    1:1"}));
    EXPECT_EQ(v[13], "    9:1");
    EXPECT_EQ(v[14], "   10:1");
    EXPECT_EQ(v[79], "   75:1");
    EXPECT_EQ(
        V(v.begin() + 80, v.end()),
        (V{"CARGA MENTAL:    6.90", "AUTONOMIA TEMPORAL:    0.00", "CONTENIDO DEL TRABAJO:    9.13",
           "SUPERVISIÓN-PARTICIPACIÓN:    9.00", "DEFINICIÓN DE ROL:    4.00",
           "INTERÉS POR EL TRABAJADOR:    2.00", "RELACIONES PERSONALES:    4.00"}));
}

TEST_F(Empresa, QuestionnaireListingPageFormHasOneLinePerEntry) {
    op1->puntuaciones = {6.9, 0, 9.125, 9, 4, 2, 4};
    SuperficieGrabadora s(400, 100000);
    TImpresora imp;
    DibujarCuestionario(*op1, s, ',', imp);
    const V v = textos(s);
    ASSERT_EQ(v.size(), 1u + 1 + 1 + 1 + 75 + 7);
    EXPECT_EQ(V(v.begin(), v.begin() + 5),
              (V{"Cuestionario:Operario 1", "Grupos a los que pertenece:", "Taller",
                 "Respuestas:", "1:1"}));
    EXPECT_EQ(v[78], "75:1");
    EXPECT_EQ(v[79], "CARGA MENTAL:    6,90");
    EXPECT_EQ(v[81], "CONTENIDO DEL TRABAJO:    9,13");
    EXPECT_EQ(s.llamadas.front(), "documento \"\"");
    // Answers are printed as they stand, valid or not.
    op2->respuestas[0] = 'x';
    EXPECT_EQ(TextoCuestionario(*op2)[3], "    1:x");
}

TEST_F(Empresa, AListingThatExactlyFillsItsLastPageEndsThere) {
    // A page h high holds (h - 120) / 20 + 1 lines.
    struct Caso {
        const char* nombre;
        int alto;
        std::size_t paginas;
        std::function<void(Superficie&, TImpresora&)> dibujar;
    };
    const Caso casos[] = {
        {"grupos: 4 lines", 140, 2,
         [&](Superficie& s, TImpresora& i) { DibujarGrupos(doc, s, i); }},
        {"informe: 14 lines", 240, 2,
         [&](Superficie& s, TImpresora& i) { DibujarInforme(doc, s, '.', i); }},
        {"cuestionario sin grupos: 85 lines", 1800, 1,
         [&](Superficie& s, TImpresora& i) { DibujarCuestionario(*op2, s, '.', i); }},
        {"cuestionario sin grupos, 17 a page", 440, 5,
         [&](Superficie& s, TImpresora& i) { DibujarCuestionario(*op2, s, '.', i); }},
    };
    for (const auto& c : casos) {
        SuperficieGrabadora s(400, c.alto);
        TImpresora imp;
        c.dibujar(s, imp);
        EXPECT_EQ(s.filtrar("pagina").size() + 1, c.paginas) << c.nombre;
        ASSERT_GE(s.llamadas.size(), 2u);
        EXPECT_EQ(s.llamadas[s.llamadas.size() - 2].rfind("texto ", 0), 0u) << c.nombre;
    }
}

TEST(Nombres, FactorNamesAsPrinted) {
    V v;
    for (const char* n : nombresFactor) v.push_back(cp1252AUtf8(n));
    EXPECT_EQ(v, (V{"CARGA MENTAL", "AUTONOMIA TEMPORAL", "CONTENIDO DEL TRABAJO",
                    "SUPERVISIÓN-PARTICIPACIÓN", "DEFINICIÓN DE ROL", "INTERÉS POR EL TRABAJADOR",
                    "RELACIONES PERSONALES"}));
}

TEST(ArchivoImpresion, LinesEndWithCrLfInWindows1252AndAnOldFileIsEmptied) {
    prueba::ArchivosMemoria fs;
    fs.archivos["a.prn"] = "contenido anterior, bastante largo";
    EscribirArchivoImpresion("a.prn", {"Perfil Mañanas"_cp, "", "x"});
    EXPECT_EQ(fs.archivos["a.prn"],
              "Perfil Ma\xF1"
              "anas\r\n\r\nx\r\n");
    EscribirArchivoImpresion("b.prn", {});
    EXPECT_EQ(fs.archivos["b.prn"], "");
}

TEST(ArchivoImpresion, AFailingWriteLeavesTheOldFileAndPropagates) {
    prueba::ArchivosMemoria fs;
    fs.archivos["a.prn"] = "anterior";
    fs.fallarTrasBytes = 12;
    EXPECT_THROW(EscribirArchivoImpresion("a.prn", {"uno", "dos", "tres"}), ErrorArchivo);
    EXPECT_EQ(fs.archivos["a.prn"], "anterior");
    EXPECT_EQ(fs.archivos.size(), 1u);
    fs.fallarTrasBytes = -1;
    fs.fallarAlTerminar = true;
    EXPECT_THROW(EscribirArchivoImpresion("c.prn", {"uno"}), ErrorArchivo);
    fs.fallarAlTerminar = false;
    fs.fallarAlCrear = true;
    EXPECT_THROW(EscribirArchivoImpresion("d.prn", {"uno"}), ErrorArchivo);
    EXPECT_EQ(fs.archivos.count("d.prn"), 0u);
}

}  // namespace
}  // namespace koral
