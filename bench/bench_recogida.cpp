// Workers answering at once on the loopback address through `koral20-cli
// recoger`, into a company of 1,000 questionnaires: answers per second, every
// acknowledged answer stored exactly once. BM_RecogerMatando kills the server
// (SIGKILL) half-way through: the company file must still read whole, with
// every answer acknowledged before the kill, each once; `sinRespuesta` counts
// those stored whose worker got no response. BM_RecogerTerminando stops it
// (SIGTERM) half-way through: every answer stored must have had its response.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "GenerarEmpresa.h"
#include "document/UData.h"

using namespace koral;
namespace fs = std::filesystem;

namespace {

constexpr const char* kCodigo = "13579246";
constexpr int kCifras = 12;  // items that carry a worker's number, in base 3

// Each worker's answers spell its number, so that every stored
// questionnaire says whose it is.
std::string respuestas(int numero) {
    std::string r(kNumItems, '1');
    for (int i = 0; i < kCifras; ++i, numero /= 3) r[i] = static_cast<char>('1' + numero % 3);
    return r;
}

int numeroDe(const Respuestas& r) {
    int n = 0;
    for (int i = kCifras - 1; i >= 0; --i) n = n * 3 + (r[i] - '1');
    return n;
}

// One request on its own connection from loopback address 127.0.1.`origen`
// (each worker its own, as each phone has: the server limits connections
// per address); the status, or 0 when there was none.
int peticion(int puerto, const std::string& texto, int origen) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return 0;
    timeval plazo{30, 0};
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &plazo, sizeof plazo);
    sockaddr_in desde{};
    desde.sin_family = AF_INET;
    desde.sin_addr.s_addr =
        htonl((127u << 24) | (1u << 8) | static_cast<unsigned>(origen % 254 + 1));
    ::bind(s, reinterpret_cast<sockaddr*>(&desde), sizeof desde);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(puerto));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string leido;
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::send(s, texto.data(), texto.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(texto.size())) {
        char buf[16384];
        for (ssize_t n; (n = ::recv(s, buf, sizeof buf, 0)) > 0;) leido.append(buf, n);
    }
    ::close(s);
    if (leido.size() < 12 || leido.rfind("HTTP/1.", 0) != 0) return 0;
    return std::atoi(leido.c_str() + 9);
}

struct Servidor {
    pid_t pid = -1;
    int puerto = 0;
};

Servidor arrancar(const std::string& empresa) {
    int tubo[2];
    if (::pipe(tubo) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(tubo[1], 1);
        ::close(tubo[0]);
        ::execl(KORAL_CLI, KORAL_CLI, "recoger", empresa.c_str(), "--direccion", "127.0.0.1",
                "--puerto", "0", "--codigo", kCodigo, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(tubo[1]);
    std::string salida;
    char c;
    while (salida.find("Código") == std::string::npos && ::read(tubo[0], &c, 1) == 1) salida += c;
    ::close(tubo[0]);
    const auto k = salida.find("127.0.0.1:");
    return {pid, k == std::string::npos ? 0 : std::atoi(salida.c_str() + k + 10)};
}

// `trabajadores` workers each fetch the form and send an answer, `total` in
// all; with `matarTras`, the server gets `senal` once that many are
// acknowledged.
void recoger(benchmark::State& state, int matarTras, int senal = SIGKILL) {
    const int trabajadores = static_cast<int>(state.range(0));
    const int total = static_cast<int>(state.range(1));
    const fs::path dir = fs::temp_directory_path() / ("koral_recogida_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string empresa = (dir / "empresa.kr2").string();
    std::mt19937 azar(static_cast<unsigned>(getpid()));
    int menosSinRespuesta = total, masSinRespuesta = 0;
    for (auto _ : state) {
        const int demora = static_cast<int>(azar() % 40000);
        {
            TKoral doc;
            banco::generarEmpresa(doc, 1000);
            doc.archivo = empresa;
            doc.guardarArchivo();
        }
        const Servidor srv = arrancar(empresa);
        if (srv.puerto == 0) {
            state.SkipWithError("recoger did not start");
            break;
        }
        std::vector<char> reconocidas(static_cast<std::size_t>(total), 0);
        std::atomic<int> siguiente{0}, hechas{0};
        std::atomic<bool> muerto{false};
        const std::string get = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
        const auto inicio = std::chrono::steady_clock::now();
        std::vector<std::thread> hilos;
        for (int t = 0; t < trabajadores; ++t)
            hilos.emplace_back([&, t] {
                for (int n; (n = siguiente++) < total;) {
                    if (peticion(srv.puerto, get, t) != 200) continue;
                    std::string cuerpo = std::string("codigo=") + kCodigo;
                    const std::string r = respuestas(n);
                    for (int i = 0; i < kNumItems; ++i)
                        cuerpo +=
                            "&r" + std::to_string(i + 1) + "=" + r[static_cast<std::size_t>(i)];
                    const std::string post =
                        "POST /enviar HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                        "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                        std::to_string(cuerpo.size()) + "\r\n\r\n" + cuerpo;
                    // The thanks page, or a redirection to it.
                    const int estado = peticion(srv.puerto, post, t);
                    if (estado != 200 && estado != 303) continue;
                    reconocidas[static_cast<std::size_t>(n)] = 1;
                    if (++hechas == matarTras && !muerto.exchange(true)) {
                        // At some instant of the saves that follow, not just after one.
                        std::this_thread::sleep_for(std::chrono::microseconds(demora));
                        ::kill(srv.pid, senal);
                    }
                }
            });
        for (auto& h : hilos) h.join();
        const double segundos =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
        int estado = 0;
        if (!muerto) ::kill(srv.pid, SIGTERM);
        ::waitpid(srv.pid, &estado, 0);
        state.SetIterationTime(segundos);
        if ((!muerto || senal != SIGKILL) && !(WIFEXITED(estado) && WEXITSTATUS(estado) == 0))
            state.SkipWithError("recoger did not end with exit 0");

        // Whole, and every acknowledged answer in it once.
        std::vector<std::string> avisos;
        TKoral leida([&](const std::string& a) { avisos.push_back(a); });
        leida.leerArchivo(empresa);
        std::vector<int> veces(static_cast<std::size_t>(total), 0);
        for (std::size_t i = 1000; i < leida.cuestionarios.size(); ++i) {
            const int n = numeroDe(leida.cuestionarios[i]->respuestas);
            if (n >= 0 && n < total) ++veces[static_cast<std::size_t>(n)];
        }
        int guardadas = 0, perdidas = 0, dobles = 0;
        for (int n = 0; n < total; ++n) {
            guardadas += veces[static_cast<std::size_t>(n)] > 0;
            dobles += veces[static_cast<std::size_t>(n)] > 1;
            perdidas +=
                reconocidas[static_cast<std::size_t>(n)] && veces[static_cast<std::size_t>(n)] == 0;
        }
        if (!avisos.empty() || perdidas || dobles ||
            leida.cuestionarios.size() != 1000u + static_cast<std::size_t>(guardadas))
            state.SkipWithError("the company file lost, doubled or garbled answers");
        const int sinRespuesta = guardadas - hechas.load();
        if (senal != SIGKILL && sinRespuesta != 0)
            state.SkipWithError("answers stored at SIGTERM got no response");
        state.counters["reconocidas"] = hechas.load();
        state.counters["guardadas"] = guardadas;
        state.counters["respuestas/s"] = hechas.load() / segundos;
        menosSinRespuesta = std::min(menosSinRespuesta, sinRespuesta);
        masSinRespuesta = std::max(masSinRespuesta, sinRespuesta);
    }
    // Over every trial, not just the last.
    state.counters["sinRespuestaMin"] = menosSinRespuesta;
    state.counters["sinRespuestaMax"] = masSinRespuesta;
    fs::remove_all(dir);
}

void BM_Recoger(benchmark::State& state) {
    recoger(state, -1);
}

void BM_RecogerMatando(benchmark::State& state) {
    recoger(state, static_cast<int>(state.range(1) / 2));
}

void BM_RecogerTerminando(benchmark::State& state) {
    recoger(state, static_cast<int>(state.range(1) / 2), SIGTERM);
}

BENCHMARK(BM_Recoger)
    ->Args({200, 2000})
    ->Args({1, 200})  // one at a time: a save per answer
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_RecogerMatando)
    ->Args({200, 2000})
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_RecogerTerminando)
    ->Args({200, 2000})
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
