// koral20-cli's commands, runnable in-process so tests can drive them.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace koral {
struct TPerfil;
}

namespace koral::cli {

// What the commands need from outside the core.
struct Servicios {
    // Draws the profile's chart on a white 337 x 245 image and saves it as
    // PNG at `ruta` (UTF-8 path); returns an error message, empty on success.
    std::function<std::string(const TPerfil&, const std::string& ruta)> guardarGrafico;
};

// Runs one command line (without the program name). Returns the exit code:
// 0 done, 1 error, 2 bad usage.
int ejecutar(const std::vector<std::string>& args, std::istream& entrada, std::ostream& salida,
             std::ostream& errores, const Servicios& servicios = {});

}  // namespace koral::cli
