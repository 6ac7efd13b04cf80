#include <QTcpSocket>
#include <QtTest>

#include "support/JournalCapture.h"
#include "tools/FakeController.h"
#include "zenko-rotctld/RotctldCommandLine.h"

using namespace zenko;
using test::JournalCapture;

namespace {

constexpr int kWaitMs = 3000;

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
    test::FakeController controller;
    controller.azimuth = 10;
    controller.elevation = 20;
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
