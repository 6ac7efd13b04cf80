#include "tools/HamlibClient.h"

#include <algorithm>
#include <cmath>

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "platform/Formats.h"

namespace zenko::test {

namespace {
constexpr double kSpeed = 8;
} // namespace

bool RotctlInstalled() {
    return !QStandardPaths::findExecutable(QStringLiteral("rotctl")).isEmpty();
}

picnic::SimulatorOptions HamlibBoard(double azimuth, double elevation) {
    return BoardAt(azimuth, elevation, kSpeed);
}

RotctlRun Rotctl(std::uint16_t port, const QStringList& commands) {
    return RotctlModel(2, QStringLiteral("127.0.0.1:") + platform::FormatInteger(port), commands);
}

RotctlRun RotctlModel(int model, const QString& device, const QStringList& commands) {
    QProcess process;
    process.setProgram(QStringLiteral("rotctl"));
    process.setArguments(QStringList{QStringLiteral("-m"), platform::FormatInteger(model),
                                     QStringLiteral("-r"), device} +
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

std::unique_ptr<rotctld::RotctldBridge> StartBridge(const LinkFixture& link,
                                                    rotctld::BridgeSettings settings) {
    settings.listenPort = 0;
    settings.controllerPort = link.ascPort;
    auto bridge = std::make_unique<rotctld::RotctldBridge>(settings);
    return bridge->listen() ? std::move(bridge) : nullptr;
}

double ModelAngle(const LinkFixture& link, picnic::Axis axis) {
    return link.board.modelNow().angle(axis);
}

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

} // namespace zenko::test
