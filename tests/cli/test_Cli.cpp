#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/Comandos.h"
#include "platform/Archivos.h"
#include "platform/SuperficieSvg.h"

namespace {

namespace fs = std::filesystem;

struct Resultado {
    int codigo;
    std::string out, err;
};

Resultado correr(std::vector<std::string> args, const std::string& entrada = "",
                 const koral::cli::Servicios& servicios = {}) {
    std::istringstream in(entrada);
    std::ostringstream out, err;
    const int c = koral::cli::ejecutar(args, in, out, err, servicios);
    return {c, out.str(), err.str()};
}

// Where every write fails, as stdout on a full disk.
struct SalidaLlena : std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
};

std::string leer(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

struct Cli : ::testing::Test {
    Cli() {
        dir = fs::temp_directory_path() / ("koral_cli_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Cli() override { fs::remove_all(dir); }
    std::string poner(const std::string& nombre, const std::string& contenido) {
        std::ofstream(dir / nombre, std::ios::binary) << contenido;
        return (dir / nombre).string();
    }
    fs::path dir;
};

const std::string kEjemplo = leer(fs::path(KORAL_FIXTURES) / "talleres.kr2");

}  // namespace

TEST_F(Cli, DumpPrintsTheCompanyAsJson) {
    const auto r = correr({"dump", poner("t.kr2", kEjemplo)});
    EXPECT_EQ(r.codigo, 0);
    EXPECT_EQ(r.err, "");
    const std::string esperado =
        "{\"nombre\":\"Talleres\",\"archivo\":\"" + (dir / "t.kr2").string() +
        "\",\"ultimoId\":4,\"nGrupos\":1,\"nCuestionarios\":1,\"nPerfiles\":1,"
        "\"modificado\":false,"
        "\"grupos\":[{\"id\":2,\"nombre\":\"Taller\",\"fecha\":38412,\"cuestionarios\":[3]}],"
        "\"cuestionarios\":[{\"id\":3,\"nombre\":\"Operario 1\",\"fecha\":38412,\"grupos\":[2],"
        "\"respuestas\":\"" +
        std::string(75, '0') +
        "\",\"puntuaciones\":[0,0,0,0,0,0,0],\"sinRespuesta\":75}],"
        "\"perfiles\":[{\"id\":4,\"nombre\":\"Mañanas\",\"fecha\":38412,\"grupos\":[2],"
        "\"descripcion\":\"Turno de mañana\\r\\nPlanta 2\",\"observaciones\":\"\"}]}\n";
    EXPECT_EQ(r.out, esperado);
}

// Escapes found wherever they fall, each alone in its text: in a whole
// eight-byte word or in the tail.
TEST_F(Cli, DumpEscapesQuotesBackslashesAndControls) {
    const auto r = correr({"dump", poner("e.kr2",
                                         "E2 2 0 0 Planta \"A\" del sur\r\n"
                                         "G1  3.84120000000000E+0004 Sur\x1f\r\n"
                                         "G2  3.84120000000000E+0004 Sur \\ del norte\r\n")});
    EXPECT_EQ(r.codigo, 0);
    for (const char* nombre :
         {R"("Planta \"A\" del sur")", R"("Sur\u001f")", R"("Sur \\ del norte")"})
        EXPECT_NE(r.out.find(std::string("\"nombre\":") + nombre), std::string::npos) << r.out;
}

TEST_F(Cli, DumpReportsNoticesOnStderrInOrder) {
    const auto r = correr({"dump", poner("m.kr2", "E3 1 0 0 X\r\nc3 2\r\nZ\r\n")});
    EXPECT_EQ(r.codigo, 0);
    EXPECT_EQ(r.err,
              "Atención: Error 01 en el archivo de entrada\n"
              "Atención: Línea errónea en archivo. Posible corrupción\n"
              "Atención: Error: diferencia en los grupos. Arreglado\n");
    EXPECT_NE(r.out.find("\"modificado\":true"), std::string::npos);
}

TEST_F(Cli, DumpOfAMissingFileFailsAndCreatesNothing) {
    const auto ruta = (dir / "no.kr2").string();
    const auto r = correr({"dump", ruta});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.err.rfind("Error: ", 0), 0u);
    EXPECT_FALSE(fs::exists(ruta));
}

TEST_F(Cli, DumpOfAnUnreadableNumberIsAnError) {
    const auto r = correr({"dump", poner("b.kr2", "E1x 0 0 0 X\r\n")});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.err, "Error: Invalid numeric input\n");
    EXPECT_EQ(r.out, "");
}

TEST_F(Cli, SaveRewritesInPlaceWithBackupOrToANewFile) {
    // An LF-only copy comes back in the writer's CR LF form.
    std::string lf;
    for (char c : kEjemplo)
        if (c != '\r') lf += c;
    const auto ruta = poner("e.kr2", lf);
    EXPECT_EQ(correr({"save", ruta}).codigo, 0);
    EXPECT_EQ(leer(ruta), kEjemplo);
    EXPECT_EQ(leer(dir / "e.BAK"), lf);
    const auto otra = (dir / "copia.kr2").string();
    const auto r = correr({"save", ruta, otra});
    EXPECT_EQ(r.codigo, 0);
    EXPECT_EQ(leer(otra), kEjemplo);
    EXPECT_FALSE(fs::exists(dir / "copia.BAK"));
}

TEST_F(Cli, SaveDoesNotWriteACompanyThatFailedToRead) {
    const std::string malo = "E3 1 0 0 X\r\nG2 1x G\r\n";
    const auto ruta = poner("m.kr2", malo);
    EXPECT_EQ(correr({"save", ruta}).codigo, 1);
    EXPECT_EQ(leer(ruta), malo);
    EXPECT_FALSE(fs::exists(dir / "m.BAK"));
}

TEST_F(Cli, SaveRefusesACompanyAnotherProgramHasOpen) {
    const auto ruta = poner("e.kr2", kEjemplo + "G9  0.00000000000000E+0000 Otro\r\n");
    char equipo[256] = {};
    ::gethostname(equipo, sizeof equipo - 1);
    const auto nota = [&](pid_t pid) {
        poner(".e.kr2.lock",
              "KORAL20\nana\n" + std::string(equipo) + "\n" + std::to_string(pid) + "\nhoy\n");
    };
    nota(::getppid());  // alive
    const auto r = correr({"save", ruta});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.err, "Error: La empresa ya está abierta por ana en " + std::string(equipo) +
                         " desde hoy.\n");
    EXPECT_FALSE(fs::exists(dir / "e.BAK"));
    EXPECT_EQ(correr({"import", ruta, poner("d.txt", "\"Ana\",1\r\n")}).codigo, 1);
    EXPECT_EQ(leer(ruta).find("Ana"), std::string::npos);
    nota(999999999);  // gone: taken over, and given up at the end
    EXPECT_EQ(correr({"save", ruta}).codigo, 0);
    EXPECT_TRUE(fs::exists(dir / "e.BAK"));
    EXPECT_FALSE(fs::exists(dir / ".e.kr2.lock"));
}

TEST_F(Cli, SavingAGroupsCompanyKeepsItsGroupOrSaysSo) {
    if (::geteuid() != 0) {
        // Only root can hand files to other users and groups; a user can
        // still check that saving keeps a shared company's group and mode.
        const auto propia = poner("p.kr2", kEjemplo);
        fs::permissions(propia, fs::perms::owner_read | fs::perms::owner_write |
                                    fs::perms::group_read | fs::perms::group_write);
        ASSERT_EQ(correr({"save", propia}).codigo, 0);
        struct stat p {};
        ASSERT_EQ(::stat(propia.c_str(), &p), 0);
        EXPECT_EQ(p.st_gid, ::getegid());
        EXPECT_EQ(p.st_mode & 07777, 0660u);
        return;
    }
    // Root's companies, one of a group the saving user is a member of.
    const auto delGrupo = poner("g.kr2", kEjemplo);
    const auto deOtro = poner("o.kr2", kEjemplo);
    ASSERT_EQ(::chown(delGrupo.c_str(), 0, 4242), 0);
    ASSERT_EQ(::chown(deOtro.c_str(), 0, 4343), 0);
    fs::permissions(delGrupo, fs::perms::owner_read | fs::perms::owner_write |
                                  fs::perms::group_read | fs::perms::group_write);
    fs::permissions(deOtro, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::group_write | fs::perms::others_read);
    fs::permissions(dir, fs::perms::all);
    const pid_t hijo = ::fork();
    if (hijo == 0) {
        const gid_t grupo = 4242;
        if (::setgroups(1, &grupo) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        const auto a = correr({"save", delGrupo}), b = correr({"save", deOtro});
        std::ofstream(dir / "avisos") << a.err << b.err;
        ::_exit(a.codigo == 0 && b.codigo == 0 ? 0 : 1);
    }
    int estado = 0;
    ::waitpid(hijo, &estado, 0);
    ASSERT_TRUE(WIFEXITED(estado));
    EXPECT_EQ(WEXITSTATUS(estado), 0);
    struct stat g {
    }, o{};
    ASSERT_EQ(::stat(delGrupo.c_str(), &g), 0);
    ASSERT_EQ(::stat(deOtro.c_str(), &o), 0);
    EXPECT_EQ(g.st_uid, 65534u);
    EXPECT_EQ(g.st_gid, 4242u);
    EXPECT_EQ(g.st_mode & 07777, 0660u);
    // Outside the group: the user's own group may read no more than anyone.
    EXPECT_NE(o.st_gid, 4343u);
    EXPECT_EQ(o.st_mode & 07777, 0644u);
    const group* otro = ::getgrgid(4343);
    EXPECT_EQ(leer(dir / "avisos"),
              "Atención: La empresa se ha guardado, pero su archivo ya no pertenece al grupo «" +
                  (otro ? std::string(otro->gr_name) : "4343") +
                  "», así que los demás miembros de ese grupo quizá ya no puedan abrirla. El "
                  "administrador del equipo puede devolverle el grupo.\n");
}

TEST_F(Cli, BadUsageExitsTwo) {
    EXPECT_EQ(correr({}).codigo, 2);
    EXPECT_EQ(correr({"dump"}).codigo, 2);
    EXPECT_EQ(correr({"save", "a", "b", "c"}).codigo, 2);
    const auto r = correr({"volar"});
    EXPECT_EQ(r.codigo, 2);
    EXPECT_NE(r.err.find("Uso:"), std::string::npos);
    for (const char* ayuda : {"--help", "-h"}) {
        const auto a = correr({ayuda});
        EXPECT_EQ(a.codigo, 0);
        EXPECT_EQ(a.out.rfind("Uso: koral20-cli", 0), 0u);
        EXPECT_EQ(a.err, "");
    }
}

TEST_F(Cli, ScorePrintsSevenScoresAndTheUnanswered) {
    const auto r = correr({"score"}, std::string(75, '0') + "\n" + std::string(75, '1') + "\r\n");
    EXPECT_EQ(r.codigo, 0);
    EXPECT_EQ(r.out,
              "4.050000 4.000000 4.800000 5.000000 4.042857 4.750000 5.000000 75\n"
              "6.900000 0.000000 9.100000 9.000000 4.000000 2.000000 4.000000 0\n");
}

TEST_F(Cli, ScoreRefusesALineOfTheWrongLength) {
    const auto r = correr({"score"}, std::string(75, '0') + "\n" + std::string(74, '0') + "\n");
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.err.rfind("Error: línea 2", 0), 0u) << r.err;
}

TEST_F(Cli, ProfilePrintsFiguresAndTheDistribution) {
    const auto r = correr({"profile", poner("t.kr2", kEjemplo), "Mañanas"});
    EXPECT_EQ(r.codigo, 0) << r.err;
    std::vector<std::string> lineas;
    std::istringstream in(r.out);
    for (std::string l; std::getline(in, l);) lineas.push_back(l);
    ASSERT_EQ(lineas.size(), 1u + 7 + 1 + 439);
    EXPECT_EQ(lineas[0], "Nº Sujetos: 1");
    EXPECT_EQ(lineas[1], "CM\t 0.00\t100.00 %\t 0.00 %\t 0.00 %");
    EXPECT_EQ(lineas[7], "RP\t 0.00\t100.00 %\t 0.00 %\t 0.00 %");
    EXPECT_EQ(lineas[8], "Sin respuesta:\t  100 %");
    EXPECT_EQ(lineas[9], " 1. TIEMPO DE ATENCIÓN");
    EXPECT_EQ(lineas[10], "    0.00%   1  casi todo el tiempo");
    EXPECT_EQ(lineas[15], "  100.00%   sin respuesta");
}

TEST_F(Cli, ProfileNeedsAnExistingProfileAndAStorableName) {
    const auto ruta = poner("t.kr2", kEjemplo);
    auto r = correr({"profile", ruta, "mañanas"});  // names are exact
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.err.rfind("Error: ", 0), 0u);
    r = correr({"profile", ruta, "Mañanas 中"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.err.find("Error: "), std::string::npos);
    EXPECT_EQ(correr({"profile", ruta}).codigo, 2);
}

TEST_F(Cli, ExportWritesTheQuestionnaireLines) {
    const auto salida = (dir / "e.txt").string();
    EXPECT_EQ(correr({"export", poner("t.kr2", kEjemplo), salida}).codigo, 0);
    std::string esperado = "\"Operario 1\",\"Taller\"";
    for (int i = 0; i < 75; ++i) esperado += ",0";
    EXPECT_EQ(leer(salida), esperado + "\r\n");
    EXPECT_EQ(correr({"export", (dir / "no.kr2").string(), salida}).codigo, 1);
}

TEST_F(Cli, ImportIntoANewCompanyLogsAndSaves) {
    const auto entrada = poner("d.txt",
                               "\"Ana\",\"Turno de ma\xF1"
                               "ana\",1,2\r\nmal\r\n");
    const auto empresa = (dir / "nueva.kr2").string();
    const auto r = correr({"import", empresa, entrada});
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(r.out, "Procesando el archivo " + entrada + "\nError en línea\nArchivo " + entrada +
                         " procesado\n");
    const auto d = correr({"dump", empresa});
    EXPECT_NE(d.out.find("\"nombre\":\"Nombre de la Empresa\""), std::string::npos);
    EXPECT_NE(d.out.find("\"nombre\":\"Turno de mañana\""), std::string::npos);
    EXPECT_NE(d.out.find("\"respuestas\":\"12000"), std::string::npos);
    // A second import into the saved company keeps its backup.
    EXPECT_EQ(correr({"import", empresa, entrada}).codigo, 0);
    EXPECT_TRUE(fs::exists(dir / "nueva.BAK"));
    EXPECT_EQ(correr({"import", empresa}).codigo, 2);
}

TEST_F(Cli, ImportOfAnUnreadableFileFailsAndSavesNothing) {
    const auto entrada = poner("d.txt", "\"Ana\",1\r\n");
    const auto falta = (dir / "no.txt").string();
    const auto nueva = (dir / "nueva.kr2").string();
    auto r = correr({"import", nueva, entrada, falta});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.err, "Error: No existe el archivo " + falta + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(nueva));
    const auto empresa = poner("t.kr2", kEjemplo);
    r = correr({"import", empresa, entrada, dir.string()});  // a folder
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.err.rfind("Error: No se puede leer el archivo a importar (", 0), 0u) << r.err;
    EXPECT_EQ(leer(empresa), kEjemplo);
    EXPECT_FALSE(fs::exists(dir / "t.BAK"));
}

TEST_F(Cli, ScoresForSpreadsheetsAndStatisticsPrograms) {
    const auto ruta = poner("t.kr2", kEjemplo);
    const auto csv = (dir / "p.csv").string();
    EXPECT_EQ(correr({"puntuaciones", ruta, csv}).codigo, 0);
    std::string hoja = leer(csv);
    EXPECT_EQ(hoja.substr(0, 17), "\xEF\xBB\xBFIdentificador;");
    EXPECT_NE(hoja.find("\r\nOperario 1;Taller;0;"), std::string::npos);
    EXPECT_EQ(correr({"puntuaciones", ruta, csv, "--separador"}).codigo, 0);
    hoja = leer(csv);
    EXPECT_NE(hoja.find("\r\nOperario 1,Taller,0,"), std::string::npos);
    EXPECT_EQ(correr({"puntuaciones", ruta, csv, "--separador", "--decimal=,"}).codigo, 1);
    EXPECT_EQ(correr({"puntuaciones", ruta, csv, "--separador=\t"}).codigo, 0);
    EXPECT_EQ(correr({"puntuaciones", ruta}).codigo, 2);
}

// The window program runs under the user's locale, whose decimal mark may be
// ',' (Spanish) or even two bytes long (Pashto); every file that another
// program reads keeps '.' all the same.
TEST_F(Cli, FilesForOtherProgramsIgnoreTheLocale) {
    struct LocaleC {
        ~LocaleC() { std::setlocale(LC_ALL, "C"); }
    } restaurar;
    std::string linea = "\"Ana\",\"Taller\"";
    for (int i = 0; i < 75; ++i) linea += ",0";
    const auto empresa = (dir / "e.kr2").string();
    const auto csv = (dir / "p.csv").string(), prn = (dir / "c.prn").string();
    for (const char* locale : {"es_ES.UTF-8", "ps_AF.UTF-8"}) {
        SCOPED_TRACE(locale);
        ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr)
            << "missing: scripts/dependencias.sh generates it";
        char coma[8];
        std::snprintf(coma, sizeof coma, "%.1f", 0.5);
        ASSERT_STRNE(coma, "0.5");

        koral::SuperficieSvg svg(337, 245, "Sans");
        svg.fuente(6, koral::Estilo::Normal);
        svg.linea(29, 22, 29, 100);
        svg.polilinea({{272, 22}, {300, 40}});
        svg.texto(0, 0, "0");
        const std::string dibujo = svg.svg();
        for (const char* x : {"x1=\"29.5\" y1=\"22.5\"", "points=\"272.5,22.5 300.5,40.5\"",
                              "font-size=\"8\"", "y=\"7.44\""})
            EXPECT_NE(dibujo.find(x), std::string::npos) << x << "\n" << dibujo;

        fs::remove(empresa);
        ASSERT_EQ(correr({"import", empresa, poner("d.txt", linea + "\r\n")}).codigo, 0);
        EXPECT_NE(leer(empresa).find(" 4.05000000000000E+0000  4.00000000000000E+0000"),
                  std::string::npos);
        EXPECT_NE(correr({"dump", empresa}).out.find("\"puntuaciones\":[4.05,4,4.8,5,4.0428"),
                  std::string::npos);
        EXPECT_EQ(correr({"score"}, std::string(75, '0') + "\n").out,
                  "4.050000 4.000000 4.800000 5.000000 4.042857 4.750000 5.000000 75\n");
        ASSERT_EQ(correr({"puntuaciones", empresa, csv, "--separador"}).codigo, 0);
        EXPECT_NE(leer(csv).find(",0,4.05,4,4.8,5,4.0428"), std::string::npos);
        // The workbook's numbers, its first sheet unpacked.
        const auto xlsx = (dir / "p.xlsx").string(), hoja = (dir / "hoja.xml").string();
        ASSERT_EQ(correr({"puntuaciones", empresa, xlsx}).codigo, 0);
        ASSERT_EQ(std::system(("/usr/bin/python3 -c \"import sys,zipfile; sys.stdout.write("
                               "zipfile.ZipFile(sys.argv[1]).read('xl/worksheets/sheet1.xml')"
                               ".decode())\" " +
                               xlsx + " > " + hoja)
                                  .c_str()),
                  0);
        EXPECT_NE(leer(hoja).find("<v>4.05</v>"), std::string::npos);
        ASSERT_EQ(correr({"report", "cuestionario", empresa, "Ana", "--prn", prn}).codigo, 0);
        EXPECT_NE(leer(prn).find("\r\nCARGA MENTAL:    4.05\r\n"), std::string::npos);
    }
}

TEST_F(Cli, AFailedWriteOnStdoutIsAnError) {
    const auto ruta = poner("t.kr2", kEjemplo);
    const auto entrada = poner("d.txt", "\"Ana\",1\r\n");
    const std::vector<std::vector<std::string>> ordenes = {
        {"dump", ruta}, {"profile", ruta, "Mañanas"}, {"score"}, {"import", ruta, entrada}};
    for (const auto& args : ordenes) {
        SalidaLlena llena;
        std::ostream out(&llena);
        std::istringstream in(std::string(75, '0') + "\n");
        std::ostringstream err;
        EXPECT_EQ(koral::cli::ejecutar(args, in, out, err), 1) << args[0];
        EXPECT_EQ(err.str().rfind("Error: ", 0), 0u) << args[0];
    }
    EXPECT_EQ(leer(ruta), kEjemplo) << "an import whose log failed saves nothing";
}

TEST_F(Cli, OutputsNeverReplaceTheCompanyNorAnythingButARegularFile) {
    const auto empresa = poner("t.kr2", kEjemplo);
    fs::create_symlink("t.kr2", dir / "enlace.txt");
    ASSERT_EQ(::mkfifo((dir / "tuberia").c_str(), 0600), 0);
    fs::create_directory(dir / "carpeta");
    poner("solo.txt", "solo");
    fs::permissions(dir / "solo.txt", fs::perms::owner_read);
    // Another company, that another program (our parent) has open.
    const auto abierta = poner("abierta.kr2", kEjemplo);
    char equipo[256] = {};
    ::gethostname(equipo, sizeof equipo - 1);
    poner(".abierta.kr2.lock",
          "KORAL20\nana\n" + std::string(equipo) + "\n" + std::to_string(::getppid()) + "\nhoy\n");
    koral::cli::Servicios servicios;
    servicios.guardarGrafico = [](const koral::TPerfil&, koral::SalidaArchivo& s) {
        s.escribir("PNG", 3);
    };
    for (const std::string& salida :
         {empresa, (dir / "." / "t.kr2").string(), (dir / "enlace.txt").string(),
          (dir / "tuberia").string(), (dir / "carpeta").string(), (dir / "solo.txt").string(),
          abierta}) {
        for (const auto& args : std::vector<std::vector<std::string>>{
                 {"export", empresa, salida},
                 {"puntuaciones", empresa, salida},
                 {"profile", empresa, "Mañanas", "--chart", salida}}) {
            const auto r = correr(args, "", servicios);
            EXPECT_EQ(r.codigo, 1) << args[0] << " " << salida;
            EXPECT_EQ(r.err.rfind("Error: ", 0), 0u) << r.err;
            EXPECT_EQ(r.out, "");  // refused before anything is written
            // Scores go by the output's extension: a ".kr2" is refused as such.
            if (salida == abierta && args[0] != "puntuaciones") {
                EXPECT_EQ(r.err, "Error: No puede escribirse sobre " + abierta +
                                     ". La empresa ya está abierta por ana en " + equipo +
                                     " desde hoy.\n");
            }
        }
    }
    EXPECT_EQ(leer(abierta), kEjemplo);
    EXPECT_EQ(leer(empresa), kEjemplo);
    EXPECT_TRUE(fs::is_symlink(dir / "enlace.txt"));
    EXPECT_TRUE(fs::is_fifo(dir / "tuberia"));
    EXPECT_TRUE(fs::is_directory(dir / "carpeta"));
    EXPECT_EQ(leer(dir / "solo.txt"), "solo");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 7);
    // The chart itself goes through the same replacement.
    const auto r =
        correr({"profile", empresa, "Mañanas", "--chart", (dir / "g.png").string()}, "", servicios);
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(leer(dir / "g.png"), "PNG");
}
