// The web server of a campaign: Qt HttpServer carries requests to TRecogida
// and its responses back. It listens on one chosen address only, limits
// connections and request sizes and drops slow clients; accepted answers are
// answered only once the company file holds them, several at a time when
// they arrive together. For the window program and koral20-cli alike: start
// it, watch its signals, stop it (or destroy it) to end the campaign.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "red/Recogida.h"

class QHttpServerRequest;
class QTcpSocket;

namespace koral::red {

struct LimitesConexion {
    int conexiones = 512;  // open at once
    // Open at once from one address. At the total, the oldest connection
    // still waiting for its request from the address holding the most is
    // dropped to make room.
    int conexionesPorDireccion = 16;
    // What one connection may send: request line, headers and a body of
    // kMaxCuerpo; one request per connection.
    std::size_t bytesPorConexion = kMaxCuerpo + std::size_t{16} * 1024;
    int plazoMs = 10000;  // to send the request; then again to take the response
};

class TServidorRecogida : public QObject {
    Q_OBJECT

public:
    // Collects into `doc` (which must outlive the server); `guardar` as for
    // TRecogida. Throws std::invalid_argument for a campaign that does not
    // fit the company (an empty code, a group it does not have).
    TServidorRecogida(TKoral& doc, Campana campana, std::function<void()> guardar = {},
                      QObject* parent = nullptr);
    ~TServidorRecogida() override;

    // Set before iniciar.
    LimitesConexion limites;

    // Listens on `direccion` (never on every address at once) and `puerto`
    // (0: one the system chooses). False, with the reason in `error`, when
    // it cannot.
    bool iniciar(const QHostAddress& direccion, quint16 puerto, QString* error = nullptr);
    // Stops listening and reading, makes durable and answers what is
    // pending, waits (running the event loop, at most kEsperaFinalMs) until
    // every response has gone out, and closes every connection. Safe to call
    // more than once, also from a slot.
    void terminar();

    bool activo() const;
    QHostAddress direccion() const { return direccion_; }
    quint16 puerto() const { return puerto_; }
    // "http://IP:N/", the address workers type.
    QString url() const;
    // The address a server on `direccion` and `puerto` has.
    static QString url(const QHostAddress& direccion, quint16 puerto);
    // Answers stored for good since the campaign began.
    int recibidas() const { return recogida_.guardadas(); }
    // For single-use codes (fijarCodigosIndividuales) and the blank form.
    TRecogida& recogida() { return recogida_; }

signals:
    // A questionnaire that is now in the company file (and in `doc`).
    void respuestaGuardada(int id, const QString& nombre);
    void recibidasCambiadas(int total);
    // A save failed; the answers it held were taken out again and their
    // workers told to send again. `mensaje` is the system's.
    void guardadoFallido(const QString& mensaje);

private:
    class Http;
    class Guardia;
    struct EnEspera {
        QPointer<QTcpSocket> socket;
        const QHttpServerRequest* peticion;  // lives as long as its socket
    };

    bool atender(const QHttpServerRequest& peticion, QTcpSocket* socket);
    void responder(const QHttpServerRequest& peticion, QTcpSocket* socket, const Respuesta& r);
    void cerrarLote();

    static constexpr int kEsperaFinalMs = 5000;

    TRecogida recogida_;
    QPointer<Http> http_;
    QPointer<Guardia> guardia_;
    std::vector<EnEspera> enEspera_;
    bool loteProgramado_ = false;
    bool terminando_ = false;
    QHostAddress direccion_;
    quint16 puerto_ = 0;
};

struct InterfazRed {
    QString nombre;  // the system's name for it ("eth0", "wlan0" ...)
    QHostAddress direccion;
};

// This computer's IPv4 addresses on network interfaces that are up, but for
// the loopback: the addresses a campaign can be served on.
std::vector<InterfazRed> interfacesLocales();

}  // namespace koral::red
