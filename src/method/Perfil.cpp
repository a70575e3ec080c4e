#include "method/Perfil.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "method/Formato.h"
#include "method/Textos.h"
#include "platform/Anticipar.h"
#include "platform/Texto.h"

namespace koral {

namespace {

constexpr Color kVerde{0x00, 0x80, 0x00};
constexpr Color kAmarillo{0xFF, 0xFF, 0x00};
constexpr Color kRojo{0xFF, 0x00, 0x00};
constexpr Color kGris{0x80, 0x80, 0x80};
constexpr Color kAzul{0x00, 0x00, 0xFF};

void ponerACero(TPerfil& p) {
    p.nSujetos = 0;
    p.nCasiEnBlanco = 0;
    for (auto& fila : p.frecuencias) fila.fill(0);
    p.sumaPuntuaciones.fill(0);
    for (auto& fila : p.bandas) fila.fill(0);
}

// The answers of a profile's questionnaires counted a batch at a time in
// bytes, sixteen items an instruction (the compiler's vectors), and added to the profile's counters
// before a byte can overflow. A character other than '1'..'5' has no counter
// of its own: it is no answer, so that each item's counters add up to
// nSujetos.
class CuentaRespuestas {
public:
    explicit CuentaRespuestas(TPerfil& p) : p_(p) {}

    void contar(const Respuestas& r) {
        Vector c[kVectores] = {};
        std::memcpy(c, r.data(), kNumItems);
        for (int v = 0; v < 5; ++v) {
            const Vector respuesta = Vector{} + static_cast<unsigned char>('1' + v);
            // A lane's comparison is all ones where it holds: minus one.
            for (int k = 0; k < kVectores; ++k) cuentas_[v][k] -= (c[k] == respuesta);
        }
        if (++lote_ == 255) volcar();
    }

    void volcar() {
        for (int i = 0; i < kNumItems; ++i) {
            int respondidas = 0;
            for (int v = 0; v < 5; ++v) {
                const int n = cuentas_[v][i / 16][i % 16];
                p_.frecuencias[i][v + 1] += n;
                respondidas += n;
            }
            p_.frecuencias[i][0] += lote_ - respondidas;
        }
        for (auto& fila : cuentas_)
            for (auto& x : fila) x = Vector{};
        lote_ = 0;
    }

private:
    using Vector = unsigned char __attribute__((vector_size(16)));
    static constexpr int kVectores = (kNumItems + 15) / 16;
    TPerfil& p_;
    Vector cuentas_[5][kVectores] = {};
    int lote_ = 0;
};

}  // namespace

bool perteneceAGrupos(const std::vector<TGrupo*>& deCuestionario,
                      const std::vector<TGrupo*>& dePerfil) {
    if (dePerfil.empty()) return true;
    if (deCuestionario.empty()) return false;
    std::size_t pares = 0;
    for (const TGrupo* a : deCuestionario)
        for (const TGrupo* b : dePerfil) pares += a && b && a->id == b->id;
    return pares == dePerfil.size();
}

bool calcularPerfil(const TKoral& doc, TPerfil& p) {
    ponerACero(p);
    if (doc.nCuestionarios != static_cast<std::int64_t>(doc.cuestionarios.size())) {
        doc.avisar("Ocurrió error en el nº de Cuestionarios"_cp);
        return false;
    }
    CuentaRespuestas cuenta(p);
    const auto& lista = doc.cuestionarios;
    for (std::size_t n = 0; n < lista.size(); ++n) {
        anticiparEnLista(lista, n, [](const TCuestionario& q) { return q.grupos.data(); });
        const TCuestionario& q = *lista[n];
        if (!perteneceAGrupos(q.grupos, p.grupos)) continue;
        ++p.nSujetos;
        p.nCasiEnBlanco += casiEnBlanco(q);
        cuenta.contar(q.respuestas);
        for (int f = 0; f < kNumFactores; ++f) {
            const double s = q.puntuaciones[f];
            p.sumaPuntuaciones[f] += s;
            ++p.bandas[f][bandaDe(s) - 1];
        }
    }
    cuenta.volcar();
    return true;
}

double mediaFactor(const TPerfil& p, int factor) {
    if (p.nSujetos <= 0) return 0;
    return p.sumaPuntuaciones[factor - 1] / p.nSujetos;
}

std::string porcentajeBanda(const TPerfil& p, int factor, int banda, char separador) {
    const double v = p.nSujetos <= 0 ? 0 : p.bandas[factor - 1][banda - 1] * 100.0 / p.nSujetos;
    return formatoReal(v, 5, 2, separador) + " %";
}

double porcentajeRespuesta(const TPerfil& p, int item, int respuesta) {
    if (p.nSujetos <= 0) return 0;
    // The product is taken as an integer, in 64 bits so a large company cannot overflow it.
    const std::int64_t producto =
        static_cast<std::int64_t>(p.frecuencias[item - 1][respuesta]) * 100;
    return static_cast<double>(producto) / p.nSujetos;
}

std::string porcentajeSinRespuesta(const TPerfil& p) {
    if (p.nSujetos <= 0) return "0";
    std::int64_t suma = 0;
    for (const auto& fila : p.frecuencias) suma += fila[0];
    const std::int64_t v = suma * 100 / (static_cast<std::int64_t>(kNumItems) * p.nSujetos);
    return formatoEntero(v, 5) + " %";
}

bool muchasSinRespuesta(const TPerfil& p) {
    if (p.nSujetos <= 0) return false;
    std::int64_t suma = 0;
    for (const auto& fila : p.frecuencias) suma += fila[0];
    return suma * 10 >= static_cast<std::int64_t>(kNumItems) * p.nSujetos;
}

void dibujarValorativo(const TPerfil& p, Superficie& s, char separador) {
    const int r = s.alto() / 9;
    const int u = s.ancho() / 13;
    // Halves go to the even neighbour: u * 4.5 = 112.5 gives 112.
    const auto X = [u](double v) { return static_cast<int>(std::nearbyint(u * v)) + 30; };

    s.rellenar(X(0), r, X(4), 8 * r, kVerde);
    s.rellenar(X(4), r, X(7), 8 * r, kAmarillo);
    s.rellenar(X(7), r, X(10), 8 * r, kRojo);

    s.pluma(kNegro, 1);
    for (double v : {0.0, 4.0, 7.0, 10.0}) s.linea(X(v), r, X(v), 8 * r);
    for (int k = 1; k <= 8; ++k) s.linea(X(0), k * r, X(10), k * r);

    s.colorTexto(kNegro);
    s.fuente(6, Estilo::Normal);
    for (int n = 0; n <= 10; ++n) s.texto(X(n), 8 * r + 8, std::to_string(n));

    for (int f = 1; f <= kNumFactores; ++f) {
        const int y = f * r + 10;
        s.fuente(10, Estilo::Normal);
        s.colorTexto(kNegro);
        s.texto(4, y, kAbreviaturas[f - 1]);
        s.fuente(8, Estilo::Normal);
        s.colorTexto(kGris);
        s.texto(X(1), y, porcentajeBanda(p, f, 1, separador));
        s.texto(X(4.5), y, porcentajeBanda(p, f, 2, separador));
        s.texto(X(8), y, porcentajeBanda(p, f, 3, separador));
        s.fuente(10, Estilo::Normal);
        s.colorTexto(kNegro);
        s.texto(X(10.2), y, formatoReal(mediaFactor(p, f), 5, 2, separador));
    }

    s.pluma(kAzul, 2);
    std::vector<Punto> linea;
    for (int f = 1; f <= kNumFactores; ++f) linea.emplace_back(X(mediaFactor(p, f)), (f + 1) * r);
    s.polilinea(linea);
    s.pluma(kNegro, 2);
}

void llenarDescriptivo(const TPerfil& p, std::vector<std::string>& lineas, char separador) {
    const auto& catalogo = lineasCatalogo();
    lineas.clear();
    lineas.reserve(kNumItems + 289 + kNumItems);
    std::size_t k = 0;
    for (int i = 1; i <= kNumItems; ++i) {
        lineas.push_back(catalogo[k++]);
        for (int a = 1; a <= opcionesItem(i); ++a)
            lineas.push_back("  " + formatoReal(porcentajeRespuesta(p, i, a), 6, 2, separador) +
                             "%   " + catalogo[k++]);
        lineas.push_back("  " + formatoReal(porcentajeRespuesta(p, i, 0), 6, 2, separador) +
                         "%   sin respuesta");
    }
}

}  // namespace koral
