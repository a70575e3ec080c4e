// Decimal text of doubles, at a fraction of the general conversions' cost
// for the values the program keeps (scores and dates, read from 15 digits).
#pragma once

#include <cstdint>

namespace koral {

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
