// Any bytes as a company file: the reader must survive them, whatever it
// keeps must write out and read back to the same bytes, and a file that comes
// in pieces of any size must read as the same bytes in memory do.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "document/ArchivoEmpresa.h"

namespace {
class Memoria : public koral::SalidaArchivo {
public:
    void escribir(const char* d, std::size_t n) override { texto.append(d, n); }
    void terminar() override {}
    std::string texto;
};

// The notices' path is exercised too; every notice has a text.
void avisar(const std::string& texto) {
    if (texto.empty()) __builtin_trap();
}

// The input in pieces of 1 to 5 bytes, its first byte choosing the pattern.
class Trozos : public koral::EntradaArchivo {
public:
    explicit Trozos(std::string_view d) : d_(d) {}
    std::size_t leer(char* destino, std::size_t n) override {
        const std::size_t paso =
            d_.empty() ? 1 : 1 + (static_cast<unsigned char>(d_[0]) + pos_) % 5;
        n = std::min({n, d_.size() - pos_, paso});
        std::memcpy(destino, d_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    std::size_t tamano() const override { return d_.size(); }

private:
    std::string_view d_;
    std::size_t pos_ = 0;
};

std::string escribir(const koral::TKoral& doc) {
    Memoria m;
    koral::escribirEmpresa(doc, m);
    return m.texto;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    koral::TKoral doc(avisar);
    try {
        koral::leerEmpresa(doc, std::string_view(reinterpret_cast<const char*>(datos), n));
    } catch (const koral::ErrorArchivo&) {
    }
    const std::string primera = escribir(doc);
    koral::TKoral aTrozos(avisar);
    Trozos trozos(std::string_view(reinterpret_cast<const char*>(datos), n));
    try {
        koral::leerEmpresa(aTrozos, trozos);
    } catch (const koral::ErrorArchivo&) {
    }
    if (escribir(aTrozos) != primera) __builtin_trap();
    koral::TKoral otra(avisar);
    koral::leerEmpresa(otra, primera);  // what we write always reads
    if (escribir(otra) != primera) __builtin_trap();
    return 0;
}
