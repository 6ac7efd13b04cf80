#include "platform/DatagramSocket.h"

#include <utility>

#include <QHostAddress>
#include <QPointer>
#include <QUdpSocket>
#include <QVariant>

namespace zenko::platform {

DatagramSocket::DatagramSocket(QObject* parent) : QObject(parent) {}

DatagramSocket::~DatagramSocket() {
    Close();
}

bool DatagramSocket::Create(std::uint16_t localPort, [[maybe_unused]] int eventMask,
                            const QString& localAddress) {
    Close();
    const QHostAddress address(localAddress);
    if (address.protocol() != QAbstractSocket::IPv4Protocol) {
        return false;
    }
    auto* socket = new QUdpSocket(this);
    // Said outright rather than left to DefaultForPlatform, whose meaning varies by platform: with
    // address reuse a second program could bind the same port and take our datagrams.
    if (!socket->bind(address, localPort, QAbstractSocket::DontShareAddress)) {
        delete socket;
        return false;
    }
    m_socket = socket;
    connect(m_socket, &QUdpSocket::readyRead, this, &DatagramSocket::deliverPending);
    return true;
}

void DatagramSocket::Close() {
    if (m_socket == nullptr) {
        return;
    }
    QUdpSocket* const socket = std::exchange(m_socket, nullptr);
    socket->disconnect(this);
    // Frees the port at once, so the same port can be bound again straight away.
    socket->close();
    if (m_delivering != nullptr) {
        // We may be inside this socket's own readyRead emission, which touches the socket after
        // the slots return. Detached, it also survives our destruction from inside OnReceive.
        socket->setParent(nullptr);
        socket->deleteLater();
    } else {
        delete socket;
    }
}

void DatagramSocket::SetReceiveBuffer(int bytes) {
    if (m_socket != nullptr) {
        m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(bytes));
    }
}

bool DatagramSocket::isCreated() const {
    return m_socket != nullptr;
}

std::uint16_t DatagramSocket::localPort() const {
    return m_socket != nullptr ? m_socket->localPort() : 0;
}

bool DatagramSocket::SendTo(const QByteArray& bytes, std::uint32_t address, std::uint16_t port) {
    if (m_socket == nullptr) {
        return false;
    }
    journalDatagram(true, address, port, bytes);
    return m_socket->writeDatagram(bytes, QHostAddress(address), port) == bytes.size();
}

std::optional<ReceivedDatagram> DatagramSocket::ReceiveFrom() {
    if (m_socket == nullptr || !m_socket->hasPendingDatagrams()) {
        return std::nullopt;
    }
    ++m_reads;
    if (m_socket->pendingDatagramSize() > kReceiveLimit) {
        m_socket->readDatagram(nullptr, 0);
        return std::nullopt;
    }
    ReceivedDatagram datagram;
    datagram.bytes.resize(kReceiveLimit);
    QHostAddress sender;
    quint16 senderPort = 0;
    const qint64 length =
        m_socket->readDatagram(datagram.bytes.data(), kReceiveLimit, &sender, &senderPort);
    if (length < 0) {
        return std::nullopt;
    }
    datagram.bytes.truncate(length);
    // Also unwraps an IPv4-mapped IPv6 sender; anything else is not an IPv4 peer and gives 0.
    bool isIpv4 = false;
    const quint32 senderAddress = sender.toIPv4Address(&isIpv4);
    datagram.senderAddress = isIpv4 ? senderAddress : 0;
    datagram.senderPort = senderPort;
    journalDatagram(false, datagram.senderAddress, senderPort, datagram.bytes);
    return datagram;
}

void DatagramSocket::SetJournal(JournalCategory category, QString name) {
    m_journal = category;
    m_journalName = std::move(name);
}

void DatagramSocket::journalDatagram(bool outgoing, std::uint32_t address, std::uint16_t port,
                                     QByteArrayView bytes) const {
    if (m_journal != nullptr) {
        qCDebug(m_journal).noquote()
            << DatagramJournalText(m_journalName, outgoing, address, port, bytes);
    }
}

void DatagramSocket::OnReceive([[maybe_unused]] int errorCode) {}

void DatagramSocket::deliverPending() {
    // Qt does not emit readyRead again while a handler of the same socket runs a nested event
    // loop; should it ever, the frame already draining this socket picks the datagram up.
    if (m_socket == nullptr || m_delivering == m_socket) {
        return;
    }
    const QPointer<DatagramSocket> self(this);
    // A socket closed during delivery is only deleted later, so a socket created in its place
    // cannot reuse its address and pass for it here.
    QUdpSocket* const socket = m_socket;
    QUdpSocket* const outerSocket = std::exchange(m_delivering, socket);
    // readyRead comes again only after a read, so one notification must drain the whole queue.
    while (m_socket == socket && socket->hasPendingDatagrams()) {
        const std::uint64_t readsBefore = m_reads;
        OnReceive(0);
        if (self.isNull()) {
            return;
        }
        // A handler that does not read must neither spin on its datagram nor strand the rest.
        if (m_socket == socket && m_reads == readsBefore) {
            socket->readDatagram(nullptr, 0);
            ++m_reads;
        }
    }
    m_delivering = outerSocket;
}

} // namespace zenko::platform
