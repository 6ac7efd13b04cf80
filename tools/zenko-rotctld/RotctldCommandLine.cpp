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

enum class OptionKind { Flag, Address, Port, Timeout, Degrees, Protocol, Path, Minutes, AllowList };

// A week: beyond it an idle park is no longer one, and the milliseconds stay far from overflow.
constexpr double kMaxParkAfterMinutes = 10080;

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
    {"--protocol", OptionKind::Protocol},       {"--pty", OptionKind::Path},
    {"--park-after", OptionKind::Minutes},      {"--allow", OptionKind::AllowList},
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

QString CheckConsistency(const BridgeSettings& settings, bool allowNonLoopback,
                         const QStringList& given) {
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
    if (!settings.ptyPath.isEmpty()) {
        for (const char* tcp : {"--listen", "--port", "--allow"}) {
            if (given.contains(QLatin1String(tcp))) {
                return QStringLiteral("--pty serves a pseudo-terminal instead of TCP: drop %1")
                    .arg(QLatin1String(tcp));
            }
        }
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
    QStringList given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals >= 0 ? argument.left(equals) : argument;
        const Option* option = FindOption(name);
        if (option == nullptr) {
            return CommandLineOutcome::Refused(
                QStringLiteral("unknown argument %1 (see --help)").arg(argument));
        }
        given << name;
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
        case OptionKind::Protocol: {
            const auto protocol = ProtocolNamed(value);
            if (!protocol) {
                return CommandLineOutcome::Refused(
                    QStringLiteral("%1 %2: expects one of %3").arg(name, value, ProtocolNames()));
            }
            settings.protocol = *protocol;
            break;
        }
        case OptionKind::Path:
            if (value.isEmpty()) {
                return CommandLineOutcome::Refused(QStringLiteral("%1 needs a path").arg(name));
            }
            settings.ptyPath = value;
            break;
        case OptionKind::Minutes: {
            const auto minutes = tools::ParseDegrees(value, tools::DecimalComma::Accepted);
            if (!minutes || *minutes <= 0 || *minutes > kMaxParkAfterMinutes) {
                return CommandLineOutcome::Refused(
                    QStringLiteral("%1 %2: expects minutes above 0 and up to 10080, such as 0.5")
                        .arg(name, value));
            }
            settings.parkAfterMinutes = *minutes;
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
    const QString inconsistency = CheckConsistency(settings, allowNonLoopback, given);
    if (!inconsistency.isEmpty()) {
        return CommandLineOutcome::Refused(inconsistency);
    }
    return outcome;
}

QString HelpText() {
    return QStringLiteral(
        "Usage: zenko-rotctld [OPTION]...\n"
        "Serves Hamlib's rotctld network protocol on TCP, so that tracking programs (gpredict,\n"
        "rotctl -m 2, ...) point the antenna through the controller's ASCII set-value service;\n"
        "or, with --protocol, the protocol of a serial rotator controller (GS-232A, GS-232B,\n"
        "Easycomm II, Rot2Prog), on TCP or, with --pty, on a pseudo-terminal that programs\n"
        "open as their serial port. The antenna follows only while the controller's selector\n"
        "is at Remote.\n"
        "\n"
        "Options (a value may also follow an equals sign: --port=4533):\n"
        "  --protocol NAME        what the clients speak: rotctld (the default), gs232a,\n"
        "                         gs232b, easycomm2 or rot2prog\n"
        "  --listen ADDR          the address to serve on (default 127.0.0.1); only loopback\n"
        "                         addresses unless --allow-non-loopback is given\n"
        "  --port N               the TCP port to serve on, 1 to 65535 (default 4533)\n"
        "  --allow-non-loopback   allow a --listen address that other machines reach; there\n"
        "                         is no login, so restrict it with --allow and the firewall\n"
        "  --allow LIST           serve only clients from these IPv4 addresses and networks,\n"
        "                         comma-separated: 127.0.0.1,192.168.10.0/24 (a network's\n"
        "                         host bits zero); others are closed at once and journaled\n"
        "  --pty PATH             serve a pseudo-terminal instead of TCP, linked at PATH (for\n"
        "                         example /tmp/gs232b): a program opens PATH as its serial\n"
        "                         port, and may close and open it again; every local user may\n"
        "                         open it, as the loopback port; the link goes on exit\n"
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
        "  --park-after MINUTES   park by itself once no client has set a position for this\n"
        "                         long (a decimal: 0.5 is 30 s; default never), counted from\n"
        "                         the last set position or from the start; queries do not\n"
        "                         count; once, until a client sets a position again\n"
        "  -h, --help             show this text\n"
        "  --version              show the version\n"
        "Degrees and minutes are decimal numbers with '.' or ',' as the decimal separator.\n"
        "\n"
        "Commands of rotctld (short, \\long, and with a leading + ; | or , for extended\n"
        "replies):\n"
        "  P, \\set_pos AZ EL   sends \"ZENKO,AZ,EL\"; RPRT 0 when the controller answers\n"
        "  p, \\get_pos         sends the read-only query \"?\"; the two angles, %.2f\n"
        "  S, \\stop            queries the position and sends it back as the set values\n"
        "  K, \\park            sends the park position as the set values\n"
        "  _, \\get_info        one line of information\n"
        "  \\dump_state         the protocol version, model and limits\n"
        "  q, Q, \\quit         closes the connection\n"
        "  anything else       RPRT -11 (not available)\n"
        "\n"
        "Commands of the serial protocols (the same limits and overlap as set_pos):\n"
        "  gs232a, gs232b      Waaa eee and Maaa set, C, B and C2 read (+0aaa+0eee, or\n"
        "                      AZ=aaa  EL=eee), S, A and E stop, R, L, U and D turn towards\n"
        "                      the limits; anything else, or a target outside the limits, ?>\n"
        "  easycomm2           AZa.a and ELe.e set, AZ and EL read (AZa.a ELe.e), SA and\n"
        "                      SE stop, ML, MR, MU and MD turn towards the limits, PARK parks\n"
        "  rot2prog            13-byte set, status and stop frames; status and stop are\n"
        "                      answered by a status frame\n"
        "A stop sends the position the controller measured as the set values. A command that\n"
        "sets the azimuth only leaves the elevation's set value as it is; one that sets the\n"
        "elevation only sends again the azimuth the bridge last sent.\n"
        "\n"
        "Exit status: 0 after SIGINT, SIGTERM or SIGHUP; 1 when the port or the pseudo-terminal\n"
        "cannot be opened; 2 for a wrong command line, each with a one-line reason.\n"
        "The journal goes to standard error; QT_LOGGING_RULES=\"zenko.*.debug=true\" adds every\n"
        "command, reply and controller datagram to it.\n");
}

QString VersionText() {
    return QStringLiteral("zenko-rotctld " ZENKO_VERSION "\n");
}

} // namespace zenko::rotctld
