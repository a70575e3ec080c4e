#include "red/Recogida.h"

#include <sys/random.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "method/Puntuacion.h"
#include "platform/Archivos.h"
#include "platform/Texto.h"

namespace koral::red {

namespace {

using Cabeceras = std::vector<std::pair<std::string, std::string>>;

// Pages are never kept by the browser (a shared tablet must not show the
// last worker's answers), load nothing from anywhere and post only here.
Cabeceras cabecerasPagina() {
    return {{"Content-Type", "text/html; charset=utf-8"},
            {"Cache-Control", "no-store"},
            {"Content-Security-Policy", politicaSeguridad()},
            {"X-Content-Type-Options", "nosniff"},
            {"Referrer-Policy", "no-referrer"}};
}

Respuesta pagina(int estado, std::string cuerpo) {
    return {estado, std::move(cuerpo), cabecerasPagina(), {}};
}

int enBlanco(const Respuestas& r) {
    return static_cast<int>(std::count(r.begin(), r.end(), '0'));
}

// After an accepted answer: the thanks page is fetched with a GET, so
// reloading it sends nothing again.
Respuesta aGracias(const Respuestas& r) {
    const int n = enBlanco(r);
    return {303,
            {},
            {{"Location", n ? "/gracias/" + std::to_string(n) : std::string("/gracias")},
             {"Cache-Control", "no-store"}},
            {}};
}

// "/gracias/N", N from 1 to kNumItems without leading zeros: N; else 0.
int blancosGracias(std::string_view ruta) {
    constexpr std::string_view prefijo = "/gracias/";
    if (ruta.substr(0, prefijo.size()) != prefijo) return 0;
    ruta.remove_prefix(prefijo.size());
    if (ruta.empty() || ruta.size() > 2 || ruta[0] == '0') return 0;
    int n = 0;
    for (char c : ruta) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n <= kNumItems ? n : 0;
}

Respuesta noAdmitido(const char* permitido) {
    Respuesta r = pagina(405, paginaMensaje("Petición no admitida",
                                            "Esta dirección no admite esa clase de petición."));
    r.cabeceras.emplace_back("Allow", permitido);
    return r;
}

Respuesta noValida() {
    return pagina(400, paginaMensaje("Respuesta no válida",
                                     "Lo enviado no es una respuesta a este cuestionario. "
                                     "No se ha guardado nada."));
}

char minuscula(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool igualesSinMayusculas(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return minuscula(x) == minuscula(y);
           });
}

std::string_view sinBlancos(std::string_view s) {
    const auto blanco = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blanco(s.front())) s.remove_prefix(1);
    while (!s.empty() && blanco(s.back())) s.remove_suffix(1);
    return s;
}

const std::string* cabecera(const Peticion& p, std::string_view nombre) {
    for (const auto& [n, v] : p.cabeceras)
        if (igualesSinMayusculas(n, nombre)) return &v;
    return nullptr;
}

// application/x-www-form-urlencoded, in UTF-8 if a character set is named.
bool tipoFormulario(std::string_view tipo) {
    auto punto = tipo.find(';');
    if (!igualesSinMayusculas(sinBlancos(tipo.substr(0, punto)),
                              "application/x-www-form-urlencoded"))
        return false;
    while (punto != std::string_view::npos) {
        tipo.remove_prefix(punto + 1);
        punto = tipo.find(';');
        const std::string_view param = sinBlancos(tipo.substr(0, punto));
        if (param.size() < 8 || !igualesSinMayusculas(param.substr(0, 8), "charset=")) continue;
        std::string_view valor = param.substr(8);
        if (valor.size() >= 2 && valor.front() == '"' && valor.back() == '"')
            valor = valor.substr(1, valor.size() - 2);
        if (!igualesSinMayusculas(valor, "utf-8")) return false;
    }
    return true;
}

int valorHex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool decodificar(std::string_view s, std::string& r) {
    r.clear();
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+') {
            r += ' ';
        } else if (s[i] == '%') {
            if (i + 2 >= s.size()) return false;
            const int a = valorHex(s[i + 1]), b = valorHex(s[i + 2]);
            if (a < 0 || b < 0) return false;
            r += static_cast<char>(a * 16 + b);
            i += 2;
        } else {
            r += s[i];
        }
    }
    return true;
}

// "grupo": 0; "grupoN" for a question N of `preguntas`: N; else -1.
int preguntaCampo(std::string_view nombre, std::size_t preguntas) {
    constexpr std::string_view prefijo = "grupo";
    if (nombre.substr(0, prefijo.size()) != prefijo) return -1;
    nombre.remove_prefix(prefijo.size());
    if (nombre.empty()) return 0;
    if (nombre.size() > 3 || nombre[0] == '0') return -1;
    std::size_t n = 0;
    for (char c : nombre) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + static_cast<std::size_t>(c - '0');
    }
    return n <= preguntas ? static_cast<int>(n) : -1;
}

// r1 ... r75, without leading zeros; 0 for any other name.
int itemCampo(std::string_view nombre) {
    if (nombre.size() < 2 || nombre.size() > 3 || nombre[0] != 'r' || nombre[1] == '0') return 0;
    int n = 0;
    for (char c : nombre.substr(1)) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n <= kNumItems ? n : 0;
}

bool envioValido(std::string_view s) {
    return s.size() == kLargoEnvio && std::all_of(s.begin(), s.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

constexpr std::size_t kLargoHash = 64;  // hex digits of a SHA-256

bool hexMinusculas(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// Like igualesTiempoConstante, for two hashes (both kLargoHash digits).
bool mismoHash(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    volatile unsigned char d = 0;
    for (std::size_t i = 0; i < a.size(); ++i) d = d | static_cast<unsigned char>(a[i] ^ b[i]);
    return d == 0;
}

bool soloCifras(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void azar(unsigned char* datos, std::size_t n) {
    while (n > 0) {
        const ssize_t k = ::getrandom(datos, n, 0);
        if (k < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("no random source");
        }
        datos += k;
        n -= static_cast<std::size_t>(k);
    }
}

}  // namespace

// ---------------------------------------------------------------- TLimitador

namespace {
constexpr auto kOlvido = std::chrono::hours(1);
}

Reloj::duration TLimitador::esperaGlobal(Reloj::time_point ahora) const {
    // The budget allows kPresupuesto wrong codes at once: used up when
    // agotado_ is that many intervals ahead.
    constexpr auto kRafaga = kIntervalo * (kPresupuesto - 1);
    if (!agotado_ || *agotado_ - kRafaga <= ahora) return Reloj::duration::zero();
    return *agotado_ - kRafaga - ahora;
}

Reloj::duration TLimitador::espera(const std::string& direccion, Reloj::time_point ahora) const {
    Reloj::duration r = Reloj::duration::zero();
    if (const auto global = esperaGlobal(ahora); global > kMaxRetener) r = global - kMaxRetener;
    const auto it = estados_.find(direccion);
    if (it != estados_.end() && it->second.fallos > kLibres)
        r = std::max(r, it->second.ultimo + kEsperaDireccion - ahora);
    return r;
}

Reloj::duration TLimitador::fallo(const std::string& direccion, Reloj::time_point ahora) {
    Reloj::duration retener = esperaGlobal(ahora);
    agotado_ = std::max(agotado_.value_or(ahora), ahora) + kIntervalo;

    auto it = estados_.find(direccion);
    if (it != estados_.end() && ahora - it->second.ultimo > kOlvido) {
        estados_.erase(it);
        it = estados_.end();
    }
    if (it == estados_.end()) {
        // Bounded memory: what is old goes first, then the least recent.
        if (estados_.size() >= kMaxDirecciones)
            std::erase_if(estados_,
                          [&](const auto& e) { return ahora - e.second.ultimo > kOlvido; });
        if (estados_.size() >= kMaxDirecciones)
            estados_.erase(std::min_element(
                estados_.begin(), estados_.end(),
                [](const auto& a, const auto& b) { return a.second.ultimo < b.second.ultimo; }));
        it = estados_.emplace(direccion, Estado{}).first;
    }
    Estado& e = it->second;
    e.ultimo = ahora;
    if (++e.fallos > kLibres) retener = std::max<Reloj::duration>(retener, kEsperaDireccion);
    return retener;
}

// ----------------------------------------------------------------- TRecogida

TRecogida::TRecogida(TKoral& doc, Campana campana, std::function<void()> guardar)
    : doc_(doc), campana_(std::move(campana)), guardar_(std::move(guardar)) {
    if (campana_.codigo.empty() || campana_.codigo.size() > kMaxCodigo)
        throw std::invalid_argument("campaign code of 1 to 64 bytes");
    if (!guardar_) guardar_ = [this] { doc_.guardarArchivo(); };
    std::vector<std::string> nombres;
    const auto ofrecer = [&](const std::string& n, int pregunta) {
        TGrupo* g = doc_.buscarGrupo(n);
        if (!g) throw std::invalid_argument("offered group not in the company");
        // A group is offered once, in the first question that names it.
        if (std::find(ofrecidos_.begin(), ofrecidos_.end(), g) != ofrecidos_.end()) return false;
        ofrecidos_.push_back(g);
        preguntaDe_.push_back(pregunta);
        nombres.push_back(n);
        return true;
    };
    if (campana_.preguntas.empty()) {
        for (const std::string& n : campana_.grupos) ofrecer(n, 0);
    } else {
        for (const TPreguntaGrupos& p : campana_.preguntas) {
            TPreguntaGrupos q{p.pregunta, {}};
            for (const std::string& n : p.grupos)
                if (ofrecer(n, static_cast<int>(datos_.preguntas.size()) + 1))
                    q.grupos.push_back(n);
            if (!q.grupos.empty()) datos_.preguntas.push_back(std::move(q));
        }
    }
    campana_.grupos = nombres;
    datos_.empresa = doc_.nombre;
    datos_.grupos = std::move(nombres);
    datos_.aviso = campana_.aviso.empty()
                       ? avisoPorDefecto(doc_.nombre, campana_.responsable, campana_.minimo)
                       : campana_.aviso;
    datos_.campana = envioAleatorio();
    datos_.codigoNumerico = soloCifras(campana_.codigo);
    componerFormulario();
    gracias_ = paginaGracias();
}

void TRecogida::componerFormulario() {
    const std::string marcador(kLargoEnvio, 'x'), campo = "name=\"envio\" value=\"";
    formulario_ = paginaFormulario(datos_, marcador);
    posEnvio_ = formulario_.find(campo + marcador);
    if (posEnvio_ == std::string::npos) throw std::logic_error("form without its token");
    posEnvio_ += campo.size();
}

std::string TRecogida::formulario() const {
    std::string h = formulario_;
    h.replace(posEnvio_, kLargoEnvio, envioAleatorio());
    return h;
}

void TRecogida::fijarCodigosIndividuales(std::string sal, std::vector<TCodigoIndividual> codigos) {
    std::vector<TCodigoIndividual> unicos;
    for (auto& c : codigos) {
        if (c.hash.size() != kLargoHash || !hexMinusculas(c.hash))
            throw std::invalid_argument("single-use code hash of 64 lowercase hex digits");
        const auto it = std::find_if(unicos.begin(), unicos.end(),
                                     [&](const TCodigoIndividual& u) { return u.hash == c.hash; });
        if (it == unicos.end())
            unicos.push_back(std::move(c));
        else
            it->usado = it->usado || c.usado;
    }
    sal_ = std::move(sal);
    individuales_ = std::move(unicos);
    datos_.codigoIndividual = !individuales_.empty();
    datos_.codigoNumerico = !individuales_.empty() || soloCifras(campana_.codigo);
    componerFormulario();
}

std::size_t TRecogida::codigosUsados() const {
    return static_cast<std::size_t>(
        std::count_if(individuales_.begin(), individuales_.end(),
                      [](const TCodigoIndividual& c) { return c.usado; }));
}

void TRecogida::marcarUsado(const std::string& hash, bool usado) {
    for (auto& c : individuales_)
        if (c.hash == hash) c.usado = usado;
}

// The campaign's code, or the hash of an unused single-use code (returned,
// to be taken). Every stored hash is compared in full, whatever matched
// before it.
std::optional<std::string> TRecogida::codigoAceptado(std::string_view codigo) const {
    if (individuales_.empty()) {
        if (igualesTiempoConstante(codigo, campana_.codigo)) return std::string();
        return std::nullopt;
    }
    if (codigo.empty() || codigo.size() > kMaxCodigo) return std::nullopt;
    const std::string hash = hashCodigo(sal_, std::string(codigo));
    const TCodigoIndividual* hallado = nullptr;
    for (const auto& c : individuales_)
        if (mismoHash(hash, c.hash)) hallado = &c;
    if (!hallado || hallado->usado) return std::nullopt;
    return hallado->hash;
}

TRecogida::Resultado TRecogida::recibir(const Peticion& p, Reloj::time_point ahora) {
    const bool leer = p.metodo == "GET" || p.metodo == "HEAD";
    if (p.ruta == "/") {
        if (!leer) return {noAdmitido("GET, HEAD")};
        return {pagina(200, formulario())};
    }
    if (p.ruta == "/gracias") {
        if (!leer) return {noAdmitido("GET, HEAD")};
        return {pagina(200, gracias_)};
    }
    if (const int blancos = blancosGracias(p.ruta)) {
        if (!leer) return {noAdmitido("GET, HEAD")};
        return {pagina(200, paginaGracias(blancos))};
    }
    if (p.ruta == "/enviar") {
        if (p.metodo != "POST") return {noAdmitido("POST")};
        const std::size_t antes = lote_.size();
        Respuesta r = enviar(p, ahora);
        return {std::move(r), lote_.size() > antes};
    }
    return {pagina(404, paginaMensaje("Página no encontrada",
                                      "Esta dirección no lleva a ninguna página del "
                                      "cuestionario."))};
}

Respuesta TRecogida::enviar(const Peticion& p, Reloj::time_point ahora) {
    const std::string* tipo = cabecera(p, "Content-Type");
    if (!tipo || !tipoFormulario(*tipo) || p.cuerpo.size() > kMaxCuerpo) return noValida();
    std::vector<std::pair<std::string, std::string>> campos;
    if (!decodificarFormulario(p.cuerpo, campos)) return noValida();

    Envio e;
    e.respuestas.fill('0');
    e.grupos.assign(ofrecidos_.size(), false);
    bool hayCodigo = false, hayEnvio = false, hayConfirmar = false;
    std::vector<bool> preguntaVista(datos_.preguntas.size() + 1, false);
    std::array<bool, kNumItems> vistos{};
    for (const auto& [nombre, valor] : campos) {
        if (nombre == "envio") {
            if (hayEnvio || !envioValido(valor)) return noValida();
            hayEnvio = true;
            e.envio = valor;
        } else if (nombre == "codigo") {
            if (hayCodigo) return noValida();
            hayCodigo = true;
            e.codigo = sinBlancos(valor);
        } else if (nombre == "confirmar") {
            if (hayConfirmar || valor != "1") return noValida();
            hayConfirmar = e.confirmar = true;
        } else if (const int pregunta = preguntaCampo(nombre, datos_.preguntas.size());
                   pregunta >= 0) {
            // "grupo" names any offered group; "grupoN" one of question N,
            // or none when empty. Either way one group per question.
            if (pregunta > 0) {
                if (preguntaVista[static_cast<std::size_t>(pregunta)]) return noValida();
                preguntaVista[static_cast<std::size_t>(pregunta)] = true;
                if (valor.empty()) continue;
            }
            std::string cp;
            if (!utf8ACp1252(valor, cp)) return noValida();
            const auto it = std::find(campana_.grupos.begin(), campana_.grupos.end(), cp);
            if (it == campana_.grupos.end()) return noValida();
            const auto k = static_cast<std::size_t>(it - campana_.grupos.begin());
            if (e.grupos[k] || (pregunta > 0 && preguntaDe_[k] != pregunta)) return noValida();
            e.grupos[k] = true;
        } else if (const int item = itemCampo(nombre)) {
            if (vistos[item - 1] || valor.size() != 1 || valor[0] < '0' ||
                valor[0] > '0' + opcionesItem(item))
                return noValida();
            vistos[item - 1] = true;
            e.respuestas[item - 1] = valor[0];
        } else {
            return noValida();
        }
    }
    if (!hayCodigo) return noValida();
    std::vector<int> porPregunta(datos_.preguntas.size() + 1, 0);
    for (std::size_t k = 0; k < ofrecidos_.size(); ++k)
        if (e.grupos[k] && preguntaDe_[k] > 0 &&
            ++porPregunta[static_cast<std::size_t>(preguntaDe_[k])] > 1)
            return noValida();

    // A copy of an answer already taken: answered as that one is (in the
    // batch, with it).
    if (!e.envio.empty() && envios_.count(e.envio)) {
        Respuesta r = aGracias(e.respuestas);
        if (std::any_of(lote_.begin(), lote_.end(),
                        [&](const Pendiente& q) { return q.envio.envio == e.envio; }))
            lote_.push_back({nullptr, std::move(e), {}});
        return r;
    }
    if (enBlanco(e.respuestas) == kNumItems)
        return formularioDeNuevo(400, e, "No ha marcado ninguna respuesta.");

    if (const auto espera = limitador_.espera(p.direccion, ahora);
        espera > Reloj::duration::zero()) {
        const auto segundos = std::chrono::ceil<std::chrono::seconds>(espera).count();
        Respuesta r =
            formularioDeNuevo(429, e,
                              "Demasiados intentos con un código equivocado. Espere " +
                                  (segundos == 1 ? std::string("1 segundo")
                                                 : std::to_string(segundos) + " segundos") +
                                  " y vuelva a enviar; sus respuestas siguen marcadas.");
        r.cabeceras.emplace_back("Retry-After", std::to_string(segundos));
        return r;
    }
    const auto codigo = codigoAceptado(e.codigo);
    if (!codigo) {
        const auto retener = limitador_.fallo(p.direccion, ahora);
        Respuesta r = formularioDeNuevo(403, e,
                                        individuales_.empty()
                                            ? "El código no es correcto. Compruébelo y vuelva a "
                                              "enviar; sus respuestas siguen marcadas."
                                            : "El código no es correcto o ya se ha usado. "
                                              "Compruébelo y vuelva a enviar; sus respuestas "
                                              "siguen marcadas.");
        r.retener = std::chrono::ceil<std::chrono::milliseconds>(retener);
        return r;
    }
    limitador_.acierto(p.direccion);

    // From the form, blank items are shown once more before they are stored
    // as blank: the worker may have missed them.
    if (!e.envio.empty() && !e.confirmar && enBlanco(e.respuestas) > 0) {
        Marcas m = marcas(e,
                          "Ha dejado preguntas sin responder; están marcadas más abajo. "
                          "Puede responderlas y enviar, o enviar así con «Enviar de todos "
                          "modos».");
        for (int i = 0; i < kNumItems; ++i)
            if (e.respuestas[static_cast<std::size_t>(i)] == '0') m.faltan.push_back(i + 1);
        m.confirmar = true;
        return pagina(200, paginaFormulario(datos_, e.envio, &m));
    }

    if (lote_.empty()) modificadoAntes_ = doc_.modificado;
    TCuestionario* q = anadir(e);
    if (!q)
        return formularioDeNuevo(503, e,
                                 "La empresa no admite más cuestionarios. Avise a quien le dio "
                                 "el código.");
    if (!codigo->empty()) marcarUsado(*codigo, true);
    if (!e.envio.empty()) envios_.insert(e.envio);
    Respuesta r = aGracias(e.respuestas);
    lote_.push_back({q, std::move(e), *codigo});
    return r;
}

void TRecogida::recordarEnvio(const std::string& envio) {
    ordenEnvios_.push_back(envio);
    if (ordenEnvios_.size() > kMaxEnvios) {
        envios_.erase(ordenEnvios_.front());
        ordenEnvios_.pop_front();
    }
}

TCuestionario* TRecogida::anadir(const Envio& e) {
    TCuestionario* q = doc_.agregarCuestionario(nombreNuevoCuestionario(doc_));
    if (!q) return nullptr;  // no identifier left
    q->respuestas = e.respuestas;
    for (std::size_t i = 0; i < ofrecidos_.size(); ++i)
        if (e.grupos[i]) enlazar(*q, *ofrecidos_[i]);
    puntuarCuestionario(*q);
    doc_.modificado = true;
    return q;
}

Marcas TRecogida::marcas(const Envio& e, const std::string& aviso) {
    Marcas m;
    m.respuestas = e.respuestas;
    m.grupos = e.grupos;
    m.codigo = e.codigo.size() <= kMaxCodigo ? e.codigo : std::string();
    m.aviso = aviso;
    return m;
}

Respuesta TRecogida::formularioDeNuevo(int estado, const Envio& e, const std::string& aviso) const {
    const Marcas m = marcas(e, aviso);
    // The same token: a later send that is stored is stored once.
    return pagina(estado,
                  paginaFormulario(datos_, e.envio.empty() ? envioAleatorio() : e.envio, &m));
}

std::vector<Respuesta> TRecogida::cerrarLote() {
    std::vector<Respuesta> respuestas;
    if (lote_.empty()) return respuestas;
    std::string error;
    try {
        guardar_();
    } catch (const std::exception& ex) {
        error = ex.what();
        if (error.empty()) error = "error";
    }
    std::vector<Pendiente> lote = std::move(lote_);
    lote_.clear();
    if (error.empty()) {
        for (const auto& p : lote) {
            if (!p.q) continue;
            ++guardadas_;
            if (!p.envio.envio.empty()) recordarEnvio(p.envio.envio);
        }
        for (const auto& p : lote) respuestas.push_back(aGracias(p.envio.respuestas));
        if (alGuardarLote) {
            std::vector<std::int32_t> ids;
            for (const auto& p : lote)
                if (p.q) ids.push_back(p.q->id);
            alGuardarLote(ids);
        }
        if (alGuardar)
            for (const auto& p : lote)
                if (p.q) alGuardar(*p.q);
        return respuestas;
    }
    // Not in the file: not in the company either, or a worker told to send
    // again would be stored twice by the next save.
    for (std::size_t i = lote.size(); i-- > 0;) {
        if (!lote[i].q) continue;
        doc_.borrarCuestionario(lote[i].q);
        if (!lote[i].codigoIndividual.empty()) marcarUsado(lote[i].codigoIndividual, false);
        envios_.erase(lote[i].envio.envio);
    }
    doc_.modificado = modificadoAntes_;
    for (const auto& p : lote)
        respuestas.push_back(
            formularioDeNuevo(503, p.envio,
                              "No se han podido guardar sus respuestas. Avise a quien le dio el "
                              "código y vuelva a enviar dentro de un rato; sus respuestas "
                              "siguen marcadas."));
    if (alFallarGuardado) alFallarGuardado(error);
    return respuestas;
}

Respuesta TRecogida::atender(const Peticion& p, Reloj::time_point ahora) {
    Resultado r = recibir(p, ahora);
    if (!r.pendiente) return std::move(r.respuesta);
    return std::move(cerrarLote().back());
}

// ------------------------------------------------------------------- helpers

bool igualesTiempoConstante(std::string_view a, std::string_view b) {
    if (a.size() > kMaxCodigo || b.size() > kMaxCodigo) return false;
    std::array<unsigned char, kMaxCodigo> x{}, y{};
    std::memcpy(x.data(), a.data(), a.size());
    std::memcpy(y.data(), b.data(), b.size());
    volatile unsigned char d = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < kMaxCodigo; ++i) d = d | (x[i] ^ y[i]);
    return d == 0;
}

std::string codigoAleatorio(int n) {
    std::string r;
    while (static_cast<int>(r.size()) < n) {
        unsigned char b[16];
        azar(b, sizeof b);
        for (unsigned char c : b)
            if (c < 250 && static_cast<int>(r.size()) < n)  // 250 = 25 x 10: no digit favoured
                r += static_cast<char>('0' + c % 10);
    }
    return r;
}

std::string envioAleatorio() {
    std::array<unsigned char, kLargoEnvio / 2> b{};
    azar(b.data(), b.size());
    static constexpr char kHex[] = "0123456789abcdef";
    std::string r;
    for (unsigned char c : b) {
        r += kHex[c >> 4];
        r += kHex[c & 15];
    }
    return r;
}

std::vector<std::string> codigosAleatorios(int n, int cifras) {
    std::set<std::string> vistos;
    std::vector<std::string> r;
    while (static_cast<int>(r.size()) < n) {
        std::string c = codigoAleatorio(cifras);
        if (vistos.insert(c).second) r.push_back(std::move(c));
    }
    return r;
}

std::string salAleatoria() {
    return envioAleatorio();
}

std::vector<TCodigoIndividual> codigosConHash(const std::string& sal,
                                              const std::vector<std::string>& codigos) {
    std::vector<TCodigoIndividual> r;
    r.reserve(codigos.size());
    for (const auto& c : codigos) r.push_back({hashCodigo(sal, c), false});
    return r;
}

bool decodificarFormulario(std::string_view cuerpo,
                           std::vector<std::pair<std::string, std::string>>& campos) {
    campos.clear();
    if (cuerpo.empty()) return true;
    for (std::size_t i = 0;;) {
        const auto fin = cuerpo.find('&', i);
        const std::string_view par =
            cuerpo.substr(i, fin == std::string_view::npos ? fin : fin - i);
        const auto igual = par.find('=');
        if (igual == std::string_view::npos) return false;
        std::string nombre, valor;
        if (!decodificar(par.substr(0, igual), nombre) ||
            !decodificar(par.substr(igual + 1), valor))
            return false;
        campos.emplace_back(std::move(nombre), std::move(valor));
        if (fin == std::string_view::npos) return true;
        i = fin + 1;
    }
}

std::string nombreNuevoCuestionario(const TKoral& doc) {
    for (long long n = static_cast<long long>(doc.nCuestionarios) + 1;; ++n) {
        std::string nombre = "C" + rellenarCeros(n, 6);
        if (!doc.buscarCuestionario(nombre)) return nombre;
    }
}

}  // namespace koral::red
