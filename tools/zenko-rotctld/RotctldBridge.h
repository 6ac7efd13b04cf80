#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/AllowList.h"
#include "platform/SeenRegister.h"
#include "zenko-rotctld/RotctldProtocol.h"

class QTcpServer;
class QTcpSocket;
class QUdpSocket;

namespace zenko::rotctld {

inline constexpr std::uint16_t kDefaultListenPort = 4533;
inline constexpr std::uint16_t kDefaultControllerPort = 10006;
inline constexpr int kDefaultTimeoutMs = 1000;

struct BridgeSettings {
    QHostAddress listenAddress{QHostAddress::LocalHost};
    // 0 lets the system choose, for tests that need a free port.
    std::uint16_t listenPort = kDefaultListenPort;
    QHostAddress controllerAddress{QHostAddress::LocalHost};
    std::uint16_t controllerPort = kDefaultControllerPort;
    int timeoutMs = kDefaultTimeoutMs;
    Limits limits;
    double parkAzimuth = 0;
    double parkElevation = 0;
    // The clients served; empty: every client that reaches the port.
    platform::AllowList allow;
};

// The text of get_info.
inline constexpr char kInfo[] = "ZENKO rotator bridge";

// Serves rotctld clients on TCP and forwards their commands to the controller's ASCII set-value
// service. Commands of all clients go through one queue and run one at a time to the end, so
// that each controller reply belongs to the one request in flight; a client's replies come in
// the order of its commands.
class RotctldBridge : public QObject {
    Q_OBJECT
public:
    explicit RotctldBridge(const BridgeSettings& settings, QObject* parent = nullptr);
    ~RotctldBridge() override;
    RotctldBridge(const RotctldBridge&) = delete;
    RotctldBridge& operator=(const RotctldBridge&) = delete;

    // Opens the TCP port and the UDP socket towards the controller; false with errorString()
    // when either fails.
    bool listen();
    QString errorString() const { return m_error; }
    std::uint16_t serverPort() const;
    // Clients connected now, for tests that wait for a disconnection to be noticed.
    qsizetype clientCount() const { return static_cast<qsizetype>(m_clients.size()); }

private:
    struct Client {
        QTcpSocket* socket = nullptr;
        // Taken when it connects: a socket forgets its peer once the connection is gone.
        QString peer;
        LineReader reader;
        int queued = 0;
        bool quitting = false;
    };
    struct Job {
        std::uint64_t client = 0;
        Request request;
        // Waiting for the reply to the position query that get_pos, stop and, with overlap,
        // set_pos begin with; stop and set_pos then send their set values.
        bool querying = false;
    };

    void acceptClients();
    // Closed at once, before anything is read from it or sent to the controller.
    bool refusedClient(QTcpSocket& socket);
    void readClient(std::uint64_t id);
    void dropClient(std::uint64_t id);
    void handleLine(std::uint64_t id, Client& client, const LineReader::Event& event);
    void advance();
    void begin();
    bool sendToController(const QByteArray& request);
    void sendSetValues(double azimuth, double elevation);
    void readController();
    void controllerReplied(const QByteArray& reply);
    void controllerTimedOut();
    void finish(const QByteArray& reply);
    bool openControllerSocket();

    BridgeSettings m_settings;
    // For the journal.
    QString m_controllerEndpoint;
    QTcpServer* m_server = nullptr;
    QUdpSocket* m_controller = nullptr;
    QTimer m_timeout;
    std::map<std::uint64_t, Client> m_clients;
    std::uint64_t m_nextClient = 1;
    std::deque<Job> m_queue;
    std::optional<Job> m_current;
    bool m_waitingForController = false;
    bool m_advancing = false;
    // The controller let a request time out and has not answered since: its silence is told
    // once, not once per request.
    bool m_controllerSilent = false;
    QString m_error;
    // Clients outside the allow-list, by address: one line per host.
    platform::SeenRegister m_refusedClients;
};

} // namespace zenko::rotctld
