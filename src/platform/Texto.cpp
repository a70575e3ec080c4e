#include "platform/Texto.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

namespace koral {
namespace {

// Code points of bytes 0x80-0x9F; the undefined five map to themselves.
constexpr std::array<char16_t, 32> kAlto = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t puntoDeByte(unsigned char b) {
    if (b >= 0x80 && b < 0xA0) return kAlto[b - 0x80];
    return b;
}

bool byteDePunto(char32_t cp, char& b) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        b = static_cast<char>(cp);
        return true;
    }
    for (std::size_t i = 0; i < kAlto.size(); ++i) {
        if (kAlto[i] == cp) {
            b = static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

void agregarUtf8(std::string& s, char32_t cp) {
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string cp1252AUtf8(std::string_view texto) {
    std::string s;
    s.reserve(texto.size() + texto.size() / 8);
    for (char c : texto) agregarUtf8(s, puntoDeByte(static_cast<unsigned char>(c)));
    return s;
}

bool utf8ACp1252(std::string_view texto, std::string& salida) {
    salida.clear();
    salida.reserve(texto.size());
    std::size_t i = 0;
    const std::size_t n = texto.size();
    while (i < n) {
        const auto b0 = static_cast<unsigned char>(texto[i]);
        char32_t cp;
        std::size_t largo;
        if (b0 < 0x80) {
            cp = b0;
            largo = 1;
        } else if ((b0 & 0xE0) == 0xC0) {
            cp = b0 & 0x1F;
            largo = 2;
        } else if ((b0 & 0xF0) == 0xE0) {
            cp = b0 & 0x0F;
            largo = 3;
        } else if ((b0 & 0xF8) == 0xF0) {
            cp = b0 & 0x07;
            largo = 4;
        } else {
            return false;
        }
        if (i + largo > n) return false;
        for (std::size_t k = 1; k < largo; ++k) {
            const auto b = static_cast<unsigned char>(texto[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        // Overlong forms would smuggle ASCII past checks made on the UTF-8 side.
        static constexpr char32_t kMinimo[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMinimo[largo]) return false;
        char byte;
        if (!byteDePunto(cp, byte)) return false;
        salida += byte;
        i += largo;
    }
    return true;
}

std::string textoMostrable(std::string_view utf8) {
    std::string s;
    if (utf8ACp1252(utf8, s)) return s;
    // Character by character: keep what converts, mark what does not.
    s.clear();
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t largo = 1;
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b >= 0xF0)
            largo = 4;
        else if (b >= 0xE0)
            largo = 3;
        else if (b >= 0xC0)
            largo = 2;
        largo = std::min(largo, utf8.size() - i);
        std::string uno;
        s += utf8ACp1252(utf8.substr(i, largo), uno) ? uno : std::string("?");
        i += largo;
    }
    return s;
}

std::string operator""_cp(const char* texto, std::size_t n) {
    std::string s;
    if (!utf8ACp1252(std::string_view(texto, n), s))
        throw std::logic_error("literal without a Windows-1252 form");
    return s;
}

}  // namespace koral
