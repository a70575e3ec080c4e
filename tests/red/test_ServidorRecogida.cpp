// The campaign's server over real connections on the loopback address, with
// small limits: connections, sizes and time, HEAD, and what is pending when
// it stops; and `recoger` refusing to start where it could not store, and
// keeping its campaign in the companion file.
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
#include "document/Acompanante.h"
#include "document/Campana.h"
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

// The campaign is kept in the companion file with its single-use codes as
// hashes only, their used marks and the questionnaires collected, and goes
// on with --continuar after a SIGTERM. Nothing starts for a bad groups file,
// nothing to continue, or a companion file that could not be read.
TEST_F(ServidorRecogida, RecogerKeepsItsCampaignToBeContinued) {
    for (const auto& g : {"Producción"_cp, "Calidad"_cp, "Mañana"_cp}) doc.agregarGrupo(g);
    doc.guardarArchivo();
    const std::string grupos = "/e/campana.json", companero = rutaAcompanante(kRuta);
    // Runs the command; `cliente` gets its port and output once it serves,
    // on a thread of its own, and a SIGTERM follows.
    const auto recoger = [](std::vector<std::string> mas,
                            std::function<void(quint16, const std::string&)> cliente = {}) {
        std::vector<std::string> args{"recoger",   kRuta,      "--direccion",
                                      "127.0.0.1", "--puerto", "0"};
        args.insert(args.end(), mas.begin(), mas.end());
        std::ostringstream salida, errores;
        std::future<void> hecho;
        QTimer arrancar;  // reached only once serving
        arrancar.setSingleShot(true);
        QObject::connect(&arrancar, &QTimer::timeout, [&] {
            const std::string s = salida.str();
            const auto puerto = static_cast<quint16>(std::stoi(s.substr(s.find(':', 12) + 1)));
            hecho = std::async(std::launch::async, [cliente, puerto, s] {
                if (cliente) cliente(puerto, s);
                std::raise(SIGTERM);
            });
        });
        arrancar.start(0);
        std::string r;
        try {
            r = "exit " + std::to_string(cli::comandoRecoger(args, salida, errores));
        } catch (const cli::ErrorComando& e) {
            r = e.mensaje;
        }
        if (hecho.valid()) hecho.get();
        return std::make_pair(r, salida.str() + errores.str());
    };
    const auto campana = [&] {
        TAcompanante a;
        a.leer(doc);
        return std::make_pair(campanaGuardada(a), recogidos(a));
    };

    fs.archivos[grupos] = R"({"preguntas":[{"pregunta":"Departamento","grupos":["Producción"]},)"
                          R"({"pregunta":"Turno","grupos":["Mañana","Producción"]}]})";
    EXPECT_EQ(recoger({"--grupos", grupos}).first.rfind("el archivo de grupos", 0), 0u);
    fs.archivos[grupos] = R"({"preguntas":[{"pregunta":"Turno","grupos":["Noche"]}]})";
    EXPECT_EQ(recoger({"--grupos", grupos}).first.rfind("el archivo de grupos", 0), 0u);
    EXPECT_EQ(recoger({"--continuar"}).first, "la empresa no tiene una campaña que continuar");
    EXPECT_EQ(recoger({"--continuar", "--codigos", "3"}).first, "exit 2");
    EXPECT_EQ(fs.archivos.count(companero), 0u);

    fs.archivos[grupos] = R"({"preguntas":[{"pregunta":"Departamento",)"
                          R"("grupos":["Producción","Calidad"]}]})";
    std::vector<std::string> codigos;
    const auto [primera, textos] =
        recoger({"--codigos", "3", "--grupos", grupos}, [&](quint16 puerto, const std::string& s) {
            std::istringstream lineas(s.substr(s.find("Códigos:\n") + 10));
            for (std::string c; std::getline(lineas, c);) codigos.push_back(c);
            EXPECT_EQ(estado(Conexion::pedir(
                          puerto, post(respuestaCompleta(codigos.at(0)) + "&grupo=Calidad"))),
                      "HTTP/1.1 303 See Other");
        });
    EXPECT_EQ(primera, "exit 0");
    EXPECT_NE(textos.find("Atención: el cuestionario viaja sin cifrar"), std::string::npos);
    ASSERT_EQ(codigos.size(), 3u);
    for (const auto& c : codigos) EXPECT_EQ(fs.archivos.at(companero).find(c), std::string::npos);
    auto [guardada, ids] = campana();
    ASSERT_TRUE(guardada);
    EXPECT_EQ(guardada->preguntas.at(0).grupos.size(), 2u);
    EXPECT_EQ(guardada->recibidas, 1);
    EXPECT_EQ(ids.size(), 1u);

    const auto segunda = recoger({"--continuar"}, [&](quint16 puerto, const std::string&) {
        EXPECT_EQ(estado(Conexion::pedir(puerto, post(respuestaCompleta(codigos[0])))),
                  "HTTP/1.1 403 Forbidden");
        EXPECT_EQ(estado(Conexion::pedir(puerto, post(respuestaCompleta(codigos[2])))),
                  "HTTP/1.1 303 See Other");
    });
    EXPECT_EQ(segunda.first, "exit 0");
    EXPECT_NE(segunda.second.find("Códigos sin usar: 2 de 3"), std::string::npos);
    std::tie(guardada, ids) = campana();
    ASSERT_TRUE(guardada);
    EXPECT_EQ(guardada->recibidas, 2);
    EXPECT_EQ(std::count_if(guardada->codigos.begin(), guardada->codigos.end(),
                            [](const TCodigoIndividual& c) { return c.usado; }),
              2);
    EXPECT_EQ(ids.size(), 2u);
    TKoral leida;
    leida.leerArchivo(kRuta);
    EXPECT_EQ(leida.cuestionarios.size(), 2u);

    fs.archivos[companero] = "{";
    EXPECT_EQ(recoger({}).first.rfind("no se puede usar el archivo complementario", 0), 0u);
    EXPECT_EQ(fs.archivos.at(companero), "{");
}

}  // namespace
