#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/AllowList.h"
#include "zenko-rotctld/IdlePark.h"
#include "zenko-rotctld/ProtocolCodec.h"

namespace zenko::rotctld {

class ClientLink;
class ControllerClient;
class PtyTransport;
class TcpTransport;

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
    Protocol protocol = Protocol::Rotctld;
    // When not empty, the clients are served on a pseudo-terminal linked here instead of TCP.
    QString ptyPath;
    // The bridge parks by itself after this long without a set position; never when absent.
    std::optional<double> parkAfterMinutes;
    // The clients served; empty: every client that reaches the port.
    platform::AllowList allow;
};

// Serves tracking programs in one protocol, on TCP or a pseudo-terminal, and carries out their
// commands through the controller's ASCII set-value service. Commands of all clients go through
// one queue and run one at a time to the end, so that each controller reply belongs to the one
// request in flight; a client's replies come in the order of its commands.
class RotctldBridge : public QObject {
    Q_OBJECT
public:
    explicit RotctldBridge(const BridgeSettings& settings, QObject* parent = nullptr);
    ~RotctldBridge() override;
    RotctldBridge(const RotctldBridge&) = delete;
    RotctldBridge& operator=(const RotctldBridge&) = delete;

    // Opens the TCP port or the pseudo-terminal, and the UDP socket towards the controller; false
    // with errorString() when either fails.
    bool listen();
    QString errorString() const { return m_error; }
    std::uint16_t serverPort() const;
    // The pseudo-terminal's path and device ("/tmp/gs232b (/dev/pts/3)"); empty on TCP.
    QString ptyEndpoint() const;
    // Clients connected now, for tests that wait for a disconnection to be noticed; on a
    // pseudo-terminal always the one that has it open or will.
    qsizetype clientCount() const { return static_cast<qsizetype>(m_clients.size()); }

private:
    struct Client {
        ClientLink* link = nullptr;
        std::unique_ptr<ProtocolCodec> codec;
        int queued = 0;
        bool quitting = false;
    };
    struct Job {
        // 0 for the bridge's own park.
        std::uint64_t client = 0;
        Exchange exchange;
        // Waiting for the reply to the position query that the command begins with.
        bool querying = false;
        // Where the controller measured the antenna, once asked.
        Angles position;
    };

    void addClient(ClientLink* link);
    void readClient(std::uint64_t id);
    void dropClient(std::uint64_t id);
    void enqueue(std::uint64_t id, Client& client, Exchange exchange);
    void advance();
    void begin();
    bool acceptable(const BridgeCommand& command) const;
    bool needsPosition(const BridgeCommand& command) const;
    void query();
    void sendTarget(const BridgeCommand& command, const Angles& current);
    void sendSetValues(const QByteArray& request, double azimuth);
    void controllerAnswered(const QByteArray& reply);
    void controllerTimedOut();
    void finish(Outcome outcome);
    void armPark();
    void parkIfIdle();

    BridgeSettings m_settings;
    ControllerClient* m_controller = nullptr;
    TcpTransport* m_tcp = nullptr;
    PtyTransport* m_pty = nullptr;
    std::map<std::uint64_t, Client> m_clients;
    std::uint64_t m_nextClient = 1;
    std::deque<Job> m_queue;
    std::optional<Job> m_current;
    bool m_advancing = false;
    // The azimuth last sent as a set value: a command that sets the elevation only sends it
    // again, so that the azimuth goes on as it was.
    std::optional<double> m_sentAzimuth;
    QElapsedTimer m_clock;
    IdlePark m_idlePark;
    QTimer m_parkTimer;
    QString m_error;
};

} // namespace zenko::rotctld
