#include "platform/Memoria.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace koral {

void* tomarBloqueMemoria() {
    void* p = std::aligned_alloc(kBloqueMemoria, kBloqueMemoria);
    if (!p) throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
    // Only advice: where large pages are not to be had, small ones serve.
    ::madvise(p, kBloqueMemoria, MADV_HUGEPAGE);
#endif
    return p;
}

void soltarBloqueMemoria(void* bloque) noexcept {
    std::free(bloque);
}

}  // namespace koral
