#include "zenko-rotctld/ControllerClient.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

#include "platform/Formats.h"
#include "zenko-rotctld/RotctldJournal.h"

namespace zenko::rotctld {

QString Endpoint(const QHostAddress& address, std::uint16_t port) {
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return host + QLatin1Char(':') + platform::FormatInteger(port);
}

ControllerClient::ControllerClient(const QHostAddress& address, std::uint16_t port, int timeoutMs,
                                   QObject* parent)
    : QObject(parent), m_address(address), m_port(port), m_timeoutMs(timeoutMs),
      m_endpoint(Endpoint(address, port)) {
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &ControllerClient::expire);
}

ControllerClient::~ControllerClient() {
    // The socket is a child and dies after this object's members.
    if (m_socket != nullptr) {
        m_socket->disconnect(this);
    }
}

bool ControllerClient::open() {
    if (m_socket != nullptr) {
        m_socket->disconnect(this);
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    // A socket bound to loopback cannot reach another machine, and one bound to every address
    // would also take datagrams meant for the station's other interfaces.
    const bool ipv6 = m_address.protocol() == QAbstractSocket::IPv6Protocol;
    const QHostAddress local =
        m_address.isLoopback()
            ? QHostAddress(ipv6 ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost)
            : QHostAddress(ipv6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4);
    auto* socket = new QUdpSocket(this);
    if (!socket->bind(local, 0, QAbstractSocket::DontShareAddress)) {
        m_error = QLatin1String("cannot open a UDP port towards the controller: ") +
                  socket->errorString();
        delete socket;
        return false;
    }
    m_socket = socket;
    connect(m_socket, &QUdpSocket::readyRead, this, &ControllerClient::readDatagrams);
    return true;
}

bool ControllerClient::send(const QByteArray& request) {
    if (m_socket == nullptr && !open()) {
        return false;
    }
    qCDebug(lcRotctld) << "to the controller" << request;
    if (m_socket->writeDatagram(request, m_address, m_port) != request.size()) {
        return false;
    }
    m_waiting = true;
    m_timeout.start(m_timeoutMs);
    return true;
}

void ControllerClient::readDatagrams() {
    while (m_socket != nullptr && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        const bool fromController =
            datagram.senderAddress().isEqual(m_address, QHostAddress::ConvertV4MappedToIPv4) &&
            datagram.senderPort() == m_port;
        if (!fromController || !m_waiting) {
            continue;
        }
        m_waiting = false;
        m_timeout.stop();
        qCDebug(lcRotctld) << "from the controller" << datagram.data();
        if (m_silent) {
            m_silent = false;
            qCInfo(lcRotctld, "controller at %s answers again", qUtf8Printable(m_endpoint));
        }
        // May send the next request at once.
        emit answered(datagram.data());
    }
}

void ControllerClient::expire() {
    if (!m_waiting) {
        return;
    }
    m_waiting = false;
    if (!m_silent) {
        m_silent = true;
        qCWarning(lcRotctld, "controller at %s not answering (no reply within %d ms)",
                  qUtf8Printable(m_endpoint), m_timeoutMs);
    }
    // A late reply to this request must not pass for the reply to the next one: the next
    // request goes out from a fresh port. When that port cannot be had, the next send retries.
    open();
    emit timedOut();
}

} // namespace zenko::rotctld
