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

// A file being written. `escribir` and `terminar` throw ErrorArchivo.
class SalidaArchivo {
public:
    virtual ~SalidaArchivo() = default;
    virtual void escribir(const char* datos, std::size_t n) = 0;
    // Flushes to the disk and closes; the data is safe once this returns.
    virtual void terminar() = 0;
};

class SistemaArchivos {
public:
    virtual ~SistemaArchivos() = default;
    virtual bool existe(const std::string& ruta) = 0;
    virtual bool esCarpeta(const std::string& ruta) = 0;
    virtual bool borrar(const std::string& ruta) = 0;
    virtual bool renombrar(const std::string& de, const std::string& a) = 0;
    // Whole content of a regular file; throws ErrorArchivo.
    virtual std::string leerTodo(const std::string& ruta) = 0;
    // Creates a new file that must not exist yet; throws ErrorArchivo.
    virtual std::unique_ptr<SalidaArchivo> crearNuevo(const std::string& ruta) = 0;
    // Creates the file, emptying one that exists (print and export files);
    // throws ErrorArchivo.
    virtual std::unique_ptr<SalidaArchivo> crearOVaciar(const std::string& ruta) = 0;
};

SistemaArchivos& archivos();
// Installs `s` (not owned; null restores the real one); returns the previous.
SistemaArchivos* instalarArchivos(SistemaArchivos* s);

// The operating system's message for errno `codigo`, about `ruta`, in Windows-1252.
std::string mensajeSistema(int codigo, const std::string& ruta);

}  // namespace koral
