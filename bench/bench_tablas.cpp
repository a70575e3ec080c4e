// The scores of a generated company written as CSV, SPSS, Stata and Excel
// files: the labelled formats against the CSV's time.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "GenerarEmpresa.h"
#include "exchange/Tablas.h"

using namespace koral;

namespace {

void BM_Puntuaciones(benchmark::State& state, FormatoTabla tipo, const char* nombre) {
    TKoral doc;
    banco::generarEmpresa(doc, static_cast<int>(state.range(0)));
    const std::string ruta = (std::filesystem::temp_directory_path() / nombre).string();
    for (auto _ : state) escribirPuntuaciones(doc, ruta, tipo, {});
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(ruta)) / 1e6;
    std::filesystem::remove(ruta);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Puntuaciones, csv, FormatoTabla::Csv, "koral_bench_tabla.csv")
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Puntuaciones, sav, FormatoTabla::Sav, "koral_bench_tabla.sav")
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Puntuaciones, dta, FormatoTabla::Dta, "koral_bench_tabla.dta")
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Puntuaciones, xlsx, FormatoTabla::Xlsx, "koral_bench_tabla.xlsx")
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
