#include "zenko-rotctld/RotctldBridge.h"

#include <algorithm>
#include <limits>

#include "zenko-rotctld/ClientLink.h"
#include "zenko-rotctld/ControllerClient.h"
#include "zenko-rotctld/PtyTransport.h"
#include "zenko-rotctld/RotctldJournal.h"
#include "zenko-rotctld/TcpTransport.h"

namespace zenko::rotctld {

namespace {

// A client may have this many commands waiting; beyond it the bridge stops reading from it, so
// a client that floods commands while the controller is slow fills its own buffers instead of
// the bridge's memory.
constexpr int kMaxQueuedPerClient = 16;
constexpr qint64 kReadChunk = 4096;
// Replies a client does not read stop the reading of its commands at this much.
constexpr qint64 kMaxUnsentBytes = 64 * 1024;
constexpr double kMillisecondsPerMinute = 60000;

std::optional<qint64> ParkAfterMs(const std::optional<double>& minutes) {
    if (!minutes) {
        return std::nullopt;
    }
    return static_cast<qint64>(*minutes * kMillisecondsPerMinute);
}

// Listening beyond loopback without an allow-list: anyone who reaches the port can move the
// antenna, which the bridge says at start-up.
bool OpenToEveryone(const BridgeSettings& settings) {
    return !settings.listenAddress.isLoopback() && settings.allow.isEmpty();
}

// A stop sets the axes it stops to where the controller measured them, the azimuth as a position
// of the mechanics: the antenna stays where it is rather than going to an equivalent.
BridgeCommand StopAt(Axes axes, const Angles& measured) {
    BridgeCommand target;
    target.action = Action::SetPosition;
    target.mechanicalAzimuth = true;
    if (axes != Axes::Elevation) {
        target.azimuth = measured.azimuth;
    }
    if (axes != Axes::Azimuth) {
        target.elevation = measured.elevation;
    }
    return target;
}

} // namespace

RotctldBridge::RotctldBridge(const BridgeSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings),
      m_controller(new ControllerClient(settings.controllerAddress, settings.controllerPort,
                                        settings.timeoutMs, this)),
      m_idlePark(ParkAfterMs(settings.parkAfterMinutes)) {
    connect(m_controller, &ControllerClient::answered, this, &RotctldBridge::controllerAnswered);
    connect(m_controller, &ControllerClient::timedOut, this, &RotctldBridge::controllerTimedOut);
    m_parkTimer.setSingleShot(true);
    connect(&m_parkTimer, &QTimer::timeout, this, &RotctldBridge::parkIfIdle);
}

RotctldBridge::~RotctldBridge() {
    // The links and the controller client are children and die after this object's members; one
    // that closes on its way out must not call back into a half-destroyed bridge.
    for (auto& [id, client] : m_clients) {
        client.link->disconnect(this);
    }
    m_controller->disconnect(this);
    if (m_pty != nullptr) {
        m_pty->disconnect(this);
    }
}

bool RotctldBridge::listen() {
    QString endpoint;
    if (!m_settings.ptyPath.isEmpty()) {
        m_pty = new PtyTransport(m_settings.ptyPath, this);
        connect(m_pty, &PtyTransport::clientArrived, this, &RotctldBridge::addClient);
        if (!m_pty->open()) {
            m_error = m_pty->errorString();
            return false;
        }
        endpoint = m_pty->endpoint();
    } else {
        m_tcp = new TcpTransport(m_settings.listenAddress, m_settings.listenPort, m_settings.allow,
                                 this);
        connect(m_tcp, &TcpTransport::clientArrived, this, &RotctldBridge::addClient);
        if (!m_tcp->open()) {
            m_error = m_tcp->errorString();
            return false;
        }
        endpoint = m_tcp->endpoint();
    }
    if (!m_controller->open()) {
        m_error = m_controller->errorString();
        return false;
    }
    const bool openToEveryone = m_tcp != nullptr && OpenToEveryone(m_settings);
    const QString listening = endpoint;
    if (m_settings.protocol != Protocol::Rotctld) {
        endpoint += QLatin1String(" for ") + QLatin1String(ProtocolName(m_settings.protocol));
    }
    qCInfo(lcRotctld, "listening on %s, controller at %s", qUtf8Printable(endpoint),
           qUtf8Printable(m_controller->endpoint()));
    if (openToEveryone) {
        qCWarning(lcRotctld).noquote() << OpenToEveryoneText(listening);
    }
    // The idle park counts from here, the clock's zero.
    m_clock.start();
    armPark();
    return true;
}

std::uint16_t RotctldBridge::serverPort() const {
    return m_tcp != nullptr ? m_tcp->serverPort() : 0;
}

QString RotctldBridge::ptyEndpoint() const {
    return m_pty != nullptr ? m_pty->endpoint() : QString();
}

void RotctldBridge::addClient(ClientLink* link) {
    const std::uint64_t id = m_nextClient++;
    link->setParent(this);
    Client& client = m_clients[id];
    client.link = link;
    client.codec = MakeCodec(m_settings.protocol, m_settings.limits);
    connect(link, &ClientLink::readyRead, this, [this, id] { readClient(id); });
    connect(link, &ClientLink::bytesWritten, this, [this, id] { readClient(id); });
    connect(link, &ClientLink::closed, this, [this, id] { dropClient(id); });
}

void RotctldBridge::readClient(std::uint64_t id) {
    const auto found = m_clients.find(id);
    if (found == m_clients.end()) {
        return;
    }
    Client& client = found->second;
    while (!client.quitting && client.queued < kMaxQueuedPerClient &&
           client.link->bytesToWrite() <= kMaxUnsentBytes) {
        if (auto exchange = client.codec->next()) {
            enqueue(id, client, std::move(*exchange));
            continue;
        }
        if (!client.link->hasBytes()) {
            break;
        }
        client.codec->append(client.link->read(kReadChunk));
    }
    // Last: running a quit may close the client and erase it.
    advance();
}

void RotctldBridge::enqueue(std::uint64_t id, Client& client, Exchange exchange) {
    if (!exchange.received.isEmpty()) {
        qCDebug(lcRotctld) << "client" << qUtf8Printable(client.link->peer()) << "sent"
                           << exchange.received;
    }
    // Nothing after a quit is read: the connection ends with it.
    if (exchange.command.action == Action::Quit) {
        client.quitting = true;
    }
    ++client.queued;
    m_queue.push_back(Job{id, std::move(exchange), false, {}});
}

void RotctldBridge::dropClient(std::uint64_t id) {
    const auto found = m_clients.find(id);
    if (found == m_clients.end()) {
        return;
    }
    found->second.link->disconnect(this);
    found->second.link->deleteLater();
    m_clients.erase(found);
    // A command in flight runs to its end, for the controller has it already; its reply goes
    // nowhere.
    std::erase_if(m_queue, [id](const Job& job) { return job.client == id; });
}

void RotctldBridge::advance() {
    if (m_advancing) {
        return;
    }
    m_advancing = true;
    while (!m_current && !m_queue.empty()) {
        m_current = std::move(m_queue.front());
        m_queue.pop_front();
        begin();
    }
    m_advancing = false;
}

void RotctldBridge::begin() {
    const BridgeCommand& command = m_current->exchange.command;
    switch (command.action) {
    case Action::None:
        finish(Outcome{});
        return;
    case Action::SetPosition:
        if (!acceptable(command)) {
            finish(Outcome{Outcome::Status::Refused, {}});
        } else if (needsPosition(command)) {
            query();
        } else {
            sendTarget(command, Angles{});
        }
        return;
    case Action::GetPosition:
    case Action::Stop:
        query();
        return;
    case Action::Park:
        sendSetValues(FormatSetRequest(m_settings.parkAzimuth, m_settings.parkElevation),
                      m_settings.parkAzimuth);
        return;
    case Action::Quit: {
        const std::uint64_t id = m_current->client;
        m_current.reset();
        const auto found = m_clients.find(id);
        if (found != m_clients.end()) {
            --found->second.queued;
            // May drop the client at once.
            found->second.link->close();
        }
        return;
    }
    }
}

bool RotctldBridge::acceptable(const BridgeCommand& command) const {
    const Limits& limits = m_settings.limits;
    if (!command.azimuth && !command.elevation) {
        return false;
    }
    if (command.azimuth) {
        const double azimuth = *command.azimuth;
        const bool reachable = command.mechanicalAzimuth
                                   ? azimuth >= limits.minAzimuth && azimuth <= limits.maxAzimuth
                                   : ChooseAzimuth(limits, azimuth, azimuth).has_value();
        if (!reachable) {
            return false;
        }
    }
    return !command.elevation ||
           (*command.elevation >= limits.minElevation && *command.elevation <= limits.maxElevation);
}

bool RotctldBridge::needsPosition(const BridgeCommand& command) const {
    if (command.azimuth) {
        return !command.mechanicalAzimuth && HasOverlap(m_settings.limits);
    }
    return !m_sentAzimuth;
}

void RotctldBridge::query() {
    m_current->querying = true;
    if (!m_controller->send(kPositionQuery)) {
        finish(Outcome{Outcome::Status::SendFailed, {}});
    }
}

void RotctldBridge::sendTarget(const BridgeCommand& command, const Angles& current) {
    if (!command.azimuth) {
        const double azimuth = m_sentAzimuth.value_or(current.azimuth);
        sendSetValues(FormatSetRequest(azimuth, *command.elevation), azimuth);
        return;
    }
    // acceptable() refused a target without an equivalent within the limits; needsPosition()
    // asked where the antenna is when the overlap leaves a choice.
    const double azimuth =
        command.mechanicalAzimuth || !HasOverlap(m_settings.limits)
            ? *command.azimuth
            : *ChooseAzimuth(m_settings.limits, *command.azimuth, current.azimuth);
    sendSetValues(command.elevation ? FormatSetRequest(azimuth, *command.elevation)
                                    : FormatAzimuthRequest(azimuth),
                  azimuth);
}

void RotctldBridge::sendSetValues(const QByteArray& request, double azimuth) {
    if (!m_controller->send(request)) {
        finish(Outcome{Outcome::Status::SendFailed, {}});
        return;
    }
    m_sentAzimuth = azimuth;
    // The bridge's own park is no set position of a client's.
    if (m_current->client != 0) {
        m_idlePark.positionSet(m_clock.elapsed());
        armPark();
    }
}

void RotctldBridge::controllerAnswered(const QByteArray& reply) {
    if (!m_current) {
        return;
    }
    Job& job = *m_current;
    if (!job.querying) {
        finish(Outcome{Outcome::Status::Done, job.position});
        return;
    }
    job.querying = false;
    const std::optional<Angles> angles = ParseControllerReply(reply);
    if (!angles) {
        finish(Outcome{Outcome::Status::BadReply, {}});
        return;
    }
    job.position = *angles;
    const BridgeCommand& command = job.exchange.command;
    switch (command.action) {
    case Action::GetPosition:
        finish(Outcome{Outcome::Status::Done, *angles});
        return;
    case Action::Stop:
        sendTarget(StopAt(command.axes, *angles), *angles);
        return;
    default:
        sendTarget(command, *angles);
        return;
    }
}

void RotctldBridge::controllerTimedOut() {
    if (m_current) {
        finish(Outcome{Outcome::Status::TimedOut, {}});
    }
}

void RotctldBridge::finish(Outcome outcome) {
    const std::uint64_t id = m_current->client;
    const Exchange exchange = std::move(m_current->exchange);
    m_current.reset();
    const auto found = m_clients.find(id);
    if (found != m_clients.end()) {
        Client& client = found->second;
        --client.queued;
        const QByteArray reply = exchange.reply ? exchange.reply(outcome) : QByteArray();
        if (!reply.isEmpty()) {
            qCDebug(lcRotctld) << "client" << qUtf8Printable(client.link->peer()) << "gets"
                               << reply;
            client.link->write(reply);
        }
        readClient(id);
    }
    advance();
}

void RotctldBridge::armPark() {
    if (const auto due = m_idlePark.dueInMs(m_clock.elapsed())) {
        m_parkTimer.start(
            static_cast<int>(std::min<qint64>(*due, std::numeric_limits<int>::max())));
    } else {
        m_parkTimer.stop();
    }
}

void RotctldBridge::parkIfIdle() {
    // A timer may fire a little early; the rule knows whether the time has come.
    if (!m_idlePark.takeDue(m_clock.elapsed())) {
        armPark();
        return;
    }
    qCInfo(lcRotctld, "no position set for %s minutes: parking at azimuth %s, elevation %s",
           qUtf8Printable(QString::number(*m_settings.parkAfterMinutes)),
           FormatHundredths(m_settings.parkAzimuth).constData(),
           FormatHundredths(m_settings.parkElevation).constData());
    Exchange park;
    park.command.action = Action::Park;
    m_queue.push_back(Job{0, std::move(park), false, {}});
    advance();
}

} // namespace zenko::rotctld
