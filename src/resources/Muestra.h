// The sample company the program opens on first start: a small canning
// plant with departments and shifts, answered plausibly and scored.
#pragma once

#include "document/UData.h"

namespace koral {

// Fills an empty document with the sample company (deterministic).
void generarMuestra(TKoral& doc);

}  // namespace koral
