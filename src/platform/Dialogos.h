// The notice, question and one-line prompt of the windows and koral20-cli's
// commands (the core hands its notices to a document's sink instead). They go
// through one installed implementation: the modal dialog in the window
// program, stderr in koral20-cli, a scripted double in tests.
// All texts are Windows-1252.
#pragma once

#include <string>

namespace koral {

enum class Respuesta { Si, No, Cancelar };

class Dialogos {
public:
    virtual ~Dialogos() = default;
    virtual void mensaje(const std::string& texto) = 0;
    virtual Respuesta pregunta(const std::string& titulo, const std::string& texto) = 0;
    // True when confirmed; `valor` then holds the text as typed. Otherwise
    // `valor` must be left as it was.
    virtual bool pideCampo(const std::string& titulo, const std::string& indicacion,
                           std::string& valor) = 0;
};

// Installs `d` (not owned) and returns the previous one. With none installed,
// notices are dropped and questions answer Cancelar.
Dialogos* instalarDialogos(Dialogos* d);

void Mensaje(const std::string& texto);
Respuesta Pregunta(const std::string& titulo, const std::string& texto);
bool PideCampo(const std::string& titulo, const std::string& indicacion, std::string& valor);

}  // namespace koral
