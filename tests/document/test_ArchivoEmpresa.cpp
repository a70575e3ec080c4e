#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "document/ArchivoEmpresa.h"
#include "document/UData.h"
#include "platform/Fecha.h"
#include "support/ArchivosMemoria.h"
#include "support/AvisosRecogidos.h"
#include "support/EntradaGoteo.h"

using namespace koral;
using prueba::ArchivosMemoria;
using prueba::AvisosRecogidos;
using prueba::Muerte;

namespace {

const std::string kCeros(75, '0');
const std::string kCero = " 0.00000000000000E+0000";
const std::string kFecha = " 3.84120000000000E+0004";

// The small company: one group, one questionnaire in it, one profile selecting it.
std::string ejemplo() {
    std::string s = "E4 1 1 1 Talleres\r\n";
    s += "G2 " + kFecha + " Taller\r\n";
    s += "C3 " + kCeros + " ";
    for (int i = 0; i < 7; ++i) s += kCero + " ";
    s += kFecha + " Operario 1\r\n";
    s += "c3 2\r\n";
    s += "P4 " + kFecha +
         " Ma\xF1"
         "anas\r\n";
    s += "p4 2\r\n";
    s += "dTurno de ma\xF1"
         "ana\\lPlanta 2\r\n";
    s += "o\r\n";
    return s;
}

class SalidaTexto : public SalidaArchivo {
public:
    void escribir(const char* d, std::size_t n) override { texto.append(d, n); }
    void terminar() override {}
    std::string texto;
};

std::string escribir(const TKoral& doc) {
    SalidaTexto s;
    escribirEmpresa(doc, s);
    return s.texto;
}

std::string respuestas(const TCuestionario& q) {
    return {q.respuestas.begin(), q.respuestas.end()};
}

struct Lectura : ::testing::Test {
    // Reads `datos` as a file; returns the notices shown.
    std::vector<std::string> leer(const std::string& datos) {
        fs.archivos["/e/empresa.kr2"] = datos;
        doc.leerArchivo("/e/empresa.kr2");
        return avisos.mensajes;
    }
    AvisosRecogidos avisos;
    ArchivosMemoria fs;
    TKoral doc{avisos.sumidero()};
};

}  // namespace

TEST(EscrituraEmpresa, WritesTheSmallCompanyByteForByte) {
    fijarFechaHoy(38412);
    TKoral doc;
    doc.iniciarEmpresa("Talleres");
    TGrupo* g = doc.agregarGrupo("Taller");
    TCuestionario* q = doc.agregarCuestionario("Operario 1");
    enlazar(*q, *g);
    TPerfil* p = doc.agregarPerfil(
        "Ma\xF1"
        "anas");
    p->grupos.push_back(g);
    p->descripcion =
        "Turno de ma\xF1"
        "ana\r\nPlanta 2";
    fijarFechaHoy(std::nullopt);
    EXPECT_EQ(escribir(doc), ejemplo());
}

TEST_F(Lectura, ReadsTheSmallCompanyAndWritesItBackUnchanged) {
    EXPECT_TRUE(leer(ejemplo()).empty());
    EXPECT_EQ(doc.nombre, "Talleres");
    EXPECT_EQ(doc.ultimoId, 4);
    EXPECT_FALSE(doc.modificado);
    EXPECT_EQ(doc.archivo, "/e/empresa.kr2");
    ASSERT_EQ(doc.grupos.size(), 1u);
    ASSERT_EQ(doc.cuestionarios.size(), 1u);
    ASSERT_EQ(doc.perfiles.size(), 1u);
    const TGrupo& g = *doc.grupos[0];
    const TCuestionario& q = *doc.cuestionarios[0];
    const TPerfil& p = *doc.perfiles[0];
    EXPECT_EQ(g.id, 2);
    EXPECT_EQ(g.fecha, 38412);
    EXPECT_EQ(g.nombre, "Taller");
    EXPECT_EQ(g.cuestionarios, std::vector<TCuestionario*>{doc.cuestionarios[0].get()});
    EXPECT_EQ(q.grupos, std::vector<TGrupo*>{doc.grupos[0].get()});
    EXPECT_EQ(respuestas(q), kCeros);
    EXPECT_EQ(q.sinRespuesta, 75);
    EXPECT_EQ(q.nombre, "Operario 1");
    EXPECT_EQ(p.nombre,
              "Ma\xF1"
              "anas");
    EXPECT_EQ(p.grupos, std::vector<TGrupo*>{doc.grupos[0].get()});
    EXPECT_EQ(p.descripcion,
              "Turno de ma\xF1"
              "ana\r\nPlanta 2");
    EXPECT_EQ(p.observaciones, "");
    EXPECT_EQ(escribir(doc), ejemplo());
}

TEST(EscrituraEmpresa, RealsTakeTheFixed23CharacterForm) {
    TKoral doc;
    auto q = std::make_unique<TCuestionario>();
    q->puntuaciones = {3, 0.25, -1.5, 4.042857142857143, 0.1 + 0.2, 1e-300, -0.0};
    q->fecha = 123456789012345678.0;
    doc.cuestionarios.push_back(std::move(q));
    const std::string s = escribir(doc);
    const std::string esperado =
        " 3.00000000000000E+0000  2.50000000000000E-0001 "
        "-1.50000000000000E+0000  4.04285714285714E+0000 "
        " 3.00000000000000E-0001  1.00000000000000E-0300 "
        " 0.00000000000000E+0000  1.23456789012346E+0017 ";
    EXPECT_NE(s.find(kCeros + " " + esperado + "\r\n"), std::string::npos) << s;
}

TEST(EscrituraEmpresa, RealsRoundAtThe15thDigitLikeAGeneralConversion) {
    // Exact halves go to the even digit; carries move to the next decade;
    // values just below a negative power of ten and subnormals too.
    TKoral doc;
    auto q = std::make_unique<TCuestionario>();
    q->puntuaciones = {123456789012345.5,
                       123456789012344.5,
                       999999999999999.5,
                       std::nextafter(10.0, 0),
                       std::nextafter(1e-8, 0),
                       std::nextafter(0.1, 0),
                       5e-324};
    q->fecha = 46300.654328703706;
    doc.cuestionarios.push_back(std::move(q));
    const std::string esperado =
        " 1.23456789012346E+0014  1.23456789012344E+0014 "
        " 1.00000000000000E+0015  1.00000000000000E+0001 "
        " 1.00000000000000E-0008  1.00000000000000E-0001 "
        " 4.94065645841247E-0324  4.63006543287037E+0004 ";
    EXPECT_NE(escribir(doc).find(kCeros + " " + esperado + "\r\n"), std::string::npos);
}

TEST_F(Lectura, ValuesSurviveTheRoundTripTo15Digits) {
    auto q = std::make_unique<TCuestionario>();
    q->id = 7;
    q->nombre = "Q";
    q->puntuaciones = {4.042857142857143, 10, 0, 6.075, 1.0 / 3, 2.5, 9.999999999999999};
    q->fecha = 45000;
    TKoral origen;
    origen.nCuestionarios = 1;
    origen.cuestionarios.push_back(std::move(q));
    leer(escribir(origen));
    const auto& leido = doc.cuestionarios.at(0)->puntuaciones;
    EXPECT_EQ(leido[0], 4.04285714285714);
    EXPECT_EQ(leido[1], 10);
    EXPECT_EQ(leido[3], 6.075);
    EXPECT_EQ(leido[4], 0.333333333333333);
    EXPECT_EQ(doc.cuestionarios[0]->fecha, 45000);
}

TEST_F(Lectura, HeaderAloneGivesAnEmptyNamedCompany) {
    EXPECT_TRUE(leer("E17 0 0 0 Conservas del Norte\r\n").empty());
    EXPECT_EQ(doc.nombre, "Conservas del Norte");
    EXPECT_EQ(doc.ultimoId, 17);
    EXPECT_TRUE(doc.grupos.empty());
}

TEST_F(Lectura, EmptyFileGivesAnEmptyCompany) {
    EXPECT_TRUE(leer("").empty());
    EXPECT_EQ(doc.nombre, "");
    EXPECT_EQ(doc.ultimoId, 0);
    EXPECT_FALSE(doc.modificado);
}

TEST_F(Lectura, MissingFileIsCreatedEmpty) {
    doc.leerArchivo("/e/nueva.kr2");
    EXPECT_EQ(fs.archivos.at("/e/nueva.kr2"), "");
    EXPECT_EQ(doc.archivo, "/e/nueva.kr2");
    EXPECT_TRUE(avisos.mensajes.empty());
}

TEST_F(Lectura, EmptyPathIsRefusedAndChangesNothing) {
    doc.nombre = "Antes";
    doc.agregarGrupo("G");
    doc.leerArchivo("");
    EXPECT_EQ(avisos.mensajes, std::vector<std::string>{"El nombre de archivo está vacio"});
    EXPECT_EQ(doc.grupos.size(), 1u);
    EXPECT_EQ(doc.archivo, "");
}

TEST_F(Lectura, WrongHeaderCountsAreRepairedInOrder) {
    const auto m = leer("E9 1 2 3 X\r\n");
    EXPECT_EQ(m, (std::vector<std::string>{"Error: diferencia en los grupos. Arreglado",
                                           "Error: diferencia en los cuestionarios. Arreglado",
                                           "Error: diferencia en los perfiles. Arreglado"}));
    EXPECT_EQ(doc.nGrupos + doc.nCuestionarios + doc.nPerfiles, 0);
    EXPECT_TRUE(doc.modificado);
}

TEST_F(Lectura, OnlyTheWrongCountIsReported) {
    EXPECT_EQ(leer("E2 1 0 0 X\r\n"),
              std::vector<std::string>{"Error: diferencia en los grupos. Arreglado"});
    EXPECT_EQ(doc.nGrupos, 0);
}

TEST_F(Lectura, AnswersAboveTheOptionCountBecomeNoAnswer) {
    std::string r = kCeros;
    r[0] = '5';  // item 1 has five options: valid
    r[1] = '5';  // item 2 has four
    r[2] = '4';
    r[10] = '9';
    r[11] = ' ';  // below '0': kept as it is
    r[12] = '/';
    r[14] = '\xF1';  // 'ñ': a code above 127 is above every option count
    r[15] = '\x80';
    // The same at the end of the line, where the last sixteen overlap.
    r[60] = '9';
    r[61] = '1';
    r[62] = ' ';
    r[74] = '\xF1';
    std::string s = "E3 0 0 1 X\r\nC3 " + r + " ";
    for (int i = 0; i < 8; ++i) s += kCero + " ";
    s += "Q\r\n";
    EXPECT_TRUE(leer(s).empty());
    const TCuestionario& q = *doc.cuestionarios.at(0);
    EXPECT_EQ(respuestas(q).substr(0, 16), "50400000000 /000");
    EXPECT_EQ(respuestas(q).substr(59), "001 000000000000");
    EXPECT_EQ(q.sinRespuesta, 69);
}

TEST_F(Lectura, DuplicateNamesKeepTheFirstRecord) {
    const auto m = leer("E9 1 0 1 X\r\nG2 " + kFecha + " Taller\r\nG3 " + kFecha +
                        " Taller\r\nC4 " + kCeros + " " +
                        [] {
                            std::string t;
                            for (int i = 0; i < 8; ++i) t += kCero + " ";
                            return t;
                        }() +
                        "Q\r\nc4 3\r\nc4 2\r\n");
    EXPECT_EQ(m, std::vector<std::string>{"Error 01 en el archivo de entrada"});
    ASSERT_EQ(doc.grupos.size(), 1u);
    EXPECT_EQ(doc.grupos[0]->id, 2);
    EXPECT_EQ(doc.cuestionarios[0]->grupos.size(), 1u);
}

TEST_F(Lectura, LinkSeparatorOtherThanBlankIsReportedButLinks) {
    std::string s = "E4 1 0 1 X\r\nG2 " + kFecha + " G\r\nC3 " + kCeros + " ";
    for (int i = 0; i < 8; ++i) s += kCero + " ";
    s += "Q\r\nc3\t2\r\n";
    EXPECT_EQ(leer(s), std::vector<std::string>{"separador no válido"});
    EXPECT_EQ(doc.grupos[0]->cuestionarios.size(), 1u);
}

TEST_F(Lectura, UnconvertibleNumberEndsTheReadKeepingWhatWasRead) {
    std::string s = "E4 1 0 1 X\r\nG2 " + kFecha + " G\r\nC3 " + kCeros + " ";
    for (int i = 0; i < 8; ++i) s += kCero + " ";
    s += "Q\r\nc3-2\r\nG5 " + kFecha + " Nunca\r\n";
    fs.archivos["/e/x.kr2"] = s;
    try {
        doc.leerArchivo("/e/x.kr2");
        FAIL() << "expected an error";
    } catch (const ErrorArchivo& e) {
        EXPECT_STREQ(e.what(), "Invalid numeric input");
    }
    EXPECT_EQ(doc.grupos.size(), 1u);
    EXPECT_EQ(doc.cuestionarios.size(), 1u);
    EXPECT_TRUE(avisos.mensajes.empty());  // no count check after a failure
    EXPECT_EQ(doc.nGrupos, 1);             // but the counts match what is held
    EXPECT_EQ(doc.nCuestionarios, 1);
}

// A large file tells its progress from 0 to its size in steps, and a "stop"
// ends the reading at once, with the counts true to what was read.
TEST(LecturaProgreso, ReportsAscendingBytesAndStopsWhenTold) {
    std::string datos = "E1 0 0 40000 X\r\n";
    for (int i = 1; i <= 40000; ++i) {
        datos += "C" + std::to_string(i + 1) + " " + kCeros + " ";
        for (int k = 0; k < 8; ++k) datos += kCero + " ";
        datos += "Q" + std::to_string(i) + "\r\n";
    }
    std::vector<std::size_t> vistos;
    TKoral doc;
    leerEmpresa(doc, datos, [&](std::size_t leidos, std::size_t total) {
        EXPECT_EQ(total, datos.size());
        vistos.push_back(leidos);
        return true;
    });
    ASSERT_GE(vistos.size(), 4u);  // 8 MB: a step each megabyte
    EXPECT_EQ(vistos.front(), 0u);
    EXPECT_EQ(vistos.back(), datos.size());
    EXPECT_TRUE(std::is_sorted(vistos.begin(), vistos.end()));
    EXPECT_EQ(doc.cuestionarios.size(), 40000u);

    TKoral parado;
    int llamadas = 0;
    EXPECT_THROW(
        leerEmpresa(parado, datos, [&](std::size_t, std::size_t) { return ++llamadas < 3; }),
        LecturaCancelada);
    EXPECT_EQ(llamadas, 3);
    EXPECT_GT(parado.cuestionarios.size(), 0u);
    EXPECT_LT(parado.cuestionarios.size(), 40000u);
    EXPECT_EQ(parado.nCuestionarios, static_cast<std::int32_t>(parado.cuestionarios.size()));
}

TEST_F(Lectura, NumbersThatAreNotNumbersEndTheRead) {
    for (const char* malo : {"E1x 0 0 0 X\r\n", "E99999999999 0 0 0 X\r\n", "G2 nan X\r\n",
                             "G2 1e999 X\r\n", "G2 1e X\r\n", "G2 . X\r\n", "Gabc\r\n"}) {
        TKoral d;
        fs.archivos["/e/m.kr2"] = malo;
        EXPECT_THROW(d.leerArchivo("/e/m.kr2"), ErrorArchivo) << malo;
    }
}

TEST_F(Lectura, LenientNumbersThatConvert) {
    EXPECT_TRUE(leer("E+5 4 0 0 X\r\nG-7 1.5e1 Uno\r\nG8 .5 Dos\r\nG9 3. Tres\r\n"
                     "G10 -2E+02 Cuatro\r\n")
                    .empty());
    ASSERT_EQ(doc.grupos.size(), 4u);
    EXPECT_EQ(doc.grupos[0]->id, -7);
    EXPECT_EQ(doc.grupos[0]->fecha, 15);
    EXPECT_EQ(doc.grupos[1]->fecha, 0.5);
    EXPECT_EQ(doc.grupos[2]->fecha, 3);
    EXPECT_EQ(doc.grupos[3]->fecha, -200);
}

TEST_F(Lectura, LinkBeforeItsRecordsFails) {
    EXPECT_EQ(leer("E3 1 0 0 X\r\nc3 2\r\nG2 " + kFecha + " G\r\n"),
              std::vector<std::string>{"Error 01 en el archivo de entrada"});
}

TEST_F(Lectura, UnknownTagsAndEmptyLinesAreReportedAndSkipped) {
    const auto m = leer("E3 1 0 0 X\r\n\r\nZ cualquier cosa G9\r\nG2 " + kFecha + " G\r\n\n");
    EXPECT_EQ(m, std::vector<std::string>(3, "Línea errónea en archivo. Posible corrupción"));
    ASSERT_EQ(doc.grupos.size(), 1u);
    EXPECT_EQ(doc.grupos[0]->nombre, "G");
}

TEST_F(Lectura, LineFeedOnlyFilesRead) {
    std::string s = ejemplo();
    std::string lf;
    for (char c : s)
        if (c != '\r') lf += c;
    EXPECT_TRUE(leer(lf).empty());
    EXPECT_EQ(doc.perfiles.at(0)->descripcion,
              "Turno de ma\xF1"
              "ana\r\nPlanta 2");
    EXPECT_EQ(escribir(doc), ejemplo());
}

TEST_F(Lectura, CtrlZEndsTheFile) {
    EXPECT_TRUE(leer("E3 1 0 0 X\r\nG2 " + kFecha + " G\r\n\x1aG5 " + kFecha + " H\r\n").empty());
    EXPECT_EQ(doc.grupos.size(), 1u);
}

TEST_F(Lectura, RepeatedLinkLinesMakeOneMembership) {
    std::string s = ejemplo();
    s.insert(s.find("P4"), "c3 2\r\n");
    s.insert(s.find("dTurno"), "p4 2\r\n");
    EXPECT_TRUE(leer(s).empty());
    EXPECT_EQ(doc.grupos[0]->cuestionarios.size(), 1u);
    EXPECT_EQ(doc.cuestionarios[0]->grupos.size(), 1u);
    EXPECT_EQ(doc.perfiles[0]->grupos.size(), 1u);
    EXPECT_EQ(escribir(doc), ejemplo());
}

TEST_F(Lectura, DescriptionWithoutProfileIsReportedAndPassedOver) {
    const auto m =
        leer("E3 1 0 0 X\r\nG2 " + kFecha + " G\r\ndG9 " + kFecha + " Inventado\r\noC1 texto\r\n");
    EXPECT_EQ(m, (std::vector<std::string>{"Línea d errónea", "Línea o errónea"}));
    EXPECT_EQ(doc.grupos.size(), 1u);
    EXPECT_TRUE(doc.cuestionarios.empty());
}

TEST_F(Lectura, DroppedDuplicateProfileKeepsItsTextsAway) {
    std::string s = "E9 0 2 0 X\r\nP2 " + kFecha + " Perfil\r\ndPrimera\r\no\r\nP3 " + kFecha +
                    " Perfil\r\ndSegunda\r\noObs\r\n";
    const auto m = leer(s);
    EXPECT_EQ(m, (std::vector<std::string>{"Línea d errónea", "Línea o errónea",
                                           "Error: diferencia en los perfiles. Arreglado"}));
    ASSERT_EQ(doc.perfiles.size(), 1u);
    EXPECT_EQ(doc.perfiles[0]->descripcion, "Primera");
    EXPECT_EQ(doc.perfiles[0]->observaciones, "");
}

TEST_F(Lectura, TextsBelongToTheProfileOfTheLastSelectionLine) {
    std::string s = "E9 1 2 0 X\r\nG2 " + kFecha + " G\r\nP3 " + kFecha + " A\r\nP4 " + kFecha +
                    " B\r\np3 2\r\ndPara A\r\n";
    EXPECT_TRUE(leer(s).empty());
    EXPECT_EQ(doc.perfiles[0]->descripcion, "Para A");
    EXPECT_EQ(doc.perfiles[1]->descripcion, "");
    EXPECT_EQ(doc.perfiles[0]->grupos.size(), 1u);
}

TEST_F(Lectura, SelectionOfUnknownProfileOrGroupFails) {
    const auto m = leer("E9 1 1 0 X\r\nG2 " + kFecha + " G\r\nP3 " + kFecha +
                        " A\r\np3 8\r\np8 2\r\ndSin perfil\r\n");
    EXPECT_EQ(m,
              (std::vector<std::string>{"Error 02 en el archivo de entrada",
                                        "Error 02 en el archivo de entrada", "Línea d errónea"}));
    EXPECT_TRUE(doc.perfiles[0]->grupos.empty());
}

TEST_F(Lectura, LastIdentifierIsRaisedToTheHighestRead) {
    std::string s = ejemplo();
    s.replace(0, 2, "E2");
    EXPECT_TRUE(leer(s).empty());
    EXPECT_EQ(doc.ultimoId, 4);
    EXPECT_FALSE(doc.modificado);
    EXPECT_EQ(doc.agregarGrupo("Nuevo")->id, 5);
}

TEST_F(Lectura, NamesAreCutAt49AndTheRestOfTheLineDropped) {
    EXPECT_TRUE(leer("E2 1 0 0 " + std::string(70, 'n') + "\r\nG2 " + kFecha + " " +
                     std::string(60, 'g') + "\r\n")
                    .empty());
    EXPECT_EQ(doc.nombre, std::string(49, 'n'));
    EXPECT_EQ(doc.grupos.at(0)->nombre, std::string(49, 'g'));
}

TEST_F(Lectura, ProfileTextsWithAnyLineBreakRoundTrip) {
    TKoral origen;
    origen.nPerfiles = 1;
    auto p = std::make_unique<TPerfil>();
    p->id = 2;
    p->nombre = "P";
    p->descripcion = "uno\ndos\rtres\r\ncuatro";
    p->observaciones = "a\\lb";  // the two characters are the encoding itself
    origen.perfiles.push_back(std::move(p));
    const std::string s = escribir(origen);
    EXPECT_NE(s.find("duno\\ldos\\ltres\\lcuatro\r\n"), std::string::npos);
    EXPECT_TRUE(leer(s).empty());
    EXPECT_EQ(doc.perfiles.at(0)->descripcion, "uno\r\ndos\r\ntres\r\ncuatro");
    EXPECT_EQ(doc.perfiles[0]->observaciones, "a\r\nb");
}

TEST_F(Lectura, ShortQuestionnaireLineReadsOnAndStops) {
    // The 75 answers are read as characters, line ends included: a short
    // line cannot be told from a long one, and the numbers after it fail.
    EXPECT_THROW(leer("E3 2 0 1 X\r\nC3 0000\r\nG2 " + kFecha + " Grupo de la tarde\r\nG4 " +
                      kFecha + " Grupo de la noche\r\n"),
                 ErrorArchivo);
}

TEST_F(Lectura, TruncatedQuestionnaireLineKeepsWhatItHas) {
    const auto m = leer("E3 0 0 1 X\r\nC3 1234");
    ASSERT_EQ(doc.cuestionarios.size(), 1u);
    EXPECT_EQ(respuestas(*doc.cuestionarios[0]), "1234" + std::string(71, '0'));
    EXPECT_FALSE(m.empty());  // its separators are missing
}

TEST_F(Lectura, AnyBytesAreSurvived) {
    std::mt19937 azar(12345);
    const std::string semilla = ejemplo();
    for (int vuelta = 0; vuelta < 3000; ++vuelta) {
        std::string datos = semilla;
        const int cambios = 1 + static_cast<int>(azar() % 12);
        for (int k = 0; k < cambios; ++k) {
            const std::size_t pos = azar() % (datos.size() + 1);
            switch (azar() % 3) {
                case 0:
                    datos.insert(pos, 1, static_cast<char>(azar()));
                    break;
                case 1:
                    if (pos < datos.size()) datos.erase(pos, 1);
                    break;
                default:
                    if (pos < datos.size()) datos[pos] = static_cast<char>(azar());
            }
        }
        TKoral d;
        fs.archivos["/e/f.kr2"] = datos;
        try {
            d.leerArchivo("/e/f.kr2");
        } catch (const ErrorArchivo&) {
        }
        // Whatever was read must write out and read back without loss.
        const std::string escrito = escribir(d);
        TKoral otra;
        fs.archivos["/e/g.kr2"] = escrito;
        otra.leerArchivo("/e/g.kr2");
        EXPECT_EQ(escribir(otra), escrito) << "vuelta " << vuelta;
        if (HasFailure()) break;
    }
}

TEST_F(Lectura, OneEnormousLineIsOneBadLine) {
    EXPECT_EQ(leer(std::string(5'000'000, 'x')).size(), 1u);
    EXPECT_THROW(leer("E" + std::string(5'000'000, '7')), ErrorArchivo);
}

// --- saving ---

struct Guardado : ::testing::Test {
    Guardado() {
        fs.archivos["/e/empresa.kr2"] = ejemplo();
        doc.leerArchivo("/e/empresa.kr2");
        doc.nombre = "Talleres Nuevos";
        doc.modificado = true;
    }
    void esperarIntacto() {
        EXPECT_EQ(fs.archivos.at("/e/empresa.kr2"), ejemplo());
        EXPECT_TRUE(doc.modificado);
        for (const auto& [ruta, contenido] : fs.archivos)
            EXPECT_EQ(ruta.find(".~tmp"), std::string::npos) << ruta << " left behind";
    }
    ArchivosMemoria fs;
    TKoral doc;
};

TEST_F(Guardado, KeepsThePreviousFileAsTheBackup) {
    fs.archivos["/e/empresa.BAK"] = "antigua";
    doc.guardarArchivo();
    EXPECT_FALSE(doc.modificado);
    EXPECT_EQ(fs.archivos.at("/e/empresa.BAK"), ejemplo());
    const std::string primera = fs.archivos.at("/e/empresa.kr2");
    EXPECT_EQ(primera.substr(0, 26), "E4 1 1 1 Talleres Nuevos\r\n");
    doc.guardarArchivo();
    EXPECT_EQ(fs.archivos.at("/e/empresa.BAK"), primera);
    EXPECT_EQ(fs.archivos.size(), 2u);
}

TEST_F(Guardado, FirstSaveMakesNoBackup) {
    doc.archivo = "/e/otra.kr2";
    doc.guardarArchivo();
    EXPECT_EQ(fs.archivos.count("/e/otra.BAK"), 0u);
    EXPECT_EQ(fs.archivos.count("/e/otra.kr2"), 1u);
}

TEST_F(Guardado, RefusedBackupLeavesTheFileAsItWas) {
    fs.fallarRespaldo = true;
    try {
        doc.guardarArchivo();
        FAIL();
    } catch (const ErrorArchivo& e) {
        EXPECT_STREQ(e.what(), "No puede crearse archivo de respaldo.");
    }
    esperarIntacto();
}

TEST_F(Guardado, FullDiskAtAnyPointLeavesTheFileAsItWas) {
    const std::size_t total = escribir(doc).size();
    for (long n : {0L, 1L, 25L, static_cast<long>(total) - 1}) {
        fs.fallarTrasBytes = n;
        EXPECT_THROW(doc.guardarArchivo(), ErrorArchivo) << n;
        esperarIntacto();
    }
    fs.fallarTrasBytes = -1;
    fs.fallarAlTerminar = true;
    EXPECT_THROW(doc.guardarArchivo(), ErrorArchivo);
    esperarIntacto();
    fs.fallarAlTerminar = false;
    fs.fallarAlCrear = true;
    EXPECT_THROW(doc.guardarArchivo(), ErrorArchivo);
    esperarIntacto();
}

TEST_F(Guardado, FailedFinalMoveLeavesTheFileAsItWas) {
    fs.fallarTodoRenombre = true;
    EXPECT_THROW(doc.guardarArchivo(), ErrorArchivo);
    esperarIntacto();
}

TEST_F(Guardado, KilledAtAnyStepLeavesTheOldOrTheNewFileWhole) {
    const std::string nuevo = escribir(doc);
    int pasos = 0;
    for (int k = 0;; ++k) {
        ArchivosMemoria otro;
        otro.archivos["/e/empresa.kr2"] = ejemplo();
        otro.archivos["/e/empresa.BAK"] = "antigua";
        otro.morirEnPaso = k;
        bool murio = false;
        try {
            doc.guardarArchivo();
        } catch (const Muerte&) {
            murio = true;
        }
        const std::string& queda = otro.archivos.at("/e/empresa.kr2");
        EXPECT_TRUE(queda == ejemplo() || queda == nuevo) << "killed at step " << k;
        EXPECT_TRUE(otro.archivos.count("/e/empresa.BAK")) << k;
        if (!murio) {
            EXPECT_EQ(queda, nuevo);
            EXPECT_EQ(otro.archivos.at("/e/empresa.BAK"), ejemplo());
            pasos = k;
            break;
        }
        doc.modificado = true;
        // The next run removes what the killed save left.
        otro.morirEnPaso = -1;
        ArchivosMemoria despues;
        despues.archivos = otro.archivos;
        TKoral leido;
        leido.leerArchivo("/e/empresa.kr2");
        EXPECT_EQ(despues.archivos.size(), 2u) << k;
    }
    EXPECT_GE(pasos, 5);
}

TEST_F(Guardado, LinkedCompanyIsSavedIntoItsTargetKeepingTheLink) {
    fs.archivos["/datos/real.kr2"] = fs.archivos.at("/e/empresa.kr2");
    fs.archivos.erase("/e/empresa.kr2");
    fs.enlaces["/e/empresa.kr2"] = "/datos/real.kr2";
    doc.guardarArchivo();
    EXPECT_EQ(fs.archivos.count("/e/empresa.kr2"), 0u);
    EXPECT_EQ(fs.archivos.at("/datos/real.BAK"), ejemplo());
    EXPECT_EQ(fs.archivos.at("/datos/real.kr2").substr(0, 26), "E4 1 1 1 Talleres Nuevos\r\n");
    EXPECT_EQ(doc.archivo, "/e/empresa.kr2");
}

TEST_F(Guardado, WhatIsNoWritableRegularFileIsRefusedAndKept) {
    fs.soloLecturas.insert("/e/empresa.kr2");
    EXPECT_THROW(doc.guardarArchivo(), ErrorArchivo);
    esperarIntacto();
    doc.archivo = "/e/tuberia";
    fs.otros.insert("/e/tuberia");
    EXPECT_THROW(doc.guardarArchivo(), ErrorArchivo);
    EXPECT_TRUE(fs.otros.count("/e/tuberia"));
    EXPECT_EQ(fs.archivos.size(), 1u);
}

TEST_F(Guardado, StaleTemporaryFileIsNotTouched) {
    fs.archivos["/e/empresa.kr2.tmp"] = "de otro";
    doc.guardarArchivo();
    EXPECT_EQ(fs.archivos.at("/e/empresa.kr2.tmp"), "de otro");
    EXPECT_EQ(fs.archivos.at("/e/empresa.BAK"), ejemplo());
}

TEST_F(Guardado, FileNamedLikeItsBackupIsNeverDeleted) {
    fs.archivos["/e/copia.BAK"] = "datos";
    doc.archivo = "/e/copia.BAK";
    EXPECT_THROW(doc.guardarArchivo(), ErrorArchivo);
    EXPECT_EQ(fs.archivos.at("/e/copia.BAK"), "datos");
}

TEST(NombreRespaldo, ReplacesTheExtensionOfTheFileName) {
    EXPECT_EQ(nombreRespaldo("/e/empresa.kr2"), "/e/empresa.BAK");
    EXPECT_EQ(nombreRespaldo("/e/a.b.kr2"), "/e/a.b.BAK");
    EXPECT_EQ(nombreRespaldo("/e.d/empresa"), "/e.d/empresa.BAK");
    EXPECT_EQ(nombreRespaldo("empresa"), "empresa.BAK");
}

TEST(CerrarEmpresa, SavesAModifiedCompanyFirstAndPropagatesFailure) {
    ArchivosMemoria fs;
    fs.archivos["/e/e.kr2"] = ejemplo();
    TKoral doc;
    doc.leerArchivo("/e/e.kr2");
    doc.modificado = true;
    fs.fallarAlCrear = true;
    EXPECT_THROW(doc.cerrarEmpresa(), ErrorArchivo);
    EXPECT_EQ(doc.grupos.size(), 1u);  // nothing released before the failure
    fs.fallarAlCrear = false;
    doc.cerrarEmpresa();
    EXPECT_TRUE(doc.grupos.empty());
    EXPECT_EQ(fs.archivos.at("/e/e.BAK"), ejemplo());
}

TEST(DiscoReal, SavesAndReadsThroughTheFileSystem) {
    const auto dir = std::filesystem::temp_directory_path() / "koral_test_disco";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string ruta = (dir / "empresa.kr2").string();
    { std::ofstream(ruta, std::ios::binary) << ejemplo(); }
    TKoral doc;
    doc.leerArchivo(ruta);
    doc.modificado = true;
    doc.guardarArchivo();
    std::ifstream bak((dir / "empresa.BAK").string(), std::ios::binary);
    std::string contenido((std::istreambuf_iterator<char>(bak)), {});
    EXPECT_EQ(contenido, ejemplo());
    std::ifstream nuevo(ruta, std::ios::binary);
    std::string escrito((std::istreambuf_iterator<char>(nuevo)), {});
    EXPECT_EQ(escrito, ejemplo());
    TKoral carpeta;
    EXPECT_THROW(carpeta.leerArchivo(dir.string()), ErrorArchivo);
    std::filesystem::remove_all(dir);
}

TEST_F(Lectura, WrittenRealsReadBackAsTheirTextSays) {
    // The reader's quick path for the writer's own form must agree with a
    // general decimal conversion on every value.
    std::mt19937_64 azar(99);
    TKoral origen;
    origen.nCuestionarios = 2000;
    for (int i = 0; i < 2000; ++i) {
        auto q = std::make_unique<TCuestionario>();
        q->id = i + 2;
        q->nombre = "Q" + std::to_string(i);
        for (double& s : q->puntuaciones) {
            const auto bits = azar();
            double v;
            std::memcpy(&v, &bits, sizeof v);
            s = std::isfinite(v) ? v : (azar() % 1'000'000) / 997.0;
            // Half of them where scores and dates live, the quick path's range.
            if (bits & 1) s = std::ldexp(static_cast<double>(bits >> 11), -(i % 90)) * 1e-7;
        }
        q->fecha = static_cast<double>(azar() % 80000);
        origen.cuestionarios.push_back(std::move(q));
    }
    const std::string s = escribir(origen);
    EXPECT_TRUE(leer(s).empty());
    ASSERT_EQ(doc.cuestionarios.size(), 2000u);
    std::size_t pos = 0;
    for (const auto& q : doc.cuestionarios) {
        pos = s.find("\r\nC", pos) + 2;
        const char* p = s.c_str() + pos + s.substr(pos).find(' ') + 1 + 75;
        for (double leido : q->puntuaciones) {
            char* fin;
            const double esperado = std::strtod(p, &fin);
            ASSERT_EQ(leido, esperado) << std::string(p, static_cast<std::size_t>(fin - p));
            p = fin + 1;
        }
        EXPECT_EQ(q->fecha, std::strtod(p, nullptr));
    }
}

TEST_F(Lectura, SecondHeaderLineKeepsTheRecordsReadBeforeIt) {
    std::string s = ejemplo();
    s += "E9 1 1 2 Otra\r\nC8 " + kCeros + " ";
    for (int i = 0; i < 8; ++i) s += kCero + " ";
    s += "Operario 1\r\nc3 2\r\n";  // same name as the first: dropped
    leer(s);
    EXPECT_EQ(doc.nombre, "Otra");
    ASSERT_EQ(doc.cuestionarios.size(), 1u);
    EXPECT_EQ(doc.cuestionarios[0]->grupos.size(), 1u);
}

// Inputs that once broke the reader: each must read, write and read back alike.
TEST_F(Lectura, FuzzFindingsStayMended) {
    for (const auto& f :
         std::filesystem::directory_iterator(std::string(KORAL_FIXTURES) + "/fuzz")) {
        if (f.path().extension() != ".kr2") continue;
        std::ifstream in(f.path(), std::ios::binary);
        const std::string datos{std::istreambuf_iterator<char>(in), {}};
        TKoral d;
        try {
            leerEmpresa(d, datos);
        } catch (const ErrorArchivo&) {
        }
        const std::string escrito = escribir(d);
        TKoral otra;
        leerEmpresa(otra, escrito);
        EXPECT_EQ(escribir(otra), escrito) << f.path();
    }
}

namespace {

// `entradas` and every fuzz finding.
std::vector<std::string> conHallazgos(std::vector<std::string> entradas) {
    for (const auto& f :
         std::filesystem::directory_iterator(std::string(KORAL_FIXTURES) + "/fuzz")) {
        std::ifstream in(f.path(), std::ios::binary);
        entradas.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return entradas;
}

// Each input reads from memory as it does a few bytes at a time from an
// input that cannot start over, which checks names in order: the same
// document, notices and error.
void leenIgualATrozos(const std::vector<std::string>& entradas) {
    for (const std::string& datos : entradas) {
        AvisosRecogidos enMemoria, aTrozos;
        TKoral a(enMemoria.sumidero()), b(aTrozos.sumidero());
        std::string errorA, errorB;
        try {
            leerEmpresa(a, datos);
        } catch (const ErrorArchivo& e) {
            errorA = e.what();
        }
        prueba::EntradaGoteo goteo(datos);
        try {
            leerEmpresa(b, goteo);
        } catch (const ErrorArchivo& e) {
            errorB = e.what();
        }
        EXPECT_EQ(errorB, errorA);
        EXPECT_EQ(aTrozos.mensajes, enMemoria.mensajes);
        EXPECT_EQ(escribir(b), escribir(a));
    }
}

}  // namespace

// A file comes in pieces of any size: read a few bytes at a time, every
// input (each one a record or a field cut at every place) reads as it does whole.
TEST(LecturaPorTrozos, ReadsAsFromMemoryWhereverThePiecesEnd) {
    leenIgualATrozos(conHallazgos({ejemplo(), ejemplo() + "\x1A" + "G9 1 tras el fin\r\n",
                                   "E1 0 0 0 " + std::string(3000, 'x') + "\nG2  1 G\r"}));
}

// Names whose hashes coincide, the same or not: a repeat dropped before the
// links that name it, before a second record with its identifier, before an
// unreadable number.
TEST(LecturaPorTrozos, CollidingNameHashesReadAsInOrder) {
    const HashNombre usual =
        cambiarHashNombres([](std::string_view n) -> std::uint64_t { return n.size() % 3; });
    const auto c = [](int id, const std::string& nombre) {
        std::string s = "C" + std::to_string(id) + " " + kCeros + " ";
        for (int i = 0; i < 8; ++i) s += kCero + " ";
        return s + nombre + "\r\n";
    };
    const std::string e = ejemplo();
    const std::string tras = e.substr(0, e.find("P4"));
    leenIgualATrozos(conHallazgos({
        tras + c(5, "Operario 2") + "c5 2\r\n" + c(6, "Operario 33") + c(7, "O"),
        tras + c(5, "Operario 1") + "c5 2\r\n" + c(5, "Operario 2") + "c5 2\r\nc3 2\r\n",
        tras + c(3, "Operario 1") + c(6, "Operario 2") + "c3 2\r\nc6-2\r\n",
    }));
    cambiarHashNombres(usual);
}

TEST(DiscoReal, SavingWhereNoFileCanBeMadeChangesNothing) {
    TKoral doc;
    doc.nombre = "X";
    doc.modificado = true;
    doc.archivo = "/no/existe/esta/carpeta/empresa.kr2";
    EXPECT_THROW(doc.guardarArchivo(), ErrorArchivo);
    EXPECT_TRUE(doc.modificado);
    EXPECT_FALSE(std::filesystem::exists("/no/existe/esta/carpeta"));
    // A folder in the file's place: the old "file" is untouched.
    const auto dir = std::filesystem::temp_directory_path() / "koral_test_carpeta.kr2";
    std::filesystem::create_directories(dir);
    doc.archivo = dir.string();
    EXPECT_THROW(doc.guardarArchivo(), ErrorArchivo);
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    EXPECT_TRUE(doc.modificado);
    std::filesystem::remove_all(dir);
    for (const auto& f :
         std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
        EXPECT_EQ(f.path().string().find("koral_test_carpeta.kr2.tmp"), std::string::npos);
}

TEST_F(Lectura, LinkToASharedIdentifierGoesToTheFirstRecord) {
    std::string ceros;
    for (int i = 0; i < 8; ++i) ceros += kCero + " ";
    const auto m = leer("E9 1 0 2 X\r\nG2 " + kFecha + " G\r\nC3 " + kCeros + " " + ceros +
                        "Primero\r\nC3 " + kCeros + " " + ceros + "Segundo\r\nc3 2\r\n");
    EXPECT_TRUE(m.empty());
    ASSERT_EQ(doc.cuestionarios.size(), 2u);
    EXPECT_EQ(doc.cuestionarios[0]->grupos.size(), 1u);
    EXPECT_TRUE(doc.cuestionarios[1]->grupos.empty());
}
