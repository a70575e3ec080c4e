// Export and import of generated companies.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "GenerarEmpresa.h"
#include "exchange/Exportar.h"
#include "exchange/Importar.h"

using namespace koral;

namespace {

std::string rutaTemporal(const char* nombre) {
    return (std::filesystem::temp_directory_path() / nombre).string();
}

void BM_Exportar(benchmark::State& state) {
    TKoral doc;
    banco::generarEmpresa(doc, static_cast<int>(state.range(0)));
    const std::string ruta = rutaTemporal("koral_bench_exportar.txt");
    for (auto _ : state) exportarDatos(doc, ruta);
    std::filesystem::remove(ruta);
}


// Into an empty company: groups made, every questionnaire scored.
void BM_Importar(benchmark::State& state) {
    const std::string ruta = rutaTemporal("koral_bench_importar.txt");
    {
        TKoral doc;
        banco::generarEmpresa(doc, static_cast<int>(state.range(0)));
        exportarDatos(doc, ruta);
    }
    for (auto _ : state) {
        state.PauseTiming();
        banco::enfriarCache();
        state.ResumeTiming();
        auto doc = std::make_unique<TKoral>();
        ProcesaArchivo(*doc, ruta, [](const std::string&) {});
        benchmark::DoNotOptimize(doc->cuestionarios.data());
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    std::filesystem::remove(ruta);
}

BENCHMARK(BM_Exportar)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Importar)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
