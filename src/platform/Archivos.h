// The few file-system operations the core needs, behind one installed
// implementation so that tests can make any of them fail.
// Paths are the platform's own (UTF-8 bytes here), not Windows-1252.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>

namespace koral {

// An input/output failure that ends the operation that met it. The message is
// Windows-1252, ready for the user.
class ErrorArchivo : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A reading the user stopped: nothing is wrong with the file.
class LecturaCancelada : public ErrorArchivo {
public:
    LecturaCancelada() : ErrorArchivo("Lectura cancelada") {}
};

// A file being written. `escribir` and `terminar` throw ErrorArchivo.
class SalidaArchivo {
public:
    virtual ~SalidaArchivo() = default;
    virtual void escribir(const char* datos, std::size_t n) = 0;
    // Flushes to the disk and closes; the data is safe once this returns.
    virtual void terminar() = 0;
    // The name of the group that the file this one replaces had and this one
    // could not be given (this user is no member of it), else empty.
    virtual std::string grupoPerdido() const { return {}; }
};

// What a path names, following symbolic links.
// A file read piece by piece, so that a large one is never held whole.
class EntradaArchivo {
public:
    virtual ~EntradaArchivo() = default;
    // Up to `n` next bytes into `destino`; 0 at the end. Throws ErrorArchivo.
    virtual std::size_t leer(char* destino, std::size_t n) = 0;
    // The size when opened: how far a reading has to go.
    virtual std::size_t tamano() const = 0;
    // Back to the first byte, for a reading that has to start over. False
    // when this kind of input never can; a failure throws ErrorArchivo.
    virtual bool reiniciar() { return false; }
};

enum class TipoArchivo { ninguno, regular, carpeta, otro };

class SistemaArchivos {
public:
    virtual ~SistemaArchivos() = default;
    virtual TipoArchivo tipo(const std::string& ruta) = 0;
    // A regular file nobody may write to (its write permission bits all off).
    virtual bool soloLectura(const std::string& ruta) = 0;
    // The file a chain of symbolic links ends at (the path itself when it is
    // no link); the file need not exist. Throws ErrorArchivo on a link loop.
    virtual std::string destinoEnlaces(const std::string& ruta) = 0;
    virtual bool borrar(const std::string& ruta) = 0;
    // Replaces `a` atomically where the system allows it.
    virtual bool renombrar(const std::string& de, const std::string& a) = 0;
    // Makes `a` hold `de`'s content without touching `de`: a hard link where
    // the system allows one, else a synced copy; replaces `a` as a whole.
    virtual bool respaldar(const std::string& de, const std::string& a) = 0;
    // Makes the folder holding `ruta` durable (its renames and new names).
    virtual void sincronizarCarpeta(const std::string& ruta) = 0;
    // Whole content of a regular file; anything else (a folder, a FIFO, a
    // device) is refused without blocking. Throws ErrorArchivo.
    virtual std::string leerTodo(const std::string& ruta) = 0;
    // The same file, refused the same way, to be read piece by piece. By
    // default, over leerTodo's bytes.
    virtual std::unique_ptr<EntradaArchivo> abrirLectura(const std::string& ruta);
    // Creates a new file that must not exist yet; throws ErrorArchivo.
    virtual std::unique_ptr<SalidaArchivo> crearNuevo(const std::string& ruta) = 0;
    // Creates a uniquely named file in `destino`'s folder, with `destino`'s
    // permissions (and owner where allowed) when it exists, else the user's
    // defaults; sets `ruta` to its name. Throws ErrorArchivo.
    virtual std::unique_ptr<SalidaArchivo> crearTemporal(const std::string& destino,
                                                         std::string& ruta) = 0;
    // The same for a file kept beside company file `empresa`, which takes the
    // company's permissions (see crearJunto) instead of `destino`'s. By
    // default, as crearTemporal.
    virtual std::unique_ptr<SalidaArchivo> crearTemporalJunto(const std::string& destino,
                                                              const std::string& empresa,
                                                              std::string& ruta);
    // Removes what killed writes of this program left beside `destino`: only
    // files of processes of this computer that are gone.
    virtual void limpiarTemporales(const std::string& destino) = 0;
    // Whether both paths name one existing file (through links, other names).
    virtual bool mismoArchivo(const std::string& a, const std::string& b) = 0;

    bool existe(const std::string& ruta) { return tipo(ruta) != TipoArchivo::ninguno; }
    bool esCarpeta(const std::string& ruta) { return tipo(ruta) == TipoArchivo::carpeta; }
};

SistemaArchivos& archivos();
// Installs `s` (not owned; null restores the real one); returns the previous.
SistemaArchivos* instalarArchivos(SistemaArchivos* s);

// The operating system's message for errno `codigo`, about `ruta`, in Windows-1252.
std::string mensajeSistema(int codigo, const std::string& ruta);
// The notice for a path that names no regular file (a FIFO, a device).
std::string mensajeNoNormal(const std::string& ruta);

// Files kept beside a company (its lock note, double-entry marks, journal,
// companion file) hold what the company holds, so nobody may read them who
// may not read the company: created readable by their owner only, they then
// take the company's permission bits less the execute ones (the user's
// defaults while there is no company yet), and its owner and group where this
// process may set them; under another group, that group gets no more than
// the company gave everyone. Real files only, for writers below the seam.
// Creates `ruta`, which must not exist, as such a file of `empresa`; returns
// its descriptor, open for writing, or -1 with errno set.
int crearJunto(const std::string& ruta, const std::string& empresa);
// The same under a new unique name beside `empresa`, named as the company's
// own temporary files (a killed process's are cleared with them); sets `ruta`.
int crearTemporalJunto(const std::string& empresa, std::string& ruta);

// A file replaced only as a whole: written to a temporary file beside it and
// renamed over it by `confirmar`, so that at every instant the file at that
// path is either the old one or the new one, whole. Symbolic links are kept:
// their target is replaced. Only a missing or regular file is replaced.
// Destroyed without `confirmar`, it removes its temporary file.
class Reemplazo {
public:
    // An output. Throws ErrorArchivo when `ruta` names something other than
    // a regular file (or nothing), a read-only file, or a company file that
    // another live program holds open (replacing it would lose its work).
    explicit Reemplazo(const std::string& ruta);
    // A file of company file `empresa`, whose lock the caller holds: the
    // company file itself, or a file kept beside it, which then takes the
    // company's permissions (crearJunto).
    Reemplazo(const std::string& ruta, const std::string& empresa);
    ~Reemplazo();
    Reemplazo(const Reemplazo&) = delete;
    Reemplazo& operator=(const Reemplazo&) = delete;

    SalidaArchivo& salida() { return *salida_; }
    // The file that will be replaced (the link's target for a link).
    const std::string& destino() const { return destino_; }
    // Finishes the new content and puts it in place. With `respaldo`, the file
    // being replaced is first kept under that name (failing with "No puede
    // crearse archivo de respaldo.", also when that name holds anything but
    // a regular file). Throws ErrorArchivo; on failure the old file is untouched.
    void confirmar(const std::string& respaldo = {});
    // See SalidaArchivo::grupoPerdido.
    std::string grupoPerdido() const { return salida_->grupoPerdido(); }

private:
    void abrir(const std::string& ruta, const std::string& empresa);

    std::string destino_;
    std::string temporal_;
    std::unique_ptr<SalidaArchivo> salida_;
    bool hecho_ = false;
};

// Refuses (ErrorArchivo) an output path that names `entrada`, the file being
// read, directly or through links.
void comprobarDistintos(const std::string& salida, const std::string& entrada);

}  // namespace koral
