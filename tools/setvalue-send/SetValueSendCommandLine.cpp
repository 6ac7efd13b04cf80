#include "setvalue-send/SetValueSendCommandLine.h"

#include <charconv>
#include <limits>

#include "common/CommandLineNumbers.h"
#include "common/Ipv4Text.h"

namespace zenko::setvaluesend {

namespace {

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<int> HexDigit(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return std::nullopt;
}

// What a mode option puts into the datagram, from the values that follow it.
struct ModeChoice {
    QByteArray request;
    ReplyFormat replyFormat = ReplyFormat::Binary;
    // Nothing for raw bytes, which may be meant for either service.
    std::optional<std::uint16_t> defaultPort;
};

struct ModeOption {
    const char* name;
    int valueCount;
    // The choice, or a refusal as the second member.
    std::pair<std::optional<ModeChoice>, QString> (*choose)(const QStringList& values);
};

std::pair<std::optional<ModeChoice>, QString> Refuse(const QString& reason) {
    return {std::nullopt, reason};
}

std::pair<std::optional<ModeChoice>, QString> Choose(QByteArray request, ReplyFormat format,
                                                     std::optional<std::uint16_t> port) {
    return {ModeChoice{std::move(request), format, port}, QString()};
}

constexpr ModeOption kModeOptions[] = {
    {"--binary", 2,
     [](const QStringList& values) {
         const auto azimuth = DegreesToThousandths(View(values[0].toUtf8()));
         const auto elevation = DegreesToThousandths(View(values[1].toUtf8()));
         if (!azimuth || !elevation) {
             return Refuse(QStringLiteral("--binary %1 %2: AZ and EL must be decimal degrees "
                                          "from 0 to 4294967.295")
                               .arg(values[0], values[1]));
         }
         return Choose(BuildBinaryRequest(*azimuth, *elevation), ReplyFormat::Binary,
                       kDefaultBinaryPort);
     }},
    {"--ascii", 2,
     [](const QStringList& values) {
         const QByteArray azimuth = values[0].toUtf8();
         const QByteArray elevation = values[1].toUtf8();
         if (!IsDecimalNumber(View(azimuth), true) || !IsDecimalNumber(View(elevation), true)) {
             return Refuse(
                 QStringLiteral("--ascii %1 %2: AZ and EL must be decimal numbers such as -12.5")
                     .arg(values[0], values[1]));
         }
         return Choose("ZENKO," + azimuth + ',' + elevation, ReplyFormat::Ascii, kDefaultAsciiPort);
     }},
    {"--query-binary", 0,
     [](const QStringList&) {
         return Choose(QByteArray(), ReplyFormat::Binary, kDefaultBinaryPort);
     }},
    {"--query-ascii", 0,
     [](const QStringList&) {
         return Choose(QByteArrayLiteral("?"), ReplyFormat::Ascii, kDefaultAsciiPort);
     }},
    {"--text", 1,
     [](const QStringList& values) {
         return Choose(values[0].toUtf8(), ReplyFormat::Ascii, kDefaultAsciiPort);
     }},
    {"--hex", 1,
     [](const QStringList& values) {
         const auto bytes = ParseHexBytes(View(values[0].toUtf8()));
         if (!bytes) {
             return Refuse(
                 QStringLiteral("--hex %1: expects pairs of hexadecimal digits").arg(values[0]));
         }
         return Choose(*bytes, ReplyFormat::Guess, std::nullopt);
     }},
};

const ModeOption* FindMode(const QString& name) {
    for (const ModeOption& option : kModeOptions) {
        if (name == QLatin1String(option.name)) {
            return &option;
        }
    }
    return nullptr;
}

bool TakesOneValue(const QString& name) {
    for (const char* option : {"--host", "--port", "--timeout", "--text", "--hex"}) {
        if (name == QLatin1String(option)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool IsDecimalNumber(std::string_view text, bool allowSign) {
    if (allowSign && !text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    std::size_t digits = 0;
    bool point = false;
    for (char c : text) {
        if (IsDigit(c)) {
            ++digits;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits > 0;
}

std::optional<std::uint32_t> DegreesToThousandths(std::string_view text) {
    if (!IsDecimalNumber(text, false)) {
        return std::nullopt;
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    constexpr std::uint64_t kLargest = std::numeric_limits<std::uint32_t>::max();
    std::uint64_t degrees = 0;
    if (!whole.empty()) {
        const auto [stop, error] =
            std::from_chars(whole.data(), whole.data() + whole.size(), degrees);
        if (error != std::errc() || degrees > kLargest / 1000 + 1) {
            return std::nullopt;
        }
    }
    std::uint64_t thousandths = degrees * 1000;
    std::uint64_t scale = 100;
    for (std::size_t i = 0; i < 3 && i < fraction.size(); ++i, scale /= 10) {
        thousandths += static_cast<std::uint64_t>(fraction[i] - '0') * scale;
    }
    if (fraction.size() > 3 && fraction[3] >= '5') {
        ++thousandths;
    }
    if (thousandths > kLargest) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(thousandths);
}

std::optional<QByteArray> ParseHexBytes(std::string_view text) {
    QByteArray bytes;
    std::optional<int> high;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            continue;
        }
        const auto digit = HexDigit(c);
        if (!digit) {
            return std::nullopt;
        }
        if (high) {
            bytes.append(static_cast<char>((*high << 4) | *digit));
            high.reset();
        } else {
            high = digit;
        }
    }
    if (high) {
        return std::nullopt;
    }
    return bytes;
}

QByteArray BuildBinaryRequest(std::uint32_t azimuthThousandths,
                              std::uint32_t elevationThousandths) {
    QByteArray request;
    for (std::uint32_t word : {std::uint32_t{0}, azimuthThousandths, elevationThousandths}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            request.append(static_cast<char>((word >> shift) & 0xFF));
        }
    }
    return request;
}

CommandLineOutcome ParseCommandLine(const QStringList& arguments) {
    CommandLineOutcome outcome;
    SendSettings& settings = outcome.settings;
    const ModeOption* mode = nullptr;
    std::optional<ModeChoice> choice;
    std::optional<std::uint16_t> port;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            return CommandLineOutcome::Text(CommandLineOutcome::Action::Help, HelpText());
        }
        if (argument == QLatin1String("--version")) {
            return CommandLineOutcome::Text(CommandLineOutcome::Action::Version, VersionText());
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const bool joined = equals >= 0 && TakesOneValue(argument.left(equals));
        const QString name = joined ? argument.left(equals) : argument;
        QStringList values;
        if (joined) {
            values << argument.mid(equals + 1);
        } else {
            const ModeOption* found = FindMode(name);
            const int count = found ? found->valueCount : (TakesOneValue(name) ? 1 : 0);
            if (found == nullptr && count == 0) {
                return CommandLineOutcome::Refused(
                    QStringLiteral("unknown argument %1 (see --help)").arg(argument));
            }
            if (i + count >= arguments.size()) {
                return CommandLineOutcome::Refused(
                    count == 1 ? QStringLiteral("%1 needs a value").arg(name)
                               : QStringLiteral("%1 needs two values").arg(name));
            }
            values = arguments.mid(i + 1, count);
            i += count;
        }
        if (const ModeOption* found = FindMode(name)) {
            if (mode != nullptr) {
                return CommandLineOutcome::Refused(QStringLiteral("%1 and %2: give one mode only")
                                                       .arg(QLatin1String(mode->name), name));
            }
            mode = found;
            auto [chosen, refusal] = found->choose(values);
            if (!chosen) {
                return CommandLineOutcome::Refused(refusal);
            }
            choice = std::move(chosen);
        } else if (name == QLatin1String("--host")) {
            if (!tools::ParseIpv4(values[0])) {
                return CommandLineOutcome::Refused(
                    QStringLiteral("--host %1: not a numeric IPv4 address such as 127.0.0.1")
                        .arg(values[0]));
            }
            settings.host = values[0];
        } else if (name == QLatin1String("--port")) {
            const auto number = tools::ParsePort(values[0], tools::PortZero::Refused);
            if (!number) {
                return CommandLineOutcome::Refused(
                    QStringLiteral("--port %1: expects a port number from 1 to 65535")
                        .arg(values[0]));
            }
            port = *number;
        } else {
            const auto number = tools::ParseInteger(values[0], 1, std::numeric_limits<int>::max());
            if (!number) {
                return CommandLineOutcome::Refused(
                    QStringLiteral("--timeout %1: expects milliseconds from 1 to 2147483647")
                        .arg(values[0]));
            }
            settings.timeoutMs = static_cast<int>(*number);
        }
    }
    if (!choice) {
        return CommandLineOutcome::Refused(
            QStringLiteral("give one of --binary, --ascii, --query-binary, "
                           "--query-ascii, --text, --hex (see --help)"));
    }
    if (!port && !choice->defaultPort) {
        return CommandLineOutcome::Refused(
            QStringLiteral("%1 needs --port: raw bytes have no default service")
                .arg(QLatin1String(mode->name)));
    }
    settings.port = port ? *port : *choice->defaultPort;
    settings.request = choice->request;
    settings.replyFormat = choice->replyFormat;
    return outcome;
}

QString HelpText() {
    return QStringLiteral(
        "Usage: setvalue-send [--host ADDR] [--port N] [--timeout MS] MODE\n"
        "Sends one datagram to a set-value service of the antenna controller, waits for its\n"
        "reply and prints it decoded and raw.\n"
        "\n"
        "MODE is exactly one of:\n"
        "  --binary AZ EL     binary set values (default port 10005). AZ and EL are degrees,\n"
        "                     decimal numbers from 0 to 4294967.295; each is sent as unsigned\n"
        "                     thousandths of a degree, rounded to nearest (halves up). The\n"
        "                     service keeps only whole degrees: 123.456 and 123.999 both set\n"
        "                     123.\n"
        "  --ascii AZ EL      ASCII set values (default port 10006): sends the text\n"
        "                     \"ZENKO,AZ,EL\" with the numbers as typed; AZ and EL must be\n"
        "                     decimal numbers (optional sign, digits, optional fraction).\n"
        "  --query-binary     an empty datagram to the binary service: it changes no set\n"
        "                     value and is answered with the position\n"
        "  --query-ascii      the text \"?\" to the ASCII service, likewise read-only\n"
        "  --text TEXT        TEXT as is (UTF-8, no terminating NUL) to the ASCII service\n"
        "  --hex HEX          raw bytes given as pairs of hexadecimal digits, blanks ignored\n"
        "                     (\"00000000 0001e240 0000afc8\"; \"\" is an empty datagram);\n"
        "                     needs --port\n"
        "\n"
        "Options (a value may also follow an equals sign: --port=10005):\n"
        "  --host ADDR        the controller's numeric IPv4 address, dotted decimal\n"
        "                     (default 127.0.0.1)\n"
        "  --port N           the service's UDP port, 1 to 65535 (default 10005 for\n"
        "                     --binary and --query-binary, 10006 for --ascii, --query-ascii\n"
        "                     and --text)\n"
        "  --timeout MS       how long to wait for the reply, in milliseconds (default 1000)\n"
        "  -h, --help         show this text\n"
        "  --version          show the version\n"
        "\n"
        "The datagram goes out once from an ephemeral local port (bound to 127.0.0.1 when ADDR\n"
        "is a loopback address, to every local address otherwise). The first datagram that\n"
        "arrives from ADDR within the time-out is the reply; datagrams from other addresses\n"
        "are ignored.\n"
        "\n"
        "Output: one line with the values, for example\n"
        "  azimuth 123.456 deg  elevation 45.250 deg  az 2.500 V  el 1.250 V\n"
        "then one line with the raw reply: its bytes in hexadecimal for the binary service,\n"
        "its text in double quotes (\\\" \\\\ and \\xHH escaped) for the ASCII service. A binary\n"
        "reply shows the thousandths it carries; an ASCII reply shows its fields as sent. A\n"
        "reply of another length (binary: 20 bytes) or form (ASCII: five numbers, each\n"
        "followed by a comma) is shown raw with a note instead of values. For --hex the reply\n"
        "is read as text when every byte is printable ASCII, as binary otherwise.\n"
        "\n"
        "Exit status: 0 when a reply arrived; 1 when none arrived within the time-out or the\n"
        "datagram could not be sent, with a one-line reason; 2 for a wrong command line.\n");
}

QString VersionText() {
    return QStringLiteral("setvalue-send " ZENKO_VERSION "\n");
}

} // namespace zenko::setvaluesend
