// Reading and writing company files of 10,000 to 1,000,000 questionnaires.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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
        state.PauseTiming();
        banco::enfriarCache();
        state.ResumeTiming();
        auto doc = std::make_unique<TKoral>();
        leerEmpresa(*doc, datos);
        benchmark::DoNotOptimize(doc->cuestionarios.data());
        state.PauseTiming();  // releasing the company is not reading it
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["MB"] = static_cast<double>(datos.size()) / 1e6;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * datos.size()));
}

// Opening a company as the program does: from its file, a piece at a time
// (the file itself in the system's cache, as just after saving it).
void BM_LeerArchivo(benchmark::State& state) {
    const std::string& datos = archivoGenerado(static_cast<int>(state.range(0)));
    char plantilla[] = "/tmp/bench_archivo_XXXXXX";
    const int fd = ::mkstemp(plantilla);
    if (fd < 0 || ::write(fd, datos.data(), datos.size()) != static_cast<ssize_t>(datos.size())) {
        state.SkipWithError("no temporary file");
        return;
    }
    ::close(fd);
    for (auto _ : state) {
        state.PauseTiming();
        banco::enfriarCache();
        state.ResumeTiming();
        auto doc = std::make_unique<TKoral>();
        doc->leerArchivo(plantilla);
        benchmark::DoNotOptimize(doc->cuestionarios.data());
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    ::unlink(plantilla);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * datos.size()));
}

void BM_Escribir(benchmark::State& state) {
    TKoral doc;
    banco::generarEmpresa(doc, static_cast<int>(state.range(0)));
    // The writer hands over 1 MB blocks; a sink that only counts them keeps
    // the figure about formatting, not about growing a string in memory.
    class Contador : public SalidaArchivo {
    public:
        void escribir(const char* d, std::size_t n) override {
            bytes += n;
            benchmark::DoNotOptimize(d);
        }
        void terminar() override {}
        std::size_t bytes = 0;
    };
    for (auto _ : state) {
        Contador s;
        escribirEmpresa(doc, s);
        benchmark::DoNotOptimize(s.bytes);
    }
}

BENCHMARK(BM_Leer)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LeerArchivo)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Escribir)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace

// `bench_archivo --generar N FILE` writes a generated company to FILE;
// `bench_archivo --memoria FILE` reads it as the program does and prints the
// peak resident size against the file size (the memory target).
int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--generar") {
        TKoral doc;
        banco::generarEmpresa(doc, std::stoi(argv[2]));
        doc.archivo = argv[3];
        doc.guardarArchivo();
        return 0;
    }
    if (argc == 3 && std::string(argv[1]) == "--memoria") {
        TKoral doc;
        doc.leerArchivo(argv[2]);
        struct stat st {};
        ::stat(argv[2], &st);
        struct rusage uso {};
        getrusage(RUSAGE_SELF, &uso);
        // Both in MiB: ru_maxrss counts KiB.
        const double archivo = static_cast<double>(st.st_size) / (1024.0 * 1024.0);
        const double pico = static_cast<double>(uso.ru_maxrss) / 1024.0;
        std::printf(
            "%zu questionnaires, file %.1f MiB, peak resident %.1f MiB (%.2f times the file)\n",
            doc.cuestionarios.size(), archivo, pico, pico / archivo);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
