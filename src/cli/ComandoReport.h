// koral20-cli report: a report's print file or its pages as PDF.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/Comandos.h"

namespace koral::cli {

// report KIND [FILE.kr2] [NAME] (--prn OUT.prn | --pdf OUT.pdf), and
// report comparacion FILE.kr2 PERFIL PERFIL [...] [--de OTRA.kr2 PERFIL ...]
// [--referencia PERFIL] (...),
// report evaluacion FILE.kr2 [--distribucion] (...).
// Returns 0 done or 2 bad usage; throws ErrorComando and ErrorArchivo.
int comandoReport(const std::vector<std::string>& args, std::ostream& errores,
                  const Servicios& servicios);

}  // namespace koral::cli
