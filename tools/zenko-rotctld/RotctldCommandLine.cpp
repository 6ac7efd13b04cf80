#include "zenko-rotctld/RotctldCommandLine.h"

#include <limits>

#include "common/CommandLineNumbers.h"
#include "common/Ipv4Text.h"
#include "platform/AllowList.h"

namespace zenko::rotctld {

namespace {

QString Degrees(double value) {
    return QString::fromLatin1(FormatHundredths(value));
}

enum class OptionKind { Flag, Address, Port, Timeout, Degrees, AllowList };

struct Option {
    const char* name;
    OptionKind kind;
};

constexpr Option kOptions[] = {
    {"--listen", OptionKind::Address},          {"--port", OptionKind::Port},
    {"--allow-non-loopback", OptionKind::Flag}, {"--controller-host", OptionKind::Address},
    {"--controller-port", OptionKind::Port},    {"--timeout", OptionKind::Timeout},
    {"--min-az", OptionKind::Degrees},          {"--max-az", OptionKind::Degrees},
    {"--min-el", OptionKind::Degrees},          {"--max-el", OptionKind::Degrees},
    {"--park-az", OptionKind::Degrees},         {"--park-el", OptionKind::Degrees},
    {"--allow", OptionKind::AllowList},
};

const Option* FindOption(const QString& name) {
    for (const Option& option : kOptions) {
        if (name == QLatin1String(option.name)) {
            return &option;
        }
    }
    return nullptr;
}

// Where each degrees option goes.
double* DegreesTarget(BridgeSettings& settings, const QString& name) {
    const struct {
        const char* name;
        double* target;
    } targets[] = {
        {"--min-az", &settings.limits.minAzimuth},   {"--max-az", &settings.limits.maxAzimuth},
        {"--min-el", &settings.limits.minElevation}, {"--max-el", &settings.limits.maxElevation},
        {"--park-az", &settings.parkAzimuth},        {"--park-el", &settings.parkElevation},
    };
    for (const auto& entry : targets) {
        if (name == QLatin1String(entry.name)) {
            return entry.target;
        }
    }
    return nullptr;
}

QString CheckConsistency(const BridgeSettings& settings, bool allowNonLoopback) {
    const Limits& limits = settings.limits;
    if (limits.minAzimuth > limits.maxAzimuth) {
        return QStringLiteral("--min-az %1 is above --max-az %2")
            .arg(Degrees(limits.minAzimuth), Degrees(limits.maxAzimuth));
    }
    if (limits.minElevation > limits.maxElevation) {
        return QStringLiteral("--min-el %1 is above --max-el %2")
            .arg(Degrees(limits.minElevation), Degrees(limits.maxElevation));
    }
    if (!WithinLimits(limits, settings.parkAzimuth, settings.parkElevation)) {
        return QStringLiteral("the park position %1 %2 is outside the limits (azimuth %3..%4, "
                              "elevation %5..%6)")
            .arg(Degrees(settings.parkAzimuth), Degrees(settings.parkElevation),
                 Degrees(limits.minAzimuth), Degrees(limits.maxAzimuth),
                 Degrees(limits.minElevation), Degrees(limits.maxElevation));
    }
    if (!allowNonLoopback && !settings.listenAddress.isLoopback()) {
        return QStringLiteral("--listen %1 is not a loopback address; add --allow-non-loopback "
                              "to serve other machines")
            .arg(settings.listenAddress.toString());
    }
    return QString();
}

} // namespace

QHostAddress ParseAddress(const QString& text) {
    if (text == QLatin1String("localhost")) {
        return QHostAddress(QHostAddress::LocalHost);
    }
    return tools::ParseNumericAddress(text);
}

CommandLineOutcome ParseCommandLine(const QStringList& arguments) {
    CommandLineOutcome outcome;
    BridgeSettings& settings = outcome.settings;
    // Help and version win wherever they stand, so that a user who got an option wrong can
    // still add them.
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        return CommandLineOutcome::Text(CommandLineOutcome::Action::Help, HelpText());
    }
    if (arguments.contains(QLatin1String("--version"))) {
        return CommandLineOutcome::Text(CommandLineOutcome::Action::Version, VersionText());
    }
    bool allowNonLoopback = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals >= 0 ? argument.left(equals) : argument;
        const Option* option = FindOption(name);
        if (option == nullptr) {
            return CommandLineOutcome::Refused(
                QStringLiteral("unknown argument %1 (see --help)").arg(argument));
        }
        if (option->kind == OptionKind::Flag) {
            if (equals >= 0) {
                return CommandLineOutcome::Refused(QStringLiteral("%1 takes no value").arg(name));
            }
            allowNonLoopback = true;
            continue;
        }
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return CommandLineOutcome::Refused(QStringLiteral("%1 needs a value").arg(name));
        }
        switch (option->kind) {
        case OptionKind::Address: {
            const QHostAddress address = ParseAddress(value);
            if (address.isNull()) {
                return CommandLineOutcome::Refused(
                    QStringLiteral("%1 %2: not a numeric IP address such as 127.0.0.1")
                        .arg(name, value));
            }
            (name == QLatin1String("--listen") ? settings.listenAddress
                                               : settings.controllerAddress) = address;
            break;
        }
        case OptionKind::Port: {
            const auto port = tools::ParsePort(value, tools::PortZero::Refused);
            if (!port) {
                return CommandLineOutcome::Refused(
                    QStringLiteral("%1 %2: expects a port number from 1 to 65535")
                        .arg(name, value));
            }
            (name == QLatin1String("--port") ? settings.listenPort : settings.controllerPort) =
                *port;
            break;
        }
        case OptionKind::Timeout: {
            const auto milliseconds =
                tools::ParseInteger(value, 1, std::numeric_limits<int>::max());
            if (!milliseconds) {
                return CommandLineOutcome::Refused(
                    QStringLiteral("%1 %2: expects milliseconds from 1 to 2147483647")
                        .arg(name, value));
            }
            settings.timeoutMs = static_cast<int>(*milliseconds);
            break;
        }
        case OptionKind::Degrees: {
            const auto degrees = tools::ParseDegrees(value, tools::DecimalComma::Accepted);
            if (!degrees) {
                return CommandLineOutcome::Refused(
                    QStringLiteral("%1 %2: expects degrees such as -12.5").arg(name, value));
            }
            *DegreesTarget(settings, name) = *degrees;
            break;
        }
        case OptionKind::AllowList: {
            // Blank would serve everyone, as if the option were not there: more likely an
            // empty variable in a service file than a wish.
            const platform::AllowListParse parse = platform::ParseAllowList(value);
            if (parse.error) {
                return CommandLineOutcome::Refused(
                    QStringLiteral("%1 %2: %3")
                        .arg(name, value, platform::AllowListErrorText(*parse.error)));
            }
            if (parse.list.isEmpty()) {
                return CommandLineOutcome::Refused(
                    QStringLiteral("%1 needs at least one address or network").arg(name));
            }
            settings.allow = parse.list;
            break;
        }
        case OptionKind::Flag:
            break;
        }
    }
    const QString inconsistency = CheckConsistency(settings, allowNonLoopback);
    if (!inconsistency.isEmpty()) {
        return CommandLineOutcome::Refused(inconsistency);
    }
    return outcome;
}

QString HelpText() {
    return QStringLiteral(
        "Usage: zenko-rotctld [OPTION]...\n"
        "Serves Hamlib's rotctld network protocol on TCP, so that tracking programs (gpredict,\n"
        "rotctl -m 2, ...) point the antenna through the controller's ASCII set-value service.\n"
        "The antenna follows only while the controller's selector is at Remote.\n"
        "\n"
        "Options (a value may also follow an equals sign: --port=4533):\n"
        "  --listen ADDR          the address to serve on (default 127.0.0.1); only loopback\n"
        "                         addresses unless --allow-non-loopback is given\n"
        "  --port N               the TCP port to serve on, 1 to 65535 (default 4533)\n"
        "  --allow-non-loopback   allow a --listen address that other machines reach; there\n"
        "                         is no login, so restrict it with --allow and the firewall\n"
        "  --allow LIST           serve only clients from these IPv4 addresses and networks,\n"
        "                         comma-separated: 127.0.0.1,192.168.10.0/24 (a network's\n"
        "                         host bits zero); others are closed at once and journaled\n"
        "  --controller-host ADDR\n"
        "                         the controller's numeric IP address (default 127.0.0.1)\n"
        "  --controller-port N    its ASCII set-value UDP port, 1 to 65535 (default 10006;\n"
        "                         Asc_Set_Value_Receiving_Port in ZENKO.ini)\n"
        "  --timeout MS           how long to wait for each controller reply, in milliseconds\n"
        "                         (default 1000); without one the client gets RPRT -5\n"
        "  --min-az DEG           the lowest azimuth set_pos accepts (default 0)\n"
        "  --max-az DEG           the highest azimuth (default 360)\n"
        "  --min-el DEG           the lowest elevation (default 0)\n"
        "  --max-el DEG           the highest elevation (default 90)\n"
        "                         A set_pos outside these limits gets RPRT -1 and is not sent.\n"
        "                         An azimuth range wider than 360 is a rotator with overlap:\n"
        "                         set_pos sends the equivalent azimuth (AZ + k*360) within it\n"
        "                         nearest to where the antenna is.\n"
        "  --park-az DEG          the azimuth that park sets (default 0)\n"
        "  --park-el DEG          the elevation that park sets (default 0)\n"
        "  -h, --help             show this text\n"
        "  --version              show the version\n"
        "Degrees are decimal numbers with '.' or ',' as the decimal separator.\n"
        "\n"
        "Commands (short, \\long, and with a leading + ; | or , for extended replies):\n"
        "  P, \\set_pos AZ EL   sends \"ZENKO,AZ,EL\"; RPRT 0 when the controller answers\n"
        "  p, \\get_pos         sends the read-only query \"?\"; the two angles, %.2f\n"
        "  S, \\stop            queries the position and sends it back as the set values\n"
        "  K, \\park            sends the park position as the set values\n"
        "  _, \\get_info        one line of information\n"
        "  \\dump_state         the protocol version, model and limits\n"
        "  q, Q, \\quit         closes the connection\n"
        "  anything else       RPRT -11 (not available)\n"
        "\n"
        "Exit status: 0 after SIGINT, SIGTERM or SIGHUP; 1 when the port cannot be opened;\n"
        "2 for a wrong command line, each with a one-line reason.\n"
        "The journal goes to standard error; QT_LOGGING_RULES=\"zenko.*.debug=true\" adds every\n"
        "command, reply and controller datagram to it.\n");
}

QString VersionText() {
    return QStringLiteral("zenko-rotctld " ZENKO_VERSION "\n");
}

} // namespace zenko::rotctld
