#include <cmath>

#include <QLoggingCategory>
#include <QUdpSocket>
#include <QtTest>

#include "support/JournalCapture.h"
#include "tools/HamlibClient.h"

using namespace zenko;
using rotctld::BridgeSettings;
using rotctld::RotctldBridge;
using test::ComesToRestNear;
using test::HamlibBoard;
using test::LinkFixture;
using test::ModelAngle;
using test::Rotctl;
using test::RotctlRun;
using test::StartBridge;

class RotctldHamlibTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void setPosMovesTheAntennaAndGetPosReportsIt();
    void rotctlKeepsToTheLimitsOfDumpState();
    void rotctlTurnsIntoTheOverlap();
    void rotctlReportsASilentController();
};

void RotctldHamlibTest::initTestCase() {
    if (!test::RotctlInstalled()) {
        QSKIP(test::kNoRotctl);
    }
}

void RotctldHamlibTest::setPosMovesTheAntennaAndGetPosReportsIt() {
    LinkFixture link(HamlibBoard(100, 30), "Local_Remote_Selector=3\n");
    link.start();
    QVERIFY(link.dlg().m_bRunning);
    const auto bridge = StartBridge(link);
    QVERIFY(bridge);

    const RotctlRun set = Rotctl(
        bridge->serverPort(), {QStringLiteral("P"), QStringLiteral("120"), QStringLiteral("45")});
    QVERIFY2(set.finished && set.exitCode == 0, set.errors.constData());
    QCOMPARE(link.dlg().m_dRemoteSetAz, 120.0);
    QCOMPARE(link.dlg().m_dRemoteSetEl, 45.0);
    double farthest = 0;
    QVERIFY(ComesToRestNear(link, 120, 45, 1.5, farthest));

    const RotctlRun get = Rotctl(bridge->serverPort(), {QStringLiteral("p")});
    QVERIFY2(get.finished && get.exitCode == 0, get.errors.constData());
    const QList<QByteArray> lines = get.output.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    bool azimuthRead = false;
    bool elevationRead = false;
    const double azimuth = lines[0].toDouble(&azimuthRead);
    const double elevation = lines[1].toDouble(&elevationRead);
    QVERIFY(azimuthRead && elevationRead);
    // The controller's reading, as its reply carries it with two decimals.
    QVERIFY2(std::abs(azimuth - link.dlg().m_dAzAngle) < 0.006, lines[0]);
    QVERIFY2(std::abs(elevation - link.dlg().m_dElAngle) < 0.006, lines[1]);
    QVERIFY(std::abs(azimuth - ModelAngle(link, picnic::Axis::Azimuth)) < 1);
    QVERIFY(std::abs(elevation - ModelAngle(link, picnic::Axis::Elevation)) < 1);
    // A query is not a set value.
    QCOMPARE(link.dlg().m_dRemoteSetAz, 120.0);
    link.dlg().OnStop();
}

void RotctldHamlibTest::rotctlKeepsToTheLimitsOfDumpState() {
    LinkFixture link(HamlibBoard(0, 0), "Local_Remote_Selector=3\n");
    link.start();
    QVERIFY(link.dlg().m_bRunning);
    BridgeSettings settings;
    settings.limits.maxAzimuth = 180;
    settings.limits.maxElevation = 60;
    const auto bridge = StartBridge(link, settings);
    QVERIFY(bridge);

    // What rotctl sends the bridge, from the bridge's journal.
    const test::JournalCapture journal;
    QLoggingCategory::setFilterRules(QStringLiteral("zenko.rotctld.debug=true"));
    const QString setPosition = QStringLiteral(" sent \"P ");
    const RotctlRun inside = Rotctl(
        bridge->serverPort(), {QStringLiteral("P"), QStringLiteral("150"), QStringLiteral("10")});
    QVERIFY2(inside.finished && inside.exitCode == 0, inside.errors.constData());
    QCOMPARE(link.dlg().m_dRemoteSetAz, 150.0);
    QCOMPARE(journal.count(setPosition), 1);
    // rotctl read the limits from \dump_state and refuses by itself: nothing reaches the bridge,
    // which would refuse them as well.
    for (const QStringList& outside :
         {QStringList{QStringLiteral("P"), QStringLiteral("200"), QStringLiteral("10")},
          QStringList{QStringLiteral("P"), QStringLiteral("100"), QStringLiteral("70")}}) {
        const RotctlRun refused = Rotctl(bridge->serverPort(), outside);
        QVERIFY(refused.finished);
        QVERIFY(refused.exitCode != 0);
    }
    QCOMPARE(journal.count(setPosition), 1);
    // Sent raw past rotctl's own check, the bridge refuses with the code Hamlib's rotctld gives.
    const RotctlRun raw =
        Rotctl(bridge->serverPort(), {QStringLiteral("w"), QStringLiteral("P 200 10\n")});
    QVERIFY(raw.finished);
    QCOMPARE(raw.output.trimmed(), QByteArray("RPRT -1"));
    QCOMPARE(link.dlg().m_dRemoteSetAz, 150.0);
    link.dlg().OnStop();
}

void RotctldHamlibTest::rotctlTurnsIntoTheOverlap() {
    // A rotator of 450 deg: the simulated potentiometer and the controller's calibration both
    // span 0..450 deg over 0..4.5 V.
    picnic::SimulatorOptions board = HamlibBoard(350, 10);
    board.model.azimuth.line = {0.0, 0.0, 450.0, 4.5};
    LinkFixture link(board, "Local_Remote_Selector=3\nCal_Az_Ang_2=450\n");
    link.start();
    QVERIFY(link.dlg().m_bRunning);
    BridgeSettings settings;
    settings.limits.maxAzimuth = 450;
    const auto bridge = StartBridge(link, settings);
    QVERIFY(bridge);

    QTRY_VERIFY_WITH_TIMEOUT(link.dlg().m_dAzAngle > 345, 10000);
    // Past north from 350: on to 370, not 340 deg back to 10.
    const RotctlRun set = Rotctl(bridge->serverPort(),
                                 {QStringLiteral("P"), QStringLiteral("10"), QStringLiteral("10")});
    QVERIFY2(set.finished && set.exitCode == 0, set.errors.constData());
    QCOMPARE(link.dlg().m_dRemoteSetAz, 370.0);
    // get_pos reports the real azimuth, past 360.
    QTRY_VERIFY_WITH_TIMEOUT(link.dlg().m_dAzAngle > 362, 10000);
    const RotctlRun get = Rotctl(bridge->serverPort(), {QStringLiteral("p")});
    QVERIFY2(get.output.split('\n').value(0).toDouble() > 360, get.output.constData());
    link.dlg().OnStop();
}

void RotctldHamlibTest::rotctlReportsASilentController() {
    // A port held by a socket that never answers: silent for certain, whatever else runs.
    QUdpSocket silent;
    QVERIFY(silent.bind(QHostAddress::LocalHost, 0));
    BridgeSettings settings;
    settings.listenPort = 0;
    settings.controllerPort = silent.localPort();
    settings.timeoutMs = 300;
    RotctldBridge bridge(settings);
    QVERIFY(bridge.listen());
    const RotctlRun get = Rotctl(bridge.serverPort(), {QStringLiteral("p")});
    QVERIFY(get.finished);
    // rotctl reads "RPRT -5" as Hamlib's time-out and says so instead of printing angles (its
    // exit status is not a reliable sign of that).
    QVERIFY2((get.output + get.errors).contains("Communication timed out"), get.output.constData());
}

QTEST_MAIN(RotctldHamlibTest)
#include "RotctldHamlib_qtest.moc"
