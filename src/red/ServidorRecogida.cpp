#include "red/ServidorRecogida.h"

#include <sys/socket.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QtHttpServer/QAbstractHttpServer>

#include "platform/Texto.h"

namespace koral::red {

// Qt HttpServer reads and parses the requests; every one comes here whole.
class TServidorRecogida::Http : public QAbstractHttpServer {
public:
    explicit Http(TServidorRecogida* servidor) : QAbstractHttpServer(servidor), s_(servidor) {}
    static QHttpServerResponder respondedor(const QHttpServerRequest& p, QTcpSocket* socket) {
        return makeResponder(p, socket);
    }

protected:
    bool handleRequest(const QHttpServerRequest& p, QTcpSocket* socket) override {
        return s_->atender(p, socket);
    }
    void missingHandler(const QHttpServerRequest&, QTcpSocket* socket) override { socket->abort(); }

private:
    TServidorRecogida* s_;
};

// Qt HttpServer 6.4 puts no bound on connections, request sizes or time: the
// listening socket does, before and while the library reads a request.
class TServidorRecogida::Guardia : public QTcpServer {
public:
    explicit Guardia(const LimitesConexion& l) : limites_(l) {}
    ~Guardia() override {
        // Their counts are given back while the counters still exist.
        qDeleteAll(findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly));
    }

    // A connection whose request has come whole: no longer idle.
    void atendida(QTcpSocket* s) {
        if (Cuenta* c = cuenta(s)) c->atendida = true;
    }

    // Sends what the connection was given and closes it gracefully, with
    // another full term for it.
    void cerrarTrasEnviar(QTcpSocket* s) {
        if (Cuenta* c = cuenta(s)) c->respondida = true;
        if (auto* t = s->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly))
            t->start(limites_.plazoMs);
        cerrarConGracia(s);
    }

    // Connections that were given a response still going out.
    bool quedanRespuestas() const {
        for (QTcpSocket* s : findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly)) {
            const Cuenta* c = cuenta(s);
            if (c && c->respondida && s->state() != QAbstractSocket::UnconnectedState) return true;
        }
        return false;
    }

    // Nothing more is read for requests not yet whole.
    void dejarDeLeer() {
        for (QTcpSocket* s : findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly)) {
            const Cuenta* c = cuenta(s);
            if (c && !c->atendida) disconnect(s, &QTcpSocket::readyRead, nullptr, nullptr);
        }
    }

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* s = new QTcpSocket(this);
        if (!s->setSocketDescriptor(descriptor)) {
            delete s;
            return;
        }
        const QString dir = s->peerAddress().toString();
        if (porDireccion_.value(dir) >= limites_.conexionesPorDireccion ||
            (abiertas_ >= limites_.conexiones && !hacerSitio())) {
            rechazar(s, "503 Service Unavailable\r\nRetry-After: 5");
            return;
        }
        new Cuenta(s, this, dir, ++orden_);
        auto* plazo = new QTimer(s);
        plazo->setSingleShot(true);
        connect(plazo, &QTimer::timeout, s, [s] {
            s->abort();
            s->deleteLater();
        });
        plazo->start(limites_.plazoMs);
        // Runs before the library's reading of the same bytes (connected first).
        s->setReadBufferSize(static_cast<qint64>(limites_.bytesPorConexion) + 1);
        auto leidos = std::make_shared<std::size_t>(0);
        connect(s, &QTcpSocket::readyRead, s, [this, s, leidos] {
            *leidos += static_cast<std::size_t>(s->bytesAvailable());
            if (*leidos <= limites_.bytesPorConexion) return;
            disconnect(s, &QTcpSocket::readyRead, nullptr, nullptr);
            rechazar(s, "400 Bad Request");
        });
        addPendingConnection(s);
    }

private:
    // Counts a connection for as long as its socket lives (or until it is
    // dropped). A child object, not a signal: the library cuts every signal
    // of a socket whose request it cannot parse.
    class Cuenta : public QObject {
    public:
        Cuenta(QTcpSocket* s, Guardia* g, QString direccion, quint64 n)
            : QObject(s), dir(std::move(direccion)), orden(n), g_(g) {
            setObjectName(kNombre);
            ++g_->abiertas_;
            ++g_->porDireccion_[dir];
        }
        ~Cuenta() override { soltar(); }
        void soltar() {
            if (!g_) return;
            --g_->abiertas_;
            if (--g_->porDireccion_[dir] <= 0) g_->porDireccion_.remove(dir);
            g_ = nullptr;
        }

        static constexpr const char* kNombre = "cuentaConexion";
        const QString dir;
        const quint64 orden;  // in the order accepted
        bool atendida = false;
        bool respondida = false;

    private:
        Guardia* g_;
    };

    // Found by name: without its own meta-object, any child would match its type.
    static Cuenta* cuenta(QTcpSocket* s) {
        return static_cast<Cuenta*>(
            s->findChild<QObject*>(Cuenta::kNombre, Qt::FindDirectChildrenOnly));
    }

    // At the total limit, the oldest connection still waiting for its
    // request from the address holding the most makes room: connections
    // held open from a few addresses cannot shut everyone else out.
    bool hacerSitio() {
        QString mayor;
        int n = 0;
        for (auto it = porDireccion_.cbegin(); it != porDireccion_.cend(); ++it)
            if (it.value() > n) {
                n = it.value();
                mayor = it.key();
            }
        Cuenta* vieja = nullptr;
        for (QTcpSocket* s : findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly)) {
            Cuenta* c = cuenta(s);
            if (c && !c->atendida && c->dir == mayor && (!vieja || c->orden < vieja->orden))
                vieja = c;
        }
        if (!vieja) return false;
        auto* s = static_cast<QTcpSocket*>(vieja->parent());
        vieja->soltar();
        s->abort();
        s->deleteLater();
        return true;
    }

    void rechazar(QTcpSocket* s, const char* estado) {
        s->write(QByteArray("HTTP/1.1 ") + estado +
                 "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        QTimer::singleShot(2000, s, [s] {
            s->abort();
            s->deleteLater();
        });
        cerrarConGracia(s);
    }

    // Closing a socket with bytes still unread resets the connection, and
    // the reset may reach the client before the response does: the sending
    // side is shut once all is sent, and what still comes is read and
    // dropped until the client closes (or the term ends).
    static void cerrarConGracia(QTcpSocket* s) {
        connect(s, &QAbstractSocket::disconnected, s, &QObject::deleteLater, Qt::UniqueConnection);
        const auto cerrar = [s] {
            if (s->bytesToWrite() > 0 || s->property("cerrada").toBool()) return;
            s->setProperty("cerrada", true);
            ::shutdown(static_cast<int>(s->socketDescriptor()), SHUT_WR);
            connect(s, &QTcpSocket::readyRead, s, [s] { s->readAll(); });
            s->readAll();
        };
        connect(s, &QTcpSocket::bytesWritten, s, cerrar);
        s->flush();
        cerrar();
    }

    LimitesConexion limites_;
    int abiertas_ = 0;
    quint64 orden_ = 0;
    QHash<QString, int> porDireccion_;
};

TServidorRecogida::TServidorRecogida(TKoral& doc, Campana campana, std::function<void()> guardar,
                                     QObject* parent)
    : QObject(parent), recogida_(doc, std::move(campana), std::move(guardar)) {
    recogida_.alGuardar = [this](const TCuestionario& q) {
        emit respuestaGuardada(q.id, QString::fromStdString(cp1252AUtf8(q.nombre)));
    };
    recogida_.alFallarGuardado = [this](const std::string& m) {
        emit guardadoFallido(QString::fromStdString(cp1252AUtf8(m)));
    };
}

TServidorRecogida::~TServidorRecogida() {
    terminar();
}

bool TServidorRecogida::iniciar(const QHostAddress& direccion, quint16 puerto, QString* error) {
    const auto fallar = [error](const QString& texto) {
        if (error) *error = texto;
        return false;
    };
    if (activo()) return fallar(QStringLiteral("El servidor ya está en marcha."));
    if (direccion.isNull() || direccion == QHostAddress::Any ||
        direccion == QHostAddress::AnyIPv4 || direccion == QHostAddress::AnyIPv6)
        return fallar(QStringLiteral("Elija la dirección de una sola interfaz de red."));
    auto guardia = std::make_unique<Guardia>(limites);
    // Many workers may connect at the same moment.
    guardia->setListenBacklogSize(256);
    if (!guardia->listen(direccion, puerto)) return fallar(guardia->errorString());
    auto* http = new Http(this);
    puerto_ = guardia->serverPort();
    direccion_ = direccion;
    guardia_ = guardia.get();
    http->bind(guardia.release());  // now the server's child
    http_ = http;
    return true;
}

bool TServidorRecogida::activo() const {
    return guardia_ && guardia_->isListening();
}

QString TServidorRecogida::url() const {
    return url(direccion_, puerto_);
}

QString TServidorRecogida::url(const QHostAddress& direccion, quint16 puerto) {
    const QString ip = direccion.protocol() == QAbstractSocket::IPv6Protocol
                           ? "[" + direccion.toString() + "]"
                           : direccion.toString();
    return QStringLiteral("http://%1:%2/").arg(ip).arg(puerto);
}

void TServidorRecogida::terminar() {
    if (terminando_) return;  // called again while waiting
    terminando_ = true;
    if (guardia_) {
        guardia_->close();
        guardia_->dejarDeLeer();
    }
    if (!enEspera_.empty()) cerrarLote();
    if (http_) {
        // Every answer stored gets its response before the connections go,
        // within a bound for clients that never take it.
        if (guardia_ && guardia_->quedanRespuestas()) {
            QElapsedTimer reloj;
            reloj.start();
            QEventLoop bucle;
            QTimer mirar;
            connect(&mirar, &QTimer::timeout, &bucle, [&] {
                if (!guardia_ || !guardia_->quedanRespuestas() || reloj.hasExpired(kEsperaFinalMs))
                    bucle.quit();
            });
            mirar.start(5);
            bucle.exec(QEventLoop::ExcludeUserInputEvents);
        }
        http_->deleteLater();
        http_ = nullptr;
        guardia_ = nullptr;
    }
    terminando_ = false;
}

bool TServidorRecogida::atender(const QHttpServerRequest& peticion, QTcpSocket* socket) {
    // One request per connection: nothing more is read from it.
    disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    if (guardia_) guardia_->atendida(socket);
    Peticion p;
    switch (peticion.method()) {
        case QHttpServerRequest::Method::Get:
            p.metodo = "GET";
            break;
        case QHttpServerRequest::Method::Head:
            p.metodo = "HEAD";
            break;
        case QHttpServerRequest::Method::Post:
            p.metodo = "POST";
            break;
        default:
            p.metodo = "OTRO";
    }
    p.ruta = peticion.url().path(QUrl::FullyDecoded).toStdString();
    for (const auto& [nombre, valor] : peticion.headers())
        p.cabeceras.emplace_back(nombre.toStdString(), valor.toStdString());
    p.cuerpo = peticion.body().toStdString();
    p.direccion = peticion.remoteAddress().toString().toStdString();
    TRecogida::Resultado r = recogida_.recibir(p);
    if (!r.pendiente) {
        if (r.respuesta.retener.count() <= 0) {
            responder(peticion, socket, r.respuesta);
            return true;
        }
        // A wrong code waits before its answer: guessing is slowed without
        // shutting anyone out. The timer dies with the socket.
        QTimer::singleShot(r.respuesta.retener, socket,
                           [this, &peticion, socket, respuesta = std::move(r.respuesta)] {
                               responder(peticion, socket, respuesta);
                           });
        return true;
    }
    // Answered once saved, together with whatever else arrives meanwhile.
    enEspera_.push_back({socket, &peticion});
    if (!loteProgramado_) {
        loteProgramado_ = true;
        QTimer::singleShot(0, this, &TServidorRecogida::cerrarLote);
    }
    return true;
}

void TServidorRecogida::responder(const QHttpServerRequest& peticion, QTcpSocket* socket,
                                  const Respuesta& r) {
    if (socket->state() != QAbstractSocket::ConnectedState) return;
    QHttpServerResponder res = Http::respondedor(peticion, socket);
    res.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(r.estado));
    for (const auto& [nombre, valor] : r.cabeceras)
        res.writeHeader(QByteArray::fromStdString(nombre), QByteArray::fromStdString(valor));
    res.writeHeader("Content-Length", QByteArray::number(static_cast<qsizetype>(r.cuerpo.size())));
    res.writeHeader("Connection", "close");
    // HEAD: the length the body would have, and no body.
    const bool cuerpo = peticion.method() != QHttpServerRequest::Method::Head;
    res.writeBody(r.cuerpo.data(), cuerpo ? static_cast<qint64>(r.cuerpo.size()) : 0);
    if (guardia_)
        guardia_->cerrarTrasEnviar(socket);
    else
        socket->disconnectFromHost();
}

void TServidorRecogida::cerrarLote() {
    loteProgramado_ = false;
    if (enEspera_.empty()) return;
    const std::vector<EnEspera> espera = std::move(enEspera_);
    enEspera_.clear();
    const int antes = recogida_.guardadas();
    const std::vector<Respuesta> respuestas = recogida_.cerrarLote();
    for (std::size_t i = 0; i < espera.size() && i < respuestas.size(); ++i)
        if (espera[i].socket) responder(*espera[i].peticion, espera[i].socket, respuestas[i]);
    if (recogida_.guardadas() != antes) emit recibidasCambiadas(recogida_.guardadas());
}

std::vector<InterfazRed> interfacesLocales() {
    std::vector<InterfazRed> r;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto f = i.flags();
        if (!(f & QNetworkInterface::IsUp) || !(f & QNetworkInterface::IsRunning) ||
            (f & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& e : i.addressEntries())
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                r.push_back({i.humanReadableName(), e.ip()});
    }
    return r;
}

}  // namespace koral::red
