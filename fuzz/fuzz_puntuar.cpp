// Any 75 bytes as answers: scores stay within 0 to 10.
#include <cstdint>
#include <cstring>

#include "method/Puntuacion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    if (n < static_cast<std::size_t>(koral::kNumItems)) return 0;
    // Exactly 75 bytes on the heap, so a read past them is caught.
    char* r = new char[koral::kNumItems];
    std::memcpy(r, datos, koral::kNumItems);
    koral::Puntuaciones p{};
    const int sin = koral::puntuarRespuestas(r, p);
    delete[] r;
    if (sin < 0 || sin > koral::kNumItems) __builtin_trap();
    for (double s : p)
        if (!(s >= 0 && s <= 10)) __builtin_trap();
    return 0;
}
