#include "cli/ComandoRecoger.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <ostream>

#include "cli/Comun.h"
#include "platform/Bloqueo.h"
#include "platform/Dialogos.h"
#include "red/ServidorRecogida.h"

namespace koral::cli {

using red::Campana;
using red::codigoAleatorio;
using red::interfacesLocales;
using red::kMaxCodigo;
using red::TServidorRecogida;

namespace {

constexpr quint16 kPuertoPorDefecto = 8080;

// SIGINT and SIGTERM end the command through the event loop: the handler
// only writes a byte that the loop reads.
int gTuberia[2] = {-1, -1};

extern "C" void alRecibirSenal(int) {
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(gTuberia[1], &c, 1);
}

class Senales {
public:
    Senales() {
        if (::pipe2(gTuberia, O_CLOEXEC | O_NONBLOCK) != 0)
            throw ErrorComando{"no se pueden atender las señales de terminación"};
        struct sigaction sa {};
        sa.sa_handler = alRecibirSenal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &sa, &int_);
        ::sigaction(SIGTERM, &sa, &term_);
    }
    ~Senales() {
        ::sigaction(SIGINT, &int_, nullptr);
        ::sigaction(SIGTERM, &term_, nullptr);
        ::close(gTuberia[0]);
        ::close(gTuberia[1]);
        gTuberia[0] = gTuberia[1] = -1;
    }
    int lectura() const { return gTuberia[0]; }

private:
    struct sigaction int_ {};
    struct sigaction term_ {};
};

quint16 leerPuerto(const std::string& texto) {
    if (texto.empty() || texto.size() > 5 ||
        texto.find_first_not_of("0123456789") != std::string::npos || std::stoi(texto) > 65535)
        throw ErrorComando{"puerto no válido: " + texto};
    return static_cast<quint16>(std::stoi(texto));
}

// What a worker can type: 6 to 64 bytes, no control characters, no blanks
// at either end (those are dropped from what is typed).
void comprobarCodigo(const std::string& codigo) {
    bool control = false;
    for (unsigned char c : codigo) control = control || c < 0x20 || c == 0x7f;
    if (codigo.size() < 6 || codigo.size() > kMaxCodigo || control || codigo.front() == ' ' ||
        codigo.back() == ' ')
        throw ErrorComando{
            "el código debe tener de 6 a 64 caracteres, sin blancos al principio ni al final"};
}

QHostAddress leerDireccion(const std::string& texto) {
    if (texto.empty()) throw ErrorComando{"dirección no válida"};
    QHostAddress d;
    if (!d.setAddress(QString::fromStdString(texto)))
        throw ErrorComando{"dirección no válida: " + texto};
    // Serving on every address at once would reach networks not chosen.
    const QHostAddress todas[] = {QHostAddress(QHostAddress::AnyIPv4),
                                  QHostAddress(QHostAddress::AnyIPv6)};
    if (std::find(std::begin(todas), std::end(todas), d) != std::end(todas))
        throw ErrorComando{"dirección no válida: " + texto +
                           " (debe ser la de una interfaz de red)"};
    return d;
}

}  // namespace

int comandoRecoger(const std::vector<std::string>& args, std::ostream& salida,
                   std::ostream& errores) {
    std::string archivo, direccion, codigo, puerto;
    bool hayPuerto = false, hayDireccion = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool valor = i + 1 < args.size();
        if (a == "--direccion" && valor) {
            direccion = args[++i];
            hayDireccion = true;
        } else if (a == "--puerto" && valor) {
            puerto = args[++i];
            hayPuerto = true;
        } else if (a == "--codigo" && valor) {
            codigo = args[++i];
            if (codigo.empty()) codigo = " ";  // refused below, not replaced by a random one
        } else if (a.rfind("--", 0) == 0 || !archivo.empty()) {
            return 2;
        } else {
            archivo = a;
        }
    }
    if (archivo.empty()) return 2;
    const quint16 numero = hayPuerto ? leerPuerto(puerto) : kPuertoPorDefecto;
    if (codigo.empty())
        codigo = codigoAleatorio(8);
    else
        comprobarCodigo(codigo);
    std::unique_ptr<QCoreApplication> aplicacion;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char nombre[] = "koral20-cli";
        static char* argv[] = {nombre, nullptr};
        aplicacion = std::make_unique<QCoreApplication>(argc, argv);
        // The library's notes on odd requests are not the assessor's business,
        // and nothing about a worker is to be written anywhere.
        qInstallMessageHandler([](QtMsgType tipo, const QMessageLogContext&, const QString& t) {
            if (tipo >= QtCriticalMsg) std::fprintf(stderr, "%s\n", t.toLocal8Bit().constData());
        });
    }
    Senales senales;
    QHostAddress ip;
    if (hayDireccion) {
        ip = leerDireccion(direccion);
    } else {
        const auto interfaces = interfacesLocales();
        ip = interfaces.empty() ? QHostAddress(QHostAddress::LocalHost) : interfaces[0].direccion;
    }

    const auto bloqueo = tomarBloqueoSinPreguntar(archivo);
    TKoral doc(Mensaje);
    leerExistente(doc, archivo);
    // Every answer is saved as it comes: a campaign that could not save
    // would take answers only to lose them. A file made and removed beside
    // the company shows it, where the permission bits alone may not.
    try {
        Reemplazo prueba(archivo);
    } catch (const ErrorArchivo& e) {
        throw ErrorComando{"no se pueden guardar las respuestas (" + cp1252AUtf8(e.what()) + ")"};
    }
    Campana campana;
    campana.codigo = codigo;
    for (const auto& g : doc.grupos) campana.grupos.push_back(g->nombre);

    TServidorRecogida servidor(doc, campana);
    QObject::connect(&servidor, &TServidorRecogida::guardadoFallido, [&errores](const QString& m) {
        errores << "Atención: " << m.toStdString() << '\n' << std::flush;
    });
    QString error;
    bool enMarcha = servidor.iniciar(ip, numero, &error);
    // The usual port may be taken; then any free one (the URL says which).
    if (!enMarcha && !hayPuerto) enMarcha = servidor.iniciar(ip, 0, &error);
    if (!enMarcha)
        throw ErrorComando{"no se puede servir en " + ip.toString().toStdString() + ": " +
                           error.toStdString()};

    QSocketNotifier aviso(senales.lectura(), QSocketNotifier::Read);
    QObject::connect(&aviso, &QSocketNotifier::activated, [&servidor] {
        servidor.terminar();
        QCoreApplication::quit();
    });
    salida << "URL: " << servidor.url().toStdString() << '\n'
           << "Código: " << codigo << '\n'
           << std::flush;
    // A campaign whose code nobody saw is refused before it takes anything.
    if (salida.fail()) throw ErrorComando{"no se pudo escribir la salida estándar"};
    QCoreApplication::exec();
    servidor.terminar();
    return 0;
}

}  // namespace koral::cli
