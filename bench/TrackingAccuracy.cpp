// How closely the controller keeps the antenna on a satellite: a low-earth-orbit pass sent to
// the ASCII set-value service once a second, as a tracking program would, against a rotator
// with the run-up, coast and potentiometer noise of a real one; and the same pass followed by
// the best relay rotator of those speeds, for a yardstick.
//
// The board runs inside this program, not as the picnic-sim process: the figures come from
// the antenna's true angle, read from the model twenty times a second on the clock that also
// times the pass, and a board in another process would show it only rounded in its printed
// lines and on a clock of its own. What sharing the event loop costs the board's timing
// (milliseconds) is far below what is measured here (tenths of a degree at a few deg/s).
//
// With --scenario moves it makes the preset moves instead, from rest to rest, under both drive
// laws, a fresh controller and board for each: a new station's first moves, before the tracking
// drive has learnt its axes.

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include "BenchSupport.h"
#include "IdealFollower.h"
#include "PresetMoves.h"
#include "SatellitePass.h"
#include "TrackingRecord.h"
#include "picnic-sim/PicnicSimulator.h"
#include "platform/Formats.h"

using namespace zenko;

namespace {

constexpr double kAltitudeKm = 420.0;
// The controller tracks for this long before the measured window opens, so that the window
// shows it following, not catching up: the antenna starts where the pass starts.
constexpr double kLeadInSeconds = 10.0;
constexpr int kSampleIntervalMs = 50;
constexpr int kMoveSampleIntervalMs = 20;
constexpr int kTargetIntervalMs = 1000;
constexpr double kDeadBand = 1.0;

struct TrackingOptions {
    double maximumElevation = 60.0;
    double azimuthSpeed = 6.0;
    double elevationSpeed = 2.7;
    double runUp = 0.15;
    double coast = 0.15;
    double noise = 0.2;
    long long seed = 1;
    long long interval = 1;
    QString drive = QStringLiteral("designed");
    QString protection = QStringLiteral("off");
    double duration = 75.0;
    QString scenario = QStringLiteral("pass");
};

std::uint8_t AxisRelays(std::uint8_t relays, picnic::Axis axis) {
    return relays & (picnic::IncreaseBit(axis) | picnic::DecreaseBit(axis));
}

// "median 6.01  p95 7.80  max 9.12 deg"
QString Errors(const std::vector<double>& values) {
    const bench::Summary summary = bench::Summarize(values);
    return QLatin1String("median ") + bench::Fixed(summary.median, 2) + QLatin1String("  p95 ") +
           bench::Fixed(summary.p95, 2) + QLatin1String("  max ") +
           bench::Fixed(summary.maximum, 2) + QLatin1String(" deg");
}

// The rotator of both scenarios: the given speeds, run-up, coast and noise.
picnic::SimulatorOptions BoardOptions(const TrackingOptions& tracking) {
    picnic::SimulatorOptions options;
    options.model.azimuth.speed = tracking.azimuthSpeed;
    options.model.elevation.speed = tracking.elevationSpeed;
    for (picnic::AxisParameters* axis : {&options.model.azimuth, &options.model.elevation}) {
        axis->runUpSeconds = tracking.runUp;
        axis->coastSeconds = tracking.coast;
        axis->noiseDegrees = tracking.noise;
    }
    options.model.noiseSeed = static_cast<std::uint32_t>(tracking.seed);
    // Every relay change is counted as it arrives; nothing needs the datagrams afterwards.
    options.historyLimit = 0;
    return options;
}

// A controller of the board, its set-value services on free ports.
bench::ControllerSettings ControllerFor(const picnic::PicnicSimulator& board,
                                        const TrackingOptions& options, bench::PortPicker& ports) {
    bench::ControllerSettings settings;
    settings.boardPort = board.port();
    settings.binaryPort = ports.next();
    settings.asciiPort = ports.next();
    settings.controlIntervalSeconds = static_cast<int>(options.interval);
    return settings;
}

double PerMinute(int changes, double seconds) {
    return seconds > 0.0 ? changes * 60.0 / seconds : 0.0;
}

QString Ratio(double measured, double ideal) {
    return ideal > 0.0 ? bench::Fixed(measured / ideal, 2) : QStringLiteral("-");
}

// "el 2.70 deg/s, run-up 0.15 s, coast 0.15 s, noise 0.20 deg rms (seed 1); control interval
// 1 s; ", what both scenarios print of the rotator and the controller.
QString RotatorAndInterval(const TrackingOptions& options) {
    return QLatin1String("el ") + bench::Fixed(options.elevationSpeed, 2) +
           QLatin1String(" deg/s, run-up ") + bench::Fixed(options.runUp, 2) +
           QLatin1String(" s, coast ") + bench::Fixed(options.coast, 2) +
           QLatin1String(" s, noise ") + bench::Fixed(options.noise, 2) +
           QLatin1String(" deg rms (seed ") + platform::FormatInteger(options.seed) +
           QLatin1String("); control interval ") + platform::FormatInteger(options.interval) +
           QLatin1String(" s; ");
}

class TrackingBench {
public:
    explicit TrackingBench(const TrackingOptions& options)
        : m_options(options), m_pass(kAltitudeKm, options.maximumElevation),
          m_start(-options.duration / 2.0 - kLeadInSeconds) {}

    int run();

private:
    double passSeconds() const {
        return m_start +
               static_cast<double>(picnic::PicnicSimulator::NowNs() - m_passStartNs) / 1e9;
    }
    bool inWindow(double seconds) const {
        return seconds >= -m_options.duration / 2.0 && seconds <= m_options.duration / 2.0;
    }
    bool startBoard();
    void sendTarget();
    void sample();
    void onCommand(const picnic::ReceivedCommand& command);
    void report(double runSeconds, const QString& loadAtStart) const;

    TrackingOptions m_options;
    bench::SatellitePass m_pass;
    double m_start;
    bench::PortPicker m_ports;
    std::unique_ptr<picnic::PicnicSimulator> m_board;
    std::unique_ptr<bench::ControllerUnderTest> m_controller;
    QUdpSocket m_peer;
    std::uint16_t m_asciiPort = 0;
    std::int64_t m_passStartNs = 0;
    int m_targetsSent = 0;
    int m_repliesReceived = 0;
    // Azimuth, elevation.
    std::array<std::uint8_t, 2> m_relays{};
    bench::TrackingRecord m_record;
};

bool TrackingBench::startBoard() {
    picnic::SimulatorOptions options = BoardOptions(m_options);
    const bench::SkyPosition first = m_pass.at(m_start);
    options.model.azimuth.startAngle = first.azimuth;
    options.model.elevation.startAngle = first.elevation;
    m_board = bench::StartBoardInProcess(options, m_ports);
    return m_board != nullptr;
}

int TrackingBench::run() {
    const QString loadAtStart = bench::LoadAverages();
    if (!startBoard()) {
        bench::PrintError(QStringLiteral("tracking_accuracy: no port for the board"));
        return 1;
    }
    if (!m_peer.bind(QHostAddress::LocalHost, 0)) {
        bench::PrintError(QStringLiteral("tracking_accuracy: no port for the tracking peer"));
        return 1;
    }
    QObject::connect(&m_peer, &QUdpSocket::readyRead, [this] {
        while (m_peer.hasPendingDatagrams()) {
            m_peer.receiveDatagram();
            ++m_repliesReceived;
        }
    });
    bench::ControllerSettings settings = ControllerFor(*m_board, m_options, m_ports);
    settings.selector = 3;
    if (m_options.drive == QLatin1String("tracking")) {
        settings.furtherKeys = "Tracking_Drive=1\n";
    }
    // The motion guard and soft limits a few degrees inside the simulated stops (0..200 deg and
    // 0..100 deg with the default potentiometer lines).
    if (m_options.protection == QLatin1String("on")) {
        settings.furtherKeys += "Stall_Timeout=10\nAz_Min_Ang=5\nAz_Max_Ang=195\nEl_Min_Ang=3\n"
                                "El_Max_Ang=97\n";
    }
    m_asciiPort = settings.asciiPort;
    m_controller = std::make_unique<bench::ControllerUnderTest>(settings);
    QObject::connect(m_board.get(), &picnic::PicnicSimulator::commandReceived, m_board.get(),
                     [this](const picnic::ReceivedCommand& command) { onCommand(command); });

    const std::int64_t runStartNs = picnic::PicnicSimulator::NowNs();
    if (!m_controller->start()) {
        bench::PrintError(QLatin1String("tracking_accuracy: the link did not start: ") +
                          m_controller->messages());
        return 1;
    }
    m_passStartNs = picnic::PicnicSimulator::NowNs();
    QTimer targets;
    targets.setTimerType(Qt::PreciseTimer);
    QObject::connect(&targets, &QTimer::timeout, [this] { sendTarget(); });
    QTimer samples;
    samples.setTimerType(Qt::PreciseTimer);
    QObject::connect(&samples, &QTimer::timeout, [this] { sample(); });
    sendTarget();
    targets.start(kTargetIntervalMs);
    samples.start(kSampleIntervalMs);
    // The pass is the run's clock; it ends the run a sample after the window closes.
    const auto runMs = static_cast<int>(std::ceil((m_options.duration / 2.0 - m_start) * 1000.0)) +
                       kSampleIntervalMs;
    QTimer::singleShot(runMs, QCoreApplication::instance(), &QCoreApplication::quit);
    QApplication::exec();
    targets.stop();
    samples.stop();
    m_controller->dlg().OnStop();
    report(static_cast<double>(picnic::PicnicSimulator::NowNs() - runStartNs) / 1e9, loadAtStart);
    return m_record.separation.empty() ? 1 : 0;
}

void TrackingBench::sendTarget() {
    const bench::SkyPosition target = m_pass.at(passSeconds());
    const QString request = QLatin1String("ZENKO,") + bench::Fixed(target.azimuth, 3) +
                            QLatin1Char(',') + bench::Fixed(target.elevation, 3);
    m_peer.writeDatagram(request.toLatin1(), QHostAddress(QHostAddress::LocalHost), m_asciiPort);
    ++m_targetsSent;
}

void TrackingBench::sample() {
    const double seconds = passSeconds();
    if (!inWindow(seconds)) {
        return;
    }
    const picnic::RotatorModel& model = m_board->modelNow();
    m_record.addSample({model.angle(picnic::Axis::Azimuth), model.angle(picnic::Axis::Elevation)},
                       m_pass.at(seconds));
}

void TrackingBench::onCommand(const picnic::ReceivedCommand& command) {
    if (command.kind != picnic::CommandKind::Relay) {
        return;
    }
    const double seconds = m_start + static_cast<double>(command.monotonicNs - m_passStartNs) / 1e9;
    for (const picnic::Axis axis : {picnic::Axis::Azimuth, picnic::Axis::Elevation}) {
        std::uint8_t& before = m_relays[picnic::AxisIndex(axis)];
        const std::uint8_t now = AxisRelays(command.after.relays, axis);
        if (now == before) {
            continue;
        }
        before = now;
        if (m_passStartNs != 0 && inWindow(seconds)) {
            (axis == picnic::Axis::Azimuth ? m_record.azimuthChanges : m_record.elevationChanges)++;
        }
    }
}

void TrackingBench::report(double runSeconds, const QString& loadAtStart) const {
    const double window = m_options.duration;
    bench::FollowerRun run;
    run.azimuthSpeed = m_options.azimuthSpeed;
    run.elevationSpeed = m_options.elevationSpeed;
    run.deadBand = kDeadBand;
    run.start = m_start;
    run.windowStart = -window / 2.0;
    run.windowEnd = window / 2.0;
    run.sampleSeconds = kSampleIntervalMs / 1000.0;
    const bench::TrackingRecord ideal = bench::FollowIdeally(m_pass, run);

    // The pass's extent and its fastest azimuth, so that a reader sees what was asked of the
    // rotator.
    double lowestAzimuth = 360.0;
    double highestAzimuth = 0.0;
    double lowestElevation = 90.0;
    double fastestAzimuth = 0.0;
    for (double seconds = run.windowStart; seconds <= run.windowEnd; seconds += 0.1) {
        const bench::SkyPosition position = m_pass.at(seconds);
        lowestAzimuth = std::min(lowestAzimuth, position.azimuth);
        highestAzimuth = std::max(highestAzimuth, position.azimuth);
        lowestElevation = std::min(lowestElevation, position.elevation);
        fastestAzimuth = std::max(
            fastestAzimuth, std::fabs(bench::AzimuthDifference(m_pass.at(seconds + 0.05).azimuth,
                                                               m_pass.at(seconds - 0.05).azimuth)) /
                                0.1);
    }
    const auto integer = [](long long value) {
        return platform::FormatInteger(value);
    };
    bench::PrintLine(QLatin1String("tracking_accuracy: ") + m_options.drive +
                     QLatin1String(" drive law against a circular-orbit pass, protection ") +
                     m_options.protection);
    bench::PrintLine(
        QLatin1String("  pass: ") + bench::Fixed(kAltitudeKm, 0) +
        QLatin1String(" km, maximum elevation ") + bench::Fixed(m_options.maximumElevation, 1) +
        QLatin1String(" deg; measured ") + bench::Fixed(window, 1) +
        QLatin1String(" s around culmination after ") + bench::Fixed(kLeadInSeconds, 0) +
        QLatin1String(" s of tracking from the pass's position: az ") +
        bench::Fixed(highestAzimuth, 1) + QLatin1String("..") + bench::Fixed(lowestAzimuth, 1) +
        QLatin1String(" deg, el ") + bench::Fixed(lowestElevation, 1) + QLatin1String("..") +
        bench::Fixed(m_options.maximumElevation, 1) + QLatin1String(" deg, azimuth up to ") +
        bench::Fixed(fastestAzimuth, 2) + QLatin1String(" deg/s"));
    bench::PrintLine(QLatin1String("  rotator: az ") + bench::Fixed(m_options.azimuthSpeed, 2) +
                     QLatin1String(" deg/s, ") + RotatorAndInterval(m_options) +
                     integer(m_targetsSent) + QLatin1String(" targets over the ASCII service, ") +
                     integer(m_repliesReceived) + QLatin1String(" answered"));
    const auto figures = [&](const char* name, const bench::TrackingRecord& record) {
        const double azimuth = PerMinute(record.azimuthChanges, window);
        const double elevation = PerMinute(record.elevationChanges, window);
        bench::PrintLine(QLatin1String("  ") + QLatin1String(name) +
                         QLatin1String(" pointing error on the sky: ") + Errors(record.separation) +
                         QLatin1String("  (n=") +
                         integer(static_cast<long long>(record.separation.size())) +
                         QLatin1Char(')'));
        bench::PrintLine(QLatin1String("  ") + QLatin1String(name) + QLatin1String(" azimuth: ") +
                         Errors(record.azimuthError) + QLatin1String("; elevation: ") +
                         Errors(record.elevationError));
        bench::PrintLine(QLatin1String("  ") + QLatin1String(name) +
                         QLatin1String(" relay state changes per minute: az ") +
                         bench::Fixed(azimuth, 1) + QLatin1String(", el ") +
                         bench::Fixed(elevation, 1) + QLatin1String(", both ") +
                         bench::Fixed(azimuth + elevation, 1));
    };
    figures("controller", m_record);
    figures("ideal     ", ideal);
    const bench::Summary measured = bench::Summarize(m_record.separation);
    const bench::Summary best = bench::Summarize(ideal.separation);
    const int measuredChanges = m_record.azimuthChanges + m_record.elevationChanges;
    const int idealChanges = ideal.azimuthChanges + ideal.elevationChanges;
    bench::PrintLine(QLatin1String("  controller / ideal: error median ") +
                     Ratio(measured.median, best.median) + QLatin1String(", p95 ") +
                     Ratio(measured.p95, best.p95) + QLatin1String(", max ") +
                     Ratio(measured.maximum, best.maximum) + QLatin1String("; relay changes az ") +
                     Ratio(m_record.azimuthChanges, ideal.azimuthChanges) + QLatin1String(", el ") +
                     Ratio(m_record.elevationChanges, ideal.elevationChanges) +
                     QLatin1String(", both ") + Ratio(measuredChanges, idealChanges));
    bench::PrintLine(QLatin1String("  run time ") + bench::Fixed(runSeconds, 1) +
                     QLatin1String(" s; load averages at start ") + loadAtStart +
                     QLatin1String(", at end ") + bench::LoadAverages());
}

// The preset moves in real time, each against a fresh board and controller with the Local set
// values at the move's target and the antenna resting where it starts.
class MoveBench {
public:
    explicit MoveBench(const TrackingOptions& options) : m_options(options) {}

    int run();

private:
    // Nullopt when the move could not be set up.
    std::optional<bench::MoveRecord> runMove(const bench::PresetMove& move, bool tracking);

    TrackingOptions m_options;
    bench::PortPicker m_ports;
};

std::optional<bench::MoveRecord> MoveBench::runMove(const bench::PresetMove& move, bool tracking) {
    // The move ends once both axes' relays have been off this long.
    constexpr std::int64_t kQuietNs = 5'000'000'000;
    picnic::SimulatorOptions options = BoardOptions(m_options);
    options.model.azimuth.line = {0.0, 0.0, bench::kPresetAzimuthSpan, 4.5};
    options.model.azimuth.startAngle = move.azimuthFrom;
    options.model.elevation.startAngle = move.elevationFrom;
    const std::unique_ptr<picnic::PicnicSimulator> board =
        bench::StartBoardInProcess(options, m_ports);
    if (board == nullptr) {
        bench::PrintError(QStringLiteral("tracking_accuracy: no port for the board"));
        return std::nullopt;
    }
    bench::ControllerSettings settings = ControllerFor(*board, m_options, m_ports);
    settings.selector = 2;
    settings.localAzimuth = move.azimuthTo;
    settings.localElevation = move.elevationTo;
    settings.furtherKeys =
        "Cal_Az_Ang_2=" +
        platform::FormatInteger(static_cast<long long>(bench::kPresetAzimuthSpan)).toLatin1() +
        "\nCal_Az_Volt_2=4.5\n" + (tracking ? "Tracking_Drive=1\n" : "");
    bench::ControllerUnderTest controller(settings);

    const picnic::Axis moving =
        move.movesAzimuth() ? picnic::Axis::Azimuth : picnic::Axis::Elevation;
    bench::MoveRecord record;
    std::array<std::uint8_t, 2> relays{};
    std::int64_t lastDrivenNs = 0;
    QObject::connect(
        board.get(), &picnic::PicnicSimulator::commandReceived, board.get(),
        [&](const picnic::ReceivedCommand& command) {
            if (command.kind != picnic::CommandKind::Relay) {
                return;
            }
            for (const picnic::Axis axis : {picnic::Axis::Azimuth, picnic::Axis::Elevation}) {
                std::uint8_t& before = relays[picnic::AxisIndex(axis)];
                const std::uint8_t now = AxisRelays(command.after.relays, axis);
                if (now != before) {
                    ++(axis == moving ? record.movingAxisChanges : record.otherAxisChanges);
                    before = now;
                }
            }
            if (relays[0] != 0 || relays[1] != 0) {
                lastDrivenNs = command.monotonicNs;
            }
        });
    const double speed =
        moving == picnic::Axis::Azimuth ? m_options.azimuthSpeed : m_options.elevationSpeed;
    const double slew = move.to() - move.from();
    const auto limitNs = static_cast<std::int64_t>((2 * std::fabs(slew) / speed + 30) * 1e9);
    const std::int64_t startNs = picnic::PicnicSimulator::NowNs();
    lastDrivenNs = startNs;
    if (!controller.start()) {
        bench::PrintError(QLatin1String("tracking_accuracy: the link did not start: ") +
                          controller.messages());
        return std::nullopt;
    }
    QEventLoop loop;
    QTimer samples;
    samples.setTimerType(Qt::PreciseTimer);
    QObject::connect(&samples, &QTimer::timeout, [&] {
        const std::int64_t now = picnic::PicnicSimulator::NowNs();
        record.samples.push_back(
            {static_cast<double>(now - startNs) / 1e9, board->modelNow().angle(moving)});
        const bool still = relays[0] == 0 && relays[1] == 0 && now - lastDrivenNs >= kQuietNs;
        if (still || now - startNs >= limitNs) {
            loop.quit();
        }
    });
    samples.start(kMoveSampleIntervalMs);
    loop.exec();
    controller.dlg().OnStop();
    return record;
}

int MoveBench::run() {
    const QString loadAtStart = bench::LoadAverages();
    const std::int64_t runStartNs = picnic::PicnicSimulator::NowNs();
    const auto table = bench::MeasureMoves(
        [this](const bench::PresetMove& move, bool tracking) { return runMove(move, tracking); });
    if (!table) {
        return 1;
    }
    bench::PrintLine(QLatin1String("tracking_accuracy: preset moves from rest under both laws"));
    bench::PrintLine(QLatin1String("  rotator: az ") + bench::Fixed(m_options.azimuthSpeed, 2) +
                     QLatin1String(" deg/s over 0..") + bench::Fixed(bench::kPresetAzimuthSpan, 0) +
                     QLatin1String(" deg, ") + RotatorAndInterval(m_options) +
                     QLatin1String("target in the Local set values from Start"));
    bench::PrintMoveTable(*table);
    bench::PrintLine(
        QLatin1String("  run time ") +
        bench::Fixed(static_cast<double>(picnic::PicnicSimulator::NowNs() - runStartNs) / 1e9, 1) +
        QLatin1String(" s; load averages at start ") + loadAtStart + QLatin1String(", at end ") +
        bench::LoadAverages());
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    bench::UseOffscreenPlatformByDefault();
    QApplication application(argc, argv);
    TrackingOptions options;
    if (const std::optional<int> exit = bench::ReadOptions(
            "tracking_accuracy",
            {{"--seed", &options.seed, 0, 4294967295LL, "seed of the potentiometer noise"},
             {"--interval", &options.interval, 1, 60, "control interval in seconds"}},
            {{"--max-elevation", &options.maximumElevation, 5, 85,
              "the pass's highest elevation, degrees"},
             {"--az-speed", &options.azimuthSpeed, 0.1, 100, "azimuth speed, deg/s"},
             {"--el-speed", &options.elevationSpeed, 0.1, 100, "elevation speed, deg/s"},
             {"--run-up", &options.runUp, 0, 10, "seconds from a relay closing to full speed"},
             {"--coast", &options.coast, 0, 10, "seconds from a relay opening to standstill"},
             {"--noise", &options.noise, 0, 10, "potentiometer noise, rms degrees"},
             {"--duration", &options.duration, 1, 900,
              "seconds measured, centred on the culmination"}},
            {{"--drive",
              &options.drive,
              {QStringLiteral("designed"), QStringLiteral("tracking")},
              "drive law; tracking writes Tracking_Drive=1"},
             {"--scenario",
              &options.scenario,
              {QStringLiteral("pass"), QStringLiteral("moves")},
              "a satellite pass, or the preset moves under both laws"},
             {"--protection",
              &options.protection,
              {QStringLiteral("off"), QStringLiteral("on")},
              "on: the motion guard and soft limits"}},
            QStringLiteral("Usage: tracking_accuracy [options]\nRuns the controller window with "
                           "the selector at Remote against a simulated board with a\nrealistic "
                           "rotator, sends a satellite pass to the ASCII set-value service once a "
                           "second\nin real time, and prints the pointing error and the relay "
                           "changes beside those of an ideal\nspeed-limited follower."))) {
        return *exit;
    }
    if (options.scenario == QLatin1String("moves")) {
        MoveBench moves(options);
        return moves.run();
    }
    TrackingBench benchmark(options);
    return benchmark.run();
}
