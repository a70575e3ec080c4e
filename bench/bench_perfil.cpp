// Computing a profile over generated companies.
#include <benchmark/benchmark.h>

#include "GenerarEmpresa.h"
#include "method/Perfil.h"

using namespace koral;

namespace {

void BM_CalcularPerfil(benchmark::State& state) {
    TKoral doc;
    banco::generarEmpresa(doc, static_cast<int>(state.range(0)));
    TPerfil& p = *doc.perfiles[0];  // one group of the ten
    TPerfil todos;                  // no groups: every questionnaire
    TPerfil& medido = state.range(1) ? todos : p;
    for (auto _ : state) {
        calcularPerfil(doc, medido);
        benchmark::DoNotOptimize(medido.nSujetos);
    }
    state.counters["sujetos"] = medido.nSujetos;
}

BENCHMARK(BM_CalcularPerfil)
    ->ArgsProduct({{10'000, 100'000, 1'000'000}, {0, 1}})
    ->ArgNames({"n", "todos"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
