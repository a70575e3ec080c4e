// Numbers as the program prints them: printf-style widths ("%5.2f", "%6.2f",
// "%8.2f", "%5d", "%d"), right-aligned with blanks, reals rounded half away
// from zero at the last decimal shown. The decimal separator is the caller's:
// the user's regional one on screen and paper, '.' in files.
#pragma once

#include <string>

namespace koral {

// The value is first taken to 15 significant digits, the precision the
// company file keeps, so that 6.075 (stored as 6.07499999...) shows as 6.08,
// as the user computing it by hand expects. Never prints "-0.00".
std::string formatoReal(double valor, int ancho, int decimales, char separador);

std::string formatoEntero(long long valor, int ancho = 0);

}  // namespace koral
