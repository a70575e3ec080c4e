// koral20-cli's commands, runnable in-process so tests can drive them.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace koral {
struct TPerfil;
class Superficie;
class SalidaArchivo;
}  // namespace koral

namespace koral::cli {

// What the commands need from outside the core.
struct Servicios {
    // Draws the profile's chart on a white 337 x 245 image and writes it as
    // PNG into `salida`; throws ErrorArchivo when it could not.
    std::function<void(const TPerfil&, SalidaArchivo& salida)> guardarGrafico;
    // A surface that prints A4 pages as a PDF document into `salida`, at 600
    // dots per inch in the report face. Its terminarDocumento throws
    // ErrorArchivo when the document could not be written whole.
    std::function<std::unique_ptr<Superficie>(SalidaArchivo& salida)> superficiePdf;
    // The decimal separator that pages print under the named locale ("C"
    // when the environment names none); without it, '.'.
    std::function<char(const std::string& locale)> separadorDecimal;
    // Runs `recoger` (`args` with the command first): serves the answer form
    // until SIGINT or SIGTERM. Returns the exit code; throws as the commands do.
    std::function<int(const std::vector<std::string>& args, std::ostream& salida,
                      std::ostream& errores)>
        recoger;
};

// Runs one command line (without the program name). Returns the exit code:
// 0 done, 1 error (also when `salida` could not be written), 2 bad usage.
int ejecutar(const std::vector<std::string>& args, std::istream& entrada, std::ostream& salida,
             std::ostream& errores, const Servicios& servicios = {});

}  // namespace koral::cli
