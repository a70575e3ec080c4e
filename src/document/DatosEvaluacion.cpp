#include "document/DatosEvaluacion.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "document/Acompanante.h"
#include "document/UData.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"

namespace koral {

namespace {

using nlohmann::json;

constexpr std::string_view kSeccion = "evaluacion";
// Beyond these a number is a typing slip or a hostile file, not a company.
constexpr int kMaximoTrabajadores = 10'000'000;
constexpr int kMaximoUmbral = 1000;

constexpr std::array<const char*, 3> kPrioridades = {"alta", "media", "baja"};
constexpr std::array<const char*, 3> kEstados = {"pendiente", "en curso", "hecha"};
constexpr std::array<const char*, 4> kAplicaciones = {"", "papel", "red", "ambos"};

// A text of the file in our encoding; a character with no Windows-1252
// form (only a hand edit can put one there) shows as '?'.
std::string texto(const json& j, const char* clave) {
    const auto it = j.find(clave);
    if (it == j.end() || !it->is_string()) return {};
    const auto& utf8 = it->get_ref<const std::string&>();
    std::string cp;
    return utf8ACp1252(utf8, cp) ? cp : textoMostrable(utf8);
}

int entero(const json& j, const char* clave, int minimo, int maximo, int otro) {
    const auto it = j.find(clave);
    if (it == j.end() || !it->is_number_integer()) return otro;
    const auto v = it->get<long long>();
    return v < minimo || v > maximo ? otro : static_cast<int>(v);
}

// Dates are "aaaa-mm-dd", readable in the file; anything else is no date.
double fecha(const json& j, const char* clave) {
    return fechaDeIso(texto(j, clave));
}

template <std::size_t N>
int opcion(const json& j, const char* clave, const std::array<const char*, N>& nombres, int otro) {
    const std::string t = texto(j, clave);
    for (std::size_t i = 0; i < N; ++i)
        if (t == nombres[i]) return static_cast<int>(i);
    return otro;
}

const json& lista(const json& j, const char* clave) {
    static const json vacia = json::array();
    const auto it = j.find(clave);
    return it != j.end() && it->is_array() ? *it : vacia;
}

// Empty fields are left out, so that a plan with a few fields filled reads
// as such in the file.
void poner(json& j, const char* clave, const std::string& t) {
    if (t.empty())
        j.erase(clave);
    else
        j[clave] = cp1252AUtf8(t);
}

void ponerFecha(json& j, const char* clave, double dias) {
    if (const std::string t = fechaIso(dias); t.empty())
        j.erase(clave);
    else
        j[clave] = t;
}

TMedida leerMedida(const json& j) {
    TMedida m;
    for (const auto& f : lista(j, "factores"))
        if (f.is_number_integer()) {
            const auto v = f.get<long long>();
            if (v >= 1 && v <= kNumFactores &&
                std::find(m.factores.begin(), m.factores.end(), static_cast<int>(v)) ==
                    m.factores.end())
                m.factores.push_back(static_cast<int>(v));
        }
    std::sort(m.factores.begin(), m.factores.end());
    for (const auto& p : lista(j, "perfiles"))
        if (p.is_string()) {
            std::string cp;
            const auto& utf8 = p.get_ref<const std::string&>();
            m.perfiles.push_back(utf8ACp1252(utf8, cp) ? cp : textoMostrable(utf8));
        }
    m.medida = texto(j, "medida");
    m.prioridad = static_cast<Prioridad>(opcion(j, "prioridad", kPrioridades, 1));
    m.responsable = texto(j, "responsable");
    m.recursos = texto(j, "recursos");
    m.inicio = fecha(j, "inicio");
    m.fin = fecha(j, "fin");
    m.estado = static_cast<EstadoMedida>(opcion(j, "estado", kEstados, 0));
    m.hecha = m.estado == EstadoMedida::Hecha ? fecha(j, "hecha") : 0;
    m.seguimiento = texto(j, "seguimiento");
    return m;
}

json jsonMedida(const TMedida& m) {
    json j = json::object();
    if (!m.factores.empty()) j["factores"] = m.factores;
    if (!m.perfiles.empty()) {
        json p = json::array();
        for (const auto& n : m.perfiles) p.push_back(cp1252AUtf8(n));
        j["perfiles"] = std::move(p);
    }
    poner(j, "medida", m.medida);
    j["prioridad"] = kPrioridades[static_cast<std::size_t>(m.prioridad)];
    poner(j, "responsable", m.responsable);
    poner(j, "recursos", m.recursos);
    ponerFecha(j, "inicio", m.inicio);
    ponerFecha(j, "fin", m.fin);
    j["estado"] = kEstados[static_cast<std::size_t>(m.estado)];
    if (m.estado == EstadoMedida::Hecha) ponerFecha(j, "hecha", m.hecha);
    poner(j, "seguimiento", m.seguimiento);
    return j;
}

void leerEn(const json& j, TDatosEvaluacion& d) {
    d.cif = texto(j, "cif");
    d.centros = texto(j, "centros");
    d.actividad = texto(j, "actividad");
    d.evaluador = texto(j, "evaluador");
    d.titulacion = texto(j, "titulacion");
    d.servicioPrevencion = texto(j, "servicioPrevencion");
    d.fechaInforme = fecha(j, "fechaInforme");
    d.objeto = texto(j, "objeto");
    d.representantes = texto(j, "representantes");
    d.metodo = texto(j, "metodo");
    d.trabajoDesde = fecha(j, "trabajoDesde");
    d.trabajoHasta = fecha(j, "trabajoHasta");
    d.aplicacion = static_cast<Aplicacion>(opcion(j, "aplicacion", kAplicaciones, 0));
    d.trabajadores = entero(j, "trabajadores", 0, kMaximoTrabajadores, 0);
    for (const auto& g : lista(j, "plantilla"))
        if (g.is_object())
            d.plantilla.push_back(
                {texto(g, "grupo"), entero(g, "trabajadores", 0, kMaximoTrabajadores, 0)});
    for (const auto& r : lista(j, "resultados"))
        if (r.is_object())
            d.resultados.push_back(
                {texto(r, "perfil"), texto(r, "discusion"), texto(r, "conclusiones")});
    for (const auto& m : lista(j, "medidas"))
        if (m.is_object()) d.medidas.push_back(leerMedida(m));
    d.proximaEvaluacion = fecha(j, "proximaEvaluacion");
    d.minimo = entero(j, "minimo", 1, kMaximoUmbral, TDatosEvaluacion::kMinimoPorDefecto);
}

// Writes the fields over `j`, keeping what this version does not know.
void escribirEn(json& j, const TDatosEvaluacion& d) {
    poner(j, "cif", d.cif);
    poner(j, "centros", d.centros);
    poner(j, "actividad", d.actividad);
    poner(j, "evaluador", d.evaluador);
    poner(j, "titulacion", d.titulacion);
    poner(j, "servicioPrevencion", d.servicioPrevencion);
    ponerFecha(j, "fechaInforme", d.fechaInforme);
    poner(j, "objeto", d.objeto);
    poner(j, "representantes", d.representantes);
    poner(j, "metodo", d.metodo);
    ponerFecha(j, "trabajoDesde", d.trabajoDesde);
    ponerFecha(j, "trabajoHasta", d.trabajoHasta);
    poner(j, "aplicacion", kAplicaciones[static_cast<std::size_t>(d.aplicacion)]);
    if (d.trabajadores > 0)
        j["trabajadores"] = d.trabajadores;
    else
        j.erase("trabajadores");
    json plantilla = json::array();
    for (const auto& g : d.plantilla)
        if (g.trabajadores > 0)
            plantilla.push_back(
                {{"grupo", cp1252AUtf8(g.grupo)}, {"trabajadores", g.trabajadores}});
    j["plantilla"] = std::move(plantilla);
    json resultados = json::array();
    for (const auto& r : d.resultados) {
        if (r.discusion.empty() && r.conclusiones.empty()) continue;
        json e = {{"perfil", cp1252AUtf8(r.perfil)}};
        poner(e, "discusion", r.discusion);
        poner(e, "conclusiones", r.conclusiones);
        resultados.push_back(std::move(e));
    }
    j["resultados"] = std::move(resultados);
    json medidas = json::array();
    for (const auto& m : d.medidas) medidas.push_back(jsonMedida(m));
    j["medidas"] = std::move(medidas);
    ponerFecha(j, "proximaEvaluacion", d.proximaEvaluacion);
    j["minimo"] = d.minimo;
}

}  // namespace

const char* textoPrioridad(Prioridad p) {
    static constexpr const char* kTextos[] = {"Alta", "Media", "Baja"};
    return kTextos[static_cast<std::size_t>(p)];
}

const char* textoEstado(EstadoMedida e) {
    static constexpr const char* kTextos[] = {"Pendiente", "En curso", "Hecha"};
    return kTextos[static_cast<std::size_t>(e)];
}

const char* textoAplicacion(Aplicacion a) {
    static const std::array<std::string, 4> t = {
        std::string(), "En papel, tecleado en el programa"_cp,
        "En red local, desde el móvil o la tableta"_cp, "En papel y en red local"_cp};
    return t[static_cast<std::size_t>(a)].c_str();
}

bool operator==(const TMedida& a, const TMedida& b) {
    return a.factores == b.factores && a.perfiles == b.perfiles && a.medida == b.medida &&
           a.prioridad == b.prioridad && a.responsable == b.responsable &&
           a.recursos == b.recursos && a.inicio == b.inicio && a.fin == b.fin &&
           a.estado == b.estado && a.hecha == b.hecha && a.seguimiento == b.seguimiento;
}

bool TDatosEvaluacion::operator==(const TDatosEvaluacion& o) const {
    const auto plantillaIgual = [](const TPlantillaGrupo& a, const TPlantillaGrupo& b) {
        return a.grupo == b.grupo && a.trabajadores == b.trabajadores;
    };
    const auto resultadoIgual = [](const TResultadoPerfil& a, const TResultadoPerfil& b) {
        return a.perfil == b.perfil && a.discusion == b.discusion &&
               a.conclusiones == b.conclusiones;
    };
    return cif == o.cif && centros == o.centros && actividad == o.actividad &&
           evaluador == o.evaluador && titulacion == o.titulacion &&
           servicioPrevencion == o.servicioPrevencion && fechaInforme == o.fechaInforme &&
           objeto == o.objeto && representantes == o.representantes && metodo == o.metodo &&
           trabajoDesde == o.trabajoDesde && trabajoHasta == o.trabajoHasta &&
           aplicacion == o.aplicacion && trabajadores == o.trabajadores &&
           std::equal(plantilla.begin(), plantilla.end(), o.plantilla.begin(), o.plantilla.end(),
                      plantillaIgual) &&
           std::equal(resultados.begin(), resultados.end(), o.resultados.begin(),
                      o.resultados.end(), resultadoIgual) &&
           medidas == o.medidas && proximaEvaluacion == o.proximaEvaluacion && minimo == o.minimo;
}

int TDatosEvaluacion::trabajadoresGrupo(const std::string& grupo) const {
    for (const auto& g : plantilla)
        if (g.grupo == grupo) return g.trabajadores;
    return 0;
}

const TResultadoPerfil* TDatosEvaluacion::resultado(const std::string& perfil) const {
    for (const auto& r : resultados)
        if (r.perfil == perfil) return &r;
    return nullptr;
}

bool TDatosEvaluacion::renombrarPerfil(const std::string& antes, const std::string& ahora) {
    bool cambiado = false;
    for (auto& r : resultados)
        if (r.perfil == antes) {
            r.perfil = ahora;
            cambiado = true;
        }
    for (auto& m : medidas)
        for (auto& p : m.perfiles)
            if (p == antes) {
                p = ahora;
                cambiado = true;
            }
    return cambiado;
}

std::string textoObjetoPorDefecto(const TKoral& empresa) {
    return "Evaluar los factores psicosociales de los puestos de trabajo de "_cp + empresa.nombre +
           ", identificar los riesgos psicosociales y su magnitud, y proponer las medidas "
           "preventivas que procedan. La evaluación alcanza a todos los trabajadores que "
           "contestaron el cuestionario, en los grupos (secciones, turnos, puestos) que el "
           "informe detalla."_cp;
}

std::string textoMetodoPorDefecto() {
    return "Cada trabajador contestó, de forma anónima, un cuestionario de 75 preguntas, siempre "
           "las mismas y en el mismo orden. Las preguntas se agrupan en siete factores: Carga "
           "Mental (CM), Autonomía Temporal (AT), Contenido del Trabajo (CT), Supervisión - "
           "Participación (SP), Definición de Rol (DR), Interés por el Trabajador (IT) y "
           "Relaciones Personales (RP).\r\n"
           "Cada respuesta tiene un peso fijado por el método; los pesos de las preguntas de cada "
           "factor dan una puntuación de 0 a 10. Cuanto más alta es la puntuación, más "
           "desfavorable es la situación en ese factor.\r\n"
           "Cada puntuación cae en uno de tres niveles: nivel 1, menos de 4, situación "
           "adecuada; nivel 2, de 4 a menos de 7, situación intermedia que conviene vigilar; "
           "nivel 3, 7 o más, situación desfavorable que requiere intervención.\r\n"
           "Los resultados se dan por perfiles: un perfil reúne los cuestionarios de una "
           "población de la empresa (una sección, un turno, un tipo de puesto, o su cruce) y da, "
           "para cada factor, la media de las puntuaciones y el porcentaje de trabajadores en "
           "cada nivel."_cp;
}

std::vector<const TMedida*> medidasOrdenadas(const TDatosEvaluacion& datos) {
    std::vector<const TMedida*> v;
    v.reserve(datos.medidas.size());
    for (const auto& m : datos.medidas) v.push_back(&m);
    std::stable_sort(v.begin(), v.end(), [](const TMedida* a, const TMedida* b) {
        if (a->prioridad != b->prioridad) return a->prioridad < b->prioridad;
        const bool aFin = a->fin > 0, bFin = b->fin > 0;
        if (aFin != bFin) return aFin;
        return a->fin < b->fin;
    });
    return v;
}

TDatosEvaluacion leerDatosEvaluacion(const std::string& texto) {
    const json j = json::parse(texto, nullptr, false);
    if (!j.is_object()) throw std::invalid_argument("los datos de la evaluación no son un objeto");
    TDatosEvaluacion d;
    leerEn(j, d);
    return d;
}

std::string jsonDatosEvaluacion(const TDatosEvaluacion& datos) {
    json j = json::object();
    escribirEn(j, datos);
    return j.dump();
}

TDatosEvaluacion datosEvaluacion(const TAcompanante& acompanante) {
    const std::string s = acompanante.seccion(kSeccion);
    if (s.empty()) return {};
    try {
        return leerDatosEvaluacion(s);
    } catch (const std::invalid_argument&) {
        return {};
    }
}

void ponerDatosEvaluacion(TAcompanante& acompanante, const TDatosEvaluacion& datos) {
    json j = json::parse(acompanante.seccion(kSeccion), nullptr, false);
    if (!j.is_object()) j = json::object();
    escribirEn(j, datos);
    acompanante.ponerSeccion(kSeccion, j.dump());
}

}  // namespace koral
