// Whole-file replacement and the company lock on a real disk: permissions,
// links, special files, leftovers of killed writes, a second lock holder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/Archivos.h"
#include "platform/Bloqueo.h"

using namespace koral;
namespace fs = std::filesystem;

namespace {

struct Carpeta : ::testing::Test {
    Carpeta() {
        dir = fs::temp_directory_path() / ("koral_archivos_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Carpeta() override { fs::remove_all(dir); }
    std::string ruta(const char* nombre) const { return (dir / nombre).string(); }
    static void poner(const std::string& r, const std::string& texto) {
        std::ofstream(r, std::ios::binary) << texto;
    }
    static std::string leer(const std::string& r) {
        std::ifstream f(r, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    static void escribir(const std::string& r, const std::string& texto,
                         const std::string& respaldo = {}) {
        Reemplazo z(r);
        z.salida().escribir(texto.data(), texto.size());
        z.confirmar(respaldo);
    }
    static mode_t modo(const std::string& r) {
        struct stat st {};
        ::stat(r.c_str(), &st);
        return st.st_mode & 07777;
    }
    std::size_t entradas() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
    }
    fs::path dir;
};

// A process id that no process has: one that has just ended.
pid_t pidTerminado() {
    const pid_t p = ::fork();
    if (p == 0) ::_exit(0);
    ::waitpid(p, nullptr, 0);
    return p;
}

std::string equipo() {
    char n[256] = {};
    ::gethostname(n, sizeof n - 1);
    return n;
}

}  // namespace

TEST_F(Carpeta, ReplacingKeepsPermissionsAndGivesNewFilesTheUsersDefault) {
    const std::string r = ruta("e.kr2");
    poner(r, "viejo");
    ::chmod(r.c_str(), 0600);
    escribir(r, "nuevo", ruta("e.BAK"));
    EXPECT_EQ(leer(r), "nuevo");
    EXPECT_EQ(modo(r), 0600u);
    EXPECT_EQ(leer(ruta("e.BAK")), "viejo");
    EXPECT_EQ(modo(ruta("e.BAK")), 0600u);
    const mode_t antes = ::umask(027);
    escribir(ruta("n.txt"), "x");
    ::umask(antes);
    EXPECT_EQ(modo(ruta("n.txt")), 0640u);
    EXPECT_EQ(entradas(), 3u) << "no temporary file left";
}

TEST_F(Carpeta, FilesBesideACompanyAreNoWiderThanIt) {
    const mode_t antes = ::umask(022);
    const std::string r = ruta("e.kr2");
    const std::string marcas = ruta(".e.kr2.verificados");
    poner(r, "x");
    poner(marcas, "de antes");  // as older versions left them: 0644
    ::chmod(r.c_str(), 0750);
    // Root may give them the company's owner and group too.
    const bool dueno = ::geteuid() == 0 && ::chown(r.c_str(), 4242, 4343) == 0;
    {
        const auto b = BloqueoEmpresa::tomar(r, false);
        Reemplazo z(marcas, r);
        z.salida().escribir("y", 1);
        z.confirmar();
        for (const std::string& f : {rutaBloqueo(r), marcas}) {
            EXPECT_EQ(modo(f), 0640u) << f;
            struct stat st {};
            ASSERT_EQ(::stat(f.c_str(), &st), 0);
            if (dueno) {
                EXPECT_EQ(st.st_uid, 4242u) << f;
                EXPECT_EQ(st.st_gid, 4343u) << f;
            }
        }
    }
    ::umask(antes);
    EXPECT_EQ(entradas(), 2u);
}

TEST_F(Carpeta, ALinkIsKeptAndItsTargetReplaced) {
    fs::create_directories(dir / "real");
    const std::string destino = ruta("real/e.kr2");
    poner(destino, "viejo");
    fs::create_symlink("real/e.kr2", dir / "e.kr2");
    escribir(ruta("e.kr2"), "nuevo");
    EXPECT_TRUE(fs::is_symlink(dir / "e.kr2"));
    EXPECT_EQ(leer(destino), "nuevo");
    fs::create_symlink("ciclo", dir / "ciclo");
    EXPECT_THROW(Reemplazo{ruta("ciclo")}, ErrorArchivo);
}

TEST_F(Carpeta, OnlyAMissingOrWritableRegularFileIsReplaced) {
    const std::string fifo = ruta("f.kr2");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(Reemplazo{fifo}, ErrorArchivo);
    EXPECT_THROW(archivos().leerTodo(fifo), ErrorArchivo);  // and never blocks
    EXPECT_THROW(Reemplazo{"/dev/null"}, ErrorArchivo);
    EXPECT_THROW(Reemplazo{dir.string()}, ErrorArchivo);
    const std::string ro = ruta("ro.kr2");
    poner(ro, "quieto");
    ::chmod(ro.c_str(), 0444);
    EXPECT_THROW(escribir(ro, "x"), ErrorArchivo);
    EXPECT_EQ(leer(ro), "quieto");
    EXPECT_EQ(modo(ro), 0444u);
    // Nor is a FIFO where the backup goes.
    const std::string r = ruta("f.txt");
    poner(r, "viejo");
    try {
        escribir(r, "nuevo", fifo);
        ADD_FAILURE() << "a FIFO taken for a backup";
    } catch (const ErrorArchivo& e) {
        EXPECT_EQ(std::string(e.what()),
                  "No puede crearse archivo de respaldo. No es un archivo "
                  "normal: " +
                      fifo);
    }
    EXPECT_EQ(leer(r), "viejo");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(entradas(), 3u);
}

TEST_F(Carpeta, AnUnfinishedReplacementLeavesNothing) {
    const std::string r = ruta("e.txt");
    poner(r, "viejo");
    {
        Reemplazo z(r);
        z.salida().escribir("a medias", 8);
    }
    EXPECT_EQ(leer(r), "viejo");
    EXPECT_EQ(entradas(), 1u);
}

TEST_F(Carpeta, LeftoversOfGoneProcessesAreRemovedOthersKept) {
    const std::string r = ruta("e.kr2");
    poner(r, "x");
    const std::string muerto =
        ruta(".e.kr2.~") + equipo() + "." + std::to_string(pidTerminado()) + ".abc";
    const std::string vivo =
        ruta(".e.kr2.~") + equipo() + "." + std::to_string(::getppid()) + ".abc";
    const std::string ajeno = ruta(".e.kr2.~otro-equipo.1.abc");
    for (const auto& f : {muerto, vivo, ajeno}) poner(f, "tmp");
    archivos().limpiarTemporales(r);
    EXPECT_FALSE(fs::exists(muerto));
    EXPECT_TRUE(fs::exists(vivo));
    EXPECT_TRUE(fs::exists(ajeno));
}

TEST_F(Carpeta, CompanyLockIsSeenByOthersAndTakenOverWhenStale) {
    const std::string r = ruta("e.kr2");
    poner(r, "x");
    const std::string nota = rutaBloqueo(r);
    EXPECT_EQ(nota, ruta(".e.kr2.lock"));
    {
        auto b = BloqueoEmpresa::tomar(r, false);
        ASSERT_TRUE(b);
        EXPECT_TRUE(fs::exists(nota));
    }
    EXPECT_FALSE(fs::exists(nota));

    // Another live process (our parent) holds it.
    poner(nota, "KORAL20\nana\n" + equipo() + "\n" + std::to_string(::getppid()) +
                    "\n07/12/2026 10:15\n");
    TitularBloqueo t;
    EXPECT_FALSE(BloqueoEmpresa::tomar(r, false, &t));
    EXPECT_EQ(textoBloqueo(t),
              "La empresa ya est\xE1 abierta por ana en " + equipo() + " desde 07/12/2026 10:15.");
    {
        auto b = BloqueoEmpresa::tomar(r, true);  // "open anyway"
        ASSERT_TRUE(b);
        poner(nota, "KORAL20\nana\n" + equipo() + "\n" + std::to_string(::getppid()) + "\nluego\n");
    }
    EXPECT_TRUE(fs::exists(nota)) << "the other holder's note is not ours to remove";

    // Its process gone: taken over silently.
    poner(nota, "KORAL20\nana\n" + equipo() + "\n" + std::to_string(pidTerminado()) + "\nayer\n");
    EXPECT_TRUE(BloqueoEmpresa::tomar(r, false));
}

namespace {

// Another program taking company `r`'s note at once: it holds it, or not,
// until it is told to end.
struct OtroPrograma {
    explicit OtroPrograma(const std::string& r) {
        int resultado[2];
        if (::pipe(resultado) != 0 || ::pipe(fin_) != 0) return;
        pid = ::fork();
        if (pid == 0) {
            observarPasosBloqueo({});
            const auto b = BloqueoEmpresa::tomar(r, false);
            const char c = b ? '1' : '0';
            if (::write(resultado[1], &c, 1) == 1) {
                char x;
                ::close(fin_[1]);
                while (::read(fin_[0], &x, 1) > 0) {
                }
            }
            ::_exit(0);
        }
        ::close(resultado[1]);
        ::close(fin_[0]);
        char c = 0;
        tiene = ::read(resultado[0], &c, 1) == 1 && c == '1';
        ::close(resultado[0]);
    }
    ~OtroPrograma() {
        ::close(fin_[1]);
        ::waitpid(pid, nullptr, 0);
    }
    pid_t pid = -1;
    bool tiene = false;

private:
    int fin_[2] = {-1, -1};
};

}  // namespace

TEST_F(Carpeta, OfTwoProgramsTakingOneNoteAtOnceOnlyOneHoldsIt) {
    const std::string r = ruta("e.kr2");
    poner(r, "x");
    const std::string nota = rutaBloqueo(r);
    // This one stopped after each of its steps while the other takes the
    // note, from a free note and from a stale one that both find.
    const std::pair<bool, PasoBloqueo> casos[] = {{false, PasoBloqueo::escrita},
                                                  {true, PasoBloqueo::escrita},
                                                  {true, PasoBloqueo::leida},
                                                  {true, PasoBloqueo::apartada}};
    for (const auto& [vieja, alto] : casos) {
        fs::remove(nota);
        if (vieja)
            poner(nota,
                  "KORAL20\nana\n" + equipo() + "\n" + std::to_string(pidTerminado()) + "\nayer\n");
        std::unique_ptr<OtroPrograma> otro;
        observarPasosBloqueo([&](PasoBloqueo p) {
            if (p == alto && !otro) otro = std::make_unique<OtroPrograma>(r);
        });
        auto nuestro = BloqueoEmpresa::tomar(r, false);
        observarPasosBloqueo({});
        ASSERT_TRUE(otro) << static_cast<int>(alto);
        EXPECT_NE(nuestro != nullptr, otro->tiene) << vieja << static_cast<int>(alto);
        const std::string titular = std::to_string(nuestro ? ::getpid() : otro->pid);
        EXPECT_NE(leer(nota).find("\n" + titular + "\n"), std::string::npos) << leer(nota);
    }
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find(".~"), std::string::npos) << e.path();
}
