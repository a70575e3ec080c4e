#include "cli/ComandoRecoger.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>

#include "cli/Comun.h"
#include "document/Acompanante.h"
#include "document/Campana.h"
#include "document/DatosEvaluacion.h"
#include "platform/Bloqueo.h"
#include "platform/Dialogos.h"
#include "platform/Fecha.h"
#include "red/ServidorRecogida.h"

namespace koral::cli {

using red::Campana;
using red::codigoAleatorio;
using red::codigosAleatorios;
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

constexpr int kMaxCodigos = 10000;
constexpr int kCifrasCodigo = 8;
constexpr std::size_t kMaxArchivoGrupos = std::size_t{1} << 20;

int leerCuantosCodigos(const std::string& texto) {
    if (texto.empty() || texto.size() > 5 ||
        texto.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(texto) > kMaxCodigos || std::stoi(texto) < 1)
        throw ErrorComando{"número de códigos no válido: " + texto + " (de 1 a 10000)"};
    return std::stoi(texto);
}

// The groups offered, arranged in questions, from a JSON file (UTF-8):
// {"preguntas":[{"pregunta":"Departamento","grupos":["Producción", ...]}, ...]}.
std::vector<TPreguntaGrupos> leerPreguntas(const std::string& ruta, const TKoral& doc) {
    const auto fallo = [&ruta](const std::string& por) {
        return ErrorComando{"el archivo de grupos " + ruta + " no vale: " + por};
    };
    std::string texto;
    try {
        if (archivos().tipo(ruta) != TipoArchivo::regular) throw fallo("no existe");
        if (archivos().abrirLectura(ruta)->tamano() > kMaxArchivoGrupos)
            throw fallo("es demasiado grande");
        texto = archivos().leerTodo(ruta);
    } catch (const ErrorArchivo& e) {
        throw fallo(cp1252AUtf8(e.what()));
    }
    const auto json = nlohmann::json::parse(texto, nullptr, false);
    if (json.is_discarded() || !json.is_object()) throw fallo("no es JSON");
    const auto it = json.find("preguntas");
    if (it == json.end() || !it->is_array() || it->empty())
        throw fallo("le falta la lista \"preguntas\"");
    std::vector<TPreguntaGrupos> preguntas;
    std::set<std::string> vistos, nombres;
    for (const auto& p : *it) {
        if (!p.is_object() || !p.contains("pregunta") || !p["pregunta"].is_string() ||
            !p.contains("grupos") || !p["grupos"].is_array())
            throw fallo("cada pregunta lleva \"pregunta\" y \"grupos\"");
        const std::string nombre = p["pregunta"].get<std::string>();
        TPreguntaGrupos pregunta;
        if (nombre.empty() || !utf8ACp1252(nombre, pregunta.pregunta))
            throw fallo("pregunta sin nombre o con caracteres que no admite el programa");
        if (!nombres.insert(pregunta.pregunta).second)
            throw fallo("la pregunta \"" + nombre + "\" está dos veces");
        if (p["grupos"].empty())
            throw fallo("la pregunta \"" + nombre + "\" no ofrece ningún grupo");
        for (const auto& g : p["grupos"]) {
            std::string cp;
            if (!g.is_string() || !utf8ACp1252(g.get<std::string>(), cp) || !doc.buscarGrupo(cp))
                throw fallo("\"" + (g.is_string() ? g.get<std::string>() : g.dump()) +
                            "\" no es un grupo de la empresa");
            if (!vistos.insert(cp).second)
                throw fallo("el grupo \"" + g.get<std::string>() +
                            "\" está en más de una pregunta");
            pregunta.grupos.push_back(cp);
        }
        preguntas.push_back(std::move(pregunta));
    }
    return preguntas;
}

}  // namespace

int comandoRecoger(const std::vector<std::string>& args, std::ostream& salida,
                   std::ostream& errores) {
    std::string archivo, direccion, codigo, puerto, archivoGrupos, cuantos;
    bool hayPuerto = false, hayDireccion = false, continuar = false;
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
        } else if (a == "--grupos" && valor) {
            archivoGrupos = args[++i];
            if (archivoGrupos.empty()) return 2;
        } else if (a == "--codigos" && valor) {
            cuantos = args[++i];
            if (cuantos.empty()) cuantos = " ";  // refused below
        } else if (a == "--continuar" && !continuar) {
            continuar = true;
        } else if (a.rfind("--", 0) == 0 || !archivo.empty()) {
            return 2;
        } else {
            archivo = a;
        }
    }
    if (archivo.empty()) return 2;
    // A continued campaign is the one kept; single-use codes replace the
    // campaign code.
    if (continuar && (!codigo.empty() || !archivoGrupos.empty() || !cuantos.empty())) return 2;
    if (!codigo.empty() && !cuantos.empty()) return 2;
    const quint16 numero = hayPuerto ? leerPuerto(puerto) : kPuertoPorDefecto;
    const int nCodigos = cuantos.empty() ? 0 : leerCuantosCodigos(cuantos);
    if (!codigo.empty()) comprobarCodigo(codigo);
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
    // The campaign lives in the companion file: one that could not be read
    // is neither continued nor overwritten by a new one.
    TAcompanante acompanante;
    acompanante.leer(doc);
    if (acompanante.protegido())
        throw ErrorComando{"no se puede usar el archivo complementario " +
                           rutaAcompanante(archivo) +
                           " (dañado o de una versión posterior); no se ha empezado la recogida"};
    TCampanaGuardada guardada;
    std::vector<std::string> codigos;  // only to be shown, never kept
    if (continuar) {
        auto previa = campanaGuardada(acompanante);
        if (!previa) throw ErrorComando{"la empresa no tiene una campaña que continuar"};
        guardada = std::move(*previa);
        for (const auto& p : guardada.preguntas)
            for (const auto& g : p.grupos)
                if (!doc.buscarGrupo(g))
                    throw ErrorComando{"el grupo \"" + cp1252AUtf8(g) +
                                       "\" de la campaña ya no está en la empresa"};
        // With single-use codes the campaign code is never typed, but the
        // collection needs one all the same.
        if (!guardada.codigos.empty() && guardada.codigo.empty())
            guardada.codigo = codigoAleatorio(kCifrasCodigo);
        comprobarCodigo(guardada.codigo);
    } else {
        if (!archivoGrupos.empty()) guardada.preguntas = leerPreguntas(archivoGrupos, doc);
        guardada.codigo = codigo.empty() ? codigoAleatorio(kCifrasCodigo) : codigo;
        if (nCodigos > 0) {
            codigos = codigosAleatorios(nCodigos, kCifrasCodigo);
            guardada.sal = red::salAleatoria();
            guardada.codigos = red::codigosConHash(guardada.sal, codigos);
        }
        guardada.empezada = fechaHoy();
    }

    Campana campana;
    campana.codigo = guardada.codigo;
    campana.preguntas = guardada.preguntas;
    campana.aviso = guardada.aviso;
    if (guardada.preguntas.empty())
        for (const auto& g : doc.grupos) campana.grupos.push_back(g->nombre);
    else
        for (const auto& p : guardada.preguntas)
            campana.grupos.insert(campana.grupos.end(), p.grupos.begin(), p.grupos.end());

    // Groups so small that their profiles could point at someone.
    const TDatosEvaluacion datos = datosEvaluacion(acompanante);
    for (const auto& g : campana.grupos) {
        const int n = datos.trabajadoresGrupo(g);
        if (n > 0 && n < datos.minimo)
            errores << "Atención: el grupo \"" << cp1252AUtf8(g) << "\" tiene " << n
                    << (n == 1 ? " trabajador" : " trabajadores") << " en la plantilla (menos de "
                    << datos.minimo << "); sus respuestas podrían identificar a alguien.\n";
    }
    errores << "Atención: el cuestionario viaja sin cifrar (HTTP); use solo una red de "
               "confianza.\n"
            << std::flush;

    TServidorRecogida servidor(doc, campana);
    if (!guardada.codigos.empty())
        servidor.recogida().fijarCodigosIndividuales(guardada.sal, guardada.codigos);
    const int recibidasAntes = guardada.recibidas;
    // The campaign as it moves, kept right after each save of the company.
    const auto guardarCampana = [&] {
        guardada.codigos = servidor.recogida().codigosIndividuales();
        guardada.recibidas = recibidasAntes + servidor.recogida().guardadas();
        ponerCampana(acompanante, guardada);
        acompanante.guardar(doc);
    };
    servidor.recogida().alGuardarLote = [&](const std::vector<std::int32_t>& ids) {
        try {
            anadirRecogidos(acompanante, guardada, ids);
            guardarCampana();
        } catch (const ErrorArchivo& e) {
            errores << "Atención: las respuestas se han guardado, pero no el archivo "
                       "complementario ("
                    << cp1252AUtf8(e.what()) << ")\n"
                    << std::flush;
        }
    };
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
    salida << "URL: " << servidor.url().toStdString() << '\n';
    if (guardada.codigos.empty()) {
        salida << "Código: " << guardada.codigo << '\n';
    } else if (continuar) {
        salida << "Códigos sin usar: "
               << guardada.codigos.size() - servidor.recogida().codigosUsados() << " de "
               << guardada.codigos.size() << '\n';
    } else {
        salida << "Códigos:\n";
        for (const auto& c : codigos) salida << c << '\n';
    }
    salida << std::flush;
    // A campaign whose code nobody saw is refused before it takes anything.
    if (salida.fail()) throw ErrorComando{"no se pudo escribir la salida estándar"};
    // Kept before any answer is taken, so that it can be continued; it
    // replaces the one kept before, all of it.
    if (!continuar) {
        try {
            quitarCampana(acompanante);
            guardarCampana();
        } catch (const ErrorArchivo& e) {
            throw ErrorComando{"no se puede guardar la campaña en el archivo complementario (" +
                               cp1252AUtf8(e.what()) + ")"};
        }
    }
    QCoreApplication::exec();
    servidor.terminar();
    return 0;
}

}  // namespace koral::cli
