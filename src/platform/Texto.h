// Windows-1252 is the program's text encoding in memory and in its files.
// These are the only conversions between it and UTF-8 (the Qt boundary and
// the command-line tool go through them).
#pragma once

#include <string>
#include <string_view>

namespace koral {

// Every byte has a UTF-8 form: the five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 code points of the same value,
// so that any byte string survives a round trip.
std::string cp1252AUtf8(std::string_view texto);

// False when `texto` is not valid UTF-8 or holds a character with no
// Windows-1252 form; `salida` is then left unspecified.
bool utf8ACp1252(std::string_view texto, std::string& salida);

// A UTF-8 text (a path, say) for a notice or a log line: characters with no
// Windows-1252 form show as '?'.
std::string textoMostrable(std::string_view utf8);

// For literals in our own sources (UTF-8): "Atención"_cp is Windows-1252.
std::string operator""_cp(const char* texto, std::size_t n);

}  // namespace koral
