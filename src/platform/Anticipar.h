// Prefetch hints for loops over records that lie far apart in memory (a
// large company's questionnaires, the cells of a hash index): the processor
// otherwise waits for each one as its turn comes. Hints only: an address
// asked for is never read, so a wrong guess costs nothing but the guess.
#pragma once

#include <cstddef>

namespace koral {

inline constexpr std::size_t kLineaCache = 64;

// The cache line holding `p`, on its way while other work is done.
inline void anticipar(const void* p) {
    __builtin_prefetch(p);
}

// Every cache line of `r`.
template <typename T>
inline void anticiparEntero(const T& r) {
    const char* p = reinterpret_cast<const char*>(&r);
    for (std::size_t b = 0; b < sizeof(T); b += kLineaCache) __builtin_prefetch(p + b);
}

// For a loop at `n` over a list of pointers: asks for the whole record
// `kAdelanto` turns ahead, and for what `dentro` points to in the record half
// as far, once that record has had time to arrive (its own list, say). A
// dozen turns cover a fetch from memory at the little work those loops do
// per record.
template <std::size_t kAdelanto = 12, typename Lista, typename Dentro>
inline void anticiparEnLista(const Lista& lista, std::size_t n, Dentro dentro) {
    if (n + kAdelanto < lista.size()) anticiparEntero(*lista[n + kAdelanto]);
    if (n + kAdelanto / 2 < lista.size()) anticipar(dentro(*lista[n + kAdelanto / 2]));
}

}  // namespace koral
