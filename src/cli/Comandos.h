// koral20-cli's commands, runnable in-process so tests can drive them.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include <memory>

namespace koral {
struct TPerfil;
class Superficie;
}

namespace koral::cli {

// What the commands need from outside the core.
struct Servicios {
    // Draws the profile's chart on a white 337 x 245 image and saves it as
    // PNG at `ruta` (UTF-8 path); returns an error message, empty on success.
    std::function<std::string(const TPerfil&, const std::string& ruta)> guardarGrafico;
    // A surface that prints A4 pages into a PDF file at `ruta` (UTF-8 path),
    // at 600 dots per inch in the report face; null when it cannot be made.
    // The file is complete once the surface's document has ended.
    std::function<std::unique_ptr<Superficie>(const std::string& ruta)> superficiePdf;
};

// Runs one command line (without the program name). Returns the exit code:
// 0 done, 1 error, 2 bad usage.
int ejecutar(const std::vector<std::string>& args, std::istream& entrada, std::ostream& salida,
             std::ostream& errores, const Servicios& servicios = {});

}  // namespace koral::cli
