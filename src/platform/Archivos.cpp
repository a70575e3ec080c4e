#include "platform/Archivos.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <random>

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
    SalidaPosix(int fd, std::string ruta) : fd_(fd), ruta_(std::move(ruta)) {}
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

private:
    int fd_;
    std::string ruta_;
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

private:
    Descriptor d_;
    std::string ruta_;
    std::size_t tamano_ = 0;
};

// Creates a file that did not exist, readable by its owner only until
// `modo` is applied, so that no other user can open it in between.
int crearExclusivo(const std::string& ruta, mode_t modo, const struct stat* como) {
    const int fd = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (como) {
        // The owner and group of the file replaced, where this user may.
        if (::fchown(fd, como->st_uid, como->st_gid) != 0) {
            // Not ours to give away: the new file keeps this user's.
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
        const mode_t modo = hay ? (st.st_mode & 07777) : (0666 & ~mascaraUsuario());
        for (int intento = 0; intento < 100; ++intento) {
            ruta = nombreTemporal(destino);
            const int fd = crearExclusivo(ruta, modo, hay ? &st : nullptr);
            // Failures are told about the file the user named.
            if (fd >= 0) return std::make_unique<SalidaPosix>(fd, destino);
            if (errno != EEXIST) break;
        }
        const int e = errno;
        ruta.clear();
        throw ErrorArchivo(mensajeSistema(e, destino));
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
    static std::string nombreTemporal(const std::string& destino) {
        return prefijoTemporal(destino) + equipo() + "." + std::to_string(::getpid()) + "." +
               aleatorio();
    }

    // A synced copy of `de` under a new temporary name beside `a`, with
    // `de`'s permissions; sets `temporal`.
    bool copiar(const std::string& de, const std::string& a, std::string& temporal) {
        Descriptor origen{::open(de.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
        struct stat st {};
        if (origen.fd < 0 || ::fstat(origen.fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
        int fd = -1;
        for (int intento = 0; intento < 100 && fd < 0; ++intento) {
            temporal = nombreTemporal(a);
            fd = crearExclusivo(temporal, st.st_mode & 07777, &st);
            if (fd < 0 && errno != EEXIST) break;
        }
        if (fd < 0) {
            temporal.clear();
            return false;
        }
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

private:
    std::string datos_;
    std::size_t pos_ = 0;
};

}  // namespace

std::unique_ptr<EntradaArchivo> SistemaArchivos::abrirLectura(const std::string& ruta) {
    return std::make_unique<EntradaMemoria>(leerTodo(ruta));
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
    fs.limpiarTemporales(destino_);
    salida_ = fs.crearTemporal(destino_, temporal_);
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
