// The export: one text line per questionnaire with its identifier, its
// groups and its 75 answers, the layout the import reads back.
#pragma once

#include <string>

#include "document/UData.h"

namespace koral {

// The file name to propose: the company file's name without its folder, its
// extension replaced by ".TXT" (".TXT" alone for a company never saved).
std::string nombreExportacion(const std::string& archivo);

// Writes every questionnaire of `doc`, in list order, to `ruta`, replaced
// as a whole. Throws ErrorArchivo, leaving the file at `ruta` as it was, also
// when `ruta` names the company's own file.
void exportarDatos(const TKoral& doc, const std::string& ruta);

}  // namespace koral
