// Windows-1252 is the program's text encoding in memory and in its files.
// These are the only conversions between it and UTF-8 (the Qt boundary and
// the command-line tool go through them).
#pragma once

#include <cstdint>
#include <cstring>
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

// Whether no byte of `t` is above 127, below `menor` or one of `prohibidos`:
// the writers' test for a text they can copy as it stands. Eight bytes at a
// time, as a byte-wise scan of a large company's names and answers was a
// tenth of the writing.
inline bool textoLlano(std::string_view t, unsigned char menor, std::string_view prohibidos) {
    constexpr std::uint64_t kUnos = 0x0101010101010101ull;
    constexpr std::uint64_t kAltos = 0x8080808080808080ull;
    std::size_t i = 0;
    for (; i + 8 <= t.size(); i += 8) {
        std::uint64_t x;
        std::memcpy(&x, t.data() + i, 8);
        // Each term is exact for a word with no byte above 127; one that has
        // such a byte is refused by the first anyway.
        std::uint64_t malos = (x & kAltos) | ((x - kUnos * menor) & ~x & kAltos);
        for (const char c : prohibidos) {
            const std::uint64_t y = x ^ (kUnos * static_cast<unsigned char>(c));
            malos |= (y - kUnos) & ~y & kAltos;
        }
        if (malos) return false;
    }
    for (; i < t.size(); ++i) {
        const auto u = static_cast<unsigned char>(t[i]);
        if (u >= 0x80 || u < menor || prohibidos.find(t[i]) != std::string_view::npos) return false;
    }
    return true;
}

}  // namespace koral
