// A scripted stand-in for the shared dialogs: records every call and answers
// from queues the test fills.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Dialogos.h"
#include "platform/Texto.h"

namespace koral::prueba {

class DialogosGuion : public Dialogos {
public:
    DialogosGuion() : anterior_(instalarDialogos(this)) {}
    ~DialogosGuion() override { instalarDialogos(anterior_); }

    struct Llamada {
        std::string tipo;  // "mensaje", "pregunta", "campo"
        std::string titulo;
        std::string texto;
    };

    void mensaje(const std::string& texto) override {
        llamadas.push_back({"mensaje", "Atención"_cp, texto});
        mensajes.push_back(cp1252AUtf8(texto));
    }
    Respuesta pregunta(const std::string& titulo, const std::string& texto) override {
        llamadas.push_back({"pregunta", titulo, texto});
        if (respuestas.empty()) return Respuesta::Cancelar;
        const Respuesta r = respuestas.front();
        respuestas.pop_front();
        return r;
    }
    bool pideCampo(const std::string& titulo, const std::string& indicacion,
                   std::string& valor) override {
        llamadas.push_back({"campo", titulo, indicacion});
        valoresIniciales.push_back(valor);
        if (campos.empty()) return false;
        const auto r = campos.front();
        campos.pop_front();
        if (!r.first) return false;
        valor = r.second;
        return true;
    }

    std::vector<Llamada> llamadas;
    std::vector<std::string> mensajes;  // UTF-8, for readable expectations
    std::vector<std::string> valoresIniciales;
    std::deque<Respuesta> respuestas;
    std::deque<std::pair<bool, std::string>> campos;  // confirmed?, text

private:
    Dialogos* anterior_;
};

}  // namespace koral::prueba
