// How quickly the guards stop a rotator that does not move as it is driven, and whether they
// ever stop one that does.
//
// Faults: the azimuth driven into its end stop, jammed in mid-travel, with its relays swapped,
// with its reading frozen while it turns, and the board restarting under it, each under both
// drive laws at control intervals of 1 and 2 s, with the motion guard and without it. These run
// in virtual time, the controller's rules against the simulated board (bench/VirtualController),
// and once more in real time: the controller window against the simulator, the faults switched
// by the simulator's own commands.
//
// False trips: a station's day in virtual time, a low-orbit pass every 95 minutes, slews between
// presets between them and rest, with noisy readings and motors that run up and coast; the motion
// guard and the soft limits on.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "BenchSupport.h"
#include "SatellitePass.h"
#include "VirtualController.h"
#include "picnic-sim/FaultCommand.h"
#include "picnic-sim/PicnicSimulator.h"
#include "picnic-sim/SimulatedBoard.h"
#include "platform/Formats.h"

using namespace zenko;

namespace {

struct Options {
    // Long enough that the usual law's shortest pulses move the slow elevation, which runs up
    // for 0.15 s, by the movement the guard asks for (bench/README.md).
    long long stallTimeout = 10;
    long long feedbackTimeout = 5;
    double noise = 0.3;
    double runUp = 0.15;
    double coast = 0.15;
    long long seed = 1;
    double hours = 24.0;
    long long realTime = 1;
    long long realTimeInterval = 1;
};

// The rotator: 450 deg of azimuth over 0..4.5 V, elevation 0..90 deg over 0..4.5 V.
constexpr double kAzSpeed = 6.0;
constexpr double kElSpeed = 2.7;
constexpr double kAzSpan = 450.0;
constexpr double kElSpan = 90.0;
constexpr double kElevation = 45.0;
constexpr double kSampleSeconds = 0.01;
constexpr double kRestartSilence = 8.0;
constexpr std::uint8_t kAzRelayBits = 0x30;

enum class Fault { EndStop, Jam, Swap, Freeze, Restart };

struct FaultCase {
    Fault fault;
    const char* name;
    double start;
    double target;
};

// Where the faults strike: in mid-travel at 200 deg, against a stop at 400 deg, and with swapped
// relays at the first drive.
constexpr double kFaultAngle = 200.0;
constexpr double kEndStop = 400.0;
constexpr FaultCase kFaultCases[] = {
    {Fault::EndStop, "end stop", 390.0, 430.0},
    {Fault::Jam, "jam in mid-travel", 180.0, 300.0},
    {Fault::Swap, "swapped relays", 200.0, 260.0},
    {Fault::Freeze, "frozen reading", 180.0, 300.0},
    {Fault::Restart, "board restart", 180.0, 300.0},
};

picnic::RotatorParameters Rotator(const Options& options, double azimuth, double elevation) {
    picnic::RotatorParameters parameters;
    parameters.noiseSeed = static_cast<std::uint32_t>(options.seed);
    parameters.azimuth = {azimuth, kAzSpeed, {0.0, 0.0, kAzSpan, 4.5}, 0.0, kAzSpan};
    parameters.elevation = {elevation, kElSpeed, {0.0, 0.0, kElSpan, 4.5}, 0.0, kElSpan};
    for (picnic::AxisParameters* axis : {&parameters.azimuth, &parameters.elevation}) {
        axis->runUpSeconds = options.runUp;
        axis->coastSeconds = options.coast;
        axis->noiseDegrees = options.noise;
    }
    return parameters;
}

picnic::RotatorParameters FaultRotator(const Options& options, const FaultCase& fault) {
    picnic::RotatorParameters parameters = Rotator(options, fault.start, kElevation);
    if (fault.fault == Fault::EndStop) {
        parameters.azimuth.upperStop = kEndStop;
    }
    parameters.azimuth.faults.relaysSwapped = fault.fault == Fault::Swap;
    return parameters;
}

core::ProtectionSettings Protection(long long stallTimeout, bool limits) {
    core::ProtectionSettings settings;
    settings.stallTimeoutSeconds = static_cast<std::int32_t>(stallTimeout);
    if (limits) {
        settings.limits = {core::AngleLimits{true, 5.0, kAzSpan - 5.0},
                           core::AngleLimits{true, 3.0, kElSpan - 3.0}};
    }
    return settings;
}

struct FaultResult {
    std::optional<double> faultAt;
    // From the fault to the relay off for good, or for a restart to the controller's first
    // relay-off command.
    std::optional<double> offAfter;
    double travel = 0;
    QString trips;
    // A restart: from the board answering again to the I/O directions and to the axis turning.
    std::optional<double> resentAfter;
    std::optional<double> turningAfter;
};

// Watches one run: strikes the fault when its moment comes and measures what follows, from the
// true angle and the datagrams the board receives.
class FaultWatch {
public:
    FaultWatch(const FaultCase& fault, double horizonSeconds)
        : m_fault(fault), m_horizon(horizonSeconds), m_lastAzimuth(fault.start) {}

    // Every sample of the true azimuth; the fault's command when it is to strike now.
    std::optional<QString> sample(double seconds, double azimuth) {
        m_lastAzimuth = azimuth;
        if (m_result.faultAt && m_fault.fault == Fault::Restart) {
            const double answering = *m_result.faultAt + kRestartSilence;
            if (seconds < answering) {
                m_result.travel = std::fabs(azimuth - m_azimuthAtFault);
                m_azimuthAnswering = azimuth;
            } else if (!m_result.turningAfter && std::fabs(azimuth - m_azimuthAnswering) > 1.0) {
                m_result.turningAfter = seconds - answering;
            }
        }
        if (m_result.faultAt) {
            return std::nullopt;
        }
        switch (m_fault.fault) {
        case Fault::EndStop:
            if (azimuth >= kEndStop) {
                strike(seconds, azimuth);
            }
            return std::nullopt;
        case Fault::Swap:
            return std::nullopt;
        case Fault::Jam:
        case Fault::Freeze:
        case Fault::Restart:
            break;
        }
        if (azimuth < kFaultAngle) {
            return std::nullopt;
        }
        strike(seconds, azimuth);
        return m_fault.fault == Fault::Jam      ? QStringLiteral("jam az on")
               : m_fault.fault == Fault::Freeze ? QStringLiteral("freeze az on")
                                                : QStringLiteral("restart %1").arg(kRestartSilence);
    }

    void datagram(double seconds, const QByteArray& bytes, std::uint8_t relaysAfter) {
        const bool on = (relaysAfter & kAzRelayBits) != 0;
        if (on && !m_result.faultAt && m_fault.fault == Fault::Swap) {
            strike(seconds, m_lastAzimuth);
        }
        if (m_relayOn && !on) {
            m_lastOff = seconds;
        }
        m_relayOn = on;
        if (!m_result.faultAt || m_fault.fault != Fault::Restart) {
            return;
        }
        if (!m_result.offAfter && bytes == QByteArray::fromHex("030601cf00")) {
            m_result.offAfter = seconds - *m_result.faultAt;
        }
        const double answering = *m_result.faultAt + kRestartSilence;
        if (!m_result.resentAfter && seconds >= answering &&
            bytes == QByteArray::fromHex("020604")) {
            m_result.resentAfter = seconds - answering;
        }
    }

    bool finished(double seconds) const {
        return m_result.faultAt && seconds >= *m_result.faultAt + m_horizon;
    }

    FaultResult result(const QString& trips) const {
        FaultResult result = m_result;
        result.trips = trips;
        if (m_fault.fault != Fault::Restart && result.faultAt) {
            result.travel = std::fabs(m_lastAzimuth - m_azimuthAtFault);
            if (!m_relayOn) {
                result.offAfter = std::max(0.0, m_lastOff - *result.faultAt);
            }
        }
        return result;
    }

private:
    void strike(double seconds, double azimuth) {
        m_result.faultAt = seconds;
        m_azimuthAtFault = azimuth;
        m_azimuthAnswering = azimuth;
    }

    FaultCase m_fault;
    double m_horizon;
    FaultResult m_result;
    double m_azimuthAtFault = 0;
    double m_azimuthAnswering = 0;
    double m_lastAzimuth;
    bool m_relayOn = false;
    double m_lastOff = 0;
};

// Long enough for a trip and the relay-off after it, and for a restarted board to be driving
// again.
double Horizon(const FaultCase& fault, const Options& options, int interval) {
    return fault.fault == Fault::Restart
               ? kRestartSilence + 10.0
               : static_cast<double>(options.stallTimeout) + 2.0 * interval + 5.0;
}

QString TripText(const std::vector<bench::VirtualTrip>& trips) {
    QStringList kinds;
    for (const bench::VirtualTrip& trip : trips) {
        kinds << (trip.report.kind == core::MotionTrip::Reversed ? QStringLiteral("reversed")
                                                                 : QStringLiteral("stalled"));
    }
    return kinds.isEmpty() ? QStringLiteral("-") : kinds.join(QLatin1Char('+'));
}

FaultResult RunVirtualFault(const FaultCase& fault, bool tracking, int interval, bool guarded,
                            const Options& options) {
    picnic::SimulatedBoard board(FaultRotator(options, fault), {}, true);
    bench::VirtualControllerSettings settings;
    settings.trackingDrive = tracking;
    settings.controlIntervalSeconds = static_cast<std::uint32_t>(interval);
    settings.feedbackTimeoutSeconds = static_cast<std::int32_t>(options.feedbackTimeout);
    settings.protection = Protection(guarded ? options.stallTimeout : 0, false);
    settings.degreesPerVolt = {kAzSpan / 4.5, kElSpan / 4.5};
    settings.resendIoDirections = guarded;
    bench::VirtualController controller(settings, board);
    FaultWatch watch(fault, Horizon(fault, options, interval));
    controller.setObserver(
        [&watch](double seconds, const QByteArray& bytes, const picnic::BoardResponse& response) {
            watch.datagram(seconds, bytes, response.after.relays);
        });
    controller.setTarget(0.0, 0, fault.target, false);
    controller.setTarget(0.0, 1, kElevation, false);
    controller.start(0.0);
    constexpr double kLongestRun = 300.0;
    double nextSample = 0.0;
    for (double now = 0.0; now < kLongestRun && !watch.finished(now);) {
        now = std::min(controller.nextEvent(), nextSample);
        board.model().advanceTo(bench::BoardTime(now));
        if (now >= nextSample) {
            nextSample += kSampleSeconds;
            if (const auto command =
                    watch.sample(now, board.model().angle(picnic::Axis::Azimuth))) {
                picnic::ApplyFaultCommand(board, *picnic::ParseFaultCommand(*command).command,
                                          bench::BoardTime(now));
            }
        }
        controller.advance(now);
    }
    return watch.result(TripText(controller.trips()));
}

// The window against the simulator in this process, the faults switched by the commands its
// standard input takes; the trip is read from the window's title before Stop clears it.
FaultResult RunRealTimeFault(const FaultCase& fault, bool tracking, int interval,
                             const Options& options, bench::PortPicker& ports) {
    picnic::SimulatorOptions boardOptions;
    boardOptions.model = FaultRotator(options, fault);
    boardOptions.historyLimit = 0;
    const std::unique_ptr<picnic::PicnicSimulator> board =
        bench::StartBoardInProcess(boardOptions, ports);
    if (!board) {
        return {};
    }
    bench::ControllerSettings settings;
    settings.boardPort = board->port();
    settings.binaryPort = ports.next();
    settings.asciiPort = ports.next();
    settings.controlIntervalSeconds = interval;
    // The preset, which unlike the Local spin holds an azimuth beyond 360 deg.
    settings.selector = 1;
    settings.furtherKeys =
        "Local_Set_1_Az_Ang=" + QByteArray::number(fault.target) +
        "\nLocal_Set_1_El_Ang=" + QByteArray::number(kElevation) +
        "\nCal_Az_Ang_2=" + QByteArray::number(kAzSpan) +
        "\nCal_Az_Volt_2=4.5\nCal_El_Ang_2=" + QByteArray::number(kElSpan) +
        "\nCal_El_Volt_2=4.5\nFeedback_Timeout=" + QByteArray::number(options.feedbackTimeout) +
        "\nStall_Timeout=" + QByteArray::number(options.stallTimeout) + "\n" +
        (tracking ? "Tracking_Drive=1\n" : "");
    bench::ControllerUnderTest controller(settings);
    FaultWatch watch(fault, Horizon(fault, options, interval));
    const std::int64_t startNs = picnic::PicnicSimulator::NowNs();
    const auto seconds = [startNs](std::int64_t ns) {
        return static_cast<double>(ns - startNs) / 1e9;
    };
    QObject::connect(board.get(), &picnic::PicnicSimulator::commandReceived, board.get(),
                     [&](const picnic::ReceivedCommand& command) {
                         watch.datagram(seconds(command.monotonicNs), command.bytes,
                                        command.after.relays);
                     });
    // Its own loop: quitting the application's would close the window, which stops the link.
    QEventLoop loop;
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const double now = seconds(picnic::PicnicSimulator::NowNs());
        if (const auto command =
                watch.sample(now, board->modelNow().angle(picnic::Axis::Azimuth))) {
            picnic::ApplyFaultCommand(*board, *picnic::ParseFaultCommand(*command).command);
        }
        if (watch.finished(now) || now > 120.0) {
            loop.quit();
        }
    });
    if (!controller.start()) {
        bench::PrintError(QLatin1String("protection_faults: the link did not start: ") +
                          controller.messages());
        return {};
    }
    sampler.start(static_cast<int>(kSampleSeconds * 1000));
    loop.exec();
    sampler.stop();
    const QString title = controller.dlg().windowTitle();
    const QString trips = title.contains(QStringLiteral("逆回転"))     ? QStringLiteral("reversed")
                          : title.contains(QStringLiteral("動きなし")) ? QStringLiteral("stalled")
                                                                       : QStringLiteral("-");
    controller.dlg().OnStop();
    return watch.result(trips);
}

QString Seconds(const std::optional<double>& value) {
    return value ? bench::Fixed(*value, 2) + QStringLiteral(" s") : QStringLiteral("never");
}

QString Degrees(const std::optional<double>& value) {
    return value ? bench::Fixed(*value, 2) : QStringLiteral("-");
}

QString Padded(const QString& text, int width) {
    return text.leftJustified(width);
}

void PrintFaultRow(const FaultCase& fault, bool tracking, int interval, const FaultResult& guarded,
                   const std::optional<FaultResult>& unguarded, const Options& options) {
    const bool restart = fault.fault == Fault::Restart;
    const double goal =
        static_cast<double>(restart ? options.feedbackTimeout : options.stallTimeout) + interval +
        0.5;
    const bool met = guarded.offAfter && *guarded.offAfter <= goal;
    QString line = QStringLiteral("  ") + Padded(QLatin1String(fault.name), 18) +
                   Padded(QLatin1String(tracking ? "tracking" : "usual"), 9) +
                   Padded(platform::FormatInteger(interval), 3) + Padded(guarded.trips, 17) +
                   Padded(Seconds(guarded.offAfter), 10) +
                   Padded(bench::Fixed(guarded.travel, 2), 9) +
                   Padded((met ? QStringLiteral("yes (<= ") : QStringLiteral("NO (<= ")) +
                              bench::Fixed(goal, 1) + QStringLiteral(")"),
                          15);
    if (restart) {
        line += QStringLiteral("I/O again ") + Seconds(guarded.resentAfter) +
                QStringLiteral(", turning ") + Seconds(guarded.turningAfter) +
                QStringLiteral(" after answering");
        if (unguarded) {
            line += QStringLiteral("; unguarded turning ") + Seconds(unguarded->turningAfter);
        }
    } else if (unguarded) {
        line += QStringLiteral("unguarded: off ") + Seconds(unguarded->offAfter) +
                QStringLiteral(", ") + bench::Fixed(unguarded->travel, 1) + QStringLiteral(" deg");
    }
    bench::PrintLine(line);
}

void PrintFaultHeader() {
    bench::PrintLine(QStringLiteral("  fault             law      T  trip             off after "
                                    "travel   within goal  notes"));
}

// A station's day: a low-orbit pass every 95 minutes, each of its own height and direction,
// tracked from two minutes before it rises; between passes the antenna is sent to a preset that
// changes every 25 minutes, and rests there.
class StationDay {
public:
    StationDay(double hours) {
        constexpr double kMaximumElevations[] = {12.0, 25.0, 40.0, 55.0, 70.0, 85.0};
        for (int k = 0;; ++k) {
            const double culmination = 1800.0 + k * 5700.0;
            if (culmination > hours * 3600.0) {
                break;
            }
            const bench::SatellitePass pass(420.0, kMaximumElevations[k % 6]);
            double half = 0.0;
            while (pass.at(half).elevation > 0.0) {
                half += 1.0;
            }
            m_passes.push_back({pass, culmination, half, std::fmod(k * 67.0, 360.0)});
        }
    }

    struct Target {
        double azimuth;
        double elevation;
        bool remote;
    };
    Target at(double seconds) const {
        constexpr Target kPresets[] = {
            {180.0, 10.0, false}, {45.0, 30.0, false}, {300.0, 60.0, false}, {90.0, 5.0, false}};
        for (const Pass& pass : m_passes) {
            const double since = seconds - pass.culmination;
            if (since >= -pass.half - 120.0 && since <= pass.half) {
                const bench::SkyPosition position = pass.pass.at(std::max(since, -pass.half));
                return {std::fmod(position.azimuth + pass.rotation, 360.0),
                        std::max(0.0, position.elevation), true};
            }
        }
        return kPresets[static_cast<int>(seconds / 1500.0) % 4];
    }
    std::size_t passes() const { return m_passes.size(); }

private:
    struct Pass {
        bench::SatellitePass pass;
        double culmination;
        double half;
        double rotation;
    };
    std::vector<Pass> m_passes;
};

void RunDay(bool tracking, int interval, const Options& options, const StationDay& day) {
    QElapsedTimer clock;
    clock.start();
    picnic::SimulatedBoard board(Rotator(options, 180.0, 10.0), {}, true);
    bench::VirtualControllerSettings settings;
    settings.trackingDrive = tracking;
    settings.controlIntervalSeconds = static_cast<std::uint32_t>(interval);
    settings.feedbackTimeoutSeconds = static_cast<std::int32_t>(options.feedbackTimeout);
    settings.protection = Protection(options.stallTimeout, true);
    settings.degreesPerVolt = {kAzSpan / 4.5, kElSpan / 4.5};
    bench::VirtualController controller(settings, board);
    int relayChanges = 0;
    std::uint8_t relays = 0;
    controller.setObserver([&](double, const QByteArray&, const picnic::BoardResponse& response) {
        relayChanges += response.after.relays != relays ? 1 : 0;
        relays = response.after.relays;
    });
    controller.start(0.0);
    const double end = options.hours * 3600.0;
    // The set values come once a second, at their own phase against the control steps.
    double nextSetValue = 0.37;
    for (double now = 0.0; now < end;) {
        now = std::min(controller.nextEvent(), nextSetValue);
        if (now >= nextSetValue) {
            const StationDay::Target target = day.at(now);
            controller.setTarget(now, 0, target.azimuth, target.remote);
            controller.setTarget(now, 1, target.elevation, target.remote);
            nextSetValue += 1.0;
        }
        controller.advance(now);
    }
    bench::PrintLine(
        QStringLiteral("  ") + Padded(QLatin1String(tracking ? "tracking" : "usual"), 9) +
        Padded(platform::FormatInteger(interval), 3) +
        Padded(platform::FormatInteger(static_cast<long long>(controller.trips().size())), 13) +
        Padded(platform::FormatInteger(controller.clampsBegun()), 15) +
        Padded(Degrees(controller.leastMovement(0)) + QStringLiteral(" / ") +
                   Degrees(controller.leastMovement(1)),
               24) +
        platform::FormatInteger(relayChanges) + QStringLiteral(" relay changes, ") +
        bench::Fixed(static_cast<double>(clock.elapsed()) / 1000.0, 1) +
        QStringLiteral(" s to compute"));
    for (const bench::VirtualTrip& trip : controller.trips()) {
        bench::PrintLine(QStringLiteral("    trip at ") + bench::Fixed(trip.seconds, 1) +
                         QStringLiteral(" s, axis ") + platform::FormatInteger(trip.axis) +
                         QStringLiteral(", moved ") + bench::Fixed(trip.report.movedDegrees, 2));
    }
}

} // namespace

int main(int argc, char* argv[]) {
    bench::UseOffscreenPlatformByDefault();
    QApplication application(argc, argv);
    Options options;
    if (const std::optional<int> exit = bench::ReadOptions(
            "protection_faults",
            {{"--stall-timeout", &options.stallTimeout, 1, 60, "Stall_Timeout, seconds"},
             {"--feedback-timeout", &options.feedbackTimeout, 1, 60, "Feedback_Timeout, seconds"},
             {"--seed", &options.seed, 0, 4294967295LL, "seed of the potentiometer noise"},
             {"--real-time", &options.realTime, 0, 1, "1: also the faults in real time"},
             {"--real-time-interval", &options.realTimeInterval, 1, 2,
              "control interval of the real-time faults"}},
            {{"--noise", &options.noise, 0, 10, "potentiometer noise, rms degrees"},
             {"--run-up", &options.runUp, 0, 10, "seconds from a relay closing to full speed"},
             {"--coast", &options.coast, 0, 10, "seconds from a relay opening to standstill"},
             {"--hours", &options.hours, 0.1, 240, "hours of the station's day"}},
            {},
            QStringLiteral(
                "Usage: protection_faults [options]\nMeets the controller's motion guard, "
                "soft limits and board-restart handling with\nevery fault under both drive "
                "laws at control intervals of 1 and 2 s (virtual time,\nthen in real time "
                "against the simulated board), and counts false trips over a\nstation's "
                "day."))) {
        return *exit;
    }
    const QString loadAtStart = bench::LoadAverages();
    bench::PrintLine(
        QStringLiteral("protection_faults: Stall_Timeout=") +
        platform::FormatInteger(options.stallTimeout) + QStringLiteral(", Feedback_Timeout=") +
        platform::FormatInteger(options.feedbackTimeout) + QStringLiteral("; rotator az ") +
        bench::Fixed(kAzSpeed, 1) + QStringLiteral(" deg/s, el ") + bench::Fixed(kElSpeed, 1) +
        QStringLiteral(" deg/s, run-up ") + bench::Fixed(options.runUp, 2) +
        QStringLiteral(" s, coast ") + bench::Fixed(options.coast, 2) +
        QStringLiteral(" s, noise ") + bench::Fixed(options.noise, 2) +
        QStringLiteral(" deg rms; movement threshold ") + bench::Fixed(core::kClearMovement, 1) +
        QStringLiteral(" deg"));
    bench::PrintLine(QStringLiteral("faults, virtual time (the restart's \"off after\" is the "
                                    "controller's first relay-off command):"));
    PrintFaultHeader();
    for (const FaultCase& fault : kFaultCases) {
        for (const bool tracking : {false, true}) {
            for (const int interval : {1, 2}) {
                PrintFaultRow(fault, tracking, interval,
                              RunVirtualFault(fault, tracking, interval, true, options),
                              RunVirtualFault(fault, tracking, interval, false, options), options);
            }
        }
    }
    if (options.realTime != 0) {
        bench::PrintLine(QStringLiteral("faults, real time (the window against the simulator):"));
        PrintFaultHeader();
        bench::PortPicker ports;
        const int interval = static_cast<int>(options.realTimeInterval);
        for (const FaultCase& fault : kFaultCases) {
            for (const bool tracking : {false, true}) {
                PrintFaultRow(fault, tracking, interval,
                              RunRealTimeFault(fault, tracking, interval, options, ports),
                              std::nullopt, options);
            }
        }
    }
    const StationDay day(options.hours);
    bench::PrintLine(QStringLiteral("false trips over ") + bench::Fixed(options.hours, 1) +
                     QStringLiteral(" h, virtual time: ") +
                     platform::FormatInteger(static_cast<long long>(day.passes())) +
                     QStringLiteral(" passes, presets every 25 min; soft limits az 5..445, el "
                                    "3..87 deg:"));
    bench::PrintLine(QStringLiteral("  law      T  false trips  clamps begun   least movement "
                                    "az / el (deg in Stall_Timeout of drive)"));
    for (const bool tracking : {false, true}) {
        for (const int interval : {1, 2}) {
            RunDay(tracking, interval, options, day);
        }
    }
    bench::PrintLine(QStringLiteral("load averages at start ") + loadAtStart +
                     QStringLiteral(", at end ") + bench::LoadAverages());
    return 0;
}
