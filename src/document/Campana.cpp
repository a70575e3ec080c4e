#include "document/Campana.h"

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "document/Acompanante.h"
#include "platform/Fecha.h"
#include "platform/Sha256.h"
#include "platform/Texto.h"

namespace koral {

namespace {

using nlohmann::json;

constexpr std::string_view kSeccion = "campana";
constexpr std::string_view kSeccionRecogidos = "recogidos";
// More than any campaign hands out; a larger list is a damaged file.
constexpr std::size_t kMaxCodigos = 100'000;

std::string hex(const unsigned char* d, std::size_t n) {
    static constexpr char kCifras[] = "0123456789abcdef";
    std::string t;
    for (std::size_t i = 0; i < n; ++i) {
        t += kCifras[d[i] >> 4];
        t += kCifras[d[i] & 15];
    }
    return t;
}

bool esHex(const std::string& t, std::size_t largo) {
    return t.size() == largo && t.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// A text of the file: UTF-8 there, Windows-1252 here; nullopt when it is not
// a string or has a character with no Windows-1252 form.
std::optional<std::string> texto(const json& j) {
    std::string cp;
    if (!j.is_string() || !utf8ACp1252(j.get_ref<const std::string&>(), cp)) return std::nullopt;
    return cp;
}

// Valid ids only, sorted and once each; anything else in the list is dropped.
std::vector<std::int32_t> listaIds(const json& j) {
    std::vector<std::int32_t> v;
    if (!j.is_array()) return v;
    for (const auto& e : j)
        if (e.is_number_integer() && e.get<long long>() >= 0 && e.get<long long>() <= INT32_MAX)
            v.push_back(static_cast<std::int32_t>(e.get<long long>()));
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

std::optional<TCampanaGuardada> leer(const json& j) {
    if (!j.is_object()) return std::nullopt;
    TCampanaGuardada c;
    if (const auto it = j.find("codigo"); it != j.end() && it->is_string())
        c.codigo = it->get<std::string>();
    if (const auto it = j.find("preguntas"); it != j.end()) {
        if (!it->is_array()) return std::nullopt;
        for (const auto& p : *it) {
            const auto nombre = p.is_object() ? texto(p.value("pregunta", json())) : std::nullopt;
            const auto grupos = p.is_object() ? p.find("grupos") : p.end();
            if (!nombre || grupos == p.end() || !grupos->is_array()) return std::nullopt;
            TPreguntaGrupos pg{*nombre, {}};
            for (const auto& g : *grupos) {
                const auto n = texto(g);
                if (!n) return std::nullopt;
                pg.grupos.push_back(*n);
            }
            c.preguntas.push_back(std::move(pg));
        }
    }
    if (const auto it = j.find("aviso"); it != j.end()) {
        const auto a = texto(*it);
        if (!a) return std::nullopt;
        c.aviso = *a;
    }
    if (const auto it = j.find("codigos"); it != j.end()) {
        if (!it->is_array() || it->size() > kMaxCodigos) return std::nullopt;
        c.sal = j.value("sal", std::string());
        if (!esHex(c.sal, 32)) return std::nullopt;
        for (const auto& e : *it) {
            if (!e.is_object() || !e.contains("hash") || !e["hash"].is_string())
                return std::nullopt;
            TCodigoIndividual ci{e["hash"].get<std::string>(), e.value("usado", false)};
            if (!esHex(ci.hash, 64)) return std::nullopt;
            c.codigos.push_back(std::move(ci));
        }
    }
    // Without a code of any kind nobody could answer: not a campaign.
    if (c.codigo.empty() && c.codigos.empty()) return std::nullopt;
    if (const auto it = j.find("recibidas"); it != j.end() && it->is_number_integer() &&
                                             it->get<long long>() >= 0 &&
                                             it->get<long long>() <= 100'000'000)
        c.recibidas = static_cast<int>(it->get<long long>());
    if (const auto it = j.find("empezada"); it != j.end() && it->is_string())
        c.empezada = fechaDeIso(it->get_ref<const std::string&>());
    if (const auto it = j.find("direccion"); it != j.end() && it->is_string())
        c.direccion = it->get<std::string>();
    if (const auto it = j.find("ids"); it != j.end()) c.ids = listaIds(*it);
    return c;
}

}  // namespace

bool TCampanaGuardada::operator==(const TCampanaGuardada& o) const {
    const auto preguntaIgual = [](const TPreguntaGrupos& a, const TPreguntaGrupos& b) {
        return a.pregunta == b.pregunta && a.grupos == b.grupos;
    };
    const auto codigoIgual = [](const TCodigoIndividual& a, const TCodigoIndividual& b) {
        return a.hash == b.hash && a.usado == b.usado;
    };
    return codigo == o.codigo &&
           std::equal(preguntas.begin(), preguntas.end(), o.preguntas.begin(), o.preguntas.end(),
                      preguntaIgual) &&
           aviso == o.aviso && sal == o.sal &&
           std::equal(codigos.begin(), codigos.end(), o.codigos.begin(), o.codigos.end(),
                      codigoIgual) &&
           recibidas == o.recibidas && empezada == o.empezada && direccion == o.direccion &&
           ids == o.ids;
}

std::string hashCodigo(const std::string& sal, const std::string& codigo) {
    // The salt first and a separator, so that no two (salt, code) pairs hash
    // the same text.
    const auto d = sha256(sal + '\n' + codigo);
    return hex(d.data(), d.size());
}

std::optional<TCampanaGuardada> campanaGuardada(const TAcompanante& acompanante) {
    const std::string s = acompanante.seccion(kSeccion);
    if (s.empty()) return std::nullopt;
    return leer(json::parse(s, nullptr, false));
}

void ponerCampana(TAcompanante& acompanante, const TCampanaGuardada& c) {
    // Fields this version does not know are kept.
    json j = json::parse(acompanante.seccion(kSeccion), nullptr, false);
    if (!j.is_object()) j = json::object();
    j["codigo"] = c.codigo;
    json preguntas = json::array();
    for (const auto& p : c.preguntas) {
        json grupos = json::array();
        for (const auto& g : p.grupos) grupos.push_back(cp1252AUtf8(g));
        preguntas.push_back({{"pregunta", cp1252AUtf8(p.pregunta)}, {"grupos", grupos}});
    }
    j["preguntas"] = std::move(preguntas);
    if (c.aviso.empty())
        j.erase("aviso");
    else
        j["aviso"] = cp1252AUtf8(c.aviso);
    if (c.codigos.empty()) {
        j.erase("sal");
        j.erase("codigos");
    } else {
        j["sal"] = c.sal;
        json codigos = json::array();
        for (const auto& ci : c.codigos)
            codigos.push_back({{"hash", ci.hash}, {"usado", ci.usado}});
        j["codigos"] = std::move(codigos);
    }
    j["recibidas"] = c.recibidas;
    if (const std::string t = fechaIso(c.empezada); t.empty())
        j.erase("empezada");
    else
        j["empezada"] = t;
    if (c.direccion.empty())
        j.erase("direccion");
    else
        j["direccion"] = c.direccion;
    j["ids"] = c.ids;
    acompanante.ponerSeccion(kSeccion, j.dump());
}

void quitarCampana(TAcompanante& acompanante) {
    acompanante.quitarSeccion(kSeccion);
}

std::vector<std::int32_t> recogidos(const TAcompanante& acompanante) {
    return listaIds(json::parse(acompanante.seccion(kSeccionRecogidos), nullptr, false));
}

void anadirRecogidos(TAcompanante& acompanante, const std::vector<std::int32_t>& ids) {
    if (ids.empty()) return;
    std::vector<std::int32_t> v = recogidos(acompanante);
    v.insert(v.end(), ids.begin(), ids.end());
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    acompanante.ponerSeccion(kSeccionRecogidos, json(v).dump());
}

void anadirRecogidos(TAcompanante& acompanante, TCampanaGuardada& campana,
                     const std::vector<std::int32_t>& ids) {
    anadirRecogidos(acompanante, ids);
    campana.ids.insert(campana.ids.end(), ids.begin(), ids.end());
    std::sort(campana.ids.begin(), campana.ids.end());
    campana.ids.erase(std::unique(campana.ids.begin(), campana.ids.end()), campana.ids.end());
}

}  // namespace koral
