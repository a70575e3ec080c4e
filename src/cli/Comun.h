// What koral20-cli's commands share: the failure that ends a command and the
// reading of their arguments.
#pragma once

#include <memory>
#include <string>

#include "document/UData.h"
#include "platform/Archivos.h"
#include "platform/Bloqueo.h"
#include "platform/Texto.h"

namespace koral::cli {

// A failure that ends the command: "Error: " + message, exit 1.
struct ErrorComando {
    std::string mensaje;  // UTF-8
};

inline void leerExistente(TKoral& doc, const std::string& ruta) {
    // Reading creates a missing file; inspecting one must not.
    if (!archivos().existe(ruta)) throw ErrorComando{"no existe el archivo " + ruta};
    doc.leerArchivo(ruta);
}

// Writing a company that another program has open would lose its work or
// ours: refused, as a command cannot ask.
inline std::unique_ptr<BloqueoEmpresa> bloquearEmpresa(const std::string& ruta) {
    TitularBloqueo titular;
    auto bloqueo = BloqueoEmpresa::tomar(ruta, false, &titular);
    if (!bloqueo) throw ErrorComando{cp1252AUtf8(textoBloqueo(titular))};
    return bloqueo;
}

// A name given on the command line, in the document's encoding.
inline std::string nombreArgumento(const std::string& utf8) {
    std::string cp;
    if (!utf8ACp1252(utf8, cp))
        throw ErrorComando{"el nombre \"" + utf8 + "\" tiene caracteres que no admite el programa"};
    return cp;
}

}  // namespace koral::cli
