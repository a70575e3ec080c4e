// Any bytes as a company file: the reader must survive them, whatever it
// keeps must write out and read back to the same bytes, and a file that comes
// in pieces of any size must read as the same bytes in memory do.
#include <cstdint>
#include <string>

#include "document/ArchivoEmpresa.h"
#include "support/EntradaGoteo.h"

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
    koral::TKoral aTrozos(avisar);
    const std::string_view texto(reinterpret_cast<const char*>(datos), n);
    koral::prueba::EntradaGoteo trozos(texto, texto.empty() ? 0 : datos[0]);
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
