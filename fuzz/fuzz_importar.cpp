// Any bytes as an import file, into a company that already has records.
#include <cstdint>
#include <string>

#include "exchange/Importar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    // The notices' path is exercised too; every notice has a text.
    koral::TKoral doc([](const std::string& texto) {
        if (texto.empty()) __builtin_trap();
    });
    doc.ultimoId = 1;
    doc.agregarGrupo("Taller");
    doc.agregarCuestionario("C000001");
    koral::importarContenido(doc, std::string_view(reinterpret_cast<const char*>(datos), n),
                             [](const std::string&) {});
    if (doc.nCuestionarios != static_cast<std::int64_t>(doc.cuestionarios.size())) __builtin_trap();
    for (const auto& q : doc.cuestionarios) {
        for (std::size_t i = 0; i < q->respuestas.size(); ++i)
            if (q->respuestas[i] < '0' ||
                q->respuestas[i] - '0' > koral::opcionesItem(static_cast<int>(i) + 1))
                __builtin_trap();
        for (const koral::TGrupo* g : q->grupos) {
            std::size_t veces = 0;
            for (const auto* x : g->cuestionarios) veces += x == q.get();
            if (veces != 1) __builtin_trap();
        }
    }
    return 0;
}
