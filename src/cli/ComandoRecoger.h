// koral20-cli recoger FILE.kr2 [--direccion IP] [--puerto N] [--codigo TEXTO]:
// serves the campaign's form until SIGINT or SIGTERM.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace koral::cli {

// `args` is the whole command line after the program's name ("recoger"
// first). Returns the exit code; throws as koral20-cli's commands do.
int comandoRecoger(const std::vector<std::string>& args, std::ostream& salida,
                   std::ostream& errores);

}  // namespace koral::cli
