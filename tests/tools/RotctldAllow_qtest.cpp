#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

#include "setvalue/SetValueCodec.h"
#include "support/JournalCapture.h"
#include "zenko-rotctld/RotctldBridge.h"
#include "zenko-rotctld/RotctldCommandLine.h"

using namespace zenko;
using test::JournalCapture;

namespace {

constexpr int kWaitMs = 3000;

// The controller's ASCII service on 127.0.0.1: records each request and answers it.
class Controller {
public:
    Controller() {
        m_socket.bind(QHostAddress::LocalHost, 0);
        QObject::connect(&m_socket, &QUdpSocket::readyRead, &m_socket, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram request = m_socket.receiveDatagram();
                requests << request.data();
                m_socket.writeDatagram(
                    request.makeReply(setvalue::BuildAsciiReply({10, 20, 1, 2})));
            }
        });
    }
    std::uint16_t port() const { return m_socket.localPort(); }
    QList<QByteArray> requests;

private:
    QUdpSocket m_socket;
};

// A tracker's connection from one loopback address that sends one line at once.
struct Tracker {
    Tracker(const char* from, std::uint16_t port, const QByteArray& line) {
        socket.bind(QHostAddress(QString::fromLatin1(from)), 0);
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.write(line);
    }
    // Everything the bridge sent until it closed the connection.
    std::optional<QByteArray> receivedUntilClosed() {
        QByteArray received;
        const bool closed = QTest::qWaitFor(
            [&] {
                received += socket.readAll();
                return socket.state() == QAbstractSocket::UnconnectedState;
            },
            kWaitMs);
        return closed ? std::optional(received + socket.readAll()) : std::nullopt;
    }
    QTcpSocket socket;
};

} // namespace

class RotctldAllowTest : public QObject {
    Q_OBJECT
private slots:
    void clientOutsideTheListIsClosedAtOnceAndNothingReachesTheController();
};

void RotctldAllowTest::clientOutsideTheListIsClosedAtOnceAndNothingReachesTheController() {
    JournalCapture journal;
    Controller controller;
    rotctld::CommandLineOutcome outcome = rotctld::ParseCommandLine(
        {QStringLiteral("--allow"), QStringLiteral("127.0.0.1, 10.0.0.0/8"),
         QStringLiteral("--controller-port"), QString::number(controller.port())});
    QCOMPARE(outcome.action, rotctld::CommandLineOutcome::Action::Run);
    outcome.settings.listenPort = 0;
    rotctld::RotctldBridge bridge(outcome.settings);
    QVERIFY(bridge.listen());

    for (int connection = 0; connection < 2; ++connection) {
        Tracker outsider("127.0.0.2", bridge.serverPort(), "P 200 60\np\n");
        QCOMPARE(outsider.receivedUntilClosed(), std::optional(QByteArray()));
    }
    QCOMPARE(JournalCapture::count(QStringLiteral("client 127.0.0.2 refused, not in --allow")), 1);
    QCOMPARE(JournalCapture::count(QStringLiteral("client 127.0.0.2")), 1);

    Tracker tracker("127.0.0.1", bridge.serverPort(), "p\nq\n");
    QCOMPARE(tracker.receivedUntilClosed(), std::optional(QByteArray("10.00\n20.00\n")));
    QCOMPARE(controller.requests, QList<QByteArray>{"?"});
}

QTEST_MAIN(RotctldAllowTest)
#include "RotctldAllow_qtest.moc"
