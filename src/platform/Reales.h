// Decimal text of doubles, at a fraction of the general conversions' cost
// for the values the program keeps (scores and dates, read from 15 digits).
#pragma once

#include <cstdint>

namespace koral {

// The powers of ten a double holds exactly, 10^0 to 10^22: an exact integer
// multiplied or divided by one is rounded once, as its decimal text would be.
// The company file's reader and the conversions below scale by them.
inline constexpr double kPotenciasDiez[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The 15 significant digits of 1e-8 <= a < 1e15, as to_chars with precision
// 14 gives them, as an integer `d` (100000000000000 <= d < 10^15), and the
// decimal exponent `e` of the first: a is about d * 10^(e - 14). False outside
// that range and where unsure; to_chars takes those.
bool digitos15(double a, std::uint64_t& d, int& e);

// What a company file keeps of v: its 15 significant digits as the company
// writer writes them, read back as the reader reads them (0 for a NaN or an
// infinity, which the writer writes as 0). A figure computed from this is the
// same before a save and after the reopening.
double valorGuardado(double v);

// Writes v as std::to_chars(p, p + 32, v) writes it, the shortest text that
// reads back to v, and returns the end. What lies past the end, within the
// 32 characters, may be written over.
char* realCorto(char* p, double v);

}  // namespace koral
