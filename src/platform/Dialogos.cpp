#include "platform/Dialogos.h"

namespace koral {
namespace {
Dialogos* gDialogos = nullptr;
}

Dialogos* instalarDialogos(Dialogos* d) {
    Dialogos* anterior = gDialogos;
    gDialogos = d;
    return anterior;
}

void Mensaje(const std::string& texto) {
    if (gDialogos) gDialogos->mensaje(texto);
}

Respuesta Pregunta(const std::string& titulo, const std::string& texto) {
    return gDialogos ? gDialogos->pregunta(titulo, texto) : Respuesta::Cancelar;
}

bool PideCampo(const std::string& titulo, const std::string& indicacion, std::string& valor) {
    if (!gDialogos) return false;
    // The implementation must not touch `valor` unless confirmed; enforce it here.
    std::string copia = valor;
    if (!gDialogos->pideCampo(titulo, indicacion, copia)) return false;
    valor = std::move(copia);
    return true;
}

}  // namespace koral
