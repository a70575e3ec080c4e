// Collects a document's notices in order, for tests that check them:
// `AvisosRecogidos avisos; TKoral doc(avisos.sumidero());`
#pragma once

#include <string>
#include <vector>

#include "document/UData.h"
#include "platform/Texto.h"

namespace koral::prueba {

struct AvisosRecogidos {
    std::vector<std::string> mensajes;  // UTF-8, for readable expectations

    Avisos sumidero() {
        return [this](const std::string& texto) { mensajes.push_back(cp1252AUtf8(texto)); };
    }
};

}  // namespace koral::prueba
