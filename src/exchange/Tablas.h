// The questionnaires' data for statistics programs and spreadsheets beside
// the CSV: SPSS (.sav) and Stata (.dta) files whose variables carry the
// questions and whose codes carry the options, and an Excel workbook (.xlsx)
// with the profiles' figures and the data's dictionary. The action plan also
// goes to a workbook.
#pragma once

#include <optional>
#include <string>

#include "document/DatosEvaluacion.h"
#include "document/UData.h"
#include "exchange/Puntuaciones.h"

namespace koral {

enum class FormatoTabla { Csv, Sav, Dta, Xlsx };

// The format a file name's extension (any case) asks for; nullopt for
// any other.
std::optional<FormatoTabla> formatoDeRuta(const std::string& ruta);

// Writes the scores in `tipo` to `ruta`, replaced as a whole (`csv` applies
// to the CSV only); throws ErrorArchivo, leaving the file at `ruta` as it was.
void escribirPuntuaciones(const TKoral& doc, const std::string& ruta, FormatoTabla tipo,
                          const FormatoCsv& csv);

// The action plan as a workbook, the CSV's columns; dates are dates.
void escribirMedidasXlsx(const TKoral& doc, const TDatosEvaluacion& datos, const std::string& ruta);

}  // namespace koral
