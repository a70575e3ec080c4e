// koral20-cli's commands, runnable in-process so tests can drive them.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace koral::cli {

// Runs one command line (without the program name). Returns the exit code:
// 0 done, 1 error, 2 bad usage.
int ejecutar(const std::vector<std::string>& args, std::istream& entrada, std::ostream& salida,
             std::ostream& errores);

}  // namespace koral::cli
