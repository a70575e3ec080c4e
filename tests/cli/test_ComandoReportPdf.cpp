// koral20-cli report --pdf, run as the built program with Qt's PDF writer;
// its pages are read back with pdftotext and set against the window program's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "method/Perfil.h"
#include "platform/Texto.h"
#include "platform/qt/DispositivoSalida.h"
#include "reports/Informes.h"

namespace {

namespace fs = std::filesystem;
using namespace koral;

// Qt draws text only with an application object; offscreen, no display needed.
class EntornoQt : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char nombre[] = "test_ComandoReportPdf";
        static char* argv[] = {nombre, nullptr};
        aplicacion_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { aplicacion_.reset(); }

private:
    std::unique_ptr<QGuiApplication> aplicacion_;
};
const auto* const kEntornoQt = ::testing::AddGlobalTestEnvironment(new EntornoQt);

std::string inicio(const fs::path& p, std::size_t n) {
    std::ifstream f(p, std::ios::binary);
    std::string s(n, '\0');
    f.read(s.data(), static_cast<std::streamsize>(n));
    s.resize(static_cast<std::size_t>(f.gcount()));
    return s;
}

// A word on the pages: its page, its box in points and its text.
struct Palabra {
    int pagina;
    double x, y;
    std::string caja, texto;
    bool operator==(const Palabra& o) const {
        return pagina == o.pagina && caja == o.caja && texto == o.texto;
    }
};

std::vector<Palabra> palabras(const fs::path& pdf) {
    const fs::path html = pdf.string() + ".html";
    const std::string orden = "pdftotext -bbox '" + pdf.string() + "' '" + html.string() + "'";
    if (std::system(orden.c_str()) != 0) {
        ADD_FAILURE() << "pdftotext (poppler-utils) could not read " << pdf;
        return {};
    }
    std::ifstream f(html);
    std::vector<Palabra> v;
    int pagina = 0;
    // <word xMin="X" yMin="Y" xMax=".." yMax="..">TEXT</word>
    // from_chars: Qt has set the environment's locale, whose mark may be ','.
    const auto valor = [](const std::string& caja, const std::string& nombre) {
        const auto i = caja.find(nombre + "=\"");
        double x = -1.0;
        if (i != std::string::npos)
            std::from_chars(caja.data() + i + nombre.size() + 2, caja.data() + caja.size(), x);
        return x;
    };
    for (std::string linea; std::getline(f, linea);) {
        const auto inicio = linea.find("<word "), cierre = linea.find('>', inicio),
                   fin = linea.rfind("</word>");
        if (linea.find("<page ") != std::string::npos)
            ++pagina;
        else if (inicio != std::string::npos && cierre != std::string::npos &&
                 fin != std::string::npos && cierre < fin) {
            const std::string caja = linea.substr(inicio + 6, cierre - inicio - 6);
            v.push_back({pagina, valor(caja, "xMin"), valor(caja, "yMin"), caja,
                         linea.substr(cierre + 1, fin - cierre - 1)});
        }
    }
    return v;
}

// Where two readings first part, or "" when they are the same.
std::string diferencia(const std::vector<Palabra>& a, const std::vector<Palabra>& b) {
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (!(a[i] == b[i]))
            return "word " + std::to_string(i) + ": page " + std::to_string(a[i].pagina) + " " +
                   a[i].caja + " \"" + a[i].texto + "\" against page " +
                   std::to_string(b[i].pagina) + " " + b[i].caja + " \"" + b[i].texto + "\"";
    if (a.size() != b.size())
        return std::to_string(a.size()) + " words against " + std::to_string(b.size());
    return {};
}

struct ReportPdf : ::testing::Test {
    ReportPdf() {
        dir = fs::temp_directory_path() / ("koral_report_pdf_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~ReportPdf() override { fs::remove_all(dir); }

    // koral20-cli report in the environment `entorno` ("LANG=..."), without
    // the locale variables of the test's own.
    int cli(const std::string& entorno, const std::string& argumentos) const {
        return std::system(("env -u LC_ALL -u LC_NUMERIC -u LANG " + entorno + " '" +
                            std::string(KORAL_CLI) + "' report " + argumentos + " 2>/dev/null")
                               .c_str());
    }

    fs::path dir;
    const std::string muestra = std::string("'") + KORAL_MUESTRA + "'";
};

// The document's Title as pdfinfo shows it.
std::string tituloPdf(const fs::path& pdf) {
    const std::string orden = "pdfinfo '" + pdf.string() + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(orden.c_str(), "r"), pclose);
    std::string texto;
    char buf[4096];
    for (std::size_t n; p && (n = std::fread(buf, 1, sizeof buf, p.get())) > 0;)
        texto.append(buf, n);
    const auto i = texto.find("Title:");
    if (i == std::string::npos) return {};
    const auto desde = texto.find_first_not_of(' ', i + 6);
    return texto.substr(desde, texto.find('\n', desde) - desde);
}

// Each PDF is titled with its report's heading and company, not with the
// print job's name.
TEST_F(ReportPdf, EveryReportComesOutAsAPdfFile) {
    const std::string empresa = " - Conservas del Cantábrico, S.A.";
    const std::vector<std::array<std::string, 3>> casos = {
        {"vacio", "vacio", "CUESTIONARIO DEL MÉTODO DE EVALUACIÓN DE FACTORES PSICOSOCIALES"},
        {"perfil " + muestra + " 'Producción'", "perfil",
         "PERFILES DEL MÉTODO DE EVALUACIÓN DE FACTORES PSICOSOCIALES" + empresa},
        {"informe " + muestra, "informe", "Archivo empresa" + empresa},
        {"grupos " + muestra, "grupos", "Archivo empresa" + empresa},
        {"cuestionario " + muestra + " C000001", "cuestionario", "Cuestionario:C000001" + empresa},
        {"comparacion " + muestra + " 'Toda la plantilla' 'Producción'", "comparacion",
         "COMPARACIÓN DE PERFILES" + empresa},
        {"evaluacion " + muestra, "evaluacion",
         "INFORME DE EVALUACIÓN DE FACTORES PSICOSOCIALES" + empresa},
    };
    for (const auto& [args, nombre, titulo] : casos) {
        const fs::path pdf = dir / (nombre + ".pdf");
        EXPECT_EQ(cli("", args + " --pdf '" + pdf.string() + "'"), 0) << args;
        EXPECT_EQ(inicio(pdf, 4), "%PDF") << args;
        EXPECT_EQ(tituloPdf(pdf), titulo) << args;
    }
    // A folder that does not exist: an error, not a success.
    EXPECT_NE(cli("", "vacio --pdf '" + (dir / "no" / "v.pdf").string() + "'"), 0);
}

// The window program's first print job to PDF: the surface restored to the
// state a printer starts with, then the report.
void paginasVentana(const fs::path& ruta,
                    const std::function<void(Superficie&, TImpresora&)>& dibujar) {
    SuperficiePdf s(ruta.string(), kFuenteInformes);
    s.restaurar(SuperficieQt::Estado{});
    TImpresora impresora;
    dibujar(s, impresora);
    s.terminarDocumento();
}

TEST_F(ReportPdf, TheWindowProgramsPagesWordForWordUnderTheEnvironmentsLocale) {
    // Read as the command reads it, for each report.
    TKoral doc, conPerfil;
    doc.leerArchivo(KORAL_MUESTRA);
    PrepararInforme(doc);
    conPerfil.leerArchivo(KORAL_MUESTRA);
    TPerfil* perfil = conPerfil.buscarPerfil("Producción"_cp);
    ASSERT_NE(perfil, nullptr);
    calcularPerfil(conPerfil, *perfil);
    const std::vector<std::pair<std::string, std::function<void(Superficie&, TImpresora&)>>> casos =
        {
            {"vacio", [](Superficie& s, TImpresora& i) { DibujarCuestVacio(s, i); }},
            {"informe " + muestra,
             [&](Superficie& s, TImpresora& i) { DibujarInforme(doc, s, ',', i); }},
            {"perfil " + muestra + " 'Producción'",
             [&](Superficie& s, TImpresora& i) { DibujarPerfil(*perfil, s, ',', i); }},
        };
    int n = 0;
    for (const auto& [args, dibujar] : casos) {
        const fs::path linea = dir / ("cli" + std::to_string(n) + ".pdf");
        const fs::path ventana = dir / ("ventana" + std::to_string(n++) + ".pdf");
        ASSERT_EQ(cli("LANG=es_ES.UTF-8", args + " --pdf '" + linea.string() + "'"), 0) << args;
        paginasVentana(ventana, dibujar);
        const auto a = palabras(linea);
        EXPECT_GT(a.size(), 100u) << args;
        EXPECT_EQ(diferencia(a, palabras(ventana)), "") << args;
    }

    // Listing lines are one 8-point line apart: 79 dots at 600 per inch.
    const auto informe = palabras(dir / "cli1.pdf");
    ASSERT_GT(informe.size(), 10u);
    std::vector<double> tops;
    for (const auto& p : informe)
        if (p.pagina == 1 && (tops.empty() || p.y > tops.back() + 1)) tops.push_back(p.y);
    ASSERT_GT(tops.size(), 3u);
    double peor = 0;
    for (std::size_t i = 1; i < tops.size(); ++i)
        peor = std::max(peor, std::abs(tops[i] - tops[i - 1] - 79 * 72.0 / 600));
    EXPECT_LT(peor, 0.01);
    // A figure such as "5,69": digits, the separator, two digits.
    const auto numero = [&](const std::vector<Palabra>& v, char separador) {
        return std::any_of(v.begin(), v.end(), [&](const Palabra& p) {
            const auto& t = p.texto;
            const auto i = t.find(separador);
            return i != std::string::npos && i > 0 && t.size() == i + 3 &&
                   t.find_first_not_of("0123456789") == i &&
                   t.find_first_not_of("0123456789", i + 1) == std::string::npos;
        });
    };
    EXPECT_TRUE(numero(informe, ','));

    // LC_ALL comes first, and "C" prints '.'.
    const fs::path c = dir / "c.pdf";
    ASSERT_EQ(
        cli("LC_ALL=C LANG=es_ES.UTF-8", "informe " + muestra + " --pdf '" + c.string() + "'"), 0);
    const auto punto = palabras(c);
    EXPECT_TRUE(numero(punto, '.'));
    EXPECT_FALSE(numero(punto, ','));
}

}  // namespace
