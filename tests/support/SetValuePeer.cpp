#include "support/SetValuePeer.h"

#include <utility>

#include <QTest>

namespace zenko::test {

SetValuePeer::SetValuePeer(const QHostAddress& local) {
    m_socket.bind(local, 0);
    m_socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 1 << 20);
}

void SetValuePeer::send(const QByteArray& request, std::uint16_t port) {
    m_socket.writeDatagram(request, QHostAddress::LocalHost, port);
}

QList<QNetworkDatagram> SetValuePeer::replies(qsizetype count, int timeoutMs) {
    // A shortfall shows in the count the caller checks.
    [[maybe_unused]] const bool complete =
        QTest::qWaitFor([&] { return pending() >= count; }, timeoutMs);
    return std::exchange(m_received, {});
}

QNetworkDatagram SetValuePeer::ask(const QByteArray& request, std::uint16_t port) {
    send(request, port);
    const auto received = replies(1);
    return received.isEmpty() ? QNetworkDatagram() : received.first();
}

qsizetype SetValuePeer::pending() {
    while (m_socket.hasPendingDatagrams()) {
        m_received << m_socket.receiveDatagram();
    }
    return m_received.size();
}

QByteArray BinaryRequest(std::uint32_t azThousandths, std::uint32_t elThousandths) {
    QByteArray request(12, '\0');
    for (int i = 0; i < 4; ++i) {
        request[4 + i] = static_cast<char>(azThousandths >> (24 - 8 * i));
        request[8 + i] = static_cast<char>(elThousandths >> (24 - 8 * i));
    }
    return request;
}

} // namespace zenko::test
