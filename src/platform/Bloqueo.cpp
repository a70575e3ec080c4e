#include "platform/Bloqueo.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <thread>
#include <vector>

#include "platform/Archivos.h"
#include "platform/Texto.h"

namespace koral {

namespace {

constexpr const char* kMarca = "KORAL20";

std::function<void(PasoBloqueo)> gPaso;

void paso(PasoBloqueo p) {
    if (gPaso) gPaso(p);
}

std::string equipoLocal() {
    char nombre[256] = {};
    if (::gethostname(nombre, sizeof nombre - 1) != 0 || nombre[0] == 0) return "equipo";
    return nombre;
}

std::string usuarioLocal() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name) return pw->pw_name;
    if (const char* u = std::getenv("USER")) return u;
    return std::to_string(::geteuid());
}

std::string ahora() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    char texto[32];
    std::strftime(texto, sizeof texto, "%d/%m/%Y %H:%M", &tm);
    return texto;
}

struct Nota {
    std::string usuario, equipo, desde;
    long pid = 0;
};

// Lines: mark, user, computer, process, since (UTF-8).
std::string escribirNota() {
    return std::string(kMarca) + "\n" + usuarioLocal() + "\n" + equipoLocal() + "\n" +
           std::to_string(::getpid()) + "\n" + ahora() + "\n";
}

// The note's bytes as they stand; false when it cannot be opened.
bool leerBytes(const std::string& ruta, std::string& bytes) {
    const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    bytes.clear();
    char buf[2048];
    // A note is a few lines: whatever is longer is no note.
    while (bytes.size() <= 4096) {
        const ssize_t k = ::read(fd, buf, sizeof buf);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) break;
        bytes.append(buf, static_cast<std::size_t>(k));
    }
    ::close(fd);
    return true;
}

bool interpretar(const std::string& bytes, Nota& n) {
    std::vector<std::string> lineas(1);
    for (char c : bytes) {
        if (c == '\n')
            lineas.emplace_back();
        else
            lineas.back() += c;
    }
    if (lineas.size() < 5 || lineas[0] != kMarca) return false;
    const std::string& pid = lineas[3];
    if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos)
        return false;
    n.usuario = lineas[1];
    n.equipo = lineas[2];
    n.pid = std::stol(pid);
    n.desde = lineas[4];
    return true;
}

enum class Estado { falta, ilegible, legible };

Estado leerNota(const std::string& ruta, Nota& n, std::string* bytes = nullptr) {
    std::string b;
    if (!leerBytes(ruta, b)) return errno == ENOENT ? Estado::falta : Estado::ilegible;
    const bool bien = interpretar(b, n);
    if (bytes) *bytes = std::move(b);
    return bien ? Estado::legible : Estado::ilegible;
}

// Older versions of the program create their note empty and fill it after:
// an unreadable note is given that moment before it counts as abandoned.
Estado leerNotaDandoTiempo(const std::string& ruta, Nota& n, std::string& bytes) {
    for (int vez = 0;; ++vez) {
        const Estado e = leerNota(ruta, n, &bytes);
        if (e != Estado::ilegible || vez == 10) return e;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool esNuestra(const Nota& n) {
    return n.equipo == equipoLocal() && n.pid == ::getpid();
}

// A holder on another computer cannot be checked: it counts as live.
bool viva(const Nota& n) {
    if (n.equipo != equipoLocal()) return true;
    if (n.pid <= 0) return false;
    return ::kill(static_cast<pid_t>(n.pid), 0) == 0 || errno == EPERM;
}

bool ajenaViva(const Nota& n) {
    return !esNuestra(n) && viva(n);
}

// A file of ours beside the company, removed once done with.
struct Propia {
    std::string ruta;
    Propia() = default;
    Propia(const Propia&) = delete;
    Propia& operator=(const Propia&) = delete;
    ~Propia() {
        if (!ruta.empty()) ::unlink(ruta.c_str());
    }
};

// Our note, whole and on the disk, under a name of its own beside `empresa`.
bool escribirPropia(const std::string& empresa, const std::string& texto, Propia& nota) {
    const int fd = crearTemporalJunto(empresa, nota.ruta);
    if (fd < 0) return false;
    const bool escrita =
        ::write(fd, texto.data(), texto.size()) == static_cast<ssize_t>(texto.size()) &&
        (::fsync(fd) == 0 || errno == EINVAL);
    return ::close(fd) == 0 && escrita;
}

// Puts file `de` at `a` unless something is there already (errno EEXIST):
// a hard link, so that the whole note appears at once. Where the file system
// has none (FAT), `a` is claimed empty and `de` renamed over it: readers give
// an empty note its moment.
bool enlazar(const std::string& de, const std::string& a) {
    if (::link(de.c_str(), a.c_str()) == 0) return true;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) return false;
    const int fd = ::open(a.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    if (::rename(de.c_str(), a.c_str()) == 0) return true;
    const int e = errno;
    ::unlink(a.c_str());
    errno = e;
    return false;
}

// Moves the note at `nota` aside if it is still the one read as `leida`: a
// note another program has put there since is put back. False when nothing
// can be moved here.
bool apartar(const std::string& empresa, const std::string& nota, const std::string& leida) {
    Propia aparte;
    const int fd = crearTemporalJunto(empresa, aparte.ruta);
    if (fd < 0) return false;
    ::close(fd);
    if (::rename(nota.c_str(), aparte.ruta.c_str()) != 0) return errno == ENOENT;
    paso(PasoBloqueo::apartada);
    std::string movida;
    if (leerBytes(aparte.ruta, movida) && movida != leida) enlazar(aparte.ruta, nota);
    return true;
}

std::string aCp1252(const std::string& utf8) {
    std::string cp;
    if (utf8ACp1252(utf8, cp)) return cp;
    std::string ascii;
    for (char c : utf8) ascii += static_cast<unsigned char>(c) < 128 ? c : '?';
    return ascii;
}

}  // namespace

std::string rutaBloqueo(const std::string& ruta) {
    const std::string destino = archivos().destinoEnlaces(ruta);
    const auto barra = destino.find_last_of('/');
    if (barra == std::string::npos) return "." + destino + ".lock";
    return destino.substr(0, barra + 1) + "." + destino.substr(barra + 1) + ".lock";
}

std::unique_ptr<BloqueoEmpresa> BloqueoEmpresa::tomar(const std::string& ruta, bool forzar,
                                                      TitularBloqueo* titular) {
    const std::string empresa = archivos().destinoEnlaces(ruta);
    const std::string nota = rutaBloqueo(empresa);
    Nota otra;
    const auto ocupada = [&] {
        if (titular) *titular = {aCp1252(otra.usuario), aCp1252(otra.equipo), aCp1252(otra.desde)};
        return std::unique_ptr<BloqueoEmpresa>();
    };
    const auto tenida = [](std::string r) {
        return std::unique_ptr<BloqueoEmpresa>(new BloqueoEmpresa(std::move(r)));
    };
    // Ours is written whole under its own name first, then linked into place:
    // whoever looks finds the whole note or none, never an empty one.
    Propia nuestra;
    if (!escribirPropia(empresa, escribirNota(), nuestra)) {
        // No note can be written here (a read-only folder); one already
        // there still tells who holds the company.
        if (leerNota(nota, otra) == Estado::legible && ajenaViva(otra) && !forzar) return ocupada();
        return tenida({});
    }
    paso(PasoBloqueo::escrita);
    for (int intento = 0; intento < 8; ++intento) {
        if (enlazar(nuestra.ruta, nota)) return tenida(nota);
        if (errno != EEXIST) return tenida({});
        std::string leida;
        const Estado estado = leerNotaDandoTiempo(nota, otra, leida);
        if (estado == Estado::falta) continue;  // given up meanwhile
        if (estado == Estado::legible && ajenaViva(otra) && !forzar) return ocupada();
        paso(PasoBloqueo::leida);
        // Ours already, stale, unreadable or taken over: moved aside, and
        // ours linked in its place. Of two programs doing so at once, the
        // later one finds the earlier one's note instead and puts it back.
        if (!apartar(empresa, nota, leida)) return tenida({});
    }
    // Others keep taking it.
    return ocupada();
}

BloqueoEmpresa::~BloqueoEmpresa() {
    if (nota_.empty()) return;
    // Another program may have taken it over: only our own note is removed.
    Nota n;
    if (leerNota(nota_, n) == Estado::legible && esNuestra(n)) ::unlink(nota_.c_str());
}

std::string textoBloqueo(const TitularBloqueo& t) {
    std::string texto;
    utf8ACp1252("La empresa ya está abierta por ", texto);
    return texto + t.usuario + " en " + t.equipo + " desde " + t.desde + ".";
}

std::unique_ptr<BloqueoEmpresa> tomarBloqueoSinPreguntar(const std::string& ruta) {
    TitularBloqueo titular;
    auto bloqueo = BloqueoEmpresa::tomar(ruta, false, &titular);
    if (!bloqueo) throw ErrorArchivo(textoBloqueo(titular));
    return bloqueo;
}

void comprobarNoAbierta(const std::string& ruta) {
    Nota n;
    if (leerNota(rutaBloqueo(ruta), n) != Estado::legible || !ajenaViva(n)) return;
    std::string texto;
    if (!utf8ACp1252("No puede escribirse sobre " + ruta + ". ", texto)) texto.clear();
    throw ErrorArchivo(texto +
                       textoBloqueo({aCp1252(n.usuario), aCp1252(n.equipo), aCp1252(n.desde)}));
}

void observarPasosBloqueo(std::function<void(PasoBloqueo)> f) {
    gPaso = std::move(f);
}

}  // namespace koral
