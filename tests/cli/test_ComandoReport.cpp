// koral20-cli report, run in-process: print files byte for byte, pages
// through a recording surface standing for the PDF writer.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "cli/Comandos.h"
#include "support/ArchivosMemoria.h"
#include "support/SuperficieGrabadora.h"

namespace {

namespace fs = std::filesystem;
using koral::prueba::SuperficieGrabadora;

struct Resultado {
    int codigo;
    std::string out, err;
};

std::string leer(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// Records on `grabadora` and, like the PDF writer, writes its document into
// the output it was given once the document ends.
class SuperficiePrueba : public SuperficieGrabadora {
public:
    SuperficiePrueba(koral::SalidaArchivo& salida, std::shared_ptr<SuperficieGrabadora> grabadora)
        : SuperficieGrabadora(4724, 6780), salida_(salida), grabadora_(std::move(grabadora)) {}
    ~SuperficiePrueba() override { grabadora_->llamadas = llamadas; }
    void terminarDocumento() override {
        if (terminado_) return;
        terminado_ = true;
        SuperficieGrabadora::terminarDocumento();
        salida_.escribir("%PDF-prueba", 11);
    }

private:
    koral::SalidaArchivo& salida_;
    std::shared_ptr<SuperficieGrabadora> grabadora_;
    bool terminado_ = false;
};

struct Report : ::testing::Test {
    Report() {
        dir = fs::temp_directory_path() / ("koral_report_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        empresa = (dir / "t.kr2").string();
        fs::copy_file(fs::path(KORAL_FIXTURES) / "talleres.kr2", empresa);
        servicios.superficiePdf = [this](koral::SalidaArchivo& salida) {
            return std::make_unique<SuperficiePrueba>(salida, grabadora);
        };
    }
    ~Report() override { fs::remove_all(dir); }

    Resultado correr(std::vector<std::string> args) {
        std::istringstream in;
        std::ostringstream out, err;
        const int c = koral::cli::ejecutar(args, in, out, err, servicios);
        return {c, out.str(), err.str()};
    }
    std::string salida(const char* nombre) { return (dir / nombre).string(); }
    std::vector<std::string> textos() const { return grabadora->filtrar("texto "); }

    fs::path dir;
    std::string empresa;
    koral::cli::Servicios servicios;
    std::shared_ptr<SuperficieGrabadora> grabadora = std::make_shared<SuperficieGrabadora>(1, 1);
};

bool error(const Resultado& r) {
    return r.codigo == 1 && r.err.rfind("Error: ", 0) == 0;
}

TEST_F(Report, PrintFilesOfTheListingsByteForByte) {
    auto r = correr({"report", "grupos", empresa, "--prn", salida("g.prn")});
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(leer(salida("g.prn")), "Archivo de Talleres\r\nGrupos:\r\n  Taller\r\n");

    // The group means and the profiles are computed again first: profile
    // totals are memory only, and a company just read has none.
    r = correr({"report", "informe", empresa, "--prn", salida("i.prn")});
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(leer(salida("i.prn")),
              "Archivo de Talleres\r\nGrupos:\r\n  Taller\r\n"
              "        4.05    4.00    4.80    5.00    4.04    4.75    5.00\r\n"
              "Cuestionarios:\r\n  Operario 1\r\n  " +
                  std::string(75, '0') +
                  "\r\nPerfiles:\r\nMa\xF1"
                  "anas\r\n"
                  "      4.05    4.00    4.80    5.00    4.04    4.75    5.00\r\n");
}

TEST_F(Report, PrintFilesOfAQuestionnaireAndAProfile) {
    auto r = correr({"report", "cuestionario", empresa, "Operario 1", "--prn", salida("c.prn")});
    EXPECT_EQ(r.codigo, 0) << r.err;
    std::string esperado =
        "Cuestionario:Operario 1\r\n  Grupos a los que pertenece:\r\n  Taller\r\n"
        "  Respuestas:\r\n";
    for (int i = 1; i <= 75; ++i)
        esperado += (i < 10 ? "    " : "   ") + std::to_string(i) + ":0\r\n";
    esperado +=
        "CARGA MENTAL:    0.00\r\nAUTONOMIA TEMPORAL:    0.00\r\nCONTENIDO DEL TRABAJO:    0.00\r\n"
        "SUPERVISI\xD3N-PARTICIPACI\xD3N:    0.00\r\nDEFINICI\xD3N DE ROL:    0.00\r\n"
        "INTER\xC9S POR EL TRABAJADOR:    0.00\r\nRELACIONES PERSONALES:    0.00\r\n";
    EXPECT_EQ(leer(salida("c.prn")), esperado);

    r = correr({"report", "perfil", empresa, "Mañanas", "--prn", salida("p.prn")});
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(leer(salida("p.prn")),
              "Perfil Ma\xF1"
              "anas\r\n");
}

TEST_F(Report, PagesGoThroughThePdfSurface) {
    auto r = correr({"report", "cuestionario", empresa, "Operario 1", "--pdf", salida("c.pdf")});
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(textos().size(), 1u + 1 + 1 + 1 + 75 + 7);
    EXPECT_EQ(grabadora->llamadas.back(), "fin");
    EXPECT_EQ(leer(salida("c.pdf")), "%PDF-prueba");

    // The profile is computed before it is printed.
    r = correr({"report", "perfil", empresa, "Mañanas", "--pdf", salida("p.pdf")});
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(grabadora->llamadas.front(), "documento \"Imp. Perfiles\"");
    const auto v = textos();
    EXPECT_NE(std::find_if(v.begin(), v.end(),
                           [](const std::string& l) {
                               return l.find("\"Población: 1\"") != std::string::npos;
                           }),
              v.end());

    r = correr({"report", "vacio", "--pdf", salida("v.pdf")});
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(grabadora->llamadas.front(), "documento \"Imp. Cuestionarios\"");
}

TEST_F(Report, ThePlanOfTheCompanionFileAsCsvPrintFileAndPages) {
    const std::string acompanante = salida("t.koral.json");
    std::ofstream(acompanante)
        << R"({"version":1,"evaluacion":{"medidas":[)"
           R"({"medida":"Pausas; \"cortas\"","prioridad":"baja","factores":[2]},)"
           R"({"medida":"Rotación","prioridad":"alta","fin":"2027-03-31","estado":"hecha",)"
           R"("hecha":"2027-03-01"}],"proximaEvaluacion":"2028-10-01"}})";
    auto r = correr({"medidas", empresa, salida("m.csv"), "--separador"});
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(leer(salida("m.csv")),
              "\xEF\xBB\xBF"
              "Factores,Perfiles,Medida,Prioridad,Responsable,Recursos,Inicio,Fin,Estado,"
              "Fecha de realización,Seguimiento\r\n"
              ",,Rotación,Alta,,,,2027-03-31,Hecha,2027-03-01,\r\n"
              "Autonomía Temporal,,\"Pausas; \"\"cortas\"\"\",Baja,,,,,Pendiente,,\r\n");

    r = correr({"report", "medidas", empresa, "--prn", salida("m.prn")});
    EXPECT_EQ(r.codigo, 0) << r.err;
    const std::string prn = leer(salida("m.prn"));
    EXPECT_LT(prn.find("Medida:\tRotaci\xF3n\r\n"), prn.find("Medida:\tPausas; \"cortas\"\r\n"));
    EXPECT_TRUE(prn.ends_with("\r\nPr\xF3xima evaluaci\xF3n: 01/10/2028\r\n")) << prn;

    r = correr({"report", "medidas", empresa, "--pdf", salida("m.pdf")});
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(grabadora->llamadas.front(), "documento \"Imp. Plan de medidas\"");
    const auto v = textos();
    EXPECT_EQ(std::count_if(v.begin(), v.end(),
                            [](const std::string& l) {
                                return l.find("\"Rotación\"") != std::string::npos ||
                                       l.find("\"Pausas; \"cortas\"\"") != std::string::npos;
                            }),
              2);

    // Bad usage, a bad option, and the companion file as the destination.
    EXPECT_EQ(correr({"medidas", empresa}).codigo, 2);
    EXPECT_EQ(correr({"report", "medidas", empresa, "otra", "--prn", salida("x.prn")}).codigo, 2);
    EXPECT_TRUE(error(correr({"medidas", empresa, salida("x.csv"), "--separador=;;"})));
    const std::string antes = leer(acompanante);
    EXPECT_TRUE(error(correr({"medidas", empresa, acompanante})));
    EXPECT_TRUE(error(correr({"report", "medidas", empresa, "--prn", acompanante})));
    EXPECT_EQ(leer(acompanante), antes);
    EXPECT_FALSE(fs::exists(salida("x.csv")) || fs::exists(salida("x.prn")));

    // A damaged companion file is told, and the plan is empty.
    std::ofstream(acompanante) << "{";
    r = correr({"medidas", empresa, salida("m.csv")});
    EXPECT_EQ(r.codigo, 0);
    EXPECT_EQ(r.err.rfind("Atención: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    const std::string csv = leer(salida("m.csv"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1);  // the header alone
}

// Sets an environment variable (unsets it for nullptr) for one scope.
class Variable {
public:
    Variable(const char* nombre, const char* valor) : nombre_(nombre) {
        if (const char* v = std::getenv(nombre)) antes_ = v;
        valor ? ::setenv(nombre, valor, 1) : ::unsetenv(nombre);
    }
    ~Variable() { antes_ ? ::setenv(nombre_, antes_->c_str(), 1) : ::unsetenv(nombre_); }

private:
    const char* nombre_;
    std::optional<std::string> antes_;
};

TEST_F(Report, PagesTakeTheSeparatorOfTheLocaleTheEnvironmentNames) {
    std::string pedido;
    servicios.separadorDecimal = [&](const std::string& locale) {
        pedido = locale;
        return ',';
    };
    struct Caso {
        const char *todo, *numerico, *idioma, *locale;
    };
    const Caso casos[] = {
        {nullptr, nullptr, nullptr, "C"},
        {nullptr, nullptr, "es_ES.UTF-8", "es_ES.UTF-8"},
        {"", "de_DE", "es_ES.UTF-8", "de_DE"},  // set but empty is not set
        {"C", "de_DE", "es_ES.UTF-8", "C"},
    };
    for (const auto& c : casos) {
        Variable todo("LC_ALL", c.todo), numerico("LC_NUMERIC", c.numerico),
            idioma("LANG", c.idioma);
        pedido.clear();
        const auto r = correr({"report", "informe", empresa, "--pdf", salida("i.pdf")});
        EXPECT_EQ(r.codigo, 0) << r.err;
        EXPECT_EQ(pedido, c.locale);
    }
    EXPECT_EQ(textos()[3],
              "texto 0,160 \"    4,05    4,00    4,80    5,00    4,04    4,75    5,00\" 8 #000000");
    // The print file keeps '.'.
    EXPECT_EQ(correr({"report", "informe", empresa, "--prn", salida("i.prn")}).codigo, 0);
    EXPECT_NE(leer(salida("i.prn")).find("\r\n        4.05    4.00"), std::string::npos);
}

TEST_F(Report, AProfileOfFewSubjectsCarriesTheNoticeOnEveryPageAndOnStderr) {
    const std::string aviso =
        "Atención: con tan pocas personas sus respuestas podrían reconocerse.";
    auto r = correr({"report", "perfil", empresa, "Mañanas", "--pdf", salida("p.pdf")});
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(r.err, aviso + "\n");
    const auto v = textos();
    EXPECT_EQ(std::count_if(v.begin(), v.end(),
                            [&](const std::string& l) {
                                return l.find("\"" + aviso + "\" 8N") != std::string::npos;
                            }),
              static_cast<long>(grabadora->filtrar("pagina").size() + 1));
    r = correr({"report", "perfil", empresa, "Mañanas", "--prn", salida("p.prn")});
    EXPECT_EQ(r.codigo, 0);
    EXPECT_EQ(r.err, aviso + "\n");
}

TEST_F(Report, BadUsageExitsTwoAndWritesNothing) {
    const std::string prn = salida("x.prn");
    const std::vector<std::vector<std::string>> malos = {
        {"report"},
        {"report", "informe", empresa},
        {"report", "informe", empresa, "--prn"},
        {"report", "informe", empresa, "--prn", prn, "--pdf", salida("x.pdf")},
        {"report", "informe", empresa, "--prn", prn, "--prn", prn},
        {"report", "informe", empresa, "otro", "--prn", prn},
        {"report", "informe", "--prn", prn},
        {"report", "listado", empresa, "--prn", prn},
        {"report", "cuestionario", empresa, "--prn", prn},
        {"report", "perfil", empresa, "Mañanas", "más", "--prn", prn},
        {"report", "vacio", "--prn", prn},
        {"report", "vacio", empresa, "--pdf", salida("x.pdf")},
        {"report", "grupos", empresa, "--prn", ""},
    };
    for (const auto& args : malos) {
        const auto r = correr(args);
        EXPECT_EQ(r.codigo, 2) << args.size() << " " << args[1];
        EXPECT_NE(r.err.find("report TIPO"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(prn));
    EXPECT_FALSE(fs::exists(salida("x.pdf")));
}

TEST_F(Report, FailuresExitOneWithAnError) {
    EXPECT_TRUE(error(correr({"report", "grupos", salida("no.kr2"), "--prn", salida("a.prn")})));
    EXPECT_FALSE(fs::exists(salida("no.kr2")));
    EXPECT_TRUE(
        error(correr({"report", "cuestionario", empresa, "Nadie", "--prn", salida("a.prn")})));
    EXPECT_TRUE(error(correr({"report", "perfil", empresa, "mañanas", "--prn", salida("a.prn")})));
    EXPECT_TRUE(
        error(correr({"report", "perfil", empresa, "Mañanas 中", "--prn", salida("a.prn")})));
    EXPECT_FALSE(fs::exists(salida("a.prn")));
    // A print file that cannot be created.
    EXPECT_TRUE(
        error(correr({"report", "grupos", empresa, "--prn", (dir / "no" / "a.prn").string()})));
    // Writing over the company file would lose it.
    const std::string antes = leer(empresa);
    EXPECT_TRUE(error(correr({"report", "grupos", empresa, "--prn", empresa})));
    EXPECT_TRUE(
        error(correr({"report", "grupos", empresa, "--pdf", (dir / "." / "t.kr2").string()})));
    EXPECT_EQ(leer(empresa), antes);
    servicios.superficiePdf = nullptr;
    EXPECT_TRUE(error(correr({"report", "vacio", "--pdf", salida("v.pdf")})));
}

TEST_F(Report, OnlyAMissingOrRegularFileIsReplacedAndThroughItsLink) {
    ASSERT_EQ(::mkfifo(salida("tuberia").c_str(), 0600), 0);
    fs::create_symlink("tuberia", dir / "enlace.pdf");
    fs::create_directory(dir / "carpeta");
    std::ofstream(salida("solo.pdf")) << "solo";
    fs::permissions(salida("solo.pdf"), fs::perms::owner_read | fs::perms::group_read);
    for (const char* nombre : {"tuberia", "enlace.pdf", "carpeta", "solo.pdf"}) {
        EXPECT_TRUE(error(correr({"report", "vacio", "--pdf", salida(nombre)}))) << nombre;
        EXPECT_TRUE(error(correr({"report", "grupos", empresa, "--prn", salida(nombre)})))
            << nombre;
    }
    EXPECT_TRUE(fs::is_fifo(salida("tuberia")));
    EXPECT_TRUE(fs::is_symlink(dir / "enlace.pdf"));
    EXPECT_TRUE(fs::is_directory(dir / "carpeta"));
    EXPECT_EQ(leer(salida("solo.pdf")), "solo");

    // A link to a regular file stays a link; the file it names gets the
    // pages and keeps its permissions.
    std::ofstream(salida("real.pdf")) << "viejo";
    fs::permissions(salida("real.pdf"), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real.pdf", dir / "otro.pdf");
    EXPECT_EQ(correr({"report", "vacio", "--pdf", salida("otro.pdf")}).codigo, 0);
    EXPECT_TRUE(fs::is_symlink(dir / "otro.pdf"));
    EXPECT_EQ(leer(salida("real.pdf")), "%PDF-prueba");
    EXPECT_EQ(fs::status(salida("real.pdf")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(Report, APdfThatCannotBeWrittenWholeLeavesTheOldOne) {
    koral::prueba::ArchivosMemoria memoria;
    memoria.archivos["/d/v.pdf"] = "viejo";
    memoria.fallarTrasBytes = 5;
    EXPECT_TRUE(error(correr({"report", "vacio", "--pdf", "/d/v.pdf"})));
    EXPECT_EQ(memoria.archivos, (std::map<std::string, std::string>{{"/d/v.pdf", "viejo"}}));
    memoria.fallarTrasBytes = -1;
    memoria.fallarAlTerminar = true;
    EXPECT_TRUE(error(correr({"report", "vacio", "--pdf", "/d/v.pdf"})));
    EXPECT_EQ(memoria.archivos, (std::map<std::string, std::string>{{"/d/v.pdf", "viejo"}}));
}

}  // namespace
