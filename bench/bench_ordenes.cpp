// koral20-cli's commands on whole company files, in processor seconds (user
// plus system, as /usr/bin/time counts them) and as multiples of the least a
// command on that file can cost: reading it in 1 MiB pieces and counting its
// lines, measured in the same run. Absolute seconds move with the machine;
// the multiples much less.
//
//   bench_ordenes [--veces N] [--cli PROGRAMA] EMPRESA.kr2 ...
//
// --cli measures another build of koral20-cli (an earlier one, say).
//
// Each round runs the floor and every command once, alternating, and the
// least of N rounds (5 by default) is kept: on a shared machine the least is
// the one others disturbed least. The files go to a temporary folder.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Medida {
    double cpu = 0;      // seconds, user plus system
    double picoMiB = 0;  // peak resident size
};

// Runs `args` with its output thrown away and returns what it cost.
Medida ejecutar(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_addopen(&acciones, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&acciones, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &acciones, nullptr, argv.data(), environ) != 0) {
        std::perror(argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&acciones);
    int estado = 0;
    struct rusage uso {};
    if (wait4(pid, &estado, 0, &uso) != pid || !WIFEXITED(estado) || WEXITSTATUS(estado) != 0) {
        std::fprintf(stderr, "failed: %s %s\n", args[0].c_str(), args[1].c_str());
        std::exit(1);
    }
    const auto segundos = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return {segundos(uso.ru_utime) + segundos(uso.ru_stime),
            static_cast<double>(uso.ru_maxrss) / 1024.0};
}

// The floor: the file read in 1 MiB pieces, its lines counted.
int suelo(const char* ruta) {
    const int fd = ::open(ruta, O_RDONLY);
    if (fd < 0) return 1;
    std::vector<char> trozo(1 << 20);
    std::size_t lineas = 0;
    for (;;) {
        const ssize_t n = ::read(fd, trozo.data(), trozo.size());
        if (n <= 0) break;
        // As wc -l counts them: memchr scans a vector register at a time.
        const char* p = trozo.data();
        const char* const fin = p + n;
        while (const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(fin - p))) {
            ++lineas;
            p = static_cast<const char*>(lf) + 1;
        }
    }
    ::close(fd);
    std::printf("%zu\n", lineas);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--suelo") return suelo(argv[2]);
    int veces = 5;
    std::string cli = KORAL_CLI;
    std::vector<std::string> empresas;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--veces" && i + 1 < argc)
            veces = std::max(1, std::atoi(argv[++i]));
        else if (std::string(argv[i]) == "--cli" && i + 1 < argc)
            cli = argv[++i];
        else
            empresas.emplace_back(argv[i]);
    }
    if (empresas.empty()) {
        std::fprintf(stderr, "uso: bench_ordenes [--veces N] [--cli PROGRAMA] EMPRESA.kr2 ...\n");
        return 2;
    }
    const std::string yo = std::filesystem::canonical("/proc/self/exe").string();
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("bench_ordenes_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string copia = (dir / "copia.kr2").string();
    const std::string texto = (dir / "exportado.txt").string();
    const std::string importada = (dir / "importada.kr2").string();
    const std::string csv = (dir / "puntuaciones.csv").string();

    for (const std::string& f : empresas) {
        const double mib = static_cast<double>(fs::file_size(f)) / (1024.0 * 1024.0);
        // Name and arguments of each command; the floor first.
        const std::vector<std::pair<std::string, std::vector<std::string>>> ordenes{
            {"suelo", {yo, "--suelo", f}},
            {"profile", {cli, "profile", f, "Perfil 1"}},
            {"save", {cli, "save", copia}},
            {"dump", {cli, "dump", f}},
            {"export", {cli, "export", f, texto}},
            {"import", {cli, "import", importada, texto}},
            {"puntuaciones", {cli, "puntuaciones", f, csv}},
        };
        std::vector<Medida> mejor(ordenes.size(), {1e30, 0});
        for (int r = 0; r < veces; ++r) {
            for (std::size_t k = 0; k < ordenes.size(); ++k) {
                // Outside the measure: what each command starts from.
                if (ordenes[k].first == "save") {
                    fs::remove(dir / "copia.BAK");
                    fs::copy_file(f, copia, fs::copy_options::overwrite_existing);
                }
                if (ordenes[k].first == "import") {
                    fs::remove(importada);
                    fs::remove(dir / "importada.BAK");
                }
                const Medida m = ejecutar(ordenes[k].second);
                mejor[k].cpu = std::min(mejor[k].cpu, m.cpu);
                mejor[k].picoMiB = std::max(mejor[k].picoMiB, m.picoMiB);
            }
        }
        std::printf("%s: %.1f MiB, least of %d rounds\n", f.c_str(), mib, veces);
        std::printf("%-14s %9s %9s %12s %9s\n", "command", "CPU s", "x floor", "peak MiB",
                    "x file");
        for (std::size_t k = 0; k < ordenes.size(); ++k)
            std::printf("%-14s %9.3f %9.2f %12.1f %9.2f\n", ordenes[k].first.c_str(), mejor[k].cpu,
                        mejor[k].cpu / mejor[0].cpu, mejor[k].picoMiB, mejor[k].picoMiB / mib);
    }
    fs::remove_all(dir);
    return 0;
}
