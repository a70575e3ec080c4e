// The action plan as a CSV file, to follow it up in a spreadsheet: one row
// per measure in the plan's order, a header naming each column.
#pragma once

#include <string>

#include "document/DatosEvaluacion.h"
#include "document/UData.h"
#include "exchange/Puntuaciones.h"

namespace koral {

// The whole file, in the scores CSV's form (UTF-8 with a byte-order mark,
// CR LF, RFC 4180 quoting). Several factors or profiles in one field are
// joined by '|'; dates are "aaaa-mm-dd", empty when there is none.
std::string medidasCsv(const TKoral& doc, const TDatosEvaluacion& datos, const FormatoCsv& formato);

// Writes it to `ruta`, replaced as a whole; throws ErrorArchivo, leaving the
// file at `ruta` as it was, also when `ruta` names the company's file or its
// companion file.
void escribirMedidasCsv(const TKoral& doc, const TDatosEvaluacion& datos, const std::string& ruta,
                        const FormatoCsv& formato);

}  // namespace koral
