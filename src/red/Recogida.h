// Collecting answers on the local network: what a request gets, as plain
// functions of the request, so that they are tested without sockets. The
// server (ServidorRecogida) only carries requests here and responses back.
//
// Answers arrive as POST /enviar, application/x-www-form-urlencoded, with the
// fields `codigo`, `grupo` (zero or more, each the exact UTF-8 name of an
// offered group) and `r1` ... `r75` ('0' to the item's option count; '0' or
// absent: no answer). Groups asked as questions come as `grupo1`, `grupo2`,
// ... instead (the question's number; empty: none chosen). An answer with no
// item marked is refused (400); one from the form (with `envio`) with blank
// items is shown again, stored only when sent with `confirmar=1`. An accepted
// answer becomes a new questionnaire and is acknowledged only once it is in
// the company file, with a redirect (303) to GET /gracias (/gracias/N when N
// items were blank), so that reloading the thanks page sends nothing again.
//
// Each form served carries `envio`, a one-time token (kLargoEnvio lowercase
// hex digits, fresh for every GET /): an answer whose token is already stored
// (or waiting to be) is not stored again but answered as the first one was.
// An answer without it (sent by a script) is stored as sent.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "document/Campana.h"
#include "document/UData.h"
#include "red/Formulario.h"

namespace koral::red {

using Reloj = std::chrono::steady_clock;

inline constexpr std::size_t kMaxCuerpo = std::size_t{64} * 1024;  // bytes of a request body
inline constexpr std::size_t kMaxCodigo = 64;                      // bytes of a code
inline constexpr std::size_t kLargoEnvio = 32;                     // hex digits of a token

struct Peticion {
    std::string metodo;  // "GET", "POST", ...
    std::string ruta;    // the path, decoded, without the query
    std::vector<std::pair<std::string, std::string>> cabeceras;  // names in any case
    std::string cuerpo;
    std::string direccion;  // the peer's address: for the guessing limit only, never stored
};

struct Respuesta {
    int estado = 200;
    std::string cuerpo;                                          // UTF-8 HTML, or empty
    std::vector<std::pair<std::string, std::string>> cabeceras;  // every header but the length
    // How long the server holds this response before sending it. A server
    // that sends it at once is still safe: the limits do not rely on it.
    std::chrono::milliseconds retener{0};
};

// What a campaign offers and accepts.
struct Campana {
    std::string codigo;               // UTF-8, as the worker types it
    std::vector<std::string> grupos;  // Windows-1252 names of the groups offered, as shown
    // When not empty, the groups offered are those of these questions, each
    // asked as one choice (with "Prefiero no decirlo"); `grupos` is then not
    // used. A group in no question is not offered.
    std::vector<TPreguntaGrupos> preguntas;
    std::string aviso;  // the information notice (Windows-1252); empty: the default one
    // For the default notice: who runs the assessment (Windows-1252; empty:
    // the company), and the smallest group whose results are given.
    std::string responsable;
    int minimo = 5;
};

// Slows down guessing the code without shutting out colleagues who share an
// address. All addresses together get a budget of wrong codes: a burst of
// kPresupuesto, then one every kIntervalo (30 a minute). A wrong code over
// the budget has its answer held until its turn (at most kMaxRetener); a try
// that would wait longer is refused without its code being checked. Either
// way at most one code is checked every kIntervalo in the long run, held
// answers or not: finding an 8-digit code takes on average 10^8 / 2 tries,
// 5*10^7 x 2 s = 10^8 s, over 3 years (a 6-digit one, 11 days; one of N
// single-use codes, N times sooner). Per address, the first kLibres wrong
// codes cost nothing; after that each wrong answer is held kEsperaDireccion
// and the address's next try waits as long, so a right code is never turned
// away for longer than that. An address is forgotten an hour after its last
// mistake, or when the table is full; the budget is what bounds guessing.
class TLimitador {
public:
    static constexpr int kLibres = 5;
    static constexpr std::chrono::seconds kEsperaDireccion{5};
    static constexpr int kPresupuesto = 30;
    static constexpr std::chrono::seconds kIntervalo{2};
    static constexpr std::chrono::seconds kMaxRetener{5};
    static constexpr std::size_t kMaxDirecciones = 4096;

    // How long a try from `direccion` must wait before its code may be
    // checked (zero: it may be checked now).
    Reloj::duration espera(const std::string& direccion, Reloj::time_point ahora) const;
    // A wrong code: returns how long its answer is held.
    Reloj::duration fallo(const std::string& direccion, Reloj::time_point ahora);
    void acierto(const std::string& direccion) { estados_.erase(direccion); }

private:
    struct Estado {
        int fallos = 0;
        Reloj::time_point ultimo;
    };
    Reloj::duration esperaGlobal(Reloj::time_point ahora) const;

    std::unordered_map<std::string, Estado> estados_;
    // When the budget is used up (one kIntervalo per wrong code counted).
    std::optional<Reloj::time_point> agotado_;
};

// One campaign on one company. Used from one thread.
class TRecogida {
public:
    // `guardar` makes the company durable (by default doc.guardarArchivo())
    // and throws ErrorArchivo when it could not.
    TRecogida(TKoral& doc, Campana campana, std::function<void()> guardar = {});

    // Single-use codes, kept as hashCodigo(sal, code) only: from now on only
    // these are accepted, each once (the campaign code no longer is). Those
    // marked used were used in an earlier session. They are all taken as
    // codes of digits (as codigosAleatorios makes them).
    void fijarCodigosIndividuales(std::string sal, std::vector<TCodigoIndividual> codigos);
    // With their used marks as the company file has them once the batch is
    // saved (a code taken by an answer that could not be saved is free again).
    const std::vector<TCodigoIndividual>& codigosIndividuales() const { return individuales_; }
    std::size_t codigosUsados() const;

    // Handles one request. An accepted answer is added to the document and
    // joins the batch (`pendiente`): its response may be sent only after
    // cerrarLote(), which gives the final one. So does a second copy of an
    // answer in the batch (same `envio`), which adds nothing.
    struct Resultado {
        Respuesta respuesta;
        bool pendiente = false;
    };
    Resultado recibir(const Peticion& p, Reloj::time_point ahora = Reloj::now());

    // Saves the batch with one write and returns, in the order received, the
    // response each of its answers gets: the redirect to the thanks page once
    // the company file holds them; when the save failed, every one of them is
    // taken out of the document again (its single-use code and its token
    // freed) and gets its form back with a 503.
    std::vector<Respuesta> cerrarLote();
    std::size_t pendientes() const { return lote_.size(); }

    // recibir and cerrarLote in one, for one request at a time.
    Respuesta atender(const Peticion& p, Reloj::time_point ahora = Reloj::now());

    // Tokens remembered at most: far more answers than a campaign gathers.
    static constexpr std::size_t kMaxEnvios = std::size_t{1} << 20;

    // Answers stored for good since the campaign began.
    int guardadas() const { return guardadas_; }
    // Called for each questionnaire once it is durable.
    std::function<void(const TCuestionario&)> alGuardar;
    // Called after each successful save with the identifiers of the
    // questionnaires it made durable, once the counts and the used marks
    // are those of the company file: the place to keep the campaign.
    std::function<void(const std::vector<std::int32_t>&)> alGuardarLote;
    // Called with the system's message (Windows-1252) when a save failed.
    std::function<void(const std::string&)> alFallarGuardado;

    // The blank form, as GET / serves it, with a fresh token.
    std::string formulario() const;

private:
    struct Envio {
        Respuestas respuestas;
        std::vector<bool> grupos;  // per offered group
        bool confirmar = false;    // blank items sent as they are
        std::string codigo;        // as typed, without surrounding blanks
        std::string envio;         // the form's token, or empty
    };
    struct Pendiente {
        TCuestionario* q;  // null: a second copy of an answer in the batch
        Envio envio;
        std::string codigoIndividual;  // the hash of the single-use code it took, if any
    };

    Respuesta enviar(const Peticion& p, Reloj::time_point ahora);
    Respuesta formularioDeNuevo(int estado, const Envio& e, const std::string& aviso) const;
    static Marcas marcas(const Envio& e, const std::string& aviso);
    std::optional<std::string> codigoAceptado(std::string_view codigo) const;
    void marcarUsado(const std::string& hash, bool usado);
    TCuestionario* anadir(const Envio& e);
    void recordarEnvio(const std::string& envio);
    void componerFormulario();

    TKoral& doc_;
    Campana campana_;
    std::function<void()> guardar_;
    std::vector<TGrupo*> ofrecidos_;  // the offered groups, in the order shown
    std::vector<int> preguntaDe_;     // per offered group: its question (1 ...), or 0
    std::string sal_;
    std::vector<TCodigoIndividual> individuales_;
    TLimitador limitador_;
    std::vector<Pendiente> lote_;
    bool modificadoAntes_ = false;
    int guardadas_ = 0;
    // Tokens of the answers stored or in the batch; the stored ones also in
    // the order stored, the oldest forgotten beyond kMaxEnvios.
    std::unordered_set<std::string> envios_;
    std::deque<std::string> ordenEnvios_;
    DatosFormulario datos_;
    std::string formulario_;  // with a placeholder token at posEnvio_
    std::size_t posEnvio_ = 0;
    std::string gracias_;
};

// True when both texts are equal; the time taken depends only on their
// lengths (at most kMaxCodigo), not on where they differ.
bool igualesTiempoConstante(std::string_view a, std::string_view b);

// A campaign code of `n` random digits (from the system's random source).
std::string codigoAleatorio(int n = 8);

// A fresh one-time token for a form: kLargoEnvio random lowercase hex digits.
std::string envioAleatorio();

// The fields of an application/x-www-form-urlencoded body, decoded, in order;
// false when it is not well formed.
bool decodificarFormulario(std::string_view cuerpo,
                           std::vector<std::pair<std::string, std::string>>& campos);

// `n` different codes of `cifras` random digits, for single-use codes.
std::vector<std::string> codigosAleatorios(int n, int cifras = 8);

// A fresh salt for single-use codes, and the codes as kept with it.
std::string salAleatoria();
std::vector<TCodigoIndividual> codigosConHash(const std::string& sal,
                                              const std::vector<std::string>& codigos);

// The name a new questionnaire takes, as the company window names one keyed
// in ("C" and the next count in six digits), moving on past names in use.
std::string nombreNuevoCuestionario(const TKoral& doc);

}  // namespace koral::red
