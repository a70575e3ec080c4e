// Reading and writing company files of 10,000 to 1,000,000 questionnaires.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <map>

#include "GenerarEmpresa.h"
#include "document/ArchivoEmpresa.h"

using namespace koral;

namespace {

class SalidaMemoria : public SalidaArchivo {
public:
    void escribir(const char* d, std::size_t n) override { texto.append(d, n); }
    void terminar() override {}
    std::string texto;
};

const std::string& archivoGenerado(int n) {
    static std::map<int, std::string> cache;
    auto it = cache.find(n);
    if (it == cache.end()) {
        TKoral doc;
        banco::generarEmpresa(doc, n);
        SalidaMemoria s;
        escribirEmpresa(doc, s);
        it = cache.emplace(n, std::move(s.texto)).first;
    }
    return it->second;
}

void BM_Leer(benchmark::State& state) {
    const std::string& datos = archivoGenerado(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TKoral doc;
        leerEmpresa(doc, datos);
        benchmark::DoNotOptimize(doc.cuestionarios.data());
    }
    state.counters["MB"] = static_cast<double>(datos.size()) / 1e6;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * datos.size()));
}

void BM_Escribir(benchmark::State& state) {
    TKoral doc;
    banco::generarEmpresa(doc, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        SalidaMemoria s;
        s.texto.reserve(archivoGenerado(static_cast<int>(state.range(0))).size());
        escribirEmpresa(doc, s);
        benchmark::DoNotOptimize(s.texto.data());
    }
}

BENCHMARK(BM_Leer)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Escribir)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace

// `bench_archivo --memoria N FILE` reads FILE (as written for N) once and
// prints the peak resident size against the file size, for the memory target.
int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--memoria") {
        const std::string& datos = archivoGenerado(std::stoi(argv[2]));
        const std::size_t tam = datos.size();
        struct rusage antes {};
        getrusage(RUSAGE_SELF, &antes);
        {
            std::string copia = datos;  // the reader works on the whole file in memory
            const_cast<std::string&>(datos).clear();
            const_cast<std::string&>(datos).shrink_to_fit();
            TKoral doc;
            leerEmpresa(doc, copia);
            struct rusage despues {};
            getrusage(RUSAGE_SELF, &despues);
            std::printf("file %.1f MB, peak resident %.1f MB (%.2fx the file)\n", tam / 1e6,
                        despues.ru_maxrss / 1e3, despues.ru_maxrss * 1e3 / tam);
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
