#include "tools/SerialConformance.h"

#include <cmath>

#include <QApplication>
#include <QtTest>

#include "tools/HamlibClient.h"

namespace zenko::test {

namespace {

constexpr double kParkAzimuth = 150;
constexpr double kParkElevation = 20;

QString Text(const char* text) {
    return QString::fromLatin1(text);
}

} // namespace

void ServeHamlibDriver(int model, rotctld::Protocol protocol, bool parks, const QString& path) {
    LinkFixture link(HamlibBoard(100, 30), "Local_Remote_Selector=3\n");
    link.start();
    QVERIFY(link.dlg().m_bRunning);
    rotctld::BridgeSettings settings;
    settings.protocol = protocol;
    settings.ptyPath = path;
    settings.parkAzimuth = kParkAzimuth;
    settings.parkElevation = kParkElevation;
    const auto bridge = StartBridge(link, settings);
    QVERIFY(bridge);

    // Every run opens the port anew and closes it on its way out.
    const RotctlRun set = RotctlModel(model, path, {Text("P"), Text("120"), Text("45")});
    QVERIFY2(set.finished && set.exitCode == 0, set.errors.right(2000).constData());
    // The serial protocols acknowledge no set position: the client is done before the controller
    // has it.
    QTRY_COMPARE_WITH_TIMEOUT(link.dlg().m_dRemoteSetAz, 120.0, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(link.dlg().m_dRemoteSetEl, 45.0, 5000);
    double farthest = 0;
    QVERIFY(ComesToRestNear(link, 120, 45, 1.5, farthest));
    const RotctlRun get = RotctlModel(model, path, {Text("p")});
    QVERIFY2(get.finished && get.exitCode == 0, get.errors.right(2000).constData());
    const QList<QByteArray> lines = get.output.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY2(std::abs(lines[0].toDouble() - ModelAngle(link, picnic::Axis::Azimuth)) < 1, lines[0]);
    QVERIFY2(std::abs(lines[1].toDouble() - ModelAngle(link, picnic::Axis::Elevation)) < 1,
             lines[1]);

    const RotctlRun far = RotctlModel(model, path, {Text("P"), Text("200"), Text("60")});
    QVERIFY2(far.finished && far.exitCode == 0, far.errors.right(2000).constData());
    QTRY_VERIFY_WITH_TIMEOUT(link.dlg().m_dAzAngle > 130, 10000);
    const RotctlRun stop = RotctlModel(model, path, {Text("S")});
    QVERIFY2(stop.finished && stop.exitCode == 0, stop.errors.right(2000).constData());
    // The target becomes where the controller last measured the antenna, on the way to 200 (that
    // the antenna then rests there is the rotctld bridge's stop test, the same stop).
    QTRY_VERIFY_WITH_TIMEOUT(link.dlg().m_dRemoteSetAz != 200, 5000);
    const double held = link.dlg().m_dRemoteSetAz;
    QVERIFY2(held > 130 && held < 190, QByteArray::number(held));
    QCOMPARE(held, std::round(held * 100) / 100);

    const RotctlRun park = RotctlModel(model, path, {Text("K")});
    QVERIFY(park.finished);
    if (parks) {
        QCOMPARE(park.exitCode, 0);
        QTRY_COMPARE_WITH_TIMEOUT(link.dlg().m_dRemoteSetAz, kParkAzimuth, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(link.dlg().m_dRemoteSetEl, kParkElevation, 5000);
    } else {
        // The driver has no park, and sends nothing.
        QVERIFY2((park.output + park.errors).contains("Feature not available"),
                 park.output.constData());
        QCOMPARE(link.dlg().m_dRemoteSetAz, held);
    }
    link.dlg().OnStop();
}

void SerialConformanceTest::initTestCase() {
    if (!RotctlInstalled()) {
        QSKIP(kNoRotctl);
    }
}

void SerialConformanceTest::hamlibsDriverPointsTheAntenna_data() {
    QTest::addColumn<int>("driver");
    for (qsizetype i = 0; i < m_drivers.size(); ++i) {
        QTest::newRow(m_drivers[i].name) << static_cast<int>(i);
    }
}

void SerialConformanceTest::hamlibsDriverPointsTheAntenna() {
    QFETCH(int, driver);
    const HamlibDriver& d = m_drivers[driver];
    ServeHamlibDriver(d.model, d.protocol, d.parks, m_dir.filePath(QString::number(d.model)));
}

int RunSerialConformance(int argc, char** argv, QList<HamlibDriver> drivers) {
    QApplication application(argc, argv);
    application.setAttribute(Qt::AA_Use96Dpi, true);
    SerialConformanceTest test(std::move(drivers));
    return QTest::qExec(&test, argc, argv);
}

} // namespace zenko::test
