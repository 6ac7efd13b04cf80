#include <cmath>

#include <QUdpSocket>
#include <QtTest>

#include "device/BoardProtocol.h"
#include "support/LinkFixture.h"

using namespace zenko;
using test::LinkFixture;

class TrackingDriveTest : public QObject {
    Q_OBJECT
private slots:
    void followsAMovingRemoteTarget();
};

// A tracking program's azimuth moves on 0.75 deg every other control step, some 1.5 deg/s; the
// antenna, a relay rotator with run-up, coast and a noisy potentiometer, catches up and follows
// it. How closely the drive law follows is judged in virtual time by the rules' own tests: here
// the window, the board and the datagrams between them, counted in control steps.
void TrackingDriveTest::followsAMovingRemoteTarget() {
    picnic::SimulatorOptions board;
    for (picnic::AxisParameters* axis : {&board.model.azimuth, &board.model.elevation}) {
        axis->startAngle = 40.0;
        axis->speed = 6.0;
        axis->runUpSeconds = 0.15;
        axis->coastSeconds = 0.15;
        axis->noiseDegrees = 0.2;
    }
    LinkFixture link(board, "Tracking_Drive=1\nLocal_Remote_Selector=3\n");
    QUdpSocket peer;
    double target = 60.0;
    int steps = 0;
    const auto send = [&] {
        const QByteArray request = "tracker," + QByteArray::number(target, 'f', 2) + ",45";
        peer.writeDatagram(request, QHostAddress::LocalHost, link.ascPort);
    };
    connect(&link.board, &picnic::PicnicSimulator::commandReceived, this,
            [&](const picnic::ReceivedCommand& command) {
                if (command.kind == picnic::CommandKind::AdcRequest &&
                    static_cast<std::uint8_t>(command.bytes[1]) == device::kAzAdcChannel &&
                    ++steps % 2 == 0) {
                    target += 0.75;
                    send();
                }
            });
    link.start();
    QVERIFY(link.dlg().m_bRunning);
    send();
    const auto error = [&] {
        return std::fabs(link.board.modelNow().angle(picnic::Axis::Azimuth) - target);
    };
    // From 20 deg behind at 4.5 deg/s closing: about 20 steps.
    QVERIFY(QTest::qWaitFor([&] { return error() < 1.0 || steps > 80; }, 60000));
    QVERIFY2(steps <= 80, qPrintable(QString::number(error())));
    const int caughtUp = steps;
    QVERIFY(QTest::qWaitFor([&] { return steps >= caughtUp + 24; }, 60000));
    link.dlg().OnStop();
    QVERIFY(std::fabs(link.board.modelNow().angle(picnic::Axis::Elevation) - 45.0) < 1.5);
    // Only the designed datagrams, and never both relays of an axis at once.
    const QList<QByteArray> designed{"048100",     "048900",     "030601cf00", "030601cf10",
                                     "030601cf20", "0306013f00", "0306013f40", "0306013f80"};
    for (const QByteArray& hex : link.commandsHex().mid(6)) {
        QVERIFY2(designed.contains(hex), hex.constData());
    }
}

QTEST_MAIN(TrackingDriveTest)
#include "TrackingDrive_qtest.moc"
