// The action plan on its own ("Plan de medidas"), to follow the measures up:
// the assessment's measures in the plan's order, with who, what with and
// when, their state and the next assessment's date.
#pragma once

#include <string>
#include <vector>

#include "document/DatosEvaluacion.h"
#include "document/UData.h"
#include "platform/Superficie.h"
#include "reports/Impresion.h"

namespace koral {

// Text form: the company and today's date, then per measure one line per
// field ("Prioridad:<TAB>Alta", ...; several factors or profiles one a tab),
// then the next assessment's date.
std::vector<std::string> TextoMedidas(const TKoral& empresa, const TDatosEvaluacion& datos);

// Pages for the page the surface has: a table with a row per measure, its
// cells' texts broken into lines; a row goes whole to the next page unless it
// is taller than a page, and every page repeats the table's headings and has
// the footer "Página N de M" with the company's name. Throws ErrorImpresion
// (before drawing anything) when the page is too small.
void DibujarMedidas(const TKoral& empresa, const TDatosEvaluacion& datos, Superficie& s,
                    char separador, TImpresora& impresora);

}  // namespace koral
