// The two desktop services the windows use besides the shared dialog: the
// platform's plain message box and handing a file to the system's viewer.
// Behind one installed implementation so that tests can answer them.
#pragma once

#include <string>

namespace koral {

class Escritorio {
public:
    virtual ~Escritorio() = default;
    // Plain modal message box with one OK button; Windows-1252 texts.
    virtual void cajaMensaje(const std::string& titulo, const std::string& texto) = 0;
    // The same with a UTF-8 text, for the rare message that must show a
    // character Windows-1252 lacks (one a field refused).
    virtual void cajaMensajeUtf8(const std::string& titulo, const std::string& textoUtf8) = 0;
    // Opens the file (UTF-8 path) with its type's default program; false
    // when no program could be started.
    virtual bool abrirConSistema(const std::string& ruta) = 0;
};

// Installs `e` (not owned; null restores the real one); returns the previous.
Escritorio* instalarEscritorio(Escritorio* e);

void CajaMensaje(const std::string& titulo, const std::string& texto);
void CajaMensajeUtf8(const std::string& titulo, const std::string& textoUtf8);
bool AbrirConSistema(const std::string& ruta);

}  // namespace koral
