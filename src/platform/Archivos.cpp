#include "platform/Archivos.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Texto.h"

namespace koral {

std::string mensajeSistema(int codigo, const std::string& ruta) {
    std::string texto = std::strerror(codigo);
    texto += ": ";
    texto += ruta;
    std::string cp;
    if (utf8ACp1252(texto, cp)) return cp;
    // A path with no Windows-1252 form: say what happened without it.
    return std::strerror(codigo);
}

namespace {

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

class ArchivosPosix : public SistemaArchivos {
public:
    bool existe(const std::string& ruta) override {
        struct stat st {};
        return ::stat(ruta.c_str(), &st) == 0;
    }
    bool esCarpeta(const std::string& ruta) override {
        struct stat st {};
        return ::stat(ruta.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    bool borrar(const std::string& ruta) override { return ::unlink(ruta.c_str()) == 0; }
    bool renombrar(const std::string& de, const std::string& a) override {
        return ::rename(de.c_str(), a.c_str()) == 0;
    }
    std::string leerTodo(const std::string& ruta) override {
        const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) throw ErrorArchivo(mensajeSistema(errno, ruta));
        struct Cierre {
            int fd;
            ~Cierre() { ::close(fd); }
        } cierre{fd};
        struct stat st {};
        if (::fstat(fd, &st) != 0) throw ErrorArchivo(mensajeSistema(errno, ruta));
        // A device or pipe could be endless: only regular files are company files.
        if (!S_ISREG(st.st_mode)) throw ErrorArchivo(mensajeSistema(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, ruta));
        std::string datos;
        datos.resize(static_cast<std::size_t>(st.st_size));
        std::size_t leidos = 0;
        while (leidos < datos.size()) {
            const ssize_t k = ::read(fd, datos.data() + leidos, datos.size() - leidos);
            if (k < 0) {
                if (errno == EINTR) continue;
                throw ErrorArchivo(mensajeSistema(errno, ruta));
            }
            if (k == 0) break;  // shrank while we read
            leidos += static_cast<std::size_t>(k);
        }
        datos.resize(leidos);
        return datos;
    }
    std::unique_ptr<SalidaArchivo> crearNuevo(const std::string& ruta) override {
        return abrir(ruta, O_EXCL);
    }
    std::unique_ptr<SalidaArchivo> crearOVaciar(const std::string& ruta) override {
        return abrir(ruta, O_TRUNC);
    }

private:
    static std::unique_ptr<SalidaArchivo> abrir(const std::string& ruta, int modo) {
        const int fd = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | modo, 0666);
        if (fd < 0) throw ErrorArchivo(mensajeSistema(errno, ruta));
        return std::make_unique<SalidaPosix>(fd, ruta);
    }
};

ArchivosPosix gPosix;
SistemaArchivos* gArchivos = &gPosix;

}  // namespace

SistemaArchivos& archivos() { return *gArchivos; }

SistemaArchivos* instalarArchivos(SistemaArchivos* s) {
    SistemaArchivos* anterior = gArchivos;
    gArchivos = s ? s : &gPosix;
    return anterior;
}

}  // namespace koral
