// What koral20-cli's commands share: the failure that ends a command and the
// reading of their arguments.
#pragma once

#include <memory>
#include <string>

#include "document/UData.h"
#include "platform/Archivos.h"
#include "platform/Dialogos.h"
#include "platform/Texto.h"

namespace koral::cli {

// A failure that ends the command: "Error: " + message, exit 1.
struct ErrorComando {
    std::string mensaje;  // UTF-8
};

// Set by the program's main, whose process ends right after the command:
// a large company's records are then left to the system, which takes them
// back at once, instead of being freed one by one (a tenth of a second at a
// million questionnaires). Tests running commands in-process leave it off.
inline bool gSoltarAlSalir = false;

// The company a command works on.
class DocumentoComando : public TKoral {
public:
    DocumentoComando() : TKoral(Mensaje) {}
    DocumentoComando(const DocumentoComando&) = delete;
    DocumentoComando& operator=(const DocumentoComando&) = delete;
    ~DocumentoComando() {
        if (!gSoltarAlSalir) return;
        for (auto& g : grupos) static_cast<void>(g.release());
        for (auto& q : cuestionarios) static_cast<void>(q.release());
        for (auto& p : perfiles) static_cast<void>(p.release());
    }
};

inline void leerExistente(TKoral& doc, const std::string& ruta) {
    // Reading creates a missing file; inspecting one must not.
    if (!archivos().existe(ruta)) throw ErrorComando{"no existe el archivo " + ruta};
    doc.leerArchivo(ruta);
}

// A name given on the command line, in the document's encoding.
inline std::string nombreArgumento(const std::string& utf8) {
    std::string cp;
    if (!utf8ACp1252(utf8, cp))
        throw ErrorComando{"el nombre \"" + utf8 + "\" tiene caracteres que no admite el programa"};
    return cp;
}

}  // namespace koral::cli
