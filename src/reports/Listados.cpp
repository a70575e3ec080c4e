// The company listings: company report, group listing, one questionnaire.
#include <string_view>

#include "method/Formato.h"
#include "method/Perfil.h"
#include "method/Puntuacion.h"
#include "reports/Informes.h"

namespace koral {

namespace {

constexpr double kTitulo = 1;
constexpr double kRegistro = 1.5;
constexpr double kDatos = 2;

// The whole line, prefix included, cut to at most `n` characters.
std::string cortada(std::string linea, std::size_t n) {
    if (linea.size() > n) linea.resize(n);
    return linea;
}

std::string cifras(const Puntuaciones& v, char separador) {
    std::string s;
    for (double x : v) s += formatoReal(x, 8, 2, separador);
    return s;
}

std::string respuestas(const TCuestionario& q) {
    return std::string(q.respuestas.data(), q.respuestas.size());
}

}  // namespace

void PrepararInforme(TKoral& empresa) {
    for (auto& g : empresa.grupos) mediasGrupo(*g);
    // A profile's figures live in memory only: a company just opened would
    // print zeros for every profile. They are printed as the company stands.
    for (auto& p : empresa.perfiles) calcularPerfil(empresa, *p);
}

std::vector<std::string> TextoInforme(const TKoral& empresa) {
    std::vector<std::string> l;
    l.push_back(cortada("Archivo de " + empresa.nombre, 60));
    l.emplace_back("Grupos:");
    for (const auto& g : empresa.grupos) {
        l.push_back("  " + g->nombre);
        l.push_back("    " + cifras(g->medias, '.'));
    }
    l.emplace_back("Cuestionarios:");
    for (const auto& q : empresa.cuestionarios) {
        l.push_back("  " + q->nombre);
        l.push_back("  " + respuestas(*q));
    }
    l.emplace_back("Perfiles:");
    for (const auto& p : empresa.perfiles) {
        l.push_back(p->nombre);
        l.push_back("  " + cifras(p->sumaPuntuaciones, '.'));
    }
    return l;
}

void DibujarInforme(const TKoral& empresa, Superficie& s, char separador, TImpresora& impresora) {
    impresora.tituloTrabajo = "Imp. Archivo";
    impresora.tituloDocumento = tituloConEmpresa("Archivo empresa", empresa.nombre);
    impresora.EmpezarListado(s);
    impresora.ImprimirLinea(cortada("Archivo empresa " + empresa.nombre, 65), kTitulo);
    impresora.ImprimirLinea("Grupos:", kTitulo);
    for (const auto& g : empresa.grupos) {
        impresora.ImprimirLinea(cortada("  " + g->nombre, 51), kRegistro);
        impresora.ImprimirLinea(cifras(g->medias, separador), kDatos);
    }
    impresora.ImprimirLinea("Cuestionarios:", kTitulo);
    for (const auto& q : empresa.cuestionarios) {
        impresora.ImprimirLinea(cortada("  " + q->nombre, 51), kRegistro);
        impresora.ImprimirLinea("Resp:" + respuestas(*q), kDatos);
    }
    impresora.ImprimirLinea("Perfiles:", kTitulo);
    for (const auto& p : empresa.perfiles) {
        impresora.ImprimirLinea(cortada("  " + p->nombre, 51), kRegistro);
        // The stored totals, not divided by the profile's number of subjects.
        impresora.ImprimirLinea(cifras(p->sumaPuntuaciones, separador), kDatos);
    }
    impresora.TerminarListado();
}

std::vector<std::string> TextoGrupos(const TKoral& empresa) {
    std::vector<std::string> l;
    l.push_back(cortada("Archivo de " + empresa.nombre, 60));
    l.emplace_back("Grupos:");
    for (const auto& g : empresa.grupos) l.push_back("  " + g->nombre);
    return l;
}

void DibujarGrupos(const TKoral& empresa, Superficie& s, TImpresora& impresora) {
    impresora.tituloDocumento = tituloConEmpresa("Archivo empresa", empresa.nombre);
    impresora.EmpezarListado(s);
    impresora.ImprimirLinea(cortada("Archivo empresa " + empresa.nombre, 65), kTitulo);
    impresora.ImprimirLinea("Grupos:", kTitulo);
    for (const auto& g : empresa.grupos)
        impresora.ImprimirLinea(cortada("  " + g->nombre, 51), kRegistro);
    impresora.TerminarListado();
}

std::vector<std::string> TextoCuestionario(const TCuestionario& q) {
    std::vector<std::string> l;
    l.push_back(cortada("Cuestionario:" + q.nombre, 62));
    l.emplace_back("  Grupos a los que pertenece:");
    for (const TGrupo* g : q.grupos) l.push_back("  " + g->nombre);
    l.emplace_back("  Respuestas:");
    for (int i = 1; i <= kNumItems; ++i)
        l.push_back("   " + formatoEntero(i, 2) + ":" +
                    q.respuestas[static_cast<std::size_t>(i - 1)]);
    for (int f = 0; f < kNumFactores; ++f)
        l.push_back(std::string(nombresFactor[static_cast<std::size_t>(f)]) + ":" +
                    formatoReal(q.puntuaciones[static_cast<std::size_t>(f)], 8, 2, '.'));
    return l;
}

void DibujarCuestionario(const TCuestionario& q, Superficie& s, char separador,
                         TImpresora& impresora) {
    impresora.tituloDocumento = tituloConEmpresa("Cuestionario:" + q.nombre, impresora.empresa);
    impresora.EmpezarListado(s);
    impresora.ImprimirLinea(cortada("Cuestionario:" + q.nombre, 62), kTitulo);
    impresora.ImprimirLinea("Grupos a los que pertenece:", kRegistro);
    for (const TGrupo* g : q.grupos) impresora.ImprimirLinea(g->nombre, kDatos);
    impresora.ImprimirLinea("Respuestas:", kRegistro);
    for (int i = 1; i <= kNumItems; ++i)
        impresora.ImprimirLinea(
            std::to_string(i) + ":" + q.respuestas[static_cast<std::size_t>(i - 1)], kDatos);
    for (int f = 0; f < kNumFactores; ++f)
        impresora.ImprimirLinea(
            cortada(std::string(nombresFactor[static_cast<std::size_t>(f)]) + ":", 33) +
                formatoReal(q.puntuaciones[static_cast<std::size_t>(f)], 8, 2, separador),
            kDatos);
    impresora.TerminarListado();
}

}  // namespace koral
