// Any bytes as a company file: the reader must survive them, and whatever
// it keeps must write out and read back to the same bytes.
#include <cstdint>
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
    koral::TKoral otra(avisar);
    koral::leerEmpresa(otra, primera);  // what we write always reads
    if (escribir(otra) != primera) __builtin_trap();
    return 0;
}
