// The questionnaires' stored scores as a CSV file for spreadsheets and
// statistics programs: one row per questionnaire, a header naming each column.
#pragma once

#include <string>

#include "document/UData.h"

namespace koral {

struct FormatoCsv {
    char separador = ';';  // ';' and ',' decimal: what a Spanish spreadsheet opens as it is
    char decimal = ',';
};

// Factor names as the column headers carry them (UTF-8).
extern const char* const kNombresFactorCsv[kNumFactores];

// The whole file: UTF-8 with a byte-order mark, CR LF line ends, fields
// quoted as RFC 4180 asks.
std::string puntuacionesCsv(const TKoral& doc, const FormatoCsv& formato);

// Writes it to `ruta`, replaced as a whole; throws ErrorArchivo, leaving the
// file at `ruta` as it was, also when `ruta` names the company's own file.
void escribirPuntuacionesCsv(const TKoral& doc, const std::string& ruta, const FormatoCsv& formato);

}  // namespace koral
