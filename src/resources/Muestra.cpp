#include "resources/Muestra.h"

#include <algorithm>
#include <random>

#include "method/Puntuacion.h"
#include "platform/Texto.h"

namespace koral {

namespace {

constexpr double kDia = 46300;  // 5 October 2026

struct Departamento {
    const char* nombre;
    int personas;
    std::vector<int> turnos;  // indexes into the shift groups
    // Per factor, where answers lean: 0 toward the first option, 1 toward the last.
    std::array<double, kNumFactores> tendencia;
};

// A rough bell around `media` from three uniform draws (mt19937's output is
// the same everywhere, unlike the library's distributions).
double campana(std::mt19937& azar, double media, double ancho) {
    double s = 0;
    for (int i = 0; i < 3; ++i) s += static_cast<double>(azar()) / 4294967296.0;
    return media + (s - 1.5) * ancho;
}

TGrupo* grupo(TKoral& doc, const char* nombre) {
    TGrupo* g = doc.agregarGrupo(operator""_cp(nombre, std::char_traits<char>::length(nombre)));
    g->fecha = kDia;
    return g;
}

}  // namespace

void generarMuestra(TKoral& doc) {
    doc.nombre = "Conservas del Cantábrico, S.A."_cp;
    doc.ultimoId = 1;
    std::mt19937 azar(2026);

    const std::vector<Departamento> departamentos = {
        {"Producción", 20, {0, 1, 2}, {0.30, 0.75, 0.20, 0.60, 0.45, 0.65, 0.40}},
        {"Mantenimiento", 8, {0, 1, 2}, {0.45, 0.35, 0.35, 0.40, 0.40, 0.50, 0.30}},
        {"Administración", 8, {0}, {0.35, 0.30, 0.75, 0.35, 0.30, 0.40, 0.25}},
        {"Almacén y expedición", 8, {0, 1}, {0.50, 0.60, 0.65, 0.55, 0.50, 0.60, 0.45}},
        {"Calidad", 4, {0, 1}, {0.30, 0.40, 0.30, 0.35, 0.25, 0.45, 0.30}},
    };
    std::vector<TGrupo*> deptos;
    for (const auto& d : departamentos) deptos.push_back(grupo(doc, d.nombre));
    const std::vector<TGrupo*> turnos = {
        grupo(doc, "Turno de mañana"), grupo(doc, "Turno de tarde"), grupo(doc, "Turno de noche")};

    int numero = 0;
    for (std::size_t d = 0; d < departamentos.size(); ++d) {
        const auto& dep = departamentos[d];
        for (int k = 0; k < dep.personas; ++k) {
            TCuestionario* q = doc.agregarCuestionario("C" + rellenarCeros(++numero, 6));
            q->fecha = kDia + numero % 9;
            for (int i = 1; i <= kNumItems; ++i) {
                const int n = opcionesItem(i);
                // A few items left blank, as on real paper forms.
                if (azar() % 100 < 3) continue;
                const double media = 1 + dep.tendencia[factorDeItem(i) - 1] * (n - 1);
                const int opcion =
                    std::clamp(static_cast<int>(campana(azar, media, 2.2) + 0.5), 1, n);
                q->respuestas[static_cast<std::size_t>(i - 1)] = static_cast<char>('0' + opcion);
            }
            puntuarCuestionario(*q);
            enlazar(*q, *deptos[d]);
            enlazar(*q, *turnos[static_cast<std::size_t>(
                            dep.turnos[static_cast<std::size_t>(k) % dep.turnos.size()])]);
        }
    }

    auto perfil = [&](const char* nombre, std::vector<TGrupo*> grupos, const char* descripcion,
                      const char* observaciones) {
        TPerfil* p =
            doc.agregarPerfil(operator""_cp(nombre, std::char_traits<char>::length(nombre)));
        p->fecha = kDia;
        p->grupos = std::move(grupos);
        p->descripcion = operator""_cp(descripcion, std::char_traits<char>::length(descripcion));
        p->observaciones = operator""_cp(observaciones,
                                         std::char_traits<char>::length(observaciones));
    };
    perfil("Toda la plantilla", {},
           "Todos los cuestionarios de la empresa.\r\nCampaña de evaluación de octubre de 2026.",
           "Participación: 48 de 52 trabajadores.");
    perfil("Producción", {deptos[0]}, "Operarios de las líneas de envasado, los tres turnos.", "");
    perfil(
        "Producción, turno de noche", {deptos[0], turnos[2]},
        "Operarios de producción del turno de noche.",
        "Grupo pequeño: interpretar con cautela.\r\nRevisar con el comité de seguridad y salud.");
    perfil("Turno de noche", {turnos[2]}, "Todo el personal del turno de noche.", "");
    perfil("Administración", {deptos[2]}, "Oficinas centrales.", "");
    doc.modificado = false;
}

}  // namespace koral
