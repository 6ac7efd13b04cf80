#include <cmath>
#include <memory>

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QUdpSocket>
#include <QtTest>

#include "platform/Formats.h"
#include "support/LinkFixture.h"
#include "zenko-rotctld/RotctldBridge.h"

using namespace zenko;
using rotctld::BridgeSettings;
using rotctld::RotctldBridge;
using test::LinkFixture;

namespace {

constexpr int kRotctlLimitMs = 20000;
constexpr double kSpeed = 8;

picnic::SimulatorOptions Board(double azimuth, double elevation) {
    picnic::SimulatorOptions options;
    options.model.azimuth.startAngle = azimuth;
    options.model.elevation.startAngle = elevation;
    options.model.azimuth.speed = kSpeed;
    options.model.elevation.speed = kSpeed;
    return options;
}

struct RotctlRun {
    bool finished = false;
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

// Hamlib's own client through its network rotator, as a tracking program would use it. The
// window, the simulated board and the bridge live in this thread's event loop, so the test waits
// for the process without blocking that loop.
RotctlRun Rotctl(std::uint16_t port, const QStringList& commands) {
    QProcess process;
    process.setProgram(QStringLiteral("rotctl"));
    process.setArguments(QStringList{QStringLiteral("-m"), QStringLiteral("2"),
                                     QStringLiteral("-r"),
                                     QStringLiteral("127.0.0.1:") + platform::FormatInteger(port)} +
                         commands);
    process.start();
    RotctlRun run;
    run.finished =
        QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, kRotctlLimitMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    return run;
}

// The bridge in this process, on a free loopback TCP port, towards the controller's ASCII port.
std::unique_ptr<RotctldBridge> StartBridge(const LinkFixture& link, BridgeSettings settings = {}) {
    settings.listenPort = 0;
    settings.controllerPort = link.ascPort;
    auto bridge = std::make_unique<RotctldBridge>(settings);
    return bridge->listen() ? std::move(bridge) : nullptr;
}

double ModelAngle(const LinkFixture& link, picnic::Axis axis) {
    return link.board.modelNow().angle(axis);
}

// True once both axes of the simulated antenna have stood still for longer than a control
// interval within `near` degrees of the target: the controller has stopped driving them, so
// its reading no longer changes. Records the farthest azimuth on the way.
bool ComesToRestNear(const LinkFixture& link, double azimuth, double elevation, double near,
                     double& farthestAzimuth) {
    constexpr qint64 kLongerThanAnIntervalMs = 1500;
    QElapsedTimer still;
    still.start();
    double lastAzimuth = ModelAngle(link, picnic::Axis::Azimuth);
    double lastElevation = ModelAngle(link, picnic::Axis::Elevation);
    return QTest::qWaitFor(
        [&] {
            const double nowAzimuth = ModelAngle(link, picnic::Axis::Azimuth);
            const double nowElevation = ModelAngle(link, picnic::Axis::Elevation);
            farthestAzimuth = std::max(farthestAzimuth, nowAzimuth);
            if (nowAzimuth != lastAzimuth || nowElevation != lastElevation) {
                lastAzimuth = nowAzimuth;
                lastElevation = nowElevation;
                still.restart();
            }
            return still.elapsed() > kLongerThanAnIntervalMs &&
                   std::abs(nowAzimuth - azimuth) < near &&
                   std::abs(nowElevation - elevation) < near;
        },
        40000);
}

} // namespace

class RotctldHamlibTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void setPosMovesTheAntennaAndGetPosReportsIt();
    void stopHoldsTheAntennaWhereItIs();
    void rotctlKeepsToTheLimitsOfDumpState();
    void rotctlTurnsIntoTheOverlap();
    void rotctlReportsASilentController();
};

void RotctldHamlibTest::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("rotctl")).isEmpty()) {
        QSKIP("rotctl (Debian package libhamlib-utils) is not installed");
    }
}

void RotctldHamlibTest::setPosMovesTheAntennaAndGetPosReportsIt() {
    LinkFixture link(Board(100, 30), "Local_Remote_Selector=3\n");
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

void RotctldHamlibTest::stopHoldsTheAntennaWhereItIs() {
    LinkFixture link(Board(100, 30), "Local_Remote_Selector=3\n");
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

void RotctldHamlibTest::rotctlKeepsToTheLimitsOfDumpState() {
    LinkFixture link(Board(0, 0), "Local_Remote_Selector=3\n");
    link.start();
    QVERIFY(link.dlg().m_bRunning);
    BridgeSettings settings;
    settings.limits.maxAzimuth = 180;
    settings.limits.maxElevation = 60;
    const auto bridge = StartBridge(link, settings);
    QVERIFY(bridge);

    const RotctlRun inside = Rotctl(
        bridge->serverPort(), {QStringLiteral("P"), QStringLiteral("150"), QStringLiteral("10")});
    QVERIFY2(inside.finished && inside.exitCode == 0, inside.errors.constData());
    QCOMPARE(link.dlg().m_dRemoteSetAz, 150.0);
    // rotctl read the limits from \dump_state and refuses by itself: nothing reaches the bridge's
    // controller.
    for (const QStringList& outside :
         {QStringList{QStringLiteral("P"), QStringLiteral("200"), QStringLiteral("10")},
          QStringList{QStringLiteral("P"), QStringLiteral("100"), QStringLiteral("70")}}) {
        const RotctlRun refused = Rotctl(bridge->serverPort(), outside);
        QVERIFY(refused.finished);
        QVERIFY(refused.exitCode != 0);
        QCOMPARE(link.dlg().m_dRemoteSetAz, 150.0);
        QCOMPARE(link.dlg().m_dRemoteSetEl, 10.0);
    }
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
    picnic::SimulatorOptions board = Board(350, 10);
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
