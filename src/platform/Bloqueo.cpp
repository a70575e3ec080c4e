#include "platform/Bloqueo.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <vector>

#include "platform/Archivos.h"
#include "platform/Texto.h"

namespace koral {

namespace {

constexpr const char* kMarca = "KORAL20";

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

bool leerNota(const std::string& ruta, Nota& n) {
    const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    char buf[2048];
    ssize_t k;
    do k = ::read(fd, buf, sizeof buf);
    while (k < 0 && errno == EINTR);
    ::close(fd);
    if (k <= 0) return false;
    std::vector<std::string> lineas(1);
    for (ssize_t i = 0; i < k; ++i) {
        if (buf[i] == '\n')
            lineas.emplace_back();
        else
            lineas.back() += buf[i];
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

bool esNuestra(const Nota& n) {
    return n.equipo == equipoLocal() && n.pid == ::getpid();
}

// A holder on another computer cannot be checked: it counts as live.
bool viva(const Nota& n) {
    if (n.equipo != equipoLocal()) return true;
    if (n.pid <= 0) return false;
    return ::kill(static_cast<pid_t>(n.pid), 0) == 0 || errno == EPERM;
}

bool crearExclusiva(const std::string& ruta, const std::string& texto) {
    const int fd = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool bien = ::write(fd, texto.data(), texto.size()) == static_cast<ssize_t>(texto.size());
    ::close(fd);
    if (!bien) ::unlink(ruta.c_str());
    return bien;
}

// Replaces the note as a whole, so that a reader never sees half of one.
bool sustituir(const std::string& ruta, const std::string& texto) {
    const std::string temporal = ruta + "." + std::to_string(::getpid()) + ".nueva";
    ::unlink(temporal.c_str());
    if (!crearExclusiva(temporal, texto)) return false;
    if (::rename(temporal.c_str(), ruta.c_str()) == 0) return true;
    ::unlink(temporal.c_str());
    return false;
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
    const std::string nota = rutaBloqueo(ruta);
    const std::string nuestra = escribirNota();
    for (int intento = 0; intento < 3; ++intento) {
        if (crearExclusiva(nota, nuestra))
            return std::unique_ptr<BloqueoEmpresa>(new BloqueoEmpresa(nota));
        if (errno != EEXIST) break;  // no note can be written here
        Nota otra;
        const bool legible = leerNota(nota, otra);
        if (legible && !esNuestra(otra) && viva(otra) && !forzar) {
            if (titular)
                *titular = {aCp1252(otra.usuario), aCp1252(otra.equipo), aCp1252(otra.desde)};
            return nullptr;
        }
        // Ours already, stale, unreadable or taken over: write ours over it.
        if (sustituir(nota, nuestra))
            return std::unique_ptr<BloqueoEmpresa>(new BloqueoEmpresa(nota));
        if (errno != ENOENT) break;
    }
    return std::unique_ptr<BloqueoEmpresa>(new BloqueoEmpresa({}));
}

BloqueoEmpresa::~BloqueoEmpresa() {
    if (nota_.empty()) return;
    // Another program may have taken it over: only our own note is removed.
    Nota n;
    if (leerNota(nota_, n) && esNuestra(n)) ::unlink(nota_.c_str());
}

std::string textoBloqueo(const TitularBloqueo& t) {
    std::string texto;
    utf8ACp1252("La empresa ya está abierta por ", texto);
    return texto + t.usuario + " en " + t.equipo + " desde " + t.desde + ".";
}

}  // namespace koral
