#include "tools/FakeController.h"

#include <algorithm>

#include <QNetworkDatagram>
#include <QTimer>

namespace zenko::test {

FakeController::FakeController() {
    m_socket.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress);
    m_decoySocket.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0);
    QObject::connect(&m_socket, &QUdpSocket::readyRead, &m_socket, [this] { serve(); });
}

void FakeController::serve() {
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram request = m_socket.receiveDatagram();
        requests << request.data();
        const setvalue::SetValues carried = setvalue::ParseAsciiRequest(request.data());
        if (carried.azimuth) {
            setValues.azimuth = carried.azimuth;
        }
        if (carried.elevation) {
            setValues.elevation = carried.elevation;
        }
        if (silent) {
            continue;
        }
        const auto sender = request.senderAddress();
        const auto senderPort = static_cast<quint16>(request.senderPort());
        if (decoy) {
            m_decoySocket.writeDatagram(setvalue::BuildAsciiReply({1, 2, 3, 4}), sender,
                                        senderPort);
        }
        // The reply reports the angles at the time of the request.
        const QByteArray reply = setvalue::BuildAsciiReply({azimuth, elevation, 2.5, 1.25});
        maxUnanswered = std::max(maxUnanswered, ++m_unanswered);
        const int delay = delaysMs.isEmpty() ? 0 : delaysMs.takeFirst();
        QTimer::singleShot(delay, &m_socket, [this, reply, sender, senderPort] {
            --m_unanswered;
            m_socket.writeDatagram(reply, sender, senderPort);
            ++answered;
        });
    }
}

std::unique_ptr<rotctld::RotctldBridge> StartBridge(const FakeController& controller,
                                                    rotctld::BridgeSettings settings) {
    settings.listenPort = 0;
    settings.controllerPort = controller.port();
    auto bridge = std::make_unique<rotctld::RotctldBridge>(settings);
    return bridge->listen() ? std::move(bridge) : nullptr;
}

} // namespace zenko::test
