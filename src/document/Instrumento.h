// The questionnaire instrument's shape as constant data: 75 items in seven
// factors and their option counts. It lives with the document, whose records
// and file reader are built on it; the method builds on both.
// Everyone who needs item counts or option counts reads them here.
#pragma once

#include <array>
#include <cstddef>

namespace koral {

inline constexpr int kNumItems = 75;
inline constexpr int kNumFactores = 7;

// Option count (highest valid answer digit) of each item, item 1 first.
inline constexpr char kOpcionesTexto[] =
    "544453344433333444444444455444444433333344444333333444444444444444444355555";
static_assert(sizeof(kOpcionesTexto) == kNumItems + 1);

struct Factor {
    int primerItem;  // 1-based
    int nItems;
};

inline constexpr std::array<Factor, kNumFactores> kFactores{
    {{1, 11}, {12, 4}, {16, 19}, {35, 17}, {52, 11}, {63, 7}, {70, 6}}};

// Option count of item i (1-75).
constexpr int opcionesItem(int item) {
    return kOpcionesTexto[item - 1] - '0';
}

// maximoRespuesta as a table indexed by item 1-75 (entry 0 unused).
inline constexpr std::array<int, kNumItems + 1> maximoRespuesta = [] {
    std::array<int, kNumItems + 1> t{};
    for (int i = 1; i <= kNumItems; ++i) t[i] = opcionesItem(i);
    return t;
}();

// Factor (1-7) of item i (1-75).
constexpr int factorDeItem(int item) {
    for (int f = kNumFactores - 1; f >= 0; --f)
        if (item >= kFactores[f].primerItem) return f + 1;
    return 1;
}

constexpr int totalOpciones() {
    int s = 0;
    for (int i = 1; i <= kNumItems; ++i) s += opcionesItem(i);
    return s;
}
static_assert(totalOpciones() == 289);
static_assert(kFactores[6].primerItem + kFactores[6].nItems - 1 == kNumItems);

}  // namespace koral
