// Factor scoring: one constant weight table and the arithmetic of each factor.
#include "method/Puntuacion.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <iterator>

#include "platform/Reales.h"

namespace koral {
namespace {

// Answer values an item can take: 0 (no answer) up to its maximum.
constexpr int valoresItem(int item) {
    return maximoRespuesta[item] + 1;
}

// Sizes of the three kinds of sub-table: a list of weights by answer, a
// joint table (row from one item, column from another) and a block table
// (row from the answer, one column per item).
constexpr int tamanoLista(int item) {
    return valoresItem(item);
}
constexpr int tamanoConjunta(int fila, int columna) {
    return valoresItem(fila) * valoresItem(columna);
}
constexpr int tamanoBloque(int primero, int ultimo) {
    return valoresItem(primero) * (ultimo - primero + 1);
}

// A shared weight list or a block table only fits a range whose items all
// have the same maximum.
constexpr bool mismoMaximo(int primero, int ultimo) {
    for (int i = primero; i <= ultimo; ++i)
        if (maximoRespuesta[i] != maximoRespuesta[primero]) return false;
    return true;
}
static_assert(mismoMaximo(16, 25) && mismoMaximo(31, 34) && mismoMaximo(35, 40) &&
              mismoMaximo(41, 45) && mismoMaximo(46, 51) && mismoMaximo(52, 62) &&
              mismoMaximo(65, 68) && mismoMaximo(71, 74));

// The decoding of answer digits below relies on no item going past '5'.
static_assert(std::ranges::max(maximoRespuesta) <= 5);

// Sub-tables of `pesos`, in storage order.
// clang-format off
enum Tabla : int {
    kT1x2, kT3, kT4, kT5, kT6x7, kT8, kT9x10, kT11,
    kT12, kT13, kT14, kT15,
    kT16a25, kT26, kT27, kT28, kT29, kT30, kT31x33, kT32x33, kT33, kT34x33,
    kT35a40, kT41a45, kT46a51,
    kT52a62,
    kT63, kT64, kT65a68, kT69,
    kT70, kT71a74, kT75,
    kNumTablas
};

constexpr std::array<int, kNumTablas> kTamano{
    tamanoConjunta(1, 2), tamanoLista(3), tamanoLista(4), tamanoLista(5), tamanoConjunta(6, 7),
    tamanoLista(8), tamanoConjunta(9, 10), tamanoLista(11),
    tamanoLista(12), tamanoLista(13), tamanoLista(14), tamanoLista(15),
    tamanoLista(16), tamanoLista(26), tamanoLista(27), tamanoLista(28), tamanoLista(29),
    tamanoLista(30), tamanoConjunta(31, 33), tamanoConjunta(32, 33), tamanoLista(33),
    tamanoConjunta(34, 33),
    tamanoLista(35), tamanoBloque(41, 45), tamanoBloque(46, 51),
    tamanoBloque(52, 62),
    tamanoLista(63), tamanoLista(64), tamanoBloque(65, 68), tamanoLista(69),
    tamanoLista(70), tamanoBloque(71, 74), tamanoLista(75)};
// clang-format on

// Where each sub-table starts; the last entry is the total.
constexpr std::array<int, kNumTablas + 1> kInicio = [] {
    std::array<int, kNumTablas + 1> inicio{};
    for (int t = 0; t < kNumTablas; ++t) inicio[t + 1] = inicio[t] + kTamano[t];
    return inicio;
}();

}  // namespace

// clang-format off
static constexpr double pesos[] = {
    // Items 1 x 2: row a(1), column a(2).
    0,   2,   1.5, 0.5, 0,
    2,   3,   2.5, 2,   1.5,
    1.5, 3,   2,   1.5, 1,
    0.5, 2.5, 1.5, 0.5, 0,
    0,   1.5, 0,   0,   0,
    0,   0,   0,   0,   0,
    // Item 3.
    0.25, 0.75, 0.5, 0.25, 0,
    // Item 4.
    0.3, 0, 0.2, 0.4, 0.5,
    // Item 5.
    0.5, 0.75, 0.6, 0.5, 0.25, 0,
    // Items 6 x 7: row a(6), column a(7).
    0.5, 0,   0.5, 0.8,
    0.8, 0.4, 0.8, 1,
    0.5, 0,   0.5, 0.8,
    0.3, 0,   0,   0.6,
    // Item 8.
    1, 0, 1, 2, 3,
    // Items 9 x 10: row a(9), column a(10).
    1,   1,    0.6,  0.3,  0.5,
    1,   2,    1.75, 0.75, 0.5,
    0.6, 1.75, 0.75, 0.5,  0.25,
    0.3, 1,    0.5,  0,    0,
    0.5, 0.5,  0.25, 0,    0,
    // Item 11.
    0.5, 0, 0.5, 1,
    // Item 12.
    1, 0, 1, 2,
    // Item 13.
    1, 0, 2, 1,
    // Item 14.
    1, 0, 3, 1,
    // Item 15.
    1, 0, 3, 1,
    // Items 16 to 25, one list for all.
    0.25, 0.5, 0.4, 0.2, 0,
    // Item 26.
    0.4, 0.75, 0.6, 0.4, 0.2, 0.1,
    // Item 27.
    0.4, 0.6, 0.75, 0.4, 0.2, 0,
    // Item 28.
    0.5, 0.75, 0.6, 0.25, 0,
    // Item 29.
    0.3, 0, 0.3, 0.6, 0.75,
    // Item 30.
    0.4, 1, 0.5, 0.25, 0,
    // Items 31 x 33: row a(31), column a(33).
    0.15, 0.15, 0.15, 0.15, 0.15,
    0.33, 0.25, 0.25, 0.25, 0.25,
    0.2,  0.15, 0.15, 0.15, 0.15,
    0.1,  0.1,  0.1,  0.1,  0.1,
    0,    0,    0,    0,    0,
    // Items 32 x 33: row a(32), column a(33).
    0,    0,    0,    0,    0,
    0.33, 0.25, 0.25, 0.25, 0.25,
    0.2,  0.15, 0.15, 0.15, 0.15,
    0.1,  0.1,  0.1,  0.1,  0.1,
    0,    0,    0,    0,    0,
    // Item 33.
    0, 0.25, 0.15, 0.1, 0,
    // Items 34 x 33: row a(34), column a(33).
    0.15, 0.15, 0.15, 0.15, 0.15,
    0.33, 0.25, 0.25, 0.25, 0.25,
    0.2,  0.15, 0.15, 0.15, 0.15,
    0.1,  0.1,  0.1,  0.1,  0.1,
    0,    0,    0,    0,    0,
    // Items 35 to 40, one list for all.
    1, 3, 0, 4,
    // Items 41 to 45: row answer, column item.
    2, 2, 2, 2, 2,
    3, 2, 1, 2, 2,
    3, 2, 1, 2, 2,
    1, 1, 0, 1, 1,
    0, 0, 0, 0, 0,
    // Items 46 to 51: row answer, column item.
    2, 2, 2, 2, 2, 2,
    3, 3, 4, 5, 4, 5,
    1, 1, 2, 2, 1, 2,
    0, 0, 0, 0, 0, 0,
    // Items 52 to 62: row answer, column item.
    0.4, 0.5, 0.4, 0.4, 0.4, 0.4, 0.5, 0.4, 0.4, 0.7, 0.4,
    0,   0,   0,   0,   0,   0,   0,   0.7, 0.6, 2,   0.7,
    0.2, 0.2, 0.2, 0.2, 0.4, 0.2, 0.4, 0.4, 0.4, 1,   0.4,
    0.5, 0.5, 0.5, 0.5, 0.8, 0.5, 0.8, 0.2, 0.2, 0.5, 0.2,
    0.7, 0.7, 0.7, 0.7, 1.3, 0.7, 1.3, 0,   0,   0,   0,
    // Item 63.
    1, 0, 0, 2, 3,
    // Item 64.
    0.75, 0, 0.5, 1, 2,
    // Items 65 to 68: row answer, column item.
    1, 2, 2, 3,
    2, 3, 4, 5,
    1, 2, 3, 4,
    0, 1, 1, 2,
    0, 0, 0, 0,
    // Item 69.
    2, 0, 2, 3, 3,
    // Item 70.
    1, 2, 1, 0,
    // Items 71 to 74: row answer, column item.
    0, 4, 0, 0,
    0, 4, 0, 0,
    0, 0, 0, 0,
    2, 2, 2, 1,
    4, 4, 4, 2,
    3, 4, 3, 0,
    // Item 75.
    2, 0, 2, 1, 3, 4,
};
// clang-format on
static_assert(std::size(pesos) == 401);
static_assert(std::size(pesos) == kInicio[kNumTablas]);

namespace {

// The answers padded to whole vector lanes, so that decoding them is one
// loop with no remainder.
constexpr int kAncho = 80;
static_assert(kAncho >= kNumItems && kAncho % 16 == 0);

// Padding: reads as no answer and is not a '0'.
constexpr char kRelleno = ' ';

// maximoRespuesta by position in the answer string, as bytes; 0 in the padding.
constexpr std::array<unsigned char, kAncho> kMaximo = [] {
    std::array<unsigned char, kAncho> t{};
    for (int i = 1; i <= kNumItems; ++i) t[i - 1] = static_cast<unsigned char>(maximoRespuesta[i]);
    return t;
}();

// Answer values by item number; entry 0 unused.
using Valores = std::array<unsigned char, 1 + kAncho>;

// Weight of an item with a list of its own (or a shared one) at its answer.
inline double peso(Tabla t, const Valores& a, int item) {
    return pesos[kInicio[t] + a[item]];
}

// Joint weight: row from the first item's answer, column from the second's.
inline double pesoConjunto(Tabla t, const Valores& a, int fila, int columna) {
    return pesos[kInicio[t] + a[fila] * valoresItem(columna) + a[columna]];
}

// Block-table weight of one item: row from its answer, column from its place
// in the block that starts at item `primero`.
inline double pesoBloque(Tabla t, int primero, int nItems, const Valores& a, int item) {
    return pesos[kInicio[t] + a[item] * nItems + (item - primero)];
}

// Sum over items [desde, hasta] of a block table.
inline double sumaBloque(Tabla t, int primero, int nItems, const Valores& a, int desde, int hasta) {
    double suma = 0;
    for (int i = desde; i <= hasta; ++i) suma += pesoBloque(t, primero, nItems, a, i);
    return suma;
}

// Sum over items [desde, hasta] of one list shared by all of them.
inline double sumaLista(Tabla t, const Valores& a, int desde, int hasta) {
    double suma = 0;
    for (int i = desde; i <= hasta; ++i) suma += peso(t, a, i);
    return suma;
}

// Personal relations: each of w71..w74 is "over" (> 1), "one" (exactly 1) or
// neither; the first rule whose pattern matches picks the weights averaged.
enum Clase : int { kOtra = 0, kUno = 1, kSobre = 2 };

struct Regla {
    std::array<Clase, 4> patron;
    std::array<double, 4> usa;  // 1 for the weights averaged, 0 for the rest
    double divisor;
};

// With the weights of items 71 to 74 above, w71, w72 and w73 are never
// exactly 1 (only w74 is, for answer 3): rules 2, 3, 4, 6 and 7 below never
// fire, and every questionnaire is scored by rule 1, 5 or the final one.
// They stay, so that the table reads as the method states it.
constexpr Regla kReglas[] = {
    {{kSobre, kSobre, kSobre, kSobre}, {1, 1, 1, 1}, 4},
    {{kUno, kSobre, kSobre, kSobre}, {0, 1, 1, 1}, 3},
    {{kSobre, kUno, kSobre, kSobre}, {1, 0, 1, 1}, 3},
    {{kSobre, kSobre, kUno, kSobre}, {1, 1, 0, 1}, 3},
    {{kSobre, kSobre, kSobre, kUno}, {1, 1, 1, 0}, 3},
    {{kSobre, kSobre, kUno, kUno}, {1, 1, 0, 0}, 2},
    {{kUno, kSobre, kUno, kUno}, {0, 1, 0, 0}, 1},
};
// Any other combination.
constexpr Regla kReglaFinal{{}, {0, 1, 0, 1}, 2};

constexpr int kNumPatrones = 3 * 3 * 3 * 3;

// Rule for every pattern, indexed by the four classes in base 3 (w71 lowest),
// so that scoring does one lookup instead of walking the rules.
constexpr std::array<Regla, kNumPatrones> kReglaDePatron = [] {
    std::array<Regla, kNumPatrones> tabla{};
    for (int codigo = 0; codigo < kNumPatrones; ++codigo) {
        std::array<Clase, 4> clases{};
        for (int k = 0, resto = codigo; k < 4; ++k, resto /= 3)
            clases[k] = static_cast<Clase>(resto % 3);
        tabla[codigo] = kReglaFinal;
        for (const Regla& r : kReglas) {
            if (r.patron == clases) {
                tabla[codigo] = r;
                break;
            }
        }
    }
    return tabla;
}();

inline int clase(double w) {
    return (w > 1.0 ? kSobre : kOtra) + (w == 1.0 ? kUno : kOtra);
}

inline double relaciones(const Valores& a) {
    std::array<double, 4> w{};
    int codigo = 0;
    for (int k = 3; k >= 0; --k) {
        w[k] = pesoBloque(kT71a74, 71, 4, a, 71 + k);
        codigo = codigo * 3 + clase(w[k]);
    }
    const Regla& r = kReglaDePatron[codigo];
    // Skipped weights add an exact zero, so the sum equals the rule's own.
    double suma = 0;
    for (int k = 0; k < 4; ++k) suma += w[k] * r.usa[k];
    return suma / r.divisor;
}

}  // namespace

int puntuarRespuestas(const char* respuestas, Puntuaciones& puntuaciones) noexcept {
    std::array<char, kAncho> texto;
    std::memcpy(texto.data(), respuestas, kNumItems);
    std::fill(texto.begin() + kNumItems, texto.end(), kRelleno);

    Valores a;
    a[0] = 0;
    int ceros = 0;
    for (int i = 0; i < kAncho; ++i) {
        // Bytes below '0' wrap round, so one unsigned test rejects them along
        // with digits over the item's maximum.
        const auto digito = static_cast<unsigned char>(texto[i] - '0');
        a[i + 1] = digito <= kMaximo[i] ? digito : 0;
        ceros += texto[i] == '0';
    }

    Puntuaciones f{};

    f[0] = pesoConjunto(kT1x2, a, 1, 2);
    f[0] += peso(kT3, a, 3);
    f[0] += peso(kT4, a, 4);
    f[0] += peso(kT5, a, 5);
    f[0] += pesoConjunto(kT6x7, a, 6, 7);
    f[0] += peso(kT8, a, 8);
    f[0] += pesoConjunto(kT9x10, a, 9, 10);
    f[0] += peso(kT11, a, 11);

    f[1] = peso(kT12, a, 12);
    f[1] += peso(kT13, a, 13);
    f[1] += peso(kT14, a, 14);
    f[1] += peso(kT15, a, 15);

    f[2] = sumaLista(kT16a25, a, 16, 25);
    f[2] += peso(kT26, a, 26);
    f[2] += peso(kT27, a, 27);
    f[2] += peso(kT28, a, 28);
    f[2] += peso(kT29, a, 29);
    f[2] += peso(kT30, a, 30);
    f[2] += pesoConjunto(kT31x33, a, 31, 33);
    f[2] += pesoConjunto(kT32x33, a, 32, 33);
    f[2] += peso(kT33, a, 33);
    f[2] += pesoConjunto(kT34x33, a, 34, 33);

    // Each sub-score is averaged over its own item count before adding.
    f[3] = sumaLista(kT35a40, a, 35, 40) / 6;
    f[3] += sumaBloque(kT41a45, 41, 5, a, 41, 45) / 5;
    f[3] += sumaBloque(kT46a51, 46, 6, a, 46, 51) / 6;

    f[4] = sumaBloque(kT52a62, 52, 11, a, 52, 58) * 5 / 7;
    f[4] += sumaBloque(kT52a62, 52, 11, a, 59, 62);

    // Company information counts as a band (0, 1 or 2), not as its raw sum.
    const double s = sumaBloque(kT65a68, 65, 4, a, 65, 68);
    const double x = (s >= 0 && s <= 4) ? 0.0 : (s >= 5 && s <= 8) ? 1.0 : 2.0;
    f[5] = peso(kT63, a, 63);
    f[5] += peso(kT64, a, 64);
    f[5] += x;
    f[5] += peso(kT69, a, 69);

    f[6] = peso(kT70, a, 70);
    f[6] += relaciones(a);
    f[6] += peso(kT75, a, 75);

    // Kept as the company file will keep it: a score that is 4 or 7 in
    // exact arithmetic may come out a hair below, and fall in the band under
    // it until a save and a reopening round it back.
    for (int k = 0; k < kNumFactores; ++k) puntuaciones[k] = valorGuardado(std::min(f[k], 10.0));
    return ceros;
}

void puntuarCuestionario(TCuestionario& q) {
    q.sinRespuesta = puntuarRespuestas(q.respuestas.data(), q.puntuaciones);
}

void mediasGrupo(TGrupo& g) {
    g.medias.fill(0.0);
    for (TCuestionario* q : g.cuestionarios) {
        puntuarCuestionario(*q);
        for (int k = 0; k < kNumFactores; ++k) g.medias[k] += q->puntuaciones[k];
    }
    if (!g.cuestionarios.empty()) {
        const auto n = static_cast<double>(g.cuestionarios.size());
        for (double& m : g.medias) m /= n;
    }
}

}  // namespace koral
