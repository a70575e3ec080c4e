// Large blocks of memory for records kept by the million.
#pragma once

#include <cstddef>

namespace koral {

// A block of kBloqueMemoria bytes aligned to its size, that the system may
// back with large pages (fewer faults and misses for a big company); throws
// std::bad_alloc. Given back with soltarBloqueMemoria.
inline constexpr std::size_t kBloqueMemoria = std::size_t{2} << 20;
void* tomarBloqueMemoria();
void soltarBloqueMemoria(void* bloque) noexcept;

}  // namespace koral
