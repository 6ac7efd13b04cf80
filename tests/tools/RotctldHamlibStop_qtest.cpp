#include <cmath>

#include <QtTest>

#include "tools/HamlibClient.h"

using namespace zenko;
using test::ComesToRestNear;
using test::HamlibBoard;
using test::LinkFixture;
using test::ModelAngle;
using test::Rotctl;
using test::RotctlRun;
using test::StartBridge;

// Apart from the other tests with rotctl, which take as long together as this one alone, so
// that the two can run side by side.
class RotctldHamlibStopTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void stopHoldsTheAntennaWhereItIs();
};

void RotctldHamlibStopTest::initTestCase() {
    if (!test::RotctlInstalled()) {
        QSKIP(test::kNoRotctl);
    }
}

void RotctldHamlibStopTest::stopHoldsTheAntennaWhereItIs() {
    LinkFixture link(HamlibBoard(100, 30), "Local_Remote_Selector=3\n");
    link.start();
    QVERIFY(link.dlg().m_bRunning);
    const auto bridge = StartBridge(link);
    QVERIFY(bridge);

    const RotctlRun set = Rotctl(
        bridge->serverPort(), {QStringLiteral("P"), QStringLiteral("200"), QStringLiteral("60")});
    QVERIFY2(set.finished && set.exitCode == 0, set.errors.constData());
    QTRY_VERIFY_WITH_TIMEOUT(link.dlg().m_dAzAngle > 115, 10000);

    const RotctlRun stop = Rotctl(bridge->serverPort(), {QStringLiteral("S")});
    QVERIFY2(stop.finished && stop.exitCode == 0, stop.errors.constData());
    // The target is the position the controller last measured, as its reply shows it.
    const double held = link.dlg().m_dRemoteSetAz;
    QVERIFY2(held > 115 && held < 190, QByteArray::number(held));
    QCOMPARE(held, std::round(held * 100) / 100);
    // The antenna coasts until the next control step, then turns back to the held target and
    // rests there; had it not stopped it would have gone on to 200.
    double farthest = 0;
    QVERIFY(ComesToRestNear(link, held, link.dlg().m_dRemoteSetEl, 1.5, farthest));
    QVERIFY2(farthest < held + 25, QByteArray::number(farthest));
    // Two more readings of the antenna, and the control step between them, leave it there.
    const std::uint64_t readings = link.board.receivedCount(picnic::CommandKind::AdcRequest);
    QTRY_VERIFY_WITH_TIMEOUT(
        link.board.receivedCount(picnic::CommandKind::AdcRequest) >= readings + 4, 10000);
    QVERIFY(std::abs(ModelAngle(link, picnic::Axis::Azimuth) - held) < 1.5);
    QCOMPARE(link.dlg().m_dRemoteSetAz, held);
    link.dlg().OnStop();
}

QTEST_MAIN(RotctldHamlibStopTest)
#include "RotctldHamlibStop_qtest.moc"
