#include "document/Acompanante.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "document/UData.h"
#include "platform/Archivos.h"
#include "platform/Texto.h"

namespace koral {

namespace {

using Json = nlohmann::json;

constexpr const char* kClaveVersion = "version";

std::string nombreArchivo(const std::string& ruta) {
    const auto barra = ruta.find_last_of('/');
    return barra == std::string::npos ? ruta : ruta.substr(barra + 1);
}

// Takes companion file content `texto` into `json`; else returns why not
// (Windows-1252) and leaves `json` alone.
std::string interpretar(const std::string& texto, Json& json) {
    // Deeper values would make writing them back recurse too deep.
    constexpr int kProfundidadMaxima = 256;
    bool hondo = false;
    Json j = Json::parse(
        texto,
        [&hondo](int profundidad, Json::parse_event_t, const Json&) {
            if (profundidad > kProfundidadMaxima) hondo = true;
            return !hondo;
        },
        false);
    if (hondo) return "tiene valores anidados en exceso";
    if (j.is_discarded()) return "no es JSON válido"_cp;
    if (!j.is_object()) return "no es un objeto JSON";
    const auto v = j.find(kClaveVersion);
    if (v == j.end() || !v->is_number_unsigned() || v->get<unsigned long long>() < 1)
        return "no tiene un número de versión válido"_cp;
    if (v->get<unsigned long long>() > TAcompanante::kVersion)
        return "es de una versión posterior del programa"_cp;
    json = std::move(j);
    return {};
}

}  // namespace

struct TAcompanante::Datos {
    Json json = Json::object();
};

std::string rutaAcompanante(const std::string& archivoEmpresa) {
    const std::string destino = archivos().destinoEnlaces(archivoEmpresa);
    const auto inicioNombre = destino.size() - nombreArchivo(destino).size();
    const auto punto = destino.find_last_of('.');
    const std::string base =
        punto == std::string::npos || punto < inicioNombre ? destino : destino.substr(0, punto);
    return base + ".koral.json";
}

void comprobarFueraDeEmpresa(const std::string& salida, const std::string& empresa) {
    comprobarDistintos(salida, empresa);
    comprobarDistintos(salida, rutaAcompanante(empresa));
}

TAcompanante::TAcompanante() : datos_(std::make_unique<Datos>()) {}

TAcompanante::~TAcompanante() = default;

void TAcompanante::leer(const TKoral& doc) {
    datos_->json = Json::object();
    protegido_ = false;
    leido_.clear();
    if (doc.archivo.empty()) return;
    SistemaArchivos& fs = archivos();
    const std::string ruta = rutaAcompanante(doc.archivo);
    if (!fs.existe(ruta)) return;
    leido_ = ruta;

    std::string motivo;  // Windows-1252
    try {
        const auto entrada = fs.abrirLectura(ruta);
        std::string texto;
        texto.reserve(std::min(entrada->tamano(), kMaximoBytes));
        char bloque[65536];
        // Bounded by what is read, not by the size found at opening.
        for (std::size_t k; (k = entrada->leer(bloque, sizeof bloque)) > 0;) {
            if (texto.size() + k > kMaximoBytes) {
                motivo = "es demasiado grande"_cp;
                break;
            }
            texto.append(bloque, k);
        }
        if (motivo.empty()) motivo = interpretar(texto, datos_->json);
    } catch (const ErrorArchivo& e) {
        motivo = std::string("no puede leerse: ") + e.what();
    }
    if (motivo.empty()) return;
    protegido_ = true;
    doc.avisar("El archivo complementario " + textoMostrable(ruta) + " " + motivo +
               ". La empresa se abre sin sus datos, y ese archivo no se modificará mientras no "
               "se confirme."_cp);
}

bool TAcompanante::guardar(const TKoral& doc) {
    // A company with no file yet has no place for one.
    if (protegido_ || doc.archivo.empty()) return false;
    const std::string ruta = rutaAcompanante(doc.archivo);
    if (vacio() && ruta != leido_) return false;
    Json j = datos_->json;
    j[kClaveVersion] = kVersion;
    const std::string texto = j.dump(2) + "\n";
    Reemplazo reemplazo(ruta, doc.archivo);
    reemplazo.salida().escribir(texto.data(), texto.size());
    reemplazo.confirmar();
    leido_ = ruta;
    return true;
}

bool TAcompanante::vacio() const {
    const Json& j = datos_->json;
    return j.empty() || (j.size() == 1 && j.contains(kClaveVersion));
}

std::string TAcompanante::seccion(std::string_view nombre) const {
    const Json& j = datos_->json;
    const auto it = j.find(std::string(nombre));
    return it == j.end() ? std::string() : it->dump();
}

void TAcompanante::ponerSeccion(std::string_view nombre, std::string_view json) {
    if (nombre == kClaveVersion) throw std::invalid_argument("version");
    Json valor = Json::parse(json, nullptr, false);
    if (valor.is_discarded()) throw std::invalid_argument("JSON");
    datos_->json[std::string(nombre)] = std::move(valor);
}

void TAcompanante::quitarSeccion(std::string_view nombre) {
    if (nombre != kClaveVersion) datos_->json.erase(std::string(nombre));
}

}  // namespace koral
