// The assessment report ("Informe de evaluación"): the document an
// assessment leaves behind. A cover, a table of contents, identification,
// object and scope, method (with how to read the figures), participation,
// results (a summary, then a section per profile: groups, population, chart,
// figures, the band shares of each factor, description, observations, the
// assessor's discussion and conclusions, optionally the answer
// distribution), the action plan, the confidentiality statement and an annex
// of groups (and, when asked, of questionnaires).
#pragma once

#include <string>
#include <vector>

#include "document/DatosEvaluacion.h"
#include "document/UData.h"
#include "platform/Superficie.h"
#include "reports/Impresion.h"

namespace koral {

struct OpcionesEvaluacion {
    bool distribucion = false;  // each profile's answer distribution
    bool anexo = false;         // each questionnaire with its groups
    // Profiles with fewer respondents show no figures (resultadosRetenidos);
    // the caller takes it from the data or from the user.
    int minimo = TDatosEvaluacion::kMinimoPorDefecto;
};

// Computes every profile with calcularPerfil, as the profile editor does.
// The caller runs it before choosing between the file and the pages.
void PrepararEvaluacion(TKoral& empresa);

// Text form: the cover's figures, the assessment's data, participation;
// per profile its groups, its subjects and per factor
// "ABR<TAB>media<TAB>banda1<TAB>banda2<TAB>banda3" (the figures of the pages,
// '.' as decimal point) or textoRetenido, with the answer distribution when
// asked, and the assessor's texts; the plan; the threshold; then each group
// with its questionnaires and workers and, with the annex, each
// questionnaire with its groups.
std::vector<std::string> TextoEvaluacion(const TKoral& empresa, const TDatosEvaluacion& datos,
                                         const OpcionesEvaluacion& opciones);

// Pages for the page the surface has, each with the footer "Página N de M"
// and the company's name. The report's date is datos.fechaInforme, else
// today's. Throws ErrorImpresion (before drawing anything) when the page is
// too small.
void DibujarEvaluacion(const TKoral& empresa, const TDatosEvaluacion& datos,
                       const OpcionesEvaluacion& opciones, Superficie& s, char separador,
                       TImpresora& impresora);

}  // namespace koral
