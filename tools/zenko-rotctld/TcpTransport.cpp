#include "zenko-rotctld/TcpTransport.h"

#include <utility>

#include <QTcpServer>
#include <QTcpSocket>

#include "zenko-rotctld/ControllerClient.h"
#include "zenko-rotctld/RotctldJournal.h"

namespace zenko::rotctld {

namespace {
constexpr qint64 kSocketReadBuffer = 64 * 1024;
} // namespace

TcpLink::TcpLink(QTcpSocket* socket, QObject* parent)
    : ClientLink(parent), m_socket(socket),
      m_peer(Endpoint(socket->peerAddress(), socket->peerPort())) {
    m_socket->setParent(this);
    m_socket->setReadBufferSize(kSocketReadBuffer);
    connect(m_socket, &QTcpSocket::readyRead, this, &ClientLink::readyRead);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &ClientLink::bytesWritten);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        qCInfo(lcRotctld, "client %s disconnected", qUtf8Printable(m_peer));
        emit closed();
    });
}

TcpLink::~TcpLink() {
    // A socket that closes on its way out must not call back into a half-destroyed link.
    m_socket->disconnect(this);
}

QByteArray TcpLink::read(qint64 maximum) {
    return m_socket->read(maximum);
}

bool TcpLink::hasBytes() const {
    return m_socket->bytesAvailable() > 0;
}

void TcpLink::write(const QByteArray& bytes) {
    m_socket->write(bytes);
}

qint64 TcpLink::bytesToWrite() const {
    return m_socket->bytesToWrite();
}

void TcpLink::close() {
    // Sends what is still unsent first; may close at once when nothing is.
    m_socket->disconnectFromHost();
}

TcpTransport::TcpTransport(const QHostAddress& address, std::uint16_t port,
                           platform::AllowList allow, QObject* parent)
    : QObject(parent), m_address(address), m_port(port), m_allow(std::move(allow)) {}

bool TcpTransport::open() {
    m_server = new QTcpServer(this);
    if (!m_server->listen(m_address, m_port)) {
        m_error = QLatin1String("cannot listen on ") + Endpoint(m_address, m_port) +
                  QLatin1String(": ") + m_server->errorString();
        return false;
    }
    connect(m_server, &QTcpServer::newConnection, this, &TcpTransport::acceptClients);
    return true;
}

std::uint16_t TcpTransport::serverPort() const {
    return m_server != nullptr ? m_server->serverPort() : 0;
}

QString TcpTransport::endpoint() const {
    return Endpoint(m_server->serverAddress(), m_server->serverPort());
}

void TcpTransport::acceptClients() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        if (refusedClient(*socket)) {
            continue;
        }
        auto* link = new TcpLink(socket);
        qCInfo(lcRotctld, "client %s connected", qUtf8Printable(link->peer()));
        emit clientArrived(link);
    }
}

bool TcpTransport::refusedClient(QTcpSocket& socket) {
    if (m_allow.isEmpty()) {
        return false;
    }
    bool ipv4 = false;
    const std::uint32_t address = socket.peerAddress().toIPv4Address(&ipv4);
    // The list holds IPv4 networks only, so an IPv6 client is outside it.
    if (ipv4 && m_allow.admits(address)) {
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

} // namespace zenko::rotctld
