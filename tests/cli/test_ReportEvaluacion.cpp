// koral20-cli report comparacion and evaluacion, run as the built program:
// exit codes, the print files' lines, and the PDF pages read back with
// pdftotext.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Texto.h"

namespace {

namespace fs = std::filesystem;
using V = std::vector<std::string>;

std::string leer(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// A print file's lines in UTF-8.
V lineas(const fs::path& p) {
    V v;
    std::istringstream in(koral::cp1252AUtf8(leer(p)));
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        v.push_back(l);
    }
    return v;
}

bool contiene(const V& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

struct Informes : ::testing::Test {
    Informes() {
        dir = fs::temp_directory_path() / ("koral_evaluacion_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::copy_file(KORAL_MUESTRA, dir / "m.kr2");
        fs::copy_file(fs::path(KORAL_FIXTURES) / "talleres.kr2", dir / "t.kr2");
    }
    ~Informes() override { fs::remove_all(dir); }

    // koral20-cli report ARGS in dir under LANG=es_ES.UTF-8; stderr kept in err.
    int report(const std::string& args) {
        const std::string orden = "cd '" + dir.string() +
                                  "' && env -u LC_ALL -u LC_NUMERIC LANG=es_ES.UTF-8 '" KORAL_CLI
                                  "' report " +
                                  args + " 2>err.txt >/dev/null";
        const int r = std::system(orden.c_str());
        err = leer(dir / "err.txt");
        return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
    }
    // The PDF's pages as text.
    V paginas(const std::string& pdf) {
        const std::string orden = "pdftotext -layout '" + (dir / pdf).string() + "' '" +
                                  (dir / (pdf + ".txt")).string() + "'";
        EXPECT_EQ(std::system(orden.c_str()), 0) << "pdftotext (poppler-utils)";
        V v(1);
        for (char c : leer(dir / (pdf + ".txt"))) {
            if (c == '\f')
                v.emplace_back();
            else
                v.back().push_back(c);
        }
        if (v.back().empty()) v.pop_back();
        return v;
    }
    // Every page's footer says its number and the page count.
    void pies(const V& p, const std::string& pdf) {
        for (std::size_t n = 0; n < p.size(); ++n)
            EXPECT_NE(
                p[n].find("Página " + std::to_string(n + 1) + " de " + std::to_string(p.size())),
                std::string::npos)
                << pdf << " page " << n + 1;
    }

    fs::path dir;
    std::string err;
};

TEST_F(Informes, ComparisonAsPrintFileAndPdfWithAnotherCompanysProfile) {
    // The threshold is the first company's: withheld by default, shown at 1.
    ASSERT_EQ(report("comparacion m.kr2 'Producción' --de t.kr2 'Mañanas' --prn c.prn"), 0) << err;
    EXPECT_EQ(err, "");
    const V retenido = lineas(dir / "c.prn");
    const auto perfil =
        std::find(retenido.begin(), retenido.end(), "Perfil: Mañanas (Talleres, 2005)");
    ASSERT_LT(perfil + 2, retenido.end());
    EXPECT_EQ(V(perfil + 1, perfil + 3),
              (V{"Nº Sujetos: 1", "Resultados no mostrados: menos de 5 personas"}));
    std::ofstream(dir / "m.koral.json") << R"({"version":1,"evaluacion":{"minimo":1}})";
    ASSERT_EQ(report("comparacion m.kr2 'Toda la plantilla' 'Producción' --de t.kr2 'Mañanas' "
                     "--prn c.prn"),
              0)
        << err;
    // Mañanas has one subject: the notice, naming it with its company and year.
    EXPECT_EQ(err,
              "Atención: con tan pocas personas sus respuestas podrían reconocerse. "
              "(Mañanas (Talleres, 2005))\n");
    const V l = lineas(dir / "c.prn");
    ASSERT_GT(l.size(), 30u);
    EXPECT_EQ(V(l.begin(), l.begin() + 4),
              (V{"Comparación de perfiles", "Empresa: Conservas del Cantábrico, S.A.",
                 "Referencia: Toda la plantilla", "Perfil: Toda la plantilla"}));
    EXPECT_EQ(l[5], "CM\t 5.69\t10.42 %\t72.92 %\t16.67 %");  // the reference: no difference
    EXPECT_TRUE(contiene(l, "CT\t 7.04\t 0.00 %\t55.00 %\t45.00 %\t+1.19"));
    EXPECT_TRUE(contiene(l, "Perfil: Mañanas (Talleres, 2005)"));
    // From the scores its file stores, as calcularPerfil takes them: zeros.
    EXPECT_TRUE(contiene(l, "CM\t 0.00\t100.00 %\t 0.00 %\t 0.00 %\t-5.69"));

    ASSERT_EQ(report("comparacion m.kr2 'Toda la plantilla' 'Producción' 'Turno de noche' "
                     "--pdf c.pdf"),
              0)
        << err;
    EXPECT_EQ(leer(dir / "c.pdf").substr(0, 4), "%PDF");
    const V p = paginas("c.pdf");
    pies(p, "c.pdf");
    EXPECT_NE(p[0].find("+1,19"), std::string::npos);  // the locale's separator
    EXPECT_NE(p[0].find("Turno de noche: 8 sujetos"), std::string::npos);

    // Another reference, by name or by the label of another company's profile.
    ASSERT_EQ(report("comparacion m.kr2 'Toda la plantilla' 'Producción' --referencia "
                     "'Producción' --prn r.prn"),
              0)
        << err;
    const V r = lineas(dir / "r.prn");
    ASSERT_GT(r.size(), 5u);
    EXPECT_EQ(r[2], "Referencia: Producción");
    EXPECT_EQ(r[5], "CM\t 5.69\t10.42 %\t72.92 %\t16.67 %\t+0.04");
    EXPECT_EQ(report("comparacion m.kr2 'Producción' --de t.kr2 'Mañanas' --referencia "
                     "'Mañanas (Talleres, 2005)' --prn r.prn"),
              0)
        << err;
    EXPECT_EQ(lineas(dir / "r.prn")[2], "Referencia: Mañanas (Talleres, 2005)");
}

TEST_F(Informes, AssessmentAsPdfWithAndWithoutTheDistributionAndAsPrintFile) {
    ASSERT_EQ(report("evaluacion m.kr2 --pdf e.pdf"), 0) << err;
    const V p = paginas("e.pdf");
    pies(p, "e.pdf");
    EXPECT_NE(p[0].find("48 cuestionarios"), std::string::npos);
    ASSERT_EQ(report("evaluacion m.kr2 --distribucion --pdf d.pdf"), 0) << err;
    const V d = paginas("d.pdf");
    pies(d, "d.pdf");
    EXPECT_GT(d.size(), p.size() + 5);  // five profiles' answers

    ASSERT_EQ(report("evaluacion m.kr2 --prn e.prn"), 0) << err;
    const V sinAnexo = lineas(dir / "e.prn");
    EXPECT_FALSE(std::any_of(sinAnexo.begin(), sinAnexo.end(), [](const std::string& x) {
        return x.rfind("Cuestionario:", 0) == 0;
    }));
    // With the sample's assessment data beside it, and the annex asked for.
    fs::copy_file(fs::path(KORAL_MUESTRA).replace_extension().replace_extension(".koral.json"),
                  dir / "m.koral.json");
    ASSERT_EQ(report("evaluacion m.kr2 --anexo --prn e.prn"), 0) << err;
    const V l = lineas(dir / "e.prn");
    EXPECT_TRUE(contiene(l, "Evaluador: Marta Ruiz Salcedo"));
    EXPECT_TRUE(contiene(l, "Participación:\tConservas del Cantábrico, S.A.\t48\t52\t92.3 %"));
    const auto perfil = std::find(l.begin(), l.end(), "Perfil: Producción, turno de noche");
    ASSERT_NE(perfil, l.end());
    EXPECT_EQ(V(perfil + 1, perfil + 4), (V{"Grupos:\tProducción\tTurno de noche", "Nº Sujetos: 6",
                                            "CM\t 5.31\t16.67 %\t83.33 %\t 0.00 %"}));
    EXPECT_TRUE(contiene(l, "Grupos:\ttoda la empresa"));
    EXPECT_TRUE(contiene(l, "Cuestionario:\tC000048\tCalidad\tTurno de tarde"));
    // --minimo over the companion's 5: the six of the night shift withheld.
    ASSERT_EQ(report("evaluacion m.kr2 --minimo 7 --prn e.prn"), 0) << err;
    const V siete = lineas(dir / "e.prn");
    const auto noche = std::find(siete.begin(), siete.end(), "Perfil: Producción, turno de noche");
    ASSERT_LT(noche + 3, siete.end());
    EXPECT_EQ(noche[3], "Resultados no mostrados: menos de 7 personas");
}

TEST_F(Informes, BadUsageFailuresAndCompanyFilesLeftAlone) {
    for (const char* args : {
             "comparacion m.kr2 'Producción' --prn x.prn",  // one profile
             "comparacion m.kr2 'Producción' 'Calidad' --de --prn x.prn",
             "comparacion m.kr2 'Producción' --de t.kr2 --prn x.prn",
             "comparacion m.kr2 'Producción' 'Administración' --prn x.prn --pdf x.pdf",
             "evaluacion m.kr2 otra.kr2 --prn x.prn",
             "comparacion m.kr2 'Producción' 'Calidad' --prn x.prn --referencia",
             "evaluacion m.kr2",
         }) {
        EXPECT_EQ(report(args), 2) << args;
        EXPECT_NE(err.find("Uso:"), std::string::npos) << args;
    }
    for (const char* n : {"0", "1001", "5x", "-3", ""}) {
        EXPECT_EQ(report("evaluacion m.kr2 --minimo '" + std::string(n) + "' --prn x.prn"), 2) << n;
        EXPECT_EQ(err.rfind("Error: --minimo necesita un número entero de 1 a 1000\n", 0), 0u)
            << err;
    }
    EXPECT_EQ(report("comparacion m.kr2 'Producción' 'No hay' --prn x.prn"), 1);
    EXPECT_EQ(err, "Error: no hay ningún perfil llamado \"No hay\"\n");
    EXPECT_EQ(report("comparacion m.kr2 'Producción' 'Administración' --referencia Calidad "
                     "--prn x.prn"),
              1);
    EXPECT_EQ(err,
              "Error: el perfil de referencia \"Calidad\" no está entre los perfiles "
              "comparados\n");
    std::string trece;
    for (int i = 0; i < 13; ++i) trece += " 'Producción'";
    EXPECT_EQ(report("comparacion m.kr2" + trece + " --prn x.prn"), 1);
    EXPECT_EQ(err,
              "Error: Se pueden comparar hasta 12 perfiles a la vez: el gráfico no "
              "distingue más.\n");
    EXPECT_EQ(report("comparacion m.kr2 'Producción' --de falta.kr2 'Producción' --prn x.prn"), 1);
    EXPECT_EQ(err.rfind("Error: ", 0), 0u) << err;
    EXPECT_FALSE(fs::exists(dir / "x.prn"));
    EXPECT_FALSE(fs::exists(dir / "falta.kr2"));  // only read, never created

    // Neither company file nor its companion is ever the output.
    std::ofstream(dir / "t.koral.json") << R"({"version":1})";
    const std::string m = leer(dir / "m.kr2"), t = leer(dir / "t.kr2");
    EXPECT_EQ(report("evaluacion m.kr2 --pdf m.kr2"), 1);
    EXPECT_EQ(report("comparacion m.kr2 'Producción' --de t.kr2 'Mañanas' --prn t.kr2"), 1);
    EXPECT_EQ(err.rfind("Error: ", 0), 0u) << err;
    EXPECT_EQ(report("comparacion m.kr2 'Producción' --de t.kr2 'Mañanas' --pdf t.koral.json"), 1);
    EXPECT_EQ(leer(dir / "m.kr2"), m);
    EXPECT_EQ(leer(dir / "t.kr2"), t);
    EXPECT_EQ(leer(dir / "t.koral.json"), R"({"version":1})");
}

}  // namespace
