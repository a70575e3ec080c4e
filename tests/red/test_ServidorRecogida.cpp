// The campaign's server over real connections on the loopback address, with
// small limits: connections, sizes and time, HEAD, and what is pending when
// it stops; and `recoger` refusing to start where it could not store.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <future>
#include <optional>
#include <sstream>

#include "cli/ComandoRecoger.h"
#include "cli/Comun.h"
#include "red/ServidorRecogida.h"
#include "support/ArchivosMemoria.h"

using namespace koral;
using namespace koral::red;
using namespace std::chrono_literals;

namespace {

const std::string kRuta = "/e/empresa.kr2";
const std::string kCodigo = "123456";

// A client connection from 127.0.0.`desde`, blocking, as another device's.
class Conexion {
public:
    Conexion(quint16 puerto, int desde = 1)
        : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        timeval plazo{10, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &plazo, sizeof plazo);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl((127u << 24) | static_cast<unsigned>(desde));
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        a.sin_port = htons(puerto);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        conectada_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~Conexion() { ::close(fd_); }
    Conexion(const Conexion&) = delete;
    Conexion& operator=(const Conexion&) = delete;

    void enviar(const std::string& texto) {
        [[maybe_unused]] const auto n = ::send(fd_, texto.data(), texto.size(), MSG_NOSIGNAL);
    }
    // What arrives until the server closes (a reset included); nothing when
    // it has not closed within 10 s.
    std::optional<std::string> leerHastaCierre() {
        if (!conectada_) return std::nullopt;
        std::string leido;
        char buf[4096];
        for (;;) {
            const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n > 0) {
                leido.append(buf, static_cast<std::size_t>(n));
                continue;
            }
            if (n == 0 || errno == ECONNRESET) return leido;
            return std::nullopt;
        }
    }
    // The whole exchange for one request.
    static std::string pedir(quint16 puerto, const std::string& texto, int desde = 1) {
        Conexion c(puerto, desde);
        c.enviar(texto);
        return c.leerHastaCierre().value_or("sin cerrar");
    }

private:
    int fd_;
    bool conectada_ = false;
};

std::string respuestaCompleta(const std::string& codigo) {
    std::string cuerpo = "codigo=" + codigo;
    for (int i = 1; i <= kNumItems; ++i) cuerpo += "&r" + std::to_string(i) + "=1";
    return cuerpo;
}

std::string post(const std::string& cuerpo) {
    return "POST /enviar HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
           std::to_string(cuerpo.size()) + "\r\n\r\n" + cuerpo;
}

const std::string kGet = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";

std::string estado(const std::string& respuesta) {
    return respuesta.substr(0, respuesta.find("\r\n"));
}

// A stream whose writes all fail, as standard output on a full device.
class SalidaLlena : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

struct ServidorRecogida : ::testing::Test {
    static void SetUpTestSuite() {
        static int argc = 1;
        static char nombre[] = "test_ServidorRecogida";
        static char* argv[] = {nombre, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }

    ServidorRecogida() {
        doc.iniciarEmpresa("Talleres");
        doc.archivo = kRuta;
        doc.guardarArchivo();
        guardada = fs.archivos.at(kRuta);
    }

    quint16 iniciar(const LimitesConexion& l) {
        Campana c;
        c.codigo = kCodigo;
        servidor = std::make_unique<TServidorRecogida>(doc, c);
        servidor->limites = l;
        EXPECT_TRUE(servidor->iniciar(QHostAddress(QHostAddress::LocalHost), 0));
        return servidor->puerto();
    }

    // Runs `cliente` on a thread of its own while this one serves, until it
    // is done or `basta` says so; its result.
    template <class F>
    static auto mientras(
        F cliente, const std::function<bool()>& basta = [] { return false; }) {
        auto hecho = std::async(std::launch::async, cliente);
        // A wake-up posted by the client could arrive before its result is
        // ready and leave the loop waiting for ever: a timer wakes it instead.
        QTimer despertador;
        despertador.start(5);
        while (hecho.wait_for(0s) != std::future_status::ready && !basta())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return hecho;
    }

    prueba::ArchivosMemoria fs;
    TKoral doc;
    std::string guardada;
    std::unique_ptr<TServidorRecogida> servidor;
};

TEST_F(ServidorRecogida, ConnectionsOverTheLimitsAreRefusedOrMakeRoomWhileOthersAreServed) {
    LimitesConexion l;
    l.conexiones = 3;
    l.conexionesPorDireccion = 2;
    const quint16 puerto = iniciar(l);
    const auto r =
        mientras([puerto] {
            std::vector<std::string> r;
            Conexion a(puerto), b(puerto);  // idle, from one address
            r.push_back(estado(Conexion::pedir(puerto, kGet)));
            Conexion e(puerto, 2);  // idle, the total reached
            r.push_back(estado(Conexion::pedir(puerto, kGet, 3)));
            r.push_back(a.leerHastaCierre().value_or("sin cerrar"));  // the oldest made room
            return r;
        }).get();
    EXPECT_EQ(
        r, (std::vector<std::string>{"HTTP/1.1 503 Service Unavailable", "HTTP/1.1 200 OK", ""}));
}

TEST_F(ServidorRecogida, AnOversizedRequestGets400AndStoresNothing) {
    LimitesConexion l;
    l.bytesPorConexion = 2048;
    const quint16 puerto = iniciar(l);
    // An answer that would be accepted but for the header that pads it.
    std::string peticion = post(respuestaCompleta(kCodigo));
    peticion.insert(peticion.find("\r\n") + 2, "X-Relleno: " + std::string(2048, 'x') + "\r\n");
    const std::string r = mientras([&] { return Conexion::pedir(puerto, peticion); }).get();
    EXPECT_EQ(estado(r), "HTTP/1.1 400 Bad Request");
    EXPECT_TRUE(doc.cuestionarios.empty());
    EXPECT_EQ(fs.archivos.at(kRuta), guardada);
}

TEST_F(ServidorRecogida, AStalledClientIsDroppedAfterTheTerm) {
    LimitesConexion l;
    l.plazoMs = 200;
    const quint16 puerto = iniciar(l);
    const auto r = mientras([puerto] {
                       Conexion c(puerto);
                       c.enviar("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n");
                       return c.leerHastaCierre();
                   }).get();
    EXPECT_EQ(r, std::string());
}

TEST_F(ServidorRecogida, HeadGetsTheHeadersWithTheBodysLengthAndNoBody) {
    const quint16 puerto = iniciar({});
    const std::string r = mientras([puerto] {
                              return Conexion::pedir(puerto, "HEAD / HTTP/1.1\r\nHost: x\r\n\r\n");
                          }).get();
    const auto fin = r.find("\r\n\r\n");
    ASSERT_NE(fin, std::string::npos) << r;
    EXPECT_EQ(fin + 4, r.size()) << "a body follows";
    const auto k = r.find("Content-Length: ");
    ASSERT_NE(k, std::string::npos);
    EXPECT_GT(std::atoi(r.c_str() + k + 16), 0);
}

// Stopped when the answer has joined the batch, before the batch is saved;
// the server is gone right after, as in a process that ends.
TEST_F(ServidorRecogida, AnAnswerPendingWhenTheServerStopsGetsItsResponse) {
    const quint16 puerto = iniciar({});
    struct Parada : QObject {
        TServidorRecogida* s;
        bool hecha = false;
        explicit Parada(TServidorRecogida* servidor) : s(servidor) {}
        bool eventFilter(QObject*, QEvent* e) override {
            // The batch's closing, queued by the answer.
            if (hecha || e->type() != QEvent::MetaCall || s->recogida().pendientes() == 0)
                return false;
            hecha = true;
            s->removeEventFilter(this);
            s->terminar();
            return true;
        }
    } parada(servidor.get());
    servidor->installEventFilter(&parada);
    auto respuesta =
        mientras([puerto] { return Conexion::pedir(puerto, post(respuestaCompleta(kCodigo))); },
                 [&] { return parada.hecha; });
    ASSERT_TRUE(parada.hecha);
    servidor.reset();
    const std::string r = estado(respuesta.get());
    EXPECT_EQ(r, "HTTP/1.1 303 See Other");
    EXPECT_EQ(doc.cuestionarios.size(), 1u);
}

// Refused with an error before the address and code are shown: where the
// company cannot be written, when they cannot be shown, and for an empty
// address. Started otherwise, and stopped by a SIGTERM.
TEST_F(ServidorRecogida, RecogerRefusesToStartWhereItCouldNotStoreOrShowTheCode) {
    const auto recoger = [](std::ostream& salida, std::vector<std::string> mas = {}) {
        std::vector<std::string> args{"recoger",  kRuta, "--direccion", "127.0.0.1",
                                      "--puerto", "0",   "--codigo",    kCodigo};
        args.insert(args.end(), mas.begin(), mas.end());
        QTimer parar;  // reached only once serving
        QObject::connect(&parar, &QTimer::timeout, [] { std::raise(SIGTERM); });
        parar.start(0);
        std::ostringstream errores;
        try {
            return "exit " + std::to_string(cli::comandoRecoger(args, salida, errores));
        } catch (const cli::ErrorComando& e) {
            return e.mensaje;
        }
    };
    std::ostringstream salida;
    EXPECT_EQ(recoger(salida), "exit 0");
    EXPECT_EQ(salida.str().rfind("URL: http://127.0.0.1:", 0), 0u) << salida.str();

    salida.str("");
    EXPECT_EQ(recoger(salida, {"--direccion", ""}), "dirección no válida");
    fs.soloLecturas.insert(kRuta);
    EXPECT_EQ(recoger(salida).rfind("no se pueden guardar las respuestas", 0), 0u);
    fs.soloLecturas.clear();
    fs.fallarAlCrear = true;
    EXPECT_EQ(recoger(salida).rfind("no se pueden guardar las respuestas", 0), 0u);
    fs.fallarAlCrear = false;
    EXPECT_EQ(salida.str(), "");
    SalidaLlena llena;
    std::ostream sinSitio(&llena);
    EXPECT_EQ(recoger(sinSitio), "no se pudo escribir la salida estándar");
    EXPECT_EQ(fs.archivos.at(kRuta), guardada);
}

}  // namespace
