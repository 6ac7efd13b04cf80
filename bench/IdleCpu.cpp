// The controller's own CPU time while the link runs with nothing to do: the antenna stands in
// the dead band, so every control step asks for the angles, finds them on target and switches
// nothing on. The board runs as the picnic-sim program so that its work is not counted here.

#include <cmath>

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "BenchSupport.h"
#include "platform/Formats.h"

using namespace zenko;

namespace {

constexpr int kWarmUpMs = 2000;
constexpr double kTargetPercent = 1.0;
// 90.3 degrees and 45 degrees read back within 0.3 degree of the whole-degree targets.
constexpr int kAzimuthTarget = 90;
constexpr int kElevationTarget = 45;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void RunEventLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    bench::UseOffscreenPlatformByDefault();
    QApplication application(argc, argv);
    long long seconds = 30;
    long long interval = 2;
    long long flood = -1;
    if (const std::optional<int> exit = bench::ReadOptions(
            "idle_cpu",
            {{"--seconds", &seconds, 1, 600, "measuring time in seconds"},
             {"--interval", &interval, 1, 60, "control interval in seconds"},
             bench::FloodOption(&flood)},
            QStringLiteral("Usage: idle_cpu [options]\nMeasures the CPU time the controller window "
                           "takes while its link runs with the antenna on target."))) {
        return *exit;
    }

    QElapsedTimer runTime;
    runTime.start();
    const QString loadAtStart = bench::LoadAverages();
    bench::PortPicker ports;
    bench::BoardProcess board;
    if (!board.start({QStringLiteral("--quiet"), QStringLiteral("--az-start"),
                      QStringLiteral("90.3"), QStringLiteral("--el-start"), QStringLiteral("45"),
                      QStringLiteral("--az-speed"), QStringLiteral("0"),
                      QStringLiteral("--el-speed"), QStringLiteral("0")},
                     ports)) {
        bench::PrintError(QLatin1String("idle_cpu: ") + board.errorString());
        return 1;
    }
    bench::ControllerSettings settings;
    settings.boardPort = board.port();
    settings.binaryPort = ports.next();
    settings.asciiPort = ports.next();
    settings.controlIntervalSeconds = static_cast<int>(interval);
    settings.selector = 2;
    settings.localAzimuth = kAzimuthTarget;
    settings.localElevation = kElevationTarget;
    if (flood >= 0) {
        settings.furtherKeys = bench::kFloodAllowKey;
    }
    bench::ControllerUnderTest controller(settings);
    if (!controller.start()) {
        bench::PrintError(QLatin1String("idle_cpu: the link did not start: ") +
                          controller.messages());
        return 1;
    }
    bench::FloodProcess floodProcess;
    if (flood > 0 &&
        !floodProcess.start(settings.binaryPort, settings.asciiPort, flood,
                            kWarmUpMs / 1000 + static_cast<int>(interval + seconds) + 5)) {
        bench::PrintError(QLatin1String("idle_cpu: ") + floodProcess.errorString());
        return 1;
    }
    // Past the start-up datagrams and the first full cycle, so only the steady state counts.
    RunEventLoopFor(kWarmUpMs + static_cast<int>(interval) * 1000);

    QElapsedTimer wall;
    const double cpuBefore = CpuSeconds();
    wall.start();
    RunEventLoopFor(static_cast<int>(seconds) * 1000);
    const double cpu = CpuSeconds() - cpuBefore;
    const double wallSeconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const QString floodSummary = floodProcess.stop();

    const CControllerDlg& dlg = controller.dlg();
    const bool idle =
        dlg.m_bRunning && dlg.m_dAzVolt > 0 && dlg.m_dElVolt > 0 && std::fabs(dlg.m_dAzError) < 1 &&
        std::fabs(dlg.m_dElError) < 1 &&
        dlg.m_nAzDrivePos + dlg.m_nAzDriveNeg + dlg.m_nElDrivePos + dlg.m_nElDriveNeg == 0;
    controller.dlg().OnStop();
    const double percent = cpu / wallSeconds * 100.0;
    bench::PrintLine(QStringLiteral("idle_cpu: controller CPU time with the link running and "
                                    "the antenna on target"));
    bench::PrintLine(QLatin1String("  control interval ") + platform::FormatInteger(interval) +
                     QLatin1String(" s, board: picnic-sim process (not counted), window shown "
                                   "offscreen; antenna in the dead band: ") +
                     QLatin1String(idle ? "yes" : "NO (figures not meaningful)") +
                     QLatin1String(" (errors az ") + bench::Fixed(dlg.m_dAzError, 2) +
                     QLatin1String(", el ") + bench::Fixed(dlg.m_dElError, 2) +
                     QLatin1String(" deg)"));
    if (flood >= 0) {
        bench::PrintLine(QLatin1String("  ") + bench::FloodText(flood, floodSummary));
    }
    bench::PrintLine(QLatin1String("  ") + bench::Fixed(cpu * 1000.0, 1) +
                     QLatin1String(" ms CPU in ") + bench::Fixed(wallSeconds, 2) +
                     QLatin1String(" s = ") + bench::Fixed(percent, 3) +
                     QLatin1String(" % of one core; target < 1 %: ") +
                     QLatin1String(percent < kTargetPercent ? "met" : "NOT met"));
    bench::PrintLine(QLatin1String("  run time ") +
                     bench::Fixed(static_cast<double>(runTime.elapsed()) / 1000.0, 1) +
                     QLatin1String(" s; load averages at start ") + loadAtStart +
                     QLatin1String(", at end ") + bench::LoadAverages());
    return idle ? 0 : 1;
}
