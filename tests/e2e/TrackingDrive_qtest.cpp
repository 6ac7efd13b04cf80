#include <cmath>

#include <QElapsedTimer>
#include <QUdpSocket>
#include <QtTest>

#include "support/LinkFixture.h"

using namespace zenko;
using test::LinkFixture;

class TrackingDriveTest : public QObject {
    Q_OBJECT
private slots:
    void followsAMovingRemoteTarget();
};

// A tracking program sends an azimuth that moves at 1.5 deg/s; the antenna, a relay rotator
// with run-up, coast and a noisy potentiometer, catches up and then stays with it.
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
    link.start();
    QVERIFY(link.dlg().m_bRunning);
    QUdpSocket peer;
    QElapsedTimer clock;
    clock.start();
    const auto target = [&] {
        return 60.0 + 1.5 * static_cast<double>(clock.elapsed()) / 1000.0;
    };
    const auto error = [&] {
        return std::fabs(link.board.modelNow().angle(picnic::Axis::Azimuth) - target());
    };
    int within = 0;
    double worst = 0;
    // Set values twice a second for at most 25 s; the last 12 after catching up are judged.
    while (within < 24 && clock.elapsed() < 25000) {
        const QByteArray request = "tracker," + QByteArray::number(target(), 'f', 2) + ",45";
        peer.writeDatagram(request, QHostAddress::LocalHost, link.ascPort);
        // The program's cadence; a lost antenna ends the wait early and fails below.
        (void)QTest::qWaitFor([&] { return within > 0 && error() > 2.5; }, 500);
        if (within > 0 || error() < 1.0) {
            worst = std::max(worst, error());
            ++within;
        }
    }
    link.dlg().OnStop();
    QCOMPARE(within, 24);
    QVERIFY2(worst < 2.5, qPrintable(QString::number(worst)));
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
