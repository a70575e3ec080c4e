// koral20-cli report --pdf, run as the built program with Qt's PDF writer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

std::string inicio(const fs::path& p, std::size_t n) {
    std::ifstream f(p, std::ios::binary);
    std::string s(n, '\0');
    f.read(s.data(), static_cast<std::streamsize>(n));
    s.resize(static_cast<std::size_t>(f.gcount()));
    return s;
}

int correr(const std::string& argumentos) {
    return std::system(
        ("'" + std::string(KORAL_CLI) + "' report " + argumentos + " 2>/dev/null").c_str());
}

TEST(ComandoReportPdf, EveryReportComesOutAsAPdfFile) {
    const fs::path dir = fs::temp_directory_path() / "koral_report_pdf";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string muestra = std::string("'") + KORAL_MUESTRA + "'";
    const std::vector<std::pair<std::string, std::string>> casos = {
        {"vacio", "vacio"},
        {"perfil " + muestra + " 'Producción'", "perfil"},
        {"informe " + muestra, "informe"},
        {"grupos " + muestra, "grupos"},
        {"cuestionario " + muestra + " C000001", "cuestionario"},
    };
    for (const auto& [args, nombre] : casos) {
        const fs::path pdf = dir / (nombre + ".pdf");
        EXPECT_EQ(correr(args + " --pdf '" + pdf.string() + "'"), 0) << args;
        EXPECT_EQ(inicio(pdf, 4), "%PDF") << args;
    }
    // A folder that does not exist: an error, not a success.
    EXPECT_NE(correr("vacio --pdf '" + (dir / "no" / "v.pdf").string() + "'"), 0);
    fs::remove_all(dir);
}

}  // namespace
