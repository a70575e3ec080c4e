// A file that comes a few bytes at a time (1 to 7, in a cycle that `desfase`
// shifts), so that a piecewise reader meets a piece's end inside every field
// and line. The fuzzer lets its input choose the shift.
#pragma once

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/Archivos.h"

namespace koral::prueba {

class EntradaGoteo : public EntradaArchivo {
public:
    explicit EntradaGoteo(std::string_view d, std::size_t desfase = 0) : d_(d), desfase_(desfase) {}
    std::size_t leer(char* destino, std::size_t n) override {
        n = std::min({n, d_.size() - pos_, std::size_t{1} + (desfase_ + pos_) % 7});
        std::memcpy(destino, d_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    std::size_t tamano() const override { return d_.size(); }

private:
    std::string_view d_;  // outlives the reading
    std::size_t desfase_;
    std::size_t pos_ = 0;
};

}  // namespace koral::prueba
