#include "picnic-sim/PicnicCommandLine.h"

#include <functional>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "common/CommandLineNumbers.h"
#include "common/Ipv4Text.h"
#include "picnic-sim/FaultCommand.h"

namespace zenko::picnic {

namespace {

// "A:B" as two numbers.
std::optional<std::pair<double, double>> ParsePair(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2) {
        return std::nullopt;
    }
    const auto first = tools::ParseDegrees(parts[0], tools::DecimalComma::Refused);
    const auto second = tools::ParseDegrees(parts[1], tools::DecimalComma::Refused);
    if (!first || !second) {
        return std::nullopt;
    }
    return std::pair{*first, *second};
}

std::optional<PotentiometerLine> ParseLine(const QString& text) {
    const QStringList points = text.split(QLatin1Char(','));
    if (points.size() != 2) {
        return std::nullopt;
    }
    const auto first = ParsePair(points[0]);
    const auto second = ParsePair(points[1]);
    if (!first || !second) {
        return std::nullopt;
    }
    const PotentiometerLine line{first->first, first->second, second->first, second->second};
    if (!line.isValid()) {
        return std::nullopt;
    }
    return line;
}

// Each handler stores its value and returns an empty text, or says why the value is refused.
using ValueHandler = std::function<QString(const QString& value, PicnicSettings& settings)>;

QString SetNumber(const QString& value, double& target, bool nonNegative) {
    const auto number = tools::ParseDegrees(value, tools::DecimalComma::Refused);
    if (!number || (nonNegative && *number < 0.0)) {
        return nonNegative ? QStringLiteral("expects a number of at least 0")
                           : QStringLiteral("expects a number");
    }
    target = *number;
    return {};
}

QString SetLine(const QString& value, PotentiometerLine& target) {
    const auto line = ParseLine(value);
    if (!line) {
        return QStringLiteral("expects ANGLE1:VOLTS1,ANGLE2:VOLTS2 with two different angles "
                              "and two different voltages");
    }
    target = *line;
    return {};
}

QString SetStops(const QString& value, AxisParameters& axis) {
    const auto stops = ParsePair(value);
    if (!stops || !(stops->first < stops->second)) {
        return QStringLiteral("expects LOWER:UPPER with LOWER below UPPER");
    }
    axis.lowerStop = stops->first;
    axis.upperStop = stops->second;
    return {};
}

// Both axes take the same value: one option for a rotator whose two motors are alike.
QString SetBothAxes(const QString& value, RotatorParameters& model, double AxisParameters::*field) {
    double number = 0.0;
    QString refusal = SetNumber(value, number, true);
    if (refusal.isEmpty()) {
        model.azimuth.*field = number;
        model.elevation.*field = number;
    }
    return refusal;
}

QString SetFault(const QString& value, RotatorParameters& model, FaultKind kind) {
    const auto axis = ParseAxisName(value);
    if (!axis) {
        return QStringLiteral("expects az or el");
    }
    model.axis(*axis).faults.*FaultField(kind) = true;
    return {};
}

// A day: a restart that late is no demonstration's.
constexpr double kLatestRestartSeconds = 86400.0;

QString SetRestart(const QString& value, PicnicSettings& settings) {
    const auto times = ParsePair(value);
    // Beyond these the timers' milliseconds would overflow and the restart never come.
    if (!times || times->first < 0.0 || times->first > kLatestRestartSeconds ||
        times->second < 0.0 || times->second > kLongestRestartSeconds) {
        return QStringLiteral("expects AFTER:FOR, AFTER 0 to 86400 seconds, FOR 0 to 3600");
    }
    settings.restart = PicnicSettings::Restart{times->first, times->second};
    return {};
}

struct ValueOption {
    const char* name;
    ValueHandler handler;
};

std::vector<ValueOption> ValueOptions() {
    return {
        {"--bind",
         [](const QString& value, PicnicSettings& settings) {
             settings.simulator.bindAddress = value;
             return QString();
         }},
        {"--port",
         [](const QString& value, PicnicSettings& settings) {
             const auto port = tools::ParsePort(value, tools::PortZero::AnyFreePort);
             if (!port) {
                 return QStringLiteral("expects a port number from 0 to 65535");
             }
             settings.simulator.port = *port;
             return QString();
         }},
        {"--reply-from",
         [](const QString& value, PicnicSettings& settings) {
             settings.simulator.replyFromAddress = value;
             return QString();
         }},
        {"--az-start",
         [](const QString& value, PicnicSettings& settings) {
             return SetNumber(value, settings.simulator.model.azimuth.startAngle, false);
         }},
        {"--el-start",
         [](const QString& value, PicnicSettings& settings) {
             return SetNumber(value, settings.simulator.model.elevation.startAngle, false);
         }},
        {"--az-speed",
         [](const QString& value, PicnicSettings& settings) {
             return SetNumber(value, settings.simulator.model.azimuth.speed, true);
         }},
        {"--el-speed",
         [](const QString& value, PicnicSettings& settings) {
             return SetNumber(value, settings.simulator.model.elevation.speed, true);
         }},
        {"--az-line",
         [](const QString& value, PicnicSettings& settings) {
             return SetLine(value, settings.simulator.model.azimuth.line);
         }},
        {"--el-line",
         [](const QString& value, PicnicSettings& settings) {
             return SetLine(value, settings.simulator.model.elevation.line);
         }},
        {"--az-stops",
         [](const QString& value, PicnicSettings& settings) {
             return SetStops(value, settings.simulator.model.azimuth);
         }},
        {"--el-stops",
         [](const QString& value, PicnicSettings& settings) {
             return SetStops(value, settings.simulator.model.elevation);
         }},
        {"--run-up",
         [](const QString& value, PicnicSettings& settings) {
             return SetBothAxes(value, settings.simulator.model, &AxisParameters::runUpSeconds);
         }},
        {"--coast",
         [](const QString& value, PicnicSettings& settings) {
             return SetBothAxes(value, settings.simulator.model, &AxisParameters::coastSeconds);
         }},
        {"--noise",
         [](const QString& value, PicnicSettings& settings) {
             return SetBothAxes(value, settings.simulator.model, &AxisParameters::noiseDegrees);
         }},
        {"--jam",
         [](const QString& value, PicnicSettings& settings) {
             return SetFault(value, settings.simulator.model, FaultKind::Jam);
         }},
        {"--swap-relays",
         [](const QString& value, PicnicSettings& settings) {
             return SetFault(value, settings.simulator.model, FaultKind::Swap);
         }},
        {"--freeze-reading",
         [](const QString& value, PicnicSettings& settings) {
             return SetFault(value, settings.simulator.model, FaultKind::Freeze);
         }},
        {"--restart", SetRestart},
        {"--seed",
         [](const QString& value, PicnicSettings& settings) {
             const auto seed =
                 tools::ParseInteger(value, 0, std::numeric_limits<std::uint32_t>::max());
             if (!seed) {
                 return QStringLiteral("expects a whole number from 0 to 4294967295");
             }
             settings.simulator.model.noiseSeed = static_cast<std::uint32_t>(*seed);
             return QString();
         }},
        {"--history",
         [](const QString& value, PicnicSettings& settings) {
             const auto limit = tools::ParseInteger(value, 0, std::numeric_limits<int>::max());
             if (!limit) {
                 return QStringLiteral("expects a whole number from 0 to 2147483647");
             }
             settings.simulator.historyLimit = static_cast<int>(*limit);
             return QString();
         }},
        {"--status-interval",
         [](const QString& value, PicnicSettings& settings) {
             const auto interval = tools::ParseInteger(value, 0, std::numeric_limits<int>::max());
             if (!interval) {
                 return QStringLiteral("expects milliseconds from 0 to 2147483647");
             }
             settings.statusIntervalMs = static_cast<int>(*interval);
             return QString();
         }},
    };
}

} // namespace

CommandLineOutcome ParseCommandLine(const QStringList& arguments) {
    CommandLineOutcome outcome;
    const std::vector<ValueOption> valueOptions = ValueOptions();
    bool allowNonLoopback = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            return CommandLineOutcome::Text(CommandLineOutcome::Action::Help, HelpText());
        }
        if (argument == QLatin1String("--version")) {
            return CommandLineOutcome::Text(CommandLineOutcome::Action::Version, VersionText());
        }
        if (argument == QLatin1String("--silent")) {
            outcome.settings.simulator.answerAdc = false;
            continue;
        }
        if (argument == QLatin1String("--quiet")) {
            outcome.settings.quiet = true;
            continue;
        }
        if (argument == QLatin1String("--view")) {
            outcome.settings.view = true;
            continue;
        }
        if (argument == QLatin1String("--commands")) {
            outcome.settings.commands = true;
            continue;
        }
        if (argument == QLatin1String("--allow-non-loopback")) {
            allowNonLoopback = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        const ValueOption* option = nullptr;
        for (const ValueOption& candidate : valueOptions) {
            if (name == QLatin1String(candidate.name)) {
                option = &candidate;
            }
        }
        if (option == nullptr) {
            return CommandLineOutcome::Refused(
                QStringLiteral("unknown argument %1 (see --help)").arg(argument));
        }
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return CommandLineOutcome::Refused(QStringLiteral("%1 needs a value").arg(name));
        }
        const QString refusal = option->handler(value, outcome.settings);
        if (!refusal.isEmpty()) {
            return CommandLineOutcome::Refused(
                QStringLiteral("%1 %2: %3").arg(name, value, refusal));
        }
    }
    const SimulatorOptions& simulator = outcome.settings.simulator;
    const QHostAddress bindAddress = tools::ParseNumericAddress(simulator.bindAddress);
    if (bindAddress.isNull()) {
        return CommandLineOutcome::Refused(
            QStringLiteral("--bind %1: not a numeric IP address").arg(simulator.bindAddress));
    }
    if (!allowNonLoopback && !tools::IsIpv4Loopback(bindAddress)) {
        return CommandLineOutcome::Refused(
            QStringLiteral("--bind %1: not a loopback address (127.0.0.0/8); add "
                           "--allow-non-loopback to use it anyway")
                .arg(simulator.bindAddress));
    }
    if (!simulator.replyFromAddress.isEmpty() &&
        !tools::IsIpv4Loopback(tools::ParseNumericAddress(simulator.replyFromAddress))) {
        return CommandLineOutcome::Refused(
            QStringLiteral("--reply-from %1: not a loopback address (127.0.0.0/8)")
                .arg(simulator.replyFromAddress));
    }
    return outcome;
}

QString HelpText() {
    return QStringLiteral(
        "Usage: picnic-sim [options]\n"
        "A simulated network I/O board with a two-axis rotator behind it. It receives the\n"
        "controller's datagrams on one UDP port, drives the rotator with the relay commands,\n"
        "answers ADC requests with the potentiometer counts and prints one line per datagram.\n"
        "\n"
        "Options (a value may also follow an equals sign: --port=10002):\n"
        "  --bind ADDR              address to receive on (default 127.0.0.1); must lie in\n"
        "                           127.0.0.0/8 unless --allow-non-loopback is given\n"
        "  --allow-non-loopback     accept a --bind address that is not loopback\n"
        "  --port N                 UDP port to receive on (default 10001; 0: any free port)\n"
        "  --reply-from ADDR        send the ADC replies from this other loopback address\n"
        "                           (for example 127.0.0.2), so that they come from a\n"
        "                           foreign host; default: from the receiving socket\n"
        "  --silent                 never answer ADC requests\n"
        "  --az-start DEG           azimuth at start (default 0)\n"
        "  --el-start DEG           elevation at start (default 0)\n"
        "  --az-speed DEG_PER_S     azimuth speed while a relay is on (default 10)\n"
        "  --el-speed DEG_PER_S     elevation speed while a relay is on (default 5)\n"
        "  --az-line A1:V1,A2:V2    azimuth potentiometer: V1 volts at A1 degrees, V2 volts at\n"
        "                           A2 degrees, straight between and beyond (default\n"
        "                           0:0,180:4.5)\n"
        "  --el-line A1:V1,A2:V2    elevation potentiometer likewise (default 0:0,90:4.5)\n"
        "  --az-stops LOWER:UPPER   azimuth end stops in degrees (default: where the line\n"
        "                           reaches 0 V and 5 V, 0:200 with the default line)\n"
        "  --el-stops LOWER:UPPER   elevation end stops (default likewise, 0:100)\n"
        "  --run-up S               seconds a motor takes from standstill to full speed after\n"
        "                           its relay closes, at a constant rate (default 0: at once)\n"
        "  --coast S                seconds a motor coasts from full speed to standstill after\n"
        "                           its relay opens (default 0: stops at once); a reversal\n"
        "                           coasts to a standstill before it runs up the other way\n"
        "  --noise DEG              potentiometer noise on every ADC reading, Gaussian, rms\n"
        "                           degrees; the antenna's angle itself stays exact (default 0)\n"
        "  --seed N                 seed of the noise, so that a run repeats (default 1)\n"
        "  --jam AXIS               the axis (az or el) stands still whatever its relays do,\n"
        "                           as a seized bearing would; repeat for the other axis\n"
        "  --swap-relays AXIS       each relay of the axis turns it the way the other should,\n"
        "                           as relays or a potentiometer wired the wrong way round\n"
        "  --freeze-reading AXIS    the axis's ADC reads the count it has at start, exactly,\n"
        "                           while the axis turns, as a broken wiper would\n"
        "  --restart AFTER:FOR      AFTER seconds after start (up to 86400) the board restarts:\n"
        "                           its relays drop, it ignores every datagram for FOR seconds\n"
        "                           (up to 3600), then it answers with its I/O directions\n"
        "                           forgotten, so that a relay does nothing until the\n"
        "                           controller sends its I/O-direction command (02 06 0N for\n"
        "                           bit N) again\n"
        "  --commands               read commands from standard input, one per line (below)\n"
        "  --history N              keep the latest N datagrams in memory (default 20000);\n"
        "                           older ones are only counted\n"
        "  --quiet                  do not print the datagrams\n"
        "  --status-interval MS     print the antenna's state every MS milliseconds\n"
        "                           (default 0: never)\n"
        "  --view                   show a window with the antenna's azimuth and elevation\n"
        "                           dials and the four relays as lamps (needs a display);\n"
        "                           closing it ends the simulator; its buttons make an\n"
        "                           axis stop answering ADC requests and answer again, switch\n"
        "                           each axis's faults (固着 jam, 逆配線 swapped relays,\n"
        "                           読値固定 frozen reading) on and off, and restart the board\n"
        "                           for 8 seconds (ボード再起動)\n"
        "  -h, --help               show this text\n"
        "  --version                show the version\n"
        "\n"
        "Datagrams: 3 bytes 04 CH 00 request an ADC reading (channel 81 azimuth, 89\n"
        "elevation), answered with 6 bytes ending in the count, a signed 16-bit big-endian\n"
        "number, count = round(volts x 1024 / 5) within 0..1023; other 3-byte datagrams set\n"
        "I/O directions and are only printed; 03 06 01 MASK VALUE writes the relay byte as\n"
        "(relays & MASK) | (VALUE & ~MASK), relays 10/20 azimuth increase/decrease, 40/80\n"
        "elevation increase/decrease. Either relay of an axis turns it at its speed; both\n"
        "on, it stands.\n"
        "\n"
        "Lines: HH:MM:SS.mmm +MS_SINCE_START SOURCE:PORT HEX  MEANING  (az DEG, el DEG)\n"
        "\n"
        "Signals: SIGUSR1 switches the azimuth's ADC answers off or back on, SIGUSR2 the\n"
        "elevation's; each switch prints a line (\"picnic-sim: azimuth ADC silent\").\n"
        "\n"
        "Commands (with --commands, one per line on standard input; blank lines and lines\n"
        "from # are skipped, a wrong line is reported on standard error):\n"
        "  jam AXIS on|off          the axis stands where it is now, or turns again\n"
        "  swap AXIS on|off         the axis's relays swapped, or as wired\n"
        "  freeze AXIS on|off       the axis's reading frozen at its present count, or following\n"
        "  restart SECONDS          the board restarts now, silent for SECONDS (0 to 3600)\n"
        "AXIS is az or el. Each change prints a line (\"picnic-sim: azimuth jammed\",\n"
        "\"picnic-sim: board restarting, silent for 8.0 s, I/O directions forgotten\"). For\n"
        "example:\n"
        "  mkfifo faults; picnic-sim --commands <> faults &  echo 'jam az on' > faults\n"
        "\n"
        "Exit status: 0 after SIGINT, SIGTERM or SIGHUP, or when the --view window is\n"
        "closed; 1 when the port cannot be bound; 2 for a wrong command line.\n");
}

QString VersionText() {
    return QStringLiteral("picnic-sim " ZENKO_VERSION "\n");
}

} // namespace zenko::picnic
