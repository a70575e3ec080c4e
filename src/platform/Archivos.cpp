#include "platform/Archivos.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <random>
#include <vector>

#include "platform/Bloqueo.h"
#include "platform/Texto.h"

namespace koral {

namespace {

std::string mensajeRuta(const std::string& texto, const std::string& ruta) {
    std::string cp;
    if (utf8ACp1252(texto + ": " + ruta, cp)) return cp;
    // A path with no Windows-1252 form: say what happened without it.
    utf8ACp1252(texto, cp);
    return cp;
}

}  // namespace

std::string mensajeSistema(int codigo, const std::string& ruta) {
    return mensajeRuta(std::strerror(codigo != 0 ? codigo : EIO), ruta);
}

std::string mensajeNoNormal(const std::string& ruta) {
    return mensajeRuta("No es un archivo normal", ruta);
}

namespace {

std::string carpetaDe(const std::string& ruta) {
    const auto barra = ruta.find_last_of('/');
    if (barra == std::string::npos) return ".";
    return barra == 0 ? "/" : ruta.substr(0, barra);
}

std::string nombreDe(const std::string& ruta) {
    const auto barra = ruta.find_last_of('/');
    return barra == std::string::npos ? ruta : ruta.substr(barra + 1);
}

// Temporary files are named ".NAME.~HOST.PID.RANDOM" beside NAME, so that a
// later run can tell the leftovers of a killed process from live ones.
std::string prefijoTemporal(const std::string& destino) {
    const std::string carpeta = carpetaDe(destino);
    const std::string base = "." + nombreDe(destino) + ".~";
    return destino.find('/') == std::string::npos ? base
                                                  : carpeta + (carpeta == "/" ? "" : "/") + base;
}

std::string equipo() {
    char nombre[256] = {};
    if (::gethostname(nombre, sizeof nombre - 1) != 0 || nombre[0] == 0) return "equipo";
    std::string s = nombre;
    for (char& c : s)
        if (c == '/') c = '_';
    return s;
}

std::string aleatorio() {
    static std::mt19937_64 generador{std::random_device{}()};
    static std::mutex cerrojo;
    static const char letras[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::lock_guard<std::mutex> l(cerrojo);
    std::string s(8, 'x');
    for (char& c : s) c = letras[generador() % (sizeof letras - 1)];
    return s;
}

mode_t mascaraUsuario() {
    static std::mutex cerrojo;
    std::lock_guard<std::mutex> l(cerrojo);
    const mode_t m = ::umask(077);
    ::umask(m);
    return m;
}

class SalidaPosix : public SalidaArchivo {
public:
    SalidaPosix(int fd, std::string ruta, std::string grupoPerdido = {})
        : fd_(fd), ruta_(std::move(ruta)), grupoPerdido_(std::move(grupoPerdido)) {}
    ~SalidaPosix() override {
        if (fd_ >= 0) ::close(fd_);
    }
    void escribir(const char* datos, std::size_t n) override {
        while (n > 0) {
            const ssize_t k = ::write(fd_, datos, n);
            if (k < 0) {
                if (errno == EINTR) continue;
                throw ErrorArchivo(mensajeSistema(errno, ruta_));
            }
            datos += k;
            n -= static_cast<std::size_t>(k);
        }
    }
    void terminar() override {
        const int fd = fd_;
        fd_ = -1;
        if (::fsync(fd) != 0 && errno != EINVAL) {
            const int e = errno;
            ::close(fd);
            throw ErrorArchivo(mensajeSistema(e, ruta_));
        }
        if (::close(fd) != 0) throw ErrorArchivo(mensajeSistema(errno, ruta_));
    }
    std::string grupoPerdido() const override { return grupoPerdido_; }

private:
    int fd_;
    std::string ruta_;
    std::string grupoPerdido_;
};

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

class EntradaPosix : public EntradaArchivo {
public:
    explicit EntradaPosix(const std::string& ruta)
        // Non-blocking, so that a FIFO named like a company cannot hang the open.
        : d_{::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)}, ruta_(ruta) {
        if (d_.fd < 0) throw ErrorArchivo(mensajeSistema(errno, ruta));
        struct stat st {};
        if (::fstat(d_.fd, &st) != 0) throw ErrorArchivo(mensajeSistema(errno, ruta));
        // A device or pipe could be endless: only regular files are company files.
        if (S_ISDIR(st.st_mode)) throw ErrorArchivo(mensajeSistema(EISDIR, ruta));
        if (!S_ISREG(st.st_mode)) throw ErrorArchivo(mensajeNoNormal(ruta));
        tamano_ = static_cast<std::size_t>(st.st_size);
    }
    std::size_t leer(char* destino, std::size_t n) override {
        for (;;) {
            const ssize_t k = ::read(d_.fd, destino, n);
            if (k >= 0) return static_cast<std::size_t>(k);
            if (errno != EINTR) throw ErrorArchivo(mensajeSistema(errno, ruta_));
        }
    }
    std::size_t tamano() const override { return tamano_; }
    bool reiniciar() override {
        if (::lseek(d_.fd, 0, SEEK_SET) != 0) throw ErrorArchivo(mensajeSistema(errno, ruta_));
        return true;
    }

private:
    Descriptor d_;
    std::string ruta_;
    std::size_t tamano_ = 0;
};

// What a new file takes: permission bits, and the owner and group to give it
// where this user may.
struct Permisos {
    mode_t modo = 0600;
    bool conDueno = false;
    uid_t uid = 0;
    gid_t gid = 0;
};

Permisos permisosDe(const struct stat& st) {
    return {static_cast<mode_t>(st.st_mode & 07777), true, st.st_uid, st.st_gid};
}

Permisos permisosJunto(const std::string& empresa) {
    struct stat st {};
    if (::stat(empresa.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return {static_cast<mode_t>(0666 & ~mascaraUsuario())};
    Permisos p = permisosDe(st);
    p.modo &= 0666;
    return p;
}

std::string nombreGrupo(gid_t gid) {
    std::vector<char> buf(16384);
    group g{};
    group* hallado = nullptr;
    if (::getgrgid_r(gid, &g, buf.data(), buf.size(), &hallado) == 0 && hallado && g.gr_name) {
        std::string cp;
        if (utf8ACp1252(g.gr_name, cp)) return cp;
    }
    return std::to_string(gid);
}

// Creates a file that did not exist, readable by its owner only until
// `p` is applied, so that no other user can open it in between. Sets
// `grupoPerdido` to the group `p` names when the file could not be given it.
int crearExclusivo(const std::string& ruta, const Permisos& p,
                   std::string* grupoPerdido = nullptr) {
    const int fd = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    mode_t modo = p.modo;
    if (p.conDueno) {
        // Another user's file keeps at least its group where this user is a
        // member of it, so that the group's other members keep their access.
        if (::fchown(fd, p.uid, p.gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), p.gid) != 0) {
            // Neither is ours to give: the new file keeps this user's.
        }
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_gid != p.gid) {
            // Another group's members may have been anybody to the old file.
            modo = (modo & ~mode_t{070}) | (modo & 070 & ((modo & 07) << 3));
            if (grupoPerdido) *grupoPerdido = nombreGrupo(p.gid);
        }
    }
    if (::fchmod(fd, modo) != 0) {
        const int e = errno;
        ::close(fd);
        ::unlink(ruta.c_str());
        errno = e;
        return -1;
    }
    return fd;
}

std::string nombreTemporal(const std::string& destino) {
    return prefijoTemporal(destino) + equipo() + "." + std::to_string(::getpid()) + "." +
           aleatorio();
}

// A new uniquely named file beside `destino`, made by `crear`; sets `ruta`.
template <typename Crear>
int crearConNombreUnico(const std::string& destino, std::string& ruta, Crear crear) {
    for (int intento = 0; intento < 100; ++intento) {
        ruta = nombreTemporal(destino);
        const int fd = crear(ruta);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0) ruta.clear();
            return fd;
        }
    }
    ruta.clear();
    return -1;
}

class ArchivosPosix : public SistemaArchivos {
public:
    TipoArchivo tipo(const std::string& ruta) override {
        struct stat st {};
        if (::stat(ruta.c_str(), &st) != 0) return TipoArchivo::ninguno;
        if (S_ISREG(st.st_mode)) return TipoArchivo::regular;
        return S_ISDIR(st.st_mode) ? TipoArchivo::carpeta : TipoArchivo::otro;
    }
    bool soloLectura(const std::string& ruta) override {
        struct stat st {};
        return ::stat(ruta.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0;
    }
    std::string destinoEnlaces(const std::string& ruta) override {
        std::string actual = ruta;
        for (int saltos = 0; saltos < 40; ++saltos) {
            struct stat st {};
            if (::lstat(actual.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return actual;
            std::string destino(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1,
                                '\0');
            const ssize_t n = ::readlink(actual.c_str(), destino.data(), destino.size());
            if (n < 0) throw ErrorArchivo(mensajeSistema(errno, ruta));
            destino.resize(static_cast<std::size_t>(n));
            if (!destino.empty() && destino[0] != '/' && actual.find('/') != std::string::npos)
                destino.insert(0, carpetaDe(actual) + "/");
            actual = destino;
        }
        throw ErrorArchivo(mensajeSistema(ELOOP, ruta));
    }
    bool borrar(const std::string& ruta) override { return ::unlink(ruta.c_str()) == 0; }
    bool renombrar(const std::string& de, const std::string& a) override {
        return ::rename(de.c_str(), a.c_str()) == 0;
    }
    bool respaldar(const std::string& de, const std::string& a) override {
        // Made under a temporary name and renamed over `a`, so that an old
        // backup is only ever replaced by a whole one.
        std::string temporal;
        for (int intento = 0; intento < 100; ++intento) {
            temporal = nombreTemporal(a);
            if (::link(de.c_str(), temporal.c_str()) == 0) break;
            if (errno == EEXIST) continue;
            temporal.clear();
            break;
        }
        if (temporal.empty() && !copiar(de, a, temporal)) return false;
        if (::rename(temporal.c_str(), a.c_str()) != 0) {
            ::unlink(temporal.c_str());
            return false;
        }
        // Renaming onto another name of the same file does nothing.
        struct stat st {};
        if (::lstat(temporal.c_str(), &st) == 0) ::unlink(temporal.c_str());
        return true;
    }
    void sincronizarCarpeta(const std::string& ruta) override {
        const std::string carpeta = carpetaDe(ruta);
        Descriptor d{::open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
        if (d.fd < 0) throw ErrorArchivo(mensajeSistema(errno, carpeta));
        if (::fsync(d.fd) != 0 && errno != EINVAL)
            throw ErrorArchivo(mensajeSistema(errno, carpeta));
    }
    std::string leerTodo(const std::string& ruta) override {
        EntradaPosix e(ruta);
        std::string datos;
        datos.resize(e.tamano());
        std::size_t leidos = 0;
        while (leidos < datos.size()) {
            const std::size_t k = e.leer(datos.data() + leidos, datos.size() - leidos);
            if (k == 0) break;  // shrank while we read
            leidos += k;
        }
        datos.resize(leidos);
        return datos;
    }
    std::unique_ptr<EntradaArchivo> abrirLectura(const std::string& ruta) override {
        return std::make_unique<EntradaPosix>(ruta);
    }
    std::unique_ptr<SalidaArchivo> crearNuevo(const std::string& ruta) override {
        const int fd = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) throw ErrorArchivo(mensajeSistema(errno, ruta));
        return std::make_unique<SalidaPosix>(fd, ruta);
    }
    std::unique_ptr<SalidaArchivo> crearTemporal(const std::string& destino,
                                                 std::string& ruta) override {
        struct stat st {};
        const bool hay = ::stat(destino.c_str(), &st) == 0 && S_ISREG(st.st_mode);
        return crearTemporalComo(
            destino, hay ? permisosDe(st) : Permisos{static_cast<mode_t>(0666 & ~mascaraUsuario())},
            ruta);
    }
    std::unique_ptr<SalidaArchivo> crearTemporalJunto(const std::string& destino,
                                                      const std::string& empresa,
                                                      std::string& ruta) override {
        return crearTemporalComo(destino, permisosJunto(empresa), ruta);
    }
    void limpiarTemporales(const std::string& destino) override {
        const std::string prefijo = "." + nombreDe(destino) + ".~" + equipo() + ".";
        const std::string carpeta = carpetaDe(destino);
        DIR* dir = ::opendir(carpeta.c_str());
        if (!dir) return;
        while (const dirent* e = ::readdir(dir)) {
            const std::string nombre = e->d_name;
            if (nombre.compare(0, prefijo.size(), prefijo) != 0) continue;
            // PID.RANDOM after the prefix.
            const auto punto = nombre.find('.', prefijo.size());
            if (punto == std::string::npos || nombre.find('.', punto + 1) != std::string::npos)
                continue;
            const std::string textoPid = nombre.substr(prefijo.size(), punto - prefijo.size());
            if (textoPid.empty() || textoPid.size() > 9 ||
                textoPid.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const pid_t pid = static_cast<pid_t>(std::stol(textoPid));
            if (pid == ::getpid() || pid <= 0) continue;
            if (::kill(pid, 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to know
            ::unlinkat(::dirfd(dir), nombre.c_str(), 0);
        }
        ::closedir(dir);
    }
    bool mismoArchivo(const std::string& a, const std::string& b) override {
        struct stat sa {
        }, sb{};
        return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 &&
               sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }

private:
    static std::unique_ptr<SalidaArchivo> crearTemporalComo(const std::string& destino,
                                                            const Permisos& p, std::string& ruta) {
        std::string grupoPerdido;
        const int fd = crearConNombreUnico(destino, ruta, [&](const std::string& r) {
            return crearExclusivo(r, p, &grupoPerdido);
        });
        // Failures are told about the file the user named.
        if (fd < 0) throw ErrorArchivo(mensajeSistema(errno, destino));
        return std::make_unique<SalidaPosix>(fd, destino, std::move(grupoPerdido));
    }

    // A synced copy of `de` under a new temporary name beside `a`, with
    // `de`'s permissions; sets `temporal`.
    bool copiar(const std::string& de, const std::string& a, std::string& temporal) {
        Descriptor origen{::open(de.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
        struct stat st {};
        if (origen.fd < 0 || ::fstat(origen.fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
        const int fd = crearConNombreUnico(
            a, temporal, [&](const std::string& r) { return crearExclusivo(r, permisosDe(st)); });
        if (fd < 0) return false;
        SalidaPosix salida(fd, temporal);
        try {
            char bloque[65536];
            for (;;) {
                const ssize_t k = ::read(origen.fd, bloque, sizeof bloque);
                if (k < 0 && errno == EINTR) continue;
                if (k < 0) throw ErrorArchivo(mensajeSistema(errno, de));
                if (k == 0) break;
                salida.escribir(bloque, static_cast<std::size_t>(k));
            }
            salida.terminar();
        } catch (const ErrorArchivo&) {
            ::unlink(temporal.c_str());
            temporal.clear();
            return false;
        }
        return true;
    }
};

ArchivosPosix gPosix;
SistemaArchivos* gArchivos = &gPosix;

}  // namespace

namespace {

class EntradaMemoria : public EntradaArchivo {
public:
    explicit EntradaMemoria(std::string datos) : datos_(std::move(datos)) {}
    std::size_t leer(char* destino, std::size_t n) override {
        n = std::min(n, datos_.size() - pos_);
        std::memcpy(destino, datos_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    std::size_t tamano() const override { return datos_.size(); }
    bool reiniciar() override {
        pos_ = 0;
        return true;
    }

private:
    std::string datos_;
    std::size_t pos_ = 0;
};

}  // namespace

std::unique_ptr<EntradaArchivo> SistemaArchivos::abrirLectura(const std::string& ruta) {
    return std::make_unique<EntradaMemoria>(leerTodo(ruta));
}

std::unique_ptr<SalidaArchivo> SistemaArchivos::crearTemporalJunto(const std::string& destino,
                                                                   const std::string&,
                                                                   std::string& ruta) {
    return crearTemporal(destino, ruta);
}

int crearJunto(const std::string& ruta, const std::string& empresa) {
    return crearExclusivo(ruta, permisosJunto(empresa));
}

int crearTemporalJunto(const std::string& empresa, std::string& ruta) {
    const Permisos p = permisosJunto(empresa);
    return crearConNombreUnico(empresa, ruta,
                               [&p](const std::string& r) { return crearExclusivo(r, p); });
}

SistemaArchivos& archivos() {
    return *gArchivos;
}

SistemaArchivos* instalarArchivos(SistemaArchivos* s) {
    SistemaArchivos* anterior = gArchivos;
    gArchivos = s ? s : &gPosix;
    return anterior;
}

Reemplazo::Reemplazo(const std::string& ruta) {
    abrir(ruta, {});
}

Reemplazo::Reemplazo(const std::string& ruta, const std::string& empresa) {
    abrir(ruta, empresa);
}

void Reemplazo::abrir(const std::string& ruta, const std::string& empresa) {
    SistemaArchivos& fs = archivos();
    destino_ = fs.destinoEnlaces(ruta);
    switch (fs.tipo(destino_)) {
        case TipoArchivo::ninguno:
            break;
        case TipoArchivo::regular:
            if (fs.soloLectura(destino_)) throw ErrorArchivo(mensajeSistema(EACCES, ruta));
            break;
        case TipoArchivo::carpeta:
            throw ErrorArchivo(mensajeSistema(EISDIR, ruta));
        case TipoArchivo::otro:
            throw ErrorArchivo(mensajeNoNormal(ruta));
    }
    if (empresa.empty()) comprobarNoAbierta(destino_);
    fs.limpiarTemporales(destino_);
    if (empresa.empty() || fs.destinoEnlaces(empresa) == destino_)
        salida_ = fs.crearTemporal(destino_, temporal_);
    else
        salida_ = fs.crearTemporalJunto(destino_, empresa, temporal_);
}

Reemplazo::~Reemplazo() {
    if (hecho_ || temporal_.empty()) return;
    salida_.reset();
    archivos().borrar(temporal_);
}

void Reemplazo::confirmar(const std::string& respaldo) {
    SistemaArchivos& fs = archivos();
    salida_->terminar();
    if (!respaldo.empty() && fs.existe(destino_)) {
        // A FIFO or device named like the backup is somebody's, not a backup.
        if (fs.tipo(respaldo) == TipoArchivo::otro)
            throw ErrorArchivo("No puede crearse archivo de respaldo. " +
                               mensajeNoNormal(respaldo));
        fs.limpiarTemporales(respaldo);
        if (!fs.respaldar(destino_, respaldo))
            throw ErrorArchivo("No puede crearse archivo de respaldo.");
    }
    errno = 0;
    if (!fs.renombrar(temporal_, destino_)) throw ErrorArchivo(mensajeSistema(errno, destino_));
    hecho_ = true;
    fs.sincronizarCarpeta(destino_);
}

void comprobarDistintos(const std::string& salida, const std::string& entrada) {
    SistemaArchivos& fs = archivos();
    if (salida == entrada || fs.mismoArchivo(salida, entrada) ||
        fs.destinoEnlaces(salida) == fs.destinoEnlaces(entrada))
        throw ErrorArchivo(
            mensajeRuta("No puede escribirse sobre el archivo que se está leyendo", salida));
}

}  // namespace koral
