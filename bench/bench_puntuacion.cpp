// Scoring throughput: a large company's worth of questionnaires per run.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <random>
#include <vector>

#include "method/Puntuacion.h"

namespace koral {
namespace {

constexpr int kNumCuestionarios = 1'000'000;

// Answer strings back to back, each item answered 0 to its option count.
std::vector<char> generarRespuestas(int n) {
    std::vector<char> datos(static_cast<std::size_t>(n) * kNumItems);
    std::mt19937 gen(12345);
    std::size_t k = 0;
    for (int q = 0; q < n; ++q) {
        for (int i = 1; i <= kNumItems; ++i) {
            std::uniform_int_distribution<int> respuesta(0, maximoRespuesta[i]);
            datos[k++] = static_cast<char>('0' + respuesta(gen));
        }
    }
    return datos;
}

void BM_PuntuarRespuestas(benchmark::State& state) {
    // Generated once: the library runs this function several times.
    static const std::vector<char> datos = generarRespuestas(kNumCuestionarios);
    for (auto _ : state) {
        int sinRespuesta = 0;
        Puntuaciones p{};
        for (std::size_t k = 0; k < datos.size(); k += kNumItems) {
            sinRespuesta += puntuarRespuestas(datos.data() + k, p);
            benchmark::DoNotOptimize(p);
        }
        benchmark::DoNotOptimize(sinRespuesta);
    }
    state.SetItemsProcessed(state.iterations() * kNumCuestionarios);
}
BENCHMARK(BM_PuntuarRespuestas)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace koral
