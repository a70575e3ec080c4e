// The companion file: what additions keep with a company beside its file
// (NAME.kr2 -> NAME.koral.json), since the company file's format is fixed.
// A JSON object with a "version" number and named sections; sections this
// program does not know are kept when it rewrites the file.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace koral {

class TKoral;

// The companion file of company file `archivoEmpresa`, beside the file a
// link points to.
std::string rutaAcompanante(const std::string& archivoEmpresa);

// Refuses (ErrorArchivo) an output path that names company file `empresa`
// or its companion file: writing a report over either loses the company's
// work.
void comprobarFueraDeEmpresa(const std::string& salida, const std::string& empresa);

class TAcompanante {
public:
    static constexpr int kVersion = 1;
    // Larger files are refused rather than held whole.
    static constexpr std::size_t kMaximoBytes = std::size_t{64} << 20;

    TAcompanante();
    ~TAcompanante();
    TAcompanante(const TAcompanante&) = delete;
    TAcompanante& operator=(const TAcompanante&) = delete;

    // Replaces the content by the companion file of `doc.archivo`. A missing
    // file gives an empty companion. An unreadable, damaged or newer file is
    // told through doc.avisar, gives an empty companion, and is protected:
    // never overwritten until permitirSobrescribir.
    void leer(const TKoral& doc);
    // Writes the content beside `doc.archivo` as a whole (temporary file with
    // the company's permissions, synced, renamed over the old one). Nothing is
    // written while protected, for a company with no file, nor an empty
    // companion where none was read (no file is made for nothing). Returns
    // whether it wrote. Throws ErrorArchivo; on failure the previous file is
    // untouched.
    bool guardar(const TKoral& doc);

    bool protegido() const { return protegido_; }
    // The user has confirmed that the file that could not be read may go.
    void permitirSobrescribir() { protegido_ = false; }

    // Nothing but the version.
    bool vacio() const;
    // Section `nombre` as JSON text (UTF-8), or empty when there is none.
    std::string seccion(std::string_view nombre) const;
    // Sets section `nombre` to the value JSON text `json` holds; throws
    // std::invalid_argument, changing nothing, when it is no valid JSON. The
    // key "version" belongs to the file, not to a section.
    void ponerSeccion(std::string_view nombre, std::string_view json);
    void quitarSeccion(std::string_view nombre);

private:
    struct Datos;
    std::unique_ptr<Datos> datos_;
    bool protegido_ = false;
    std::string leido_;  // the file the content came from (a link's target)
};

}  // namespace koral
