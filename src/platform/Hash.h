// The hashes of the program's indexes: of integers and pointers, and of
// texts eight bytes at a time. Kept in one place so that every index mixes
// its keys the same, well-tried way.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace koral {

// splitmix64's finaliser: every bit of `x` moves every bit of the result, so
// that keys alike (consecutive numbers, aligned addresses) spread over a
// table's low bits, and sums of the results of two different sets coincide by
// chance only.
inline std::uint64_t mezclarBits(std::uint64_t x) {
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

inline std::uint64_t hashEntero(std::int64_t v) {
    return mezclarBits(static_cast<std::uint64_t>(v) + 0x9E3779B97F4A7C15ull);
}

namespace detalle {
template <typename U>
inline U cargar(const char* p) {
    U u;
    std::memcpy(&u, p, sizeof u);
    return u;
}
}  // namespace detalle

// Eight bytes at a time (a byte at a time was a chain of a multiplication
// per character), the length included, then mixed. The last bytes are
// loaded where they lie, overlapping what came before: copied to a word
// of their own, a short copy then read whole stalls the processor.
inline std::uint64_t hashTexto(std::string_view t) {
    using detalle::cargar;
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = 0xCBF29CE484222325ull ^ t.size();
    const char* p = t.data();
    std::size_t n = t.size();
    for (; n > 8; p += 8, n -= 8) {
        h = (h ^ cargar<std::uint64_t>(p)) * k;
        h ^= h >> 29;
    }
    std::uint64_t w = 0;
    if (t.size() >= 8)
        w = cargar<std::uint64_t>(t.data() + t.size() - 8);
    else if (n >= 4)
        w = cargar<std::uint32_t>(p) | std::uint64_t{cargar<std::uint32_t>(p + n - 4)} << 32;
    else if (n > 0)
        w = static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) << 8 |
            static_cast<unsigned char>(p[n - 1]) << 16;
    h = (h ^ w) * k;
    return hashEntero(static_cast<std::int64_t>(h));
}

}  // namespace koral
