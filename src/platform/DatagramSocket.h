#pragma once

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QObject>
#include <QString>

#include "platform/Journal.h"

class QUdpSocket;

namespace zenko::platform {

// One received datagram and where it came from (IPv4, host byte order).
struct ReceivedDatagram {
    QByteArray bytes;
    std::uint32_t senderAddress = 0;
    std::uint16_t senderPort = 0;
};

// An asynchronous UDP socket whose readiness reaches its owner on the user-interface thread, the
// base of the controller's seven socket classes. Every queued datagram gets its notification;
// a datagram that the notification does not read is discarded, so a socket nobody reads from
// never makes the program spin and never strands the datagrams behind it.
class DatagramSocket : public QObject {
    Q_OBJECT
public:
    static constexpr int kReceiveLimit = 1500;
    // Read, write, out-of-band, accept, connect, close: what the controller registers for.
    static constexpr int kAllEvents = 63;

    explicit DatagramSocket(QObject* parent = nullptr);
    ~DatagramSocket() override;

    // Binds to localAddress ("0.0.0.0" for any; anything but an IPv4 address fails) and localPort
    // (0: the system chooses), without address sharing, so a port already in use fails. A
    // created socket is closed first. Only the read event is delivered, whatever eventMask asks.
    bool Create(std::uint16_t localPort, int eventMask, const QString& localAddress);
    // Closing a closed socket does nothing. Notifications still queued reach nobody.
    void Close();
    bool isCreated() const;
    // Asks the system for room for this many bytes of queued datagrams (it may grant less).
    void SetReceiveBuffer(int bytes);
    // The local port actually bound, 0 when not created.
    std::uint16_t localPort() const;
    // Every datagram sent and received goes to the category's debug level under this name.
    void SetJournal(JournalCategory category, QString name);

    // False when the socket is not created or the datagram could not be sent whole.
    bool SendTo(const QByteArray& bytes, std::uint32_t address, std::uint16_t port);
    // One datagram of at most kReceiveLimit bytes with its sender; nothing when none is queued,
    // the socket is closed, or the datagram is longer (it is then read and discarded).
    std::optional<ReceivedDatagram> ReceiveFrom();

protected:
    // The read notification, with the platform's error code (0: a datagram is ready). It comes
    // once per queued datagram; a nested event loop run from here (a message box) delivers other
    // sockets and timers, while this socket's further datagrams wait until the handler returns.
    // The handler may close, re-create or destroy the socket.
    virtual void OnReceive(int errorCode);

private:
    void deliverPending();
    void journalDatagram(bool outgoing, std::uint32_t address, std::uint16_t port,
                         QByteArrayView bytes) const;

    QUdpSocket* m_socket = nullptr;
    // Datagrams consumed so far, read or rejected, so delivery can tell whether a handler read.
    std::uint64_t m_reads = 0;
    // The socket the innermost running delivery drains; null when no delivery runs.
    QUdpSocket* m_delivering = nullptr;
    JournalCategory m_journal = nullptr;
    QString m_journalName;
};

} // namespace zenko::platform
