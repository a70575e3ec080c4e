// Factor scoring: one answer string into seven factor scores (0 to 10).
#pragma once

#include "document/UData.h"

namespace koral {

// Scores 75 answer characters (item 1 first) into `puntuaciones` (factor 1
// first) and returns how many of them are '0'. Table reads only; allocates nothing.
int puntuarRespuestas(const char* respuestas, Puntuaciones& puntuaciones) noexcept;

// Stores q's scores and sinRespuesta from its answers.
void puntuarCuestionario(TCuestionario& q);

// Scores every member of g and sets g's medias to their means.
void mediasGrupo(TGrupo& g);

}  // namespace koral
