// The note, beside a company file, that a program has it open for changes:
// who, on which computer, since when. Other programs opening the company see
// it and can warn, as office programs do on shared folders. Real files only.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace koral {

// Who holds a company (Windows-1252 texts, ready for the user).
struct TitularBloqueo {
    std::string usuario;
    std::string equipo;
    std::string desde;  // "dd/mm/aaaa hh:mm", local time
};

class BloqueoEmpresa {
public:
    // Takes the note of company file `ruta` for this process. When another
    // live process holds it, returns null and fills `titular`, unless
    // `forzar`, which takes it over. A holder that is gone from this
    // computer is taken over silently. Where no note can be written (a
    // read-only folder) a lock that holds nothing is returned. Of two
    // programs taking one note at once, only one ever holds it.
    static std::unique_ptr<BloqueoEmpresa> tomar(const std::string& ruta, bool forzar,
                                                 TitularBloqueo* titular = nullptr);
    ~BloqueoEmpresa();
    BloqueoEmpresa(const BloqueoEmpresa&) = delete;
    BloqueoEmpresa& operator=(const BloqueoEmpresa&) = delete;

    const std::string& ruta() const { return nota_; }

private:
    explicit BloqueoEmpresa(std::string nota) : nota_(std::move(nota)) {}
    std::string nota_;  // empty when nothing could be written
};

// For programs that cannot ask whether to take a note over (koral20-cli's
// commands that write): the note of `ruta`, or ErrorArchivo with
// textoBloqueo of its live holder, as writing a company another program has
// open would lose its work or ours.
std::unique_ptr<BloqueoEmpresa> tomarBloqueoSinPreguntar(const std::string& ruta);

// The note's path for company file `ruta` (beside the file a link points to).
std::string rutaBloqueo(const std::string& ruta);

// "La empresa ya está abierta por USUARIO en EQUIPO desde FECHA."
std::string textoBloqueo(const TitularBloqueo& t);

// Refuses (ErrorArchivo) writing over company file `ruta` while another live
// program holds its note: that program's work, or ours, would be lost.
void comprobarNoAbierta(const std::string& ruta);

// The steps of taking a note after which another program may act: ours
// written under its own name; another's read and judged stale, unreadable
// or to be taken over; that one moved aside.
enum class PasoBloqueo { escrita, leida, apartada };
// For tests: `f` runs at each of those steps of every later `tomar`.
void observarPasosBloqueo(std::function<void(PasoBloqueo)> f);

}  // namespace koral
