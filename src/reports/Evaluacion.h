// The assessment report ("Informe de evaluación"): the whole company in one
// document. A cover, how to read it, a summary of every profile, a section
// per profile (groups, population, chart, figures, description and
// observations, optionally the answer distribution) and an annex of groups
// and questionnaires.
#pragma once

#include <string>
#include <vector>

#include "document/UData.h"
#include "platform/Superficie.h"
#include "reports/Impresion.h"

namespace koral {

// Computes every profile with calcularPerfil, as the profile editor does.
// The caller runs it before choosing between the file and the pages.
void PrepararEvaluacion(TKoral& empresa);

// Text form: the cover's figures; per profile its groups, its subjects and
// per factor "ABR<TAB>media<TAB>banda1<TAB>banda2<TAB>banda3" (the figures of
// the pages, '.' as decimal point), with the answer distribution when asked;
// then each group with its count and each questionnaire with its groups.
std::vector<std::string> TextoEvaluacion(const TKoral& empresa, bool distribucion);

// Pages for the page the surface has, each with the footer "Página N de M"
// and the company's name. The cover's date is today's. Throws ErrorImpresion
// (before drawing anything) when the page is too small.
void DibujarEvaluacion(const TKoral& empresa, Superficie& s, char separador, bool distribucion,
                       TImpresora& impresora);

}  // namespace koral
