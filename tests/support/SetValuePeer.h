#pragma once

#include <cstdint>

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace zenko::test {

// A set-value peer on a loopback address (127.0.0.2 sends from outside a list that holds only
// 127.0.0.1) that sends requests to the controller on 127.0.0.1 and collects the replies.
class SetValuePeer {
public:
    explicit SetValuePeer(const QHostAddress& local = QHostAddress(QHostAddress::LocalHost));
    void send(const QByteArray& request, std::uint16_t port);
    // All replies that arrive within the wait, at least `count` of them if they come.
    QList<QNetworkDatagram> replies(qsizetype count, int timeoutMs = 3000);
    // One request and its reply; a null datagram when none came.
    QNetworkDatagram ask(const QByteArray& request, std::uint16_t port);
    // The replies already here, without waiting.
    qsizetype pending();

private:
    QUdpSocket m_socket;
    QList<QNetworkDatagram> m_received;
};

// A binary request carrying these two words.
QByteArray BinaryRequest(std::uint32_t azThousandths, std::uint32_t elThousandths);

} // namespace zenko::test
