#include "reports/PlanMedidas.h"

#include <algorithm>
#include <array>

#include "method/Perfil.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"
#include "reports/Maquetacion.h"

namespace koral {

namespace {

// The table's columns, in order.
namespace col {
enum Columna {
    Prioridad,
    Medida,
    Factores,
    Perfiles,
    Responsable,
    Recursos,
    Inicio,
    Fin,
    Estado,
    Seguimiento,
    kColumnas
};
}  // namespace col
using col::Columna;
using col::kColumnas;

constexpr std::array<const char*, kColumnas> kTitulos = {
    "Prioridad", "Medida", "Factores", "Perfiles", "Responsable",
    "Recursos",  "Inicio", "Fin",      "Estado",   "Seguimiento"};
// How the width left once every column has its least goes round: most to
// the measure itself and its follow-up, none to the short fixed texts.
constexpr std::array<int, kColumnas> kPesos = {0, 8, 0, 1, 1, 1, 0, 0, 0, 3};

// The factors' abbreviations; numbers out of range (a hand-edited file) are
// left out.
std::string abreviaturas(const TMedida& m, const char* separador) {
    std::string t;
    for (int f : m.factores)
        if (f >= 1 && f <= kNumFactores)
            t += (t.empty() ? "" : separador) + std::string(kAbreviaturas[f - 1]);
    return t;
}

// Each cell of a measure's row as paragraphs.
std::array<std::vector<std::string>, kColumnas> celdas(const TMedida& m) {
    std::array<std::vector<std::string>, kColumnas> c;
    c[col::Prioridad] = {textoPrioridad(m.prioridad)};
    c[col::Medida] = parrafos(m.medida);
    c[col::Factores] = {abreviaturas(m, ", ")};
    c[col::Perfiles] = m.perfiles;  // one a line: a name may hold a comma
    c[col::Responsable] = parrafos(m.responsable);
    c[col::Recursos] = parrafos(m.recursos);
    c[col::Inicio] = {textoFecha(m.inicio)};
    c[col::Fin] = {textoFecha(m.fin)};
    c[col::Estado] = {textoEstado(m.estado)};
    if (m.estado == EstadoMedida::Hecha && m.hecha > 0)
        c[col::Estado].push_back(textoFecha(m.hecha));
    c[col::Seguimiento] = parrafos(m.seguimiento);
    return c;
}

std::string textoProxima(const TDatosEvaluacion& datos) {
    return "Próxima evaluación: "_cp +
           (datos.proximaEvaluacion > 0 ? textoFecha(datos.proximaEvaluacion) : "sin fijar");
}

// One layout of the plan on `s`; returns its page count.
class TMaquetaPlan {
public:
    TMaquetaPlan(const TKoral& empresa, const TDatosEvaluacion& datos, Superficie& s, int total)
        : e_(empresa), d_(datos), s_(s), h_(s, empresa.nombre, total), aL_(h_.altoLinea) {
        margen_ = std::max(2, s_.altoTexto("W") / 4);
        h_.cabecera = [this] {
            if (h_.pagina > 1) {
                fijarLetra(s_, 8, Estilo::Negrita);
                s_.texto(h_.izquierda, h_.y, "PLAN DE MEDIDAS");
                fijarLetra(s_, 8);
                h_.y += aL_;
                s_.linea(h_.izquierda, h_.y, h_.derecha, h_.y);
                h_.y += aL_;
            }
            if (enTabla_) titulosTabla();
        };
    }

    int maquetar(TImpresora& impresora) {
        s_.pluma(kNegro, 1);
        s_.colorTexto(kNegro);
        impresora.tituloTrabajo = "Imp. Plan de medidas";
        impresora.tituloDocumento = tituloConEmpresa("PLAN DE MEDIDAS", e_.nombre);
        const auto medidas = medidasOrdenadas(d_);
        medirColumnas(medidas);  // a page too small is told before the document starts
        impresora.EmpezarDocumento(s_);
        h_.empezar();
        linea("Plan de medidas", 14, Estilo::Negrita);
        linea(e_.nombre, 10, Estilo::Negrita);
        linea("Fecha: " + textoFecha(fechaHoy()), 8, Estilo::Normal);
        h_.y += aL_;
        if (medidas.empty()) {
            linea("El plan no tiene medidas.", 8, Estilo::Normal);
        } else {
            tabla(medidas);
            h_.y += aL_ / 2;
            leyenda(medidas);
        }
        h_.y += aL_ / 2;
        linea(textoProxima(d_), 8, Estilo::Negrita);
        s_.terminarDocumento();
        return h_.pagina;
    }

private:
    // A text across the body, broken into lines; each line goes to the next
    // page when it does not fit.
    void linea(const std::string& t, int puntos, Estilo estilo) {
        const int alto = fijarLetra(s_, puntos, estilo);
        for (const auto& l : partirTexto(s_, t, h_.ancho())) {
            h_.reservar(alto);
            s_.texto(h_.izquierda, h_.y, l);
            h_.y += alto;
        }
        fijarLetra(s_, 8);
    }

    // Each column gets the width of its heading or of its widest fixed
    // text, then a share of what is left; the last one ends at the margin.
    void medirColumnas(const std::vector<const TMedida*>& medidas) {
        std::array<int, kColumnas> ancho{};
        fijarLetra(s_, 8, Estilo::Negrita);
        for (std::size_t c = 0; c < kColumnas; ++c) ancho[c] = s_.anchoTexto(kTitulos[c]);
        fijarLetra(s_, 8);
        const auto almenos = [&](Columna c, const std::string& t) {
            ancho[c] = std::max(ancho[c], s_.anchoTexto(t));
        };
        for (Prioridad p : {Prioridad::Alta, Prioridad::Media, Prioridad::Baja})
            almenos(col::Prioridad, textoPrioridad(p));
        for (EstadoMedida e : {EstadoMedida::Pendiente, EstadoMedida::EnCurso, EstadoMedida::Hecha})
            almenos(col::Estado, textoEstado(e));
        for (Columna c : {col::Inicio, col::Fin, col::Estado}) almenos(c, "00/00/0000");
        for (int& a : ancho) a += 2 * margen_;
        // Words are kept whole where the page has room: each column as wide
        // as its widest word, up to a fifth of the body or less when the
        // table would not fit, so that only words too long for a cell break.
        auto palabras = ancho;
        for (const TMedida* m : medidas) {
            const auto c = celdas(*m);
            for (std::size_t k = 0; k < kColumnas; ++k)
                for (const auto& p : c[k])
                    for (std::size_t i = 0, fin = 0; i < p.size(); i = fin + 1) {
                        fin = std::min(p.find(' ', i), p.size());
                        const int w = s_.anchoTexto(p.substr(i, fin - i)) + 2 * margen_;
                        palabras[k] = std::max(palabras[k], w);
                    }
        }
        const auto conTope = [&](int tope) {
            auto a = ancho;
            for (std::size_t k = 0; k < kColumnas; ++k)
                a[k] = std::max(ancho[k], std::min(palabras[k], tope));
            return a;
        };
        const auto suma = [](const std::array<int, kColumnas>& a) {
            int t = 0;
            for (int x : a) t += x;
            return t;
        };
        int bajo = 0, alto = h_.ancho() / 5;
        while (bajo < alto) {
            const int medio = bajo + (alto - bajo + 1) / 2;
            if (suma(conTope(medio)) <= h_.ancho())
                bajo = medio;
            else
                alto = medio - 1;
        }
        ancho = conTope(bajo);
        const int resto = h_.ancho() - suma(ancho);
        if (resto < 0) throw ErrorImpresion(mensajePaginaPequena());
        int pesos = 0;
        for (int p : kPesos) pesos += p;
        x_[0] = h_.izquierda;
        for (std::size_t c = 0; c < kColumnas; ++c)
            x_[c + 1] = x_[c] + ancho[c] + resto * kPesos[c] / pesos;
        x_[kColumnas] = h_.derecha;
        // The headings' row and what a fresh page holds below the headings.
        fijarLetra(s_, 8, Estilo::Negrita);
        std::size_t lineas = 1;
        for (std::size_t c = 0; c < kColumnas; ++c)
            lineas = std::max(lineas, partirTexto(s_, kTitulos[c], anchoTexto(c)).size());
        fijarLetra(s_, 8);
        altoTitulos_ = 2 * margen_ + static_cast<int>(lineas) * aL_;
        altoLibre_ = h_.abajo - h_.arriba - 2 * aL_ - altoTitulos_;
    }
    int anchoTexto(std::size_t c) const { return x_[c + 1] - x_[c] - 2 * margen_; }

    // The grid of a row (or of its part on one page) from y1 to y2.
    void rejilla(int y1, int y2) {
        s_.linea(h_.izquierda, y1, h_.derecha, y1);
        s_.linea(h_.izquierda, y2, h_.derecha, y2);
        for (int x : x_) s_.linea(x, y1, x, y2);
    }

    void titulosTabla() {
        const int y = h_.y;
        fijarLetra(s_, 8, Estilo::Negrita);
        for (std::size_t c = 0; c < kColumnas; ++c) {
            int yl = y + margen_;
            for (const auto& l : partirTexto(s_, kTitulos[c], anchoTexto(c))) {
                s_.texto(x_[c] + margen_, yl, l);
                yl += aL_;
            }
        }
        fijarLetra(s_, 8);
        rejilla(y, y + altoTitulos_);
        h_.y += altoTitulos_;
    }

    void tabla(const std::vector<const TMedida*>& medidas) {
        fijarLetra(s_, 8);
        // The headings with room for a line of the first row below them.
        h_.reservar(altoTitulos_ + 2 * margen_ + aL_);
        enTabla_ = true;
        titulosTabla();
        for (const TMedida* m : medidas) {
            std::array<std::vector<std::string>, kColumnas> lineas;
            std::size_t n = 1;
            const auto c = celdas(*m);
            for (std::size_t k = 0; k < kColumnas; ++k) {
                for (const auto& p : c[k]) {
                    auto partes = partirTexto(s_, p, anchoTexto(k));
                    lineas[k].insert(lineas[k].end(), partes.begin(), partes.end());
                }
                n = std::max(n, lineas[k].size());
            }
            const int alto = 2 * margen_ + static_cast<int>(n) * aL_;
            // Whole on the next page when it fits on one; else it runs on
            // from here, line by line.
            if (!h_.cabe(alto) && (alto <= altoLibre_ || !h_.cabe(2 * margen_ + 2 * aL_)))
                h_.nuevaPagina();
            int arriba = h_.y;
            h_.y += margen_;
            for (std::size_t i = 0; i < n; ++i) {
                if (!h_.cabe(aL_ + margen_)) {
                    rejilla(arriba, h_.y + margen_);
                    h_.nuevaPagina();
                    arriba = h_.y;
                    h_.y += margen_;
                }
                for (std::size_t k = 0; k < kColumnas; ++k)
                    if (i < lineas[k].size() && !lineas[k][i].empty())
                        s_.texto(x_[k] + margen_, h_.y, lineas[k][i]);
                h_.y += aL_;
            }
            h_.y += margen_;
            rejilla(arriba, h_.y);
        }
        enTabla_ = false;
    }

    // What the factors' abbreviations stand for, when the plan shows any.
    void leyenda(const std::vector<const TMedida*>& medidas) {
        std::array<bool, kNumFactores> usado{};
        for (const TMedida* m : medidas)
            for (int f : m->factores)
                if (f >= 1 && f <= kNumFactores) usado[static_cast<std::size_t>(f - 1)] = true;
        std::string t;
        for (std::size_t f = 0; f < kNumFactores; ++f)
            if (usado[f])
                t += (t.empty() ? "Factores: " : "; ") + std::string(kAbreviaturas[f]) + " " +
                     kNombresFactorAcentuados[f];
        if (!t.empty()) linea(t + ".", 8, Estilo::Normal);
    }

    const TKoral& e_;
    const TDatosEvaluacion& d_;
    Superficie& s_;
    TPaginas h_;
    const int aL_;
    int margen_ = 0, altoTitulos_ = 0, altoLibre_ = 0;
    std::array<int, kColumnas + 1> x_{};
    bool enTabla_ = false;
};

}  // namespace

std::vector<std::string> TextoMedidas(const TKoral& empresa, const TDatosEvaluacion& datos) {
    std::vector<std::string> l;
    l.emplace_back("Plan de medidas");
    l.push_back("Empresa: " + empresa.nombre);
    l.push_back("Fecha: " + textoFecha(fechaHoy()));
    const auto medidas = medidasOrdenadas(datos);
    if (medidas.empty()) l.emplace_back("El plan no tiene medidas.");
    for (const TMedida* m : medidas) {
        l.push_back("Medida:\t" + m->medida);
        l.push_back(std::string("Prioridad:\t") + textoPrioridad(m->prioridad));
        l.push_back("Factores:\t" + abreviaturas(*m, "\t"));
        std::string perfiles = "Perfiles:";
        for (const auto& p : m->perfiles) perfiles += '\t' + p;
        l.push_back(std::move(perfiles));
        l.push_back("Responsable:\t" + m->responsable);
        l.push_back("Recursos:\t" + m->recursos);
        l.push_back("Inicio:\t" + textoFecha(m->inicio));
        l.push_back("Fin:\t" + textoFecha(m->fin));
        std::string estado = std::string("Estado:\t") + textoEstado(m->estado);
        if (m->estado == EstadoMedida::Hecha && m->hecha > 0) estado += '\t' + textoFecha(m->hecha);
        l.push_back(std::move(estado));
        l.push_back("Seguimiento:\t" + m->seguimiento);
    }
    l.push_back(textoProxima(datos));
    return l;
}

void DibujarMedidas(const TKoral& empresa, const TDatosEvaluacion& datos, Superficie& s,
                    char /*separador: the plan holds no figures*/, TImpresora& impresora) {
    // Counted first, on a surface that only measures: every footer says M.
    SuperficieMedida medida(s);
    TImpresora sinUso;
    const int total = TMaquetaPlan(empresa, datos, medida, 0).maquetar(sinUso);
    TMaquetaPlan(empresa, datos, s, total).maquetar(impresora);
}

}  // namespace koral
