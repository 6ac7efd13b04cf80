// How long the relay pulses last at the board against the drive time the controller ordered.
//
// The board is the picnic-sim program, not a simulator inside this process: its arrival
// timestamps come from its own event loop on its own core, so the controller's work (painting,
// handlers) cannot delay the stamp of a command it has already sent. Its lines carry the
// steady clock with microsecond resolution, far finer than the 2 ms being checked.

#include <cmath>
#include <optional>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include "BenchSupport.h"
#include "platform/Formats.h"

using namespace zenko;

namespace {

constexpr double kAzimuthStart = 50.5;
constexpr double kElevationStart = 45.3;
// The controller reads the antenna through a 10-bit ADC, so its angle may differ from the
// board's by half a count (0.1 degree); targets keep this far from the band's edges.
constexpr double kBandMargin = 0.25;
constexpr double kPulseBandLow = 1.0;
constexpr double kPulseBandHigh = 8.0;
constexpr double kTargetMs = 2.0;

// Whole-degree targets whose error lies inside the pulse band, small and large, above and below.
std::vector<int> PulseTargets(double angle) {
    std::vector<int> targets;
    for (int offset = 1; offset < 9; ++offset) {
        for (const int target : {static_cast<int>(std::lround(angle)) - offset,
                                 static_cast<int>(std::lround(angle)) + offset}) {
            const double error = std::fabs(angle - target);
            if (error >= kPulseBandLow + kBandMargin && error <= kPulseBandHigh - kBandMargin) {
                targets.push_back(target);
            }
        }
    }
    return targets;
}

struct PendingPulse {
    double onMs = 0;
    int orderedMs = 0;
};

struct Pulse {
    int orderedMs = 0;
    double measuredMs = 0;
};

class PulseBench {
public:
    PulseBench(int pulses, int intervalSeconds, long long flood)
        : m_pulsesWanted(pulses), m_intervalSeconds(intervalSeconds), m_floodRate(flood),
          m_azTargets(PulseTargets(kAzimuthStart)), m_elTargets(PulseTargets(kElevationStart)) {}

    int run();

private:
    void readBoard();
    void onBoardLine(const bench::BoardLine& line);
    void nextTargets();
    void report(double seconds, const QString& loadAtStart) const;

    int m_pulsesWanted;
    int m_intervalSeconds;
    long long m_floodRate;
    bench::FloodProcess m_flood;
    QString m_floodSummary;
    std::vector<int> m_azTargets;
    std::vector<int> m_elTargets;
    std::size_t m_cycle = 0;
    bench::BoardProcess m_board;
    std::unique_ptr<bench::ControllerUnderTest> m_controller;
    // Azimuth, elevation.
    std::optional<PendingPulse> m_pending[2];
    std::vector<Pulse> m_pulses[2];
    // Relay-on commands that no pulse timer ended (none expected with the antenna held still).
    int m_unended = 0;
};

int PulseBench::run() {
    const QString loadAtStart = bench::LoadAverages();
    bench::PortPicker ports;
    if (!m_board.start({QStringLiteral("--az-start"), bench::Fixed(kAzimuthStart, 2),
                        QStringLiteral("--el-start"), bench::Fixed(kElevationStart, 2),
                        QStringLiteral("--az-speed"), QStringLiteral("0"),
                        QStringLiteral("--el-speed"), QStringLiteral("0")},
                       ports)) {
        bench::PrintError(QLatin1String("pulse_accuracy: ") + m_board.errorString());
        return 1;
    }
    bench::ControllerSettings settings;
    settings.boardPort = m_board.port();
    settings.binaryPort = ports.next();
    settings.asciiPort = ports.next();
    settings.controlIntervalSeconds = m_intervalSeconds;
    settings.selector = 2;
    settings.localAzimuth = m_azTargets.front();
    settings.localElevation = m_elTargets.front();
    if (m_floodRate >= 0) {
        settings.furtherKeys = bench::kFloodAllowKey;
    }
    m_controller = std::make_unique<bench::ControllerUnderTest>(settings);

    const QMetaObject::Connection reading = QObject::connect(
        &m_board.process(), &QProcess::readyReadStandardOutput, [this] { readBoard(); });
    QElapsedTimer elapsed;
    elapsed.start();
    if (!m_controller->start()) {
        bench::PrintError(QLatin1String("pulse_accuracy: the link did not start: ") +
                          m_controller->messages());
        return 1;
    }
    // Two pulses (one per axis) per control interval; half as long again for a slow machine.
    const int expectedMs = (m_pulsesWanted + 1) / 2 * m_intervalSeconds * 1000;
    const int limitMs = expectedMs * 3 / 2 + 15000;
    if (m_floodRate > 0 &&
        !m_flood.start(settings.binaryPort, settings.asciiPort, m_floodRate, limitMs / 1000 + 1)) {
        bench::PrintError(QLatin1String("pulse_accuracy: ") + m_flood.errorString());
        return 1;
    }
    QTimer::singleShot(limitMs, QCoreApplication::instance(), &QCoreApplication::quit);
    QApplication::exec();
    m_floodSummary = m_flood.stop();
    // What the board prints from here on (the stop's off commands, its farewell) is no pulse.
    QObject::disconnect(reading);
    m_controller->dlg().OnStop();
    report(static_cast<double>(elapsed.elapsed()) / 1000.0, loadAtStart);
    return m_pulses[0].empty() && m_pulses[1].empty() ? 1 : 0;
}

void PulseBench::readBoard() {
    QProcess& process = m_board.process();
    while (process.canReadLine()) {
        if (const auto line = bench::ParseBoardLine(process.readLine())) {
            onBoardLine(*line);
        }
    }
}

void PulseBench::onBoardLine(const bench::BoardLine& line) {
    if (line.bytes == QByteArrayView("\x04\x81\x00", 3)) {
        // Half an interval before the next control step, which takes these targets.
        nextTargets();
        return;
    }
    if (line.bytes.size() != 5 || !line.bytes.startsWith("\x03\x06\x01")) {
        return;
    }
    const auto mask = static_cast<std::uint8_t>(line.bytes[3]);
    if (mask != 0xCF && mask != 0x3F) {
        return;
    }
    const std::size_t axis = mask == 0xCF ? 0 : 1;
    const CControllerDlg& dlg = m_controller->dlg();
    if (line.bytes[4] != 0) {
        if (m_pending[axis]) {
            ++m_unended;
        }
        // The control step that sent this command has run to its end before this line could be
        // read, and the next one is an interval away: its drive time is still on display.
        const int ordered = axis == 0 ? dlg.m_nAzDrivePos + dlg.m_nAzDriveNeg
                                      : dlg.m_nElDrivePos + dlg.m_nElDriveNeg;
        m_pending[axis] = PendingPulse{line.sinceStartMs, ordered};
        return;
    }
    if (!m_pending[axis]) {
        return;
    }
    m_pulses[axis].push_back(
        {m_pending[axis]->orderedMs, line.sinceStartMs - m_pending[axis]->onMs});
    m_pending[axis].reset();
    if (m_pulses[0].size() + m_pulses[1].size() >= static_cast<std::size_t>(m_pulsesWanted)) {
        QCoreApplication::quit();
    }
}

void PulseBench::nextTargets() {
    ++m_cycle;
    CControllerDlg& dlg = m_controller->dlg();
    // Strides prime to the lists' lengths, so both axes walk their whole band in changing pairs.
    const int azimuth = m_azTargets[(m_cycle * 5) % m_azTargets.size()];
    const int elevation = m_elTargets[(m_cycle * 3) % m_elTargets.size()];
    // The state as well as the fields: the ADC replies to the request just seen show the state
    // in the fields, which would put back the targets read before.
    dlg.m_nLocalSetAz = azimuth;
    dlg.m_nLocalSetEl = elevation;
    dlg.m_editLocalAz->setText(platform::FormatInteger(azimuth));
    dlg.m_editLocalEl->setText(platform::FormatInteger(elevation));
}

void PulseBench::report(double seconds, const QString& loadAtStart) const {
    std::vector<double> errors;
    std::vector<double> magnitudes;
    int shortest = 0;
    int longest = 0;
    for (const auto& axis : m_pulses) {
        for (const Pulse& pulse : axis) {
            errors.push_back(pulse.measuredMs - pulse.orderedMs);
            magnitudes.push_back(std::fabs(pulse.measuredMs - pulse.orderedMs));
            shortest = shortest == 0 ? pulse.orderedMs : std::min(shortest, pulse.orderedMs);
            longest = std::max(longest, pulse.orderedMs);
        }
    }
    const bench::Summary error = bench::Summarize(errors);
    const bench::Summary magnitude = bench::Summarize(magnitudes);
    const auto count = [](std::size_t value) {
        return platform::FormatInteger(static_cast<std::int64_t>(value));
    };
    bench::PrintLine(QStringLiteral("pulse_accuracy: relay pulse length at the board against the "
                                    "ordered drive time"));
    bench::PrintLine(QLatin1String("  board: picnic-sim process on 127.0.0.1:") +
                     platform::FormatInteger(m_board.port()) +
                     QLatin1String(", antenna held still; times from its output (1 us steps)"));
    bench::PrintLine(
        QLatin1String("  control interval ") + platform::FormatInteger(m_intervalSeconds) +
        QLatin1String(" s, ") + count(errors.size()) + QLatin1String(" pulses (az ") +
        count(m_pulses[0].size()) + QLatin1String(", el ") + count(m_pulses[1].size()) +
        QLatin1String(") ordered ") + platform::FormatInteger(shortest) + QLatin1String("..") +
        platform::FormatInteger(longest) + QLatin1String(" ms, ") +
        platform::FormatInteger(m_unended) +
        QLatin1String(" relay-on commands without their off command"));
    bench::PrintLine(QLatin1String("  set-value senders: ") +
                     bench::FloodText(m_floodRate, m_floodSummary));
    if (m_floodRate > 0) {
        // Each flood datagram asks for azimuth 200: one taken would show here.
        bench::PrintLine(QLatin1String("  remote set value azimuth after the flood: ") +
                         bench::Fixed(m_controller->dlg().m_dRemoteSetAz, 2));
    }
    bench::PrintLine(QLatin1String("  measured - ordered: ") +
                     bench::FormatSummary(error, QStringLiteral("ms"), 3) +
                     QLatin1String("  min ") + bench::Fixed(error.minimum, 3) +
                     QLatin1String(" ms"));
    const bool met = magnitude.count > 0 && magnitude.p99 <= kTargetMs;
    bench::PrintLine(
        QLatin1String("  |measured - ordered|: p99 ") + bench::Fixed(magnitude.p99, 3) +
        QLatin1String(" ms, max ") + bench::Fixed(magnitude.maximum, 3) +
        QLatin1String(" ms; target p99 <= 2 ms: ") + QLatin1String(met ? "met" : "NOT met"));
    bench::PrintLine(QLatin1String("  run time ") + bench::Fixed(seconds, 1) +
                     QLatin1String(" s; load averages at start ") + loadAtStart +
                     QLatin1String(", at end ") + bench::LoadAverages());
}

} // namespace

int main(int argc, char* argv[]) {
    bench::UseOffscreenPlatformByDefault();
    QApplication application(argc, argv);
    long long pulses = 200;
    long long interval = 1;
    long long flood = -1;
    if (const std::optional<int> exit = bench::ReadOptions(
            "pulse_accuracy",
            {{"--pulses", &pulses, 2, 100000, "pulses to measure, both axes together"},
             {"--interval", &interval, 1, 60, "control interval in seconds"},
             bench::FloodOption(&flood)},
            QStringLiteral("Usage: pulse_accuracy [options]\nRuns the controller window against "
                           "the picnic-sim program with the antenna held still and targets\ninside "
                           "the pulse band, and compares each relay pulse at the board with the "
                           "ordered drive time."))) {
        return *exit;
    }
    PulseBench benchmark(static_cast<int>(pulses), static_cast<int>(interval), flood);
    return benchmark.run();
}
