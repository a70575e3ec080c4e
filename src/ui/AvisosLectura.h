// The window program's dialogs while a company file is read: a file picked
// by mistake can give a notice for every line, so only the first few of one
// reading are shown and the rest are summed up in one last notice.
// Questions and prompts pass straight through.
#pragma once

#include "platform/Dialogos.h"

namespace koral {

class TAvisosLectura : public Dialogos {
public:
    static constexpr int kVisibles = 5;

    // Passes everything on to `destino` (not owned). The newest instance is
    // the one that readings report to.
    explicit TAvisosLectura(Dialogos& destino, int visibles = kVisibles);
    ~TAvisosLectura() override;
    TAvisosLectura(const TAvisosLectura&) = delete;
    TAvisosLectura& operator=(const TAvisosLectura&) = delete;

    void mensaje(const std::string& texto) override;
    Respuesta pregunta(const std::string& titulo, const std::string& texto) override;
    bool pideCampo(const std::string& titulo, const std::string& indicacion,
                   std::string& valor) override;

    // Marks the reading of one file for as long as it lives. Harmless when no
    // TAvisosLectura exists (koral20-cli, tests): every notice is then seen.
    class Lectura {
    public:
        Lectura();
        ~Lectura();
        Lectura(const Lectura&) = delete;
        Lectura& operator=(const Lectura&) = delete;

    private:
        TAvisosLectura* avisos_;
    };

private:
    void terminar();

    Dialogos& destino_;
    int visibles_;
    TAvisosLectura* anterior_;
    int lecturas_ = 0;  // nesting depth
    int mostrados_ = 0;
    long long omitidos_ = 0;
};

}  // namespace koral
