// The assessment's own data, beyond the questionnaires: who and where, scope
// and method, the workforce, the assessor's discussion of each profile and
// the action plan. Kept in section "evaluacion" of the companion file.
// Texts are Windows-1252 like the rest of the core; dates are days since
// 30 December 1899, 0 for none. Every field is optional.
#pragma once

#include <string>
#include <vector>

namespace koral {

class TKoral;
class TAcompanante;

enum class Prioridad { Alta, Media, Baja };  // the plan's order
enum class EstadoMedida { Pendiente, EnCurso, Hecha };
enum class Aplicacion { NoConsta, Papel, Red, Ambos };

const char* textoPrioridad(Prioridad p);    // "Alta", "Media", "Baja"
const char* textoEstado(EstadoMedida e);    // "Pendiente", "En curso", "Hecha"
const char* textoAplicacion(Aplicacion a);  // "" for NoConsta

struct TMedida {
    std::vector<int> factores;          // 1 to 7
    std::vector<std::string> perfiles;  // profile names
    std::string medida;
    Prioridad prioridad = Prioridad::Media;
    std::string responsable, recursos;
    double inicio = 0, fin = 0;
    EstadoMedida estado = EstadoMedida::Pendiente;
    double hecha = 0;  // the day it was marked done
    std::string seguimiento;
};

struct TPlantillaGrupo {
    std::string grupo;     // group name
    int trabajadores = 0;  // 0: not given
};

struct TResultadoPerfil {
    std::string perfil;  // profile name
    std::string discusion, conclusiones;
};

struct TDatosEvaluacion {
    static constexpr int kMinimoPorDefecto = 5;

    // Identificación (the company's name is the company file's)
    std::string cif, centros, actividad, evaluador, titulacion, servicioPrevencion;
    double fechaInforme = 0;
    // Alcance y método
    std::string objeto, representantes, metodo;
    double trabajoDesde = 0, trabajoHasta = 0;
    Aplicacion aplicacion = Aplicacion::NoConsta;
    // Plantilla
    int trabajadores = 0;  // the whole company; 0: not given
    std::vector<TPlantillaGrupo> plantilla;
    // Resultados
    std::vector<TResultadoPerfil> resultados;
    // Medidas
    std::vector<TMedida> medidas;
    double proximaEvaluacion = 0;
    // Profiles with fewer respondents than this have their figures withheld
    // in the assessment document and the comparison; 1 withholds nothing.
    int minimo = kMinimoPorDefecto;

    bool operator==(const TDatosEvaluacion&) const;

    // Lookups by name; 0 or nullptr when absent.
    int trabajadoresGrupo(const std::string& grupo) const;
    const TResultadoPerfil* resultado(const std::string& perfil) const;
    // A profile renamed: its discussion and its measures follow it, as they
    // name it. False when nothing named it.
    bool renombrarPerfil(const std::string& antes, const std::string& ahora);
};

bool operator==(const TMedida& a, const TMedida& b);

// The texts the window offers until the assessor writes their own.
std::string textoObjetoPorDefecto(const TKoral& empresa);
std::string textoMetodoPorDefecto();

// The measures in the plan's order: priority, then end date (none last),
// then as entered.
std::vector<const TMedida*> medidasOrdenadas(const TDatosEvaluacion& datos);

// JSON (UTF-8) to and from the data. Reading takes what it understands and
// skips fields of the wrong type, so that a hand-edited file still opens;
// throws std::invalid_argument only when `json` is not a JSON object.
TDatosEvaluacion leerDatosEvaluacion(const std::string& json);
std::string jsonDatosEvaluacion(const TDatosEvaluacion& datos);

// Through the companion file: its "evaluacion" section, defaults when absent
// or unreadable. poner keeps the section's fields this version does not know.
TDatosEvaluacion datosEvaluacion(const TAcompanante& acompanante);
void ponerDatosEvaluacion(TAcompanante& acompanante, const TDatosEvaluacion& datos);

}  // namespace koral
