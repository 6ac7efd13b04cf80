#include "zenko-rotctld/RotctldBridge.h"

#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include "platform/Formats.h"
#include "zenko-rotctld/RotctldJournal.h"

namespace zenko::rotctld {

namespace {

// A client may have this many commands waiting; beyond it the bridge stops reading from it, so
// a client that floods commands while the controller is slow fills its own TCP window instead
// of the bridge's memory.
constexpr int kMaxQueuedPerClient = 16;
constexpr qint64 kReadChunk = 4096;
constexpr qint64 kSocketReadBuffer = 64 * 1024;
// Replies a client does not read stop the reading of its commands at this much.
constexpr qint64 kMaxUnsentBytes = 64 * 1024;

QString Endpoint(const QHostAddress& address, std::uint16_t port) {
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return host + QLatin1Char(':') + platform::FormatInteger(port);
}

// Listening beyond loopback without an allow-list: anyone who reaches the port can move the
// antenna, which the bridge says at start-up.
bool OpenToEveryone(const BridgeSettings& settings) {
    return !settings.listenAddress.isLoopback() && settings.allow.isEmpty();
}

} // namespace

RotctldBridge::RotctldBridge(const BridgeSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings),
      m_controllerEndpoint(Endpoint(settings.controllerAddress, settings.controllerPort)) {
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &RotctldBridge::controllerTimedOut);
}

RotctldBridge::~RotctldBridge() {
    // The sockets are children and die after this object's members; a socket that closes on
    // its way out must not call back into a half-destroyed bridge.
    for (auto& [id, client] : m_clients) {
        client.socket->disconnect(this);
    }
    if (m_controller != nullptr) {
        m_controller->disconnect(this);
    }
}

bool RotctldBridge::listen() {
    m_server = new QTcpServer(this);
    if (!m_server->listen(m_settings.listenAddress, m_settings.listenPort)) {
        m_error = QLatin1String("cannot listen on ") +
                  Endpoint(m_settings.listenAddress, m_settings.listenPort) + QLatin1String(": ") +
                  m_server->errorString();
        return false;
    }
    connect(m_server, &QTcpServer::newConnection, this, &RotctldBridge::acceptClients);
    if (!openControllerSocket()) {
        return false;
    }
    const QString listening = Endpoint(m_server->serverAddress(), m_server->serverPort());
    qCInfo(lcRotctld, "listening on %s, controller at %s", qUtf8Printable(listening),
           qUtf8Printable(m_controllerEndpoint));
    if (OpenToEveryone(m_settings)) {
        qCWarning(lcRotctld).noquote() << OpenToEveryoneText(listening);
    }
    return true;
}

std::uint16_t RotctldBridge::serverPort() const {
    return m_server != nullptr ? m_server->serverPort() : 0;
}

bool RotctldBridge::openControllerSocket() {
    if (m_controller != nullptr) {
        m_controller->disconnect(this);
        m_controller->deleteLater();
        m_controller = nullptr;
    }
    // A socket bound to loopback cannot reach another machine, and one bound to every address
    // would also take datagrams meant for the station's other interfaces.
    const bool ipv6 = m_settings.controllerAddress.protocol() == QAbstractSocket::IPv6Protocol;
    const QHostAddress local =
        m_settings.controllerAddress.isLoopback()
            ? QHostAddress(ipv6 ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost)
            : QHostAddress(ipv6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4);
    auto* socket = new QUdpSocket(this);
    if (!socket->bind(local, 0, QAbstractSocket::DontShareAddress)) {
        m_error = QLatin1String("cannot open a UDP port towards the controller: ") +
                  socket->errorString();
        delete socket;
        return false;
    }
    m_controller = socket;
    connect(m_controller, &QUdpSocket::readyRead, this, &RotctldBridge::readController);
    return true;
}

void RotctldBridge::acceptClients() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        if (refusedClient(*socket)) {
            continue;
        }
        const std::uint64_t id = m_nextClient++;
        socket->setReadBufferSize(kSocketReadBuffer);
        Client& client = m_clients[id];
        client.socket = socket;
        client.peer = Endpoint(socket->peerAddress(), socket->peerPort());
        qCInfo(lcRotctld, "client %s connected", qUtf8Printable(client.peer));
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { readClient(id); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, id] { readClient(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { dropClient(id); });
    }
}

bool RotctldBridge::refusedClient(QTcpSocket& socket) {
    if (m_settings.allow.isEmpty()) {
        return false;
    }
    bool ipv4 = false;
    const std::uint32_t address = socket.peerAddress().toIPv4Address(&ipv4);
    // The list holds IPv4 networks only, so an IPv6 client is outside it.
    if (ipv4 && m_settings.allow.admits(address)) {
        return false;
    }
    const QHostAddress peer = ipv4 ? QHostAddress(address) : socket.peerAddress();
    // IPv6 hosts above the 32-bit keys of IPv4 hosts, by their hash.
    const std::uint64_t key = ipv4 ? address : (qHash(peer) | (std::uint64_t{1} << 32));
    switch (m_refusedClients.note(key)) {
    case platform::SeenRegister::Outcome::New:
        qCWarning(lcRotctld).noquote() << ClientRefusedText(peer.toString());
        break;
    case platform::SeenRegister::Outcome::LimitReached:
        qCWarning(lcRotctld).noquote()
            << ClientRefusedLimitText(platform::SeenRegister::kDefaultLimit);
        break;
    case platform::SeenRegister::Outcome::Known:
    case platform::SeenRegister::Outcome::Unrecorded:
        break;
    }
    socket.abort();
    socket.deleteLater();
    return true;
}

void RotctldBridge::readClient(std::uint64_t id) {
    const auto found = m_clients.find(id);
    if (found == m_clients.end()) {
        return;
    }
    Client& client = found->second;
    while (!client.quitting && client.queued < kMaxQueuedPerClient &&
           client.socket->bytesToWrite() <= kMaxUnsentBytes) {
        if (const auto event = client.reader.next()) {
            handleLine(id, client, *event);
            continue;
        }
        if (client.socket->bytesAvailable() <= 0) {
            break;
        }
        client.reader.append(client.socket->read(kReadChunk));
    }
    // Last: running a quit may close the client and erase it.
    advance();
}

void RotctldBridge::handleLine(std::uint64_t id, Client& client, const LineReader::Event& event) {
    Job job;
    job.client = id;
    if (event.kind == LineReader::Event::Kind::Overlong) {
        job.request.status = kInvalidParameter;
    } else {
        qCDebug(lcRotctld) << "client" << qUtf8Printable(client.peer) << "sent" << event.line;
        const std::optional<Request> request = ParseLine(event.line);
        if (!request) {
            return;
        }
        job.request = *request;
        // Lines after a quit are never read: the connection ends with it.
        if (request->command == Command::Quit) {
            client.quitting = true;
        }
    }
    ++client.queued;
    m_queue.push_back(std::move(job));
}

void RotctldBridge::dropClient(std::uint64_t id) {
    const auto found = m_clients.find(id);
    if (found == m_clients.end()) {
        return;
    }
    qCInfo(lcRotctld, "client %s disconnected", qUtf8Printable(found->second.peer));
    found->second.socket->disconnect(this);
    found->second.socket->deleteLater();
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
    const Request& request = m_current->request;
    switch (request.command) {
    case Command::SetPosition:
        if (request.status != kOk) {
            finish(FormatStatus(request, request.status));
        } else if (const auto azimuth =
                       ChooseAzimuth(m_settings.limits, request.azimuth, request.azimuth);
                   !azimuth || !WithinLimits(m_settings.limits, *azimuth, request.elevation)) {
            finish(FormatStatus(request, kInvalidParameter));
        } else if (HasOverlap(m_settings.limits)) {
            m_current->querying = true;
            if (!sendToController(kPositionQuery)) {
                finish(FormatStatus(request, kInputOutputError));
            }
        } else {
            sendSetValues(request.azimuth, request.elevation);
        }
        return;
    case Command::GetPosition:
    case Command::Stop:
        m_current->querying = true;
        if (!sendToController(kPositionQuery)) {
            finish(FormatStatus(request, kInputOutputError));
        }
        return;
    case Command::Park:
        sendSetValues(m_settings.parkAzimuth, m_settings.parkElevation);
        return;
    case Command::GetInfo:
        finish(FormatInfo(request, kInfo));
        return;
    case Command::DumpState:
        finish(FormatDumpState(request, m_settings.limits));
        return;
    case Command::Quit: {
        const std::uint64_t id = m_current->client;
        m_current.reset();
        const auto found = m_clients.find(id);
        if (found != m_clients.end()) {
            --found->second.queued;
            // Sends what is still unsent first; may drop the client at once when nothing is.
            found->second.socket->disconnectFromHost();
        }
        return;
    }
    case Command::Unknown:
        // An overlong line arrives as an unknown command already refused.
        finish(FormatStatus(request, request.status != kOk ? request.status : kNotAvailable));
        return;
    }
}

void RotctldBridge::sendSetValues(double azimuth, double elevation) {
    if (!sendToController(FormatSetRequest(azimuth, elevation))) {
        finish(FormatStatus(m_current->request, kInputOutputError));
    }
}

bool RotctldBridge::sendToController(const QByteArray& request) {
    if (m_controller == nullptr && !openControllerSocket()) {
        return false;
    }
    qCDebug(lcRotctld) << "to the controller" << request;
    if (m_controller->writeDatagram(request, m_settings.controllerAddress,
                                    m_settings.controllerPort) != request.size()) {
        return false;
    }
    m_waitingForController = true;
    m_timeout.start(m_settings.timeoutMs);
    return true;
}

void RotctldBridge::readController() {
    while (m_controller != nullptr && m_controller->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_controller->receiveDatagram();
        const bool fromController =
            datagram.senderAddress().isEqual(m_settings.controllerAddress,
                                             QHostAddress::ConvertV4MappedToIPv4) &&
            datagram.senderPort() == m_settings.controllerPort;
        if (fromController && m_waitingForController) {
            controllerReplied(datagram.data());
        }
    }
}

void RotctldBridge::controllerReplied(const QByteArray& reply) {
    m_waitingForController = false;
    m_timeout.stop();
    qCDebug(lcRotctld) << "from the controller" << reply;
    if (m_controllerSilent) {
        m_controllerSilent = false;
        qCInfo(lcRotctld, "controller at %s answers again", qUtf8Printable(m_controllerEndpoint));
    }
    Job& job = *m_current;
    const Request& request = job.request;
    if (!job.querying) {
        finish(FormatStatus(request, kOk));
        return;
    }
    job.querying = false;
    const std::optional<Angles> angles = ParseControllerReply(reply);
    if (!angles) {
        finish(FormatStatus(request, kProtocolError));
    } else if (request.command == Command::GetPosition) {
        finish(FormatPosition(request, angles->azimuth, angles->elevation));
    } else if (request.command == Command::Stop) {
        sendSetValues(angles->azimuth, angles->elevation);
    } else {
        // begin() refused a target without an equivalent within the limits.
        sendSetValues(*ChooseAzimuth(m_settings.limits, request.azimuth, angles->azimuth),
                      request.elevation);
    }
}

void RotctldBridge::controllerTimedOut() {
    if (!m_current || !m_waitingForController) {
        return;
    }
    m_waitingForController = false;
    if (!m_controllerSilent) {
        m_controllerSilent = true;
        qCWarning(lcRotctld, "controller at %s not answering (no reply within %d ms)",
                  qUtf8Printable(m_controllerEndpoint), m_settings.timeoutMs);
    }
    // A late reply to this request must not pass for the reply to the next one: the next
    // request goes out from a fresh port. When that port cannot be had, the next send retries.
    openControllerSocket();
    finish(FormatStatus(m_current->request, kTimedOut));
}

void RotctldBridge::finish(const QByteArray& reply) {
    const std::uint64_t id = m_current->client;
    m_current.reset();
    m_waitingForController = false;
    m_timeout.stop();
    const auto found = m_clients.find(id);
    if (found != m_clients.end()) {
        --found->second.queued;
        qCDebug(lcRotctld) << "client" << qUtf8Printable(found->second.peer) << "gets" << reply;
        found->second.socket->write(reply);
        readClient(id);
    }
    advance();
}

} // namespace zenko::rotctld
