#include "ui/AvisosLectura.h"

#include "platform/Texto.h"

namespace koral {

namespace {
TAvisosLectura* gActivo = nullptr;
}

TAvisosLectura::TAvisosLectura(Dialogos& destino, int visibles)
    : destino_(destino), visibles_(visibles), anterior_(gActivo) {
    gActivo = this;
}

TAvisosLectura::~TAvisosLectura() {
    if (gActivo == this) gActivo = anterior_;
}

void TAvisosLectura::mensaje(const std::string& texto) {
    if (lecturas_ > 0) {
        if (mostrados_ >= visibles_) {
            ++omitidos_;
            return;
        }
        ++mostrados_;
    }
    destino_.mensaje(texto);
}

Respuesta TAvisosLectura::pregunta(const std::string& titulo, const std::string& texto) {
    return destino_.pregunta(titulo, texto);
}

bool TAvisosLectura::pideCampo(const std::string& titulo, const std::string& indicacion,
                               std::string& valor) {
    return destino_.pideCampo(titulo, indicacion, valor);
}

void TAvisosLectura::terminar() {
    if (--lecturas_ > 0) return;
    const long long omitidos = omitidos_;
    mostrados_ = 0;
    omitidos_ = 0;
    if (omitidos == 1)
        destino_.mensaje("Hay otro aviso de lectura de este archivo que no se muestra."_cp);
    else if (omitidos > 1)
        destino_.mensaje("Hay otros " + std::to_string(omitidos) +
                         " avisos de lectura de este archivo que no se muestran."_cp);
}

TAvisosLectura::Lectura::Lectura() : avisos_(gActivo) {
    if (avisos_) ++avisos_->lecturas_;
}

TAvisosLectura::Lectura::~Lectura() {
    if (avisos_) avisos_->terminar();
}

}  // namespace koral
