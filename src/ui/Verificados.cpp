#include "ui/Verificados.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Archivos.h"

namespace koral {

namespace {

constexpr std::string_view kCabecera = "KORAL20 VERIFICADOS";

// "ID ANSWERS": a decimal identifier, one blank, the 75 answers as stored.
bool leerLinea(std::string_view linea, std::int32_t& id, Respuestas& respuestas) {
    const char* fin = linea.data() + linea.size();
    const auto [p, error] = std::from_chars(linea.data(), fin, id);
    if (error != std::errc() || p == fin || *p != ' ') return false;
    const std::string_view resto(p + 1, static_cast<std::size_t>(fin - p - 1));
    if (resto.size() != respuestas.size()) return false;
    if (!std::all_of(resto.begin(), resto.end(), [](char c) { return c >= '0' && c <= '5'; }))
        return false;
    std::copy(resto.begin(), resto.end(), respuestas.begin());
    return true;
}

}  // namespace

std::string TVerificados::ruta(const std::string& archivoEmpresa) {
    const std::string destino = archivos().destinoEnlaces(archivoEmpresa);
    const auto barra = destino.find_last_of('/');
    if (barra == std::string::npos) return "." + destino + ".verificados";
    return destino.substr(0, barra + 1) + "." + destino.substr(barra + 1) + ".verificados";
}

int TVerificados::leer(const TKoral& doc, const TAcompanante& acompanante) {
    marcas_.clear();
    const std::string seccion = acompanante.seccion(kSeccion);
    const int malas = seccion.empty() ? leerAntiguo(doc) : leerSeccion(seccion);
    std::unordered_map<std::int32_t, Respuestas> propias;
    for (const auto& q : doc.cuestionarios)
        if (auto it = marcas_.find(q->id); it != marcas_.end()) propias.insert(*it);
    marcas_ = std::move(propias);
    return malas;
}

int TVerificados::leerAntiguo(const TKoral& doc) {
    const std::string r = ruta(doc.archivo);
    if (!archivos().existe(r)) return 0;
    const std::string datos = archivos().leerTodo(r);
    int malas = 0;
    std::string_view resto = datos;
    bool primera = true;
    while (!resto.empty()) {
        const auto salto = resto.find('\n');
        std::string_view linea = resto.substr(0, salto);
        resto = salto == std::string_view::npos ? std::string_view() : resto.substr(salto + 1);
        if (!linea.empty() && linea.back() == '\r') linea.remove_suffix(1);
        if (std::exchange(primera, false) && linea == kCabecera) continue;
        if (linea.empty()) continue;
        std::int32_t id = 0;
        Respuestas respuestas{};
        if (leerLinea(linea, id, respuestas))
            marcas_[id] = respuestas;
        else
            ++malas;
    }
    return malas;
}

// {"ID": "ANSWERS", ...}: each entry read as a line of the older record.
int TVerificados::leerSeccion(const std::string& json) {
    const auto j = nlohmann::json::parse(json, nullptr, false);
    if (!j.is_object()) return 1;
    int malas = 0;
    for (const auto& [clave, valor] : j.items()) {
        std::int32_t id = 0;
        Respuestas respuestas{};
        if (valor.is_string() && leerLinea(clave + " " + valor.get<std::string>(), id, respuestas))
            marcas_[id] = respuestas;
        else
            ++malas;
    }
    return malas;
}

std::vector<const TCuestionario*> TVerificados::vigentes(const TKoral& doc) const {
    std::vector<const TCuestionario*> v;
    for (const auto& q : doc.cuestionarios)
        if (verificado(*q)) v.push_back(q.get());
    std::sort(v.begin(), v.end(),
              [](const TCuestionario* a, const TCuestionario* b) { return a->id < b->id; });
    return v;
}

void TVerificados::poner(const TKoral& doc, TAcompanante& acompanante) const {
    const auto v = vigentes(doc);
    if (v.empty()) {
        acompanante.quitarSeccion(kSeccion);
        return;
    }
    nlohmann::json j = nlohmann::json::object();
    for (const TCuestionario* q : v)
        j[std::to_string(q->id)] = std::string(q->respuestas.begin(), q->respuestas.end());
    acompanante.ponerSeccion(kSeccion, j.dump());
}

void TVerificados::borrarAntiguo(const TKoral& doc) {
    const std::string r = ruta(doc.archivo);
    if (archivos().existe(r) && !archivos().borrar(r)) throw ErrorArchivo(mensajeSistema(errno, r));
}

void TVerificados::guardar(const TKoral& doc) const {
    const auto v = vigentes(doc);
    if (v.empty()) {
        borrarAntiguo(doc);
        return;
    }
    std::string texto(kCabecera);
    texto += "\r\n";
    for (const TCuestionario* q : v) {
        texto += std::to_string(q->id);
        texto += ' ';
        texto.append(q->respuestas.begin(), q->respuestas.end());
        texto += "\r\n";
    }
    // Answers, as private as the company's own.
    const std::string r = ruta(doc.archivo);
    Reemplazo archivo(r, doc.archivo);
    archivo.salida().escribir(texto.data(), texto.size());
    archivo.confirmar();
}

bool TVerificados::verificado(const TCuestionario& q) const {
    const auto it = marcas_.find(q.id);
    return it != marcas_.end() && it->second == q.respuestas;
}

int TVerificados::cuenta(const TKoral& doc) const {
    if (marcas_.empty()) return 0;
    return static_cast<int>(std::count_if(doc.cuestionarios.begin(), doc.cuestionarios.end(),
                                          [this](const auto& q) { return verificado(*q); }));
}

}  // namespace koral
