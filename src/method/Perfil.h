// A profile's statistics over the questionnaires of its groups, the figures
// derived from them, and its two views: the assessment chart and the answer
// distribution.
#pragma once

#include <string>
#include <vector>

#include "document/UData.h"
#include "platform/Superficie.h"

namespace koral {

// Factor abbreviations on the chart, factor 1 first.
inline constexpr const char* kAbreviaturas[kNumFactores] = {"CM", "AT", "CT", "SP",
                                                            "DR", "IT", "RP"};

// Below this many subjects a profile may let individual answers be
// recognised: the profile editor says so (it hides and refuses nothing).
inline constexpr int kMinimoSujetosAnonimato = 5;
constexpr bool poblacionIdentificable(int nSujetos) {
    return nSujetos >= 1 && nSujetos < kMinimoSujetosAnonimato;
}
// What the editor says then, and the printed profile beside its population.
inline constexpr const char* kAvisoAnonimato =
    "Atenci\xF3n: con tan pocas personas sus respuestas podr\xED"
    "an reconocerse.";

// Blank items carry weights of their own, so a mostly blank form still
// scores like a real one: such forms are pointed out, never dropped.
constexpr bool casiEnBlanco(const TCuestionario& q) {
    return q.sinRespuesta * 3 > kNumItems;
}
// True when 10 % or more of the profile's answers are blank; its means
// then carry kAvisoSinRespuesta.
bool muchasSinRespuesta(const TPerfil& p);
inline constexpr const char* kAvisoSinRespuesta =
    "Muchas preguntas sin respuesta: interprete las medias con cautela";

// Band of a factor score: 1 below 4, 2 from 4 to below 7, 3 from 7.
constexpr int bandaDe(double s) {
    return s < 4.0 ? 1 : (s < 7.0 ? 2 : 3);
}

// Recomputes p's statistics. False (statistics zero, notice given to the
// document) when the document's questionnaire count disagrees with its list.
bool calcularPerfil(const TKoral& doc, TPerfil& p);

// True when the questionnaire belongs to every group of the profile (or the
// profile selects none): pairs of equal identifiers are counted.
bool perteneceAGrupos(const std::vector<TGrupo*>& deCuestionario,
                      const std::vector<TGrupo*>& dePerfil);

double mediaFactor(const TPerfil& p, int factor);  // factor 1-7
std::string porcentajeBanda(const TPerfil& p, int factor, int banda, char separador);
double porcentajeRespuesta(const TPerfil& p, int item, int respuesta);  // item 1-75, answer 0-5
std::string porcentajeSinRespuesta(const TPerfil& p);

// Draws the chart over what the surface already holds.
void dibujarValorativo(const TPerfil& p, Superficie& s, char separador);

// The 439 lines of the answer distribution.
void llenarDescriptivo(const TPerfil& p, std::vector<std::string>& lineas, char separador);

}  // namespace koral
