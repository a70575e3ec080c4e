#include "platform/Reales.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace koral {

// a times an exact power of ten, rounded half to even as to_chars rounds the
// exact value, the product's rounding error recovered exactly with fma. Unsure
// when the digits would fall in another decade (a carry, or a misplaced
// negative power).
bool digitos15(double a, std::uint64_t& d, int& e) {
    static constexpr double kInversas[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8};
    if (!(a >= 1e-8 && a < 1e15)) return false;
    e = 0;
    if (a >= 1) {
        while (a >= kPotenciasDiez[e + 1]) ++e;
    } else {
        e = -1;
        while (a < kInversas[-e]) --e;
    }
    const double p = kPotenciasDiez[14 - e];
    const double m = a * p;
    const double error = std::fma(a, p, -m);  // a * p == m + error, exactly
    const double suelo = std::floor(m);
    const double resto = m - suelo;  // exact, a multiple of m's ulp
    std::uint64_t n = static_cast<std::uint64_t>(suelo);
    // |error| is at most half an ulp of m, so it only decides an exact half.
    if (resto > 0.5 || (resto == 0.5 && (error > 0 || (error == 0 && (n & 1))))) ++n;
    if (n >= 1'000'000'000'000'000ULL || n < 100'000'000'000'000ULL) return false;
    if (n == 100'000'000'000'000ULL && e < 0) return false;
    d = n;
    return true;
}

namespace {

// The 15 significant digits of 1e-1 <= a < 10 in exact integer arithmetic,
// rounded half to even as to_chars rounds: a is m * 2^k, so a * 10^(14 - e)
// is an integer product shifted right. Scores fall here; the general way
// above costs library calls for floor and fma. False on a carry into the
// next decade.
__extension__ typedef unsigned __int128 Entero128;  // GCC and Clang; pedantic otherwise

bool digitosPuntuacion(double a, std::uint64_t& d, double& escala) {
    const auto bits = std::bit_cast<std::uint64_t>(a);
    const int exponente = static_cast<int>(bits >> 52) - 1023;  // a >= 0.1: normal
    const std::uint64_t mantisa = (bits & ((1ull << 52) - 1)) | (1ull << 52);
    // Selected without branches: which side of 1 a score falls is anyone's guess.
    const bool unaCifra = a >= 1;
    escala = unaCifra ? 1e14 : 1e15;
    const auto producto = static_cast<Entero128>(mantisa) *
                          (unaCifra ? 100'000'000'000'000ull : 1'000'000'000'000'000ull);
    const int desplazamiento = 52 - exponente;  // 49 to 56
    const auto alto = static_cast<std::uint64_t>(producto >> 64);
    const auto bajo = static_cast<std::uint64_t>(producto);
    const std::uint64_t n = alto << (64 - desplazamiento) | bajo >> desplazamiento;
    const std::uint64_t resto = bajo & ((1ull << desplazamiento) - 1);
    const std::uint64_t mitad = 1ull << (desplazamiento - 1);
    d = n + ((resto > mitad) | ((resto == mitad) & n));
    return d < 1'000'000'000'000'000ull;
}

}  // namespace

double valorGuardado(double v) {
    if (!std::isfinite(v) || v == 0) return 0;
    const double a = std::fabs(v);
    std::uint64_t d = 0;
    int e = 0;
    double escala = 0;
    double x = 0;
    // The reader's own arithmetic: an exact mantissa over an exact power of
    // ten, one correctly rounded division.
    if (a >= 0.1 && a < 10 && digitosPuntuacion(a, d, escala)) {
        x = static_cast<double>(d) / escala;
    } else if (digitos15(a, d, e)) {
        x = static_cast<double>(d) / kPotenciasDiez[14 - e];  // e - 14 is from -22 to 0
    } else {
        char t[40];
        const auto r = std::to_chars(t, t + sizeof t, a, std::chars_format::scientific, 14);
        std::from_chars(t, r.ptr, x);
    }
    return v < 0 ? -x : x;
}

namespace {

// The eight digits of n < 10^8 as characters, the first in the low byte:
// halves, quarters and eighths split at once in the lanes of one word.
std::uint64_t ochoCifras(std::uint64_t n) {
    std::uint64_t t = n / 10000 | (n % 10000) << 32;
    std::uint64_t c = ((t * 10486) >> 20) & 0x0000007F0000007Full;  // / 100 in each half
    t = c | (t - c * 100) << 16;
    c = ((t * 103) >> 10) & 0x000F000F000F000Full;  // / 10 in each quarter
    t = c | (t - c * 10) << 8;
    return t | 0x3030303030303030ull;
}

// Scores and dates carry a few decimals: a * 10^6 rounded to a whole number,
// when it reads back to a, is the shortest text's digits followed by zeros.
// Below 1e9 a double's rounding interval is narrower than 1e-6, so no other
// text of six decimals or fewer reads back to a, and one with more decimals
// has more digits. From 0.1 up, with decimals, the fixed form is the shorter,
// as it is for whole numbers below 1e5. The sum with 2^52 rounds half to
// even, as the read does, without the library call.
bool fijoCorto(char*& p, double v, double a) {
    if (!(a >= 0.1 && a < 1e9)) return false;
    constexpr double kRedondeo = 4503599627370496.0;  // 2^52
    const double n = (a * 1e6 + kRedondeo) - kRedondeo;
    if (n / 1e6 != a) return false;
    const auto u = static_cast<std::uint64_t>(n);
    const std::uint64_t entera = u / 1'000'000;
    auto fraccion = static_cast<std::uint32_t>(u % 1'000'000);
    if (fraccion == 0 && entera >= 100'000) return false;  // 1e5 is written "1e+05"
    if (v < 0) *p++ = '-';
    p = std::to_chars(p, p + 16, entera).ptr;
    if (fraccion != 0) {
        // The six decimals in one word, a character a byte, written whole
        // after the point; the end moved past the last that is not zero. No
        // loop over the digits: how many there are is anyone's guess.
        const std::uint64_t seis = ochoCifras(fraccion) >> 16;
        const std::uint64_t noCeros =
            ((seis ^ 0x303030303030ull) + 0x7F7F7F7F7F7Full) & 0x808080808080ull;
        std::uint64_t palabra = '.' | seis << 8;
        if constexpr (std::endian::native == std::endian::big) palabra = __builtin_bswap64(palabra);
        std::memcpy(p, &palabra, 8);
        p += 1 + (63 - std::countl_zero(noCeros)) / 8 + 1;
    }
    return true;
}

// The digits d (k of them, the first worth 10^e) as to_chars writes them:
// fixed or scientific, the shorter, fixed on a tie.
char* escribirDigitos(char* p, bool negativo, std::uint64_t d, int k, int e) {
    char cifras[15] = {};  // k is at least 1; the analyser cannot tell
    for (int i = k - 1; i >= 0; --i, d /= 10) cifras[i] = static_cast<char>('0' + d % 10);
    const int absE = e < 0 ? -e : e;
    const int largoCientifico = (k > 1 ? k + 1 : 1) + 2 + (absE >= 100 ? 3 : 2);
    const int largoFijo = e >= 0 ? (k - 1 <= e ? e + 1 : k + 1) : 1 - e + k;
    if (negativo) *p++ = '-';
    if (largoCientifico < largoFijo) {
        *p++ = cifras[0];
        if (k > 1) {
            *p++ = '.';
            for (int i = 1; i < k; ++i) *p++ = cifras[i];
        }
        *p++ = 'e';
        *p++ = e < 0 ? '-' : '+';
        if (absE >= 100) *p++ = static_cast<char>('0' + absE / 100);
        *p++ = static_cast<char>('0' + absE / 10 % 10);
        *p++ = static_cast<char>('0' + absE % 10);
    } else if (e >= 0) {
        for (int i = 0; i <= e; ++i) *p++ = i < k ? cifras[i] : '0';
        if (k - 1 > e) {
            *p++ = '.';
            for (int i = e + 1; i < k; ++i) *p++ = cifras[i];
        }
    } else {
        *p++ = '0';
        *p++ = '.';
        for (int i = 0; i < -e - 1; ++i) *p++ = '0';
        for (int i = 0; i < k; ++i) *p++ = cifras[i];
    }
    return p;
}

}  // namespace

// Otherwise, when the 15 digits read back to v, the shortest text's digits are
// those with their trailing zeros dropped: no two 15-digit decimals fall within
// one double's rounding interval, so a shorter text that read back to v, padded
// to 15 digits, would be these.
char* realCorto(char* p, double v) {
    const double a = std::fabs(v);
    std::uint64_t d = 0;
    int k = 0;
    int e = 0;
    if (v == 0) return std::to_chars(p, p + 32, v).ptr;  // keeps the sign of zero
    if (fijoCorto(p, v, a)) return p;
    // What digitos15 leaves goes the general way; the read back below needs an
    // exact power of ten (|s| <= 22).
    if (!digitos15(a, d, e) || e - 14 < -22) return std::to_chars(p, p + 32, v).ptr;
    const int s = e - 14;
    const double m = static_cast<double>(d);
    if ((s >= 0 ? m * kPotenciasDiez[s] : m / kPotenciasDiez[-s]) != a)
        return std::to_chars(p, p + 32, v).ptr;
    k = 15;
    while (d % 10 == 0) {
        d /= 10;
        --k;
    }
    return escribirDigitos(p, v < 0, d, k, e);
}

}  // namespace koral
