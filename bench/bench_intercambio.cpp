// Export and import of generated companies.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "GenerarEmpresa.h"
#include "document/ArchivoEmpresa.h"
#include "exchange/Exportar.h"
#include "exchange/Importar.h"
#include "exchange/Puntuaciones.h"

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

// The scores as CSV, to the disk in the spreadsheet form.
void BM_PuntuacionesCsv(benchmark::State& state) {
    TKoral doc;
    banco::generarEmpresa(doc, static_cast<int>(state.range(0)));
    const std::string ruta = rutaTemporal("koral_bench_puntuaciones.csv");
    for (auto _ : state) escribirPuntuacionesCsv(doc, ruta, {});
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
        // As the import command reads it: a piece at a time.
        const auto entrada = abrirParaImportar(ruta);
        importarEntrada(*doc, ruta, *entrada, [](const std::string&) {});
        benchmark::DoNotOptimize(doc->cuestionarios.data());
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    std::filesystem::remove(ruta);
}

// One questionnaire naming N groups on its line: linking must not search
// the questionnaire's growing group list for each name.
void BM_ImportarGruposEnUnaLinea(benchmark::State& state) {
    std::string linea = "\"Trabajador\"";
    for (std::int64_t i = 0; i < state.range(0); ++i)
        linea += ",\"Grupo " + std::to_string(i) + "\"";
    linea += ",1,2,3\r\n";
    for (auto _ : state) {
        auto doc = std::make_unique<TKoral>();
        importarContenido(*doc, linea, [](const std::string&) {});
        benchmark::DoNotOptimize(doc->grupos.data());
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
}

// The company file of such a questionnaire: N link lines in a row.
void BM_LeerEnlacesDeUnCuestionario(benchmark::State& state) {
    class SalidaMemoria : public SalidaArchivo {
    public:
        void escribir(const char* d, std::size_t n) override { texto.append(d, n); }
        void terminar() override {}
        std::string texto;
    } archivo;
    {
        TKoral doc;
        auto q = std::make_unique<TCuestionario>();
        q->id = ++doc.ultimoId;
        q->nombre = "Trabajador";
        for (std::int64_t i = 0; i < state.range(0); ++i) {
            auto g = std::make_unique<TGrupo>();
            g->id = ++doc.ultimoId;
            g->nombre = "Grupo " + std::to_string(i);
            q->grupos.push_back(g.get());  // known distinct: no search while setting up
            g->cuestionarios.push_back(q.get());
            doc.grupos.push_back(std::move(g));
        }
        doc.cuestionarios.push_back(std::move(q));
        doc.nGrupos = static_cast<std::int32_t>(doc.grupos.size());
        doc.nCuestionarios = 1;
        escribirEmpresa(doc, archivo);
    }
    for (auto _ : state) {
        auto doc = std::make_unique<TKoral>();
        leerEmpresa(*doc, archivo.texto);
        benchmark::DoNotOptimize(doc->grupos.data());
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_Exportar)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PuntuacionesCsv)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Importar)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportarGruposEnUnaLinea)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LeerEnlacesDeUnCuestionario)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
