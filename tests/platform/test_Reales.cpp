#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/Reales.h"

using namespace koral;

namespace {

std::string general(double v) {
    char t[32];
    return {t, std::to_chars(t, t + sizeof t, v).ptr};
}

std::string corto(double v) {
    char t[32];
    return {t, realCorto(t, v)};
}

}  // namespace

// The quick shortest text must be to_chars's, character for character: in
// the fixed and scientific forms and at the tie between them, for the values
// scores and dates take and for any bits at all.
TEST(RealCorto, WritesWhatToCharsWrites) {
    for (double v : {0.0,
                     -0.0,
                     1.0,
                     -1.0,
                     45000.0,
                     40000.0,
                     1e6,
                     1e5,
                     123456.0,
                     0.0001,
                     0.001,
                     1e-8,
                     1.5e-8,
                     9.99999999999999e14,
                     1e15,
                     4.45,
                     0.1 + 0.2,
                     1.0 / 3,
                     2.0 / 3,
                     5.6923076923076925,
                     100.0,
                     1e14,
                     12345678901234.5,
                     0.000123456789})
        for (double s : {1.0, -1.0}) EXPECT_EQ(corto(s * v), general(s * v)) << general(s * v);
    std::mt19937_64 azar(7);
    for (int i = 0; i < 300000; ++i) {
        double v;
        switch (i % 5) {
            case 0: {  // any bits
                const auto bits = azar();
                std::memcpy(&v, &bits, sizeof v);
                if (!std::isfinite(v)) continue;
                break;
            }
            case 1:  // a mean of scores
                v = static_cast<double>(azar() % 1'000'000) / static_cast<double>(1 + azar() % 997);
                break;
            case 2: {  // what 15 digits read back to, over the whole quick range
                const double m =
                    static_cast<double>(azar() % 900'000'000'000'000ULL + 100'000'000'000'000ULL);
                v = m * std::pow(10.0, static_cast<int>(azar() % 23) - 22);
                break;
            }
            case 3:  // six decimals, below and above a billion, where they stop being unique
                v = static_cast<double>(azar() % 1'000'000'000'000'000'000ULL) / 1e6;
                break;
            default:  // few digits: whole numbers and short fractions
                v = static_cast<double>(azar() % 100000) *
                    std::pow(10.0, static_cast<int>(azar() % 19) - 9);
        }
        ASSERT_EQ(corto(v), general(v)) << general(v);
    }
}

// The kept value is that of the 15 digits, to_chars's, read back: for the
// scores' range, where the quick integer path works, ties at the 16th digit
// among them, and the values around it.
TEST(ValorGuardado, IsTheValueOf15DigitsReadBack) {
    const auto esperado = [](double v) {
        if (!std::isfinite(v) || v == 0) return 0.0;  // as the writer writes them
        char t[40];
        const auto r = std::to_chars(t, t + sizeof t, v, std::chars_format::scientific, 14);
        double x = 0;
        std::from_chars(t, r.ptr, x);
        return x;
    };
    std::vector<double> valores = {0,
                                   -0.0,
                                   0.1,
                                   0.09999999999999999,
                                   1,
                                   9.999999999999999,
                                   9.99999999999999999,
                                   10,
                                   3.9999999999999996,
                                   6.999999999999999,
                                   1.000030517578125,
                                   1.000091552734375,  // ties, to even: down, up
                                   -2.5,
                                   1e-9,
                                   123456.7,
                                   INFINITY,
                                   NAN};
    std::mt19937_64 gen(15);
    for (int n = 0; n < 200000; ++n) {
        valores.push_back(static_cast<double>(gen() % 10'000'000) / 1'000'000 + n % 3 * 1e-15);
        valores.push_back(std::ldexp(static_cast<double>(gen() >> 11), -53 + n % 8 - 4));
    }
    for (double v : valores)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(valorGuardado(v)),
                  std::bit_cast<std::uint64_t>(esperado(v)))
            << general(v);
}
