// The company document: groups, questionnaires and profiles of one company,
// their identifiers and links, and the company file that stores them.
// Texts are Windows-1252; `archivo` is a platform path.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/Instrumento.h"

namespace koral {

inline constexpr std::size_t kLargoNombre = 49;

// The name offered for a new company, kept when the prompt is cancelled.
inline constexpr const char* kNombreEmpresaInicial = "Nombre de la Empresa";

// Where a document's notices go (Windows-1252 texts), one call each, in the
// order they arise. Its owner decides: the window program shows them, the CLI
// prints them, tests collect them.
using Avisos = std::function<void(const std::string&)>;

// Told, now and then, how many bytes of a company file have been read of how
// many; returning false stops the reading, which then throws LecturaCancelada.
using Progreso = std::function<bool(std::size_t leidos, std::size_t total)>;

using Respuestas = std::array<char, kNumItems>;
using Puntuaciones = std::array<double, kNumFactores>;

struct TGrupo;
struct TCuestionario;

struct TRegistro {
    std::int32_t id = 0;
    std::string nombre;
    double fecha = 0;
};

struct TGrupo : TRegistro {
    std::vector<TCuestionario*> cuestionarios;  // members, not owned
    Puntuaciones medias{};                      // memory only
};

struct TCuestionario : TRegistro {
    TCuestionario() { respuestas.fill('0'); }
    std::vector<TGrupo*> grupos;  // not owned
    Respuestas respuestas;        // item 1 first
    Puntuaciones puntuaciones{};
    std::int32_t sinRespuesta = kNumItems;

    // Questionnaires come by the hundred thousand: they are kept side by side
    // in large blocks rather than one heap allocation each.
    static void* operator new(std::size_t n);
    static void operator delete(void* p, std::size_t n) noexcept;
};

struct TPerfil : TRegistro {
    std::vector<TGrupo*> grupos;  // selection, not owned
    // Statistics of the last computation; memory only.
    std::int32_t nSujetos = 0;
    std::array<std::array<std::int32_t, 6>, kNumItems> frecuencias{};  // [item-1][answer]
    Puntuaciones sumaPuntuaciones{};
    std::array<std::array<std::int32_t, 3>, kNumFactores> bandas{};  // [factor-1][band-1]
    std::int32_t nCasiEnBlanco = 0;  // counted forms with over a third of the items unanswered
    std::string descripcion;         // line breaks are CR LF
    std::string observaciones;       // line breaks are CR LF
};

class TKoral {
public:
    // Without a sink, notices are dropped.
    explicit TKoral(Avisos avisos = {}) : avisos_(std::move(avisos)) {}
    TKoral(const TKoral&) = delete;
    TKoral& operator=(const TKoral&) = delete;

    std::string nombre;
    std::int32_t ultimoId = 0;
    std::int32_t nGrupos = 0;
    std::int32_t nCuestionarios = 0;
    std::int32_t nPerfiles = 0;
    std::string archivo;
    bool modificado = false;
    std::vector<std::unique_ptr<TGrupo>> grupos;
    std::vector<std::unique_ptr<TCuestionario>> cuestionarios;
    std::vector<std::unique_ptr<TPerfil>> perfiles;

    // Hands `texto` to the document's sink; for everything that works on it.
    void avisar(const std::string& texto) const {
        if (avisos_) avisos_(texto);
    }

    // A new, empty company called `nombreEmpresa` (cut to 49 characters).
    void iniciarEmpresa(std::string_view nombreEmpresa);
    // Replaces the lists by the company file at `ruta`. Structural faults are
    // reported through avisar and survived; input/output failures and unreadable
    // numbers throw ErrorArchivo, leaving what was read so far; a reading
    // stopped through `progreso` throws LecturaCancelada.
    void leerArchivo(const std::string& ruta, const Progreso& progreso = {});
    // Writes the document to `archivo`, the previous file becoming the ".BAK"
    // backup. Throws ErrorArchivo; on failure the file at `archivo` is untouched
    // and `modificado` keeps its value.
    void guardarArchivo();
    // Saves a modified company that has a file, then releases every record.
    void cerrarEmpresa();

    TGrupo* buscarGrupoPorId(std::int32_t id) const;
    TCuestionario* buscarCuestionarioPorId(std::int32_t id) const;
    TPerfil* buscarPerfilPorId(std::int32_t id) const;
    TGrupo* buscarGrupo(std::string_view texto) const;
    TCuestionario* buscarCuestionario(std::string_view texto) const;
    TPerfil* buscarPerfil(std::string_view texto) const;

    // Null when the name (cut to 49 characters) is in use.
    TGrupo* agregarGrupo(std::string_view texto);
    TCuestionario* agregarCuestionario(std::string_view texto);
    TPerfil* agregarPerfil(std::string_view texto);

    // For bulk work (the import) that keeps its own index of names and has
    // already made sure that `nombre` (at most 49 characters) is not in use:
    // the same as agregarGrupo / agregarCuestionario without their linear search.
    TGrupo* crearGrupo(std::string nombre);
    TCuestionario* crearCuestionario(std::string nombre);

    // Each releases its record; the pointer must not be used afterwards.
    void borrarGrupo(TGrupo* g);
    void borrarCuestionario(TCuestionario* q);
    void borrarPerfil(TPerfil* p);

private:
    bool siguienteId(std::int32_t& id);
    void soltarTodo();

    Avisos avisos_;
};

// Links q and g on both sides, unless they are linked already.
// Returns false when nothing changed.
bool enlazar(TCuestionario& q, TGrupo& g);
// Unlinks q and g on both sides; false when they were not linked.
bool desenlazar(TCuestionario& q, TGrupo& g);

// Cuts a name to the 49 characters a record or company keeps.
std::string cortarNombre(std::string_view texto);

// Every line break (CR LF, lone CR, lone LF) as CR LF: the form profile texts
// keep, whatever the text field handed us.
std::string normalizarSaltos(std::string_view texto);

// Takes the next blank-separated word off the front of `texto`.
void siguientePalabra(std::string& texto, std::string& palabra);
// Decimal text of `numero` padded with leading '0' to at least `ancho`.
std::string rellenarCeros(long long numero, int ancho);

}  // namespace koral
