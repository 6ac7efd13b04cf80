#include "BenchSupport.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>

#include <sys/prctl.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QTimer>
#include <QUdpSocket>

#include "common/CommandLineNumbers.h"
#include "common/ToolOutput.h"
#include "platform/Formats.h"

namespace zenko::bench {

namespace {

constexpr std::uint32_t kPortSpan = kHighestPort - kLowestPort + 1;
constexpr int kPortAttempts = 2000;
constexpr int kBoardStartAttempts = 5;
constexpr int kInProcessBoardAttempts = 20;
constexpr int kBoardStartTimeoutMs = 5000;
constexpr int kBoardStopTimeoutMs = 3000;

// The machine's count of UDP datagrams dropped because a socket's receive buffer was full.
long long UdpReceiveBufferErrors() {
    QFile file(QStringLiteral("/proc/net/snmp"));
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    QList<QByteArray> names;
    for (QByteArray line = file.readLine(); !line.isEmpty(); line = file.readLine()) {
        if (!line.startsWith("Udp: ")) {
            continue;
        }
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (names.isEmpty()) {
            names = fields;
            continue;
        }
        const qsizetype index = names.indexOf("RcvbufErrors");
        return index > 0 && index < fields.size() ? fields[index].toLongLong() : 0;
    }
    return 0;
}

// A started child's first line of output, waited for (bounded); nothing when it ended or said
// nothing in time.
std::optional<QByteArray> FirstLine(QProcess& process) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kBoardStartTimeoutMs && !process.canReadLine() &&
           process.state() == QProcess::Running) {
        process.waitForReadyRead(100);
    }
    return process.canReadLine() ? std::optional(process.readLine()) : std::nullopt;
}

// "  --name N" padded so that the explanations start in one column.
QString OptionColumn(const QString& usage) {
    constexpr qsizetype kWidth = 24;
    return (QLatin1String("  ") + usage).leftJustified(kWidth) + QLatin1Char(' ');
}

// The shortest text that reads back as the same double: "0.15", "2.7", "1e+06".
QString Shortest(double value) {
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return error == std::errc() ? QString::fromLatin1(buffer.data(), end - buffer.data())
                                : QString();
}

QString HelpText(const std::vector<IntegerOption>& integers,
                 const std::vector<DecimalOption>& decimals,
                 const std::vector<ChoiceOption>& choices, const QString& summary) {
    QString text =
        summary + QLatin1String("\n\nOptions (a value may also follow an equals sign):\n");
    for (const IntegerOption& option : integers) {
        text += OptionColumn(QLatin1String(option.name) + QLatin1String(" N")) +
                QLatin1String(option.help) + QLatin1String(" (") +
                platform::FormatInteger(option.lowest) + QLatin1String("..") +
                platform::FormatInteger(option.highest) + QLatin1String(", default ") +
                platform::FormatInteger(*option.value) + QLatin1String(")\n");
    }
    for (const DecimalOption& option : decimals) {
        text += OptionColumn(QLatin1String(option.name) + QLatin1String(" X")) +
                QLatin1String(option.help) + QLatin1String(" (") + Shortest(option.lowest) +
                QLatin1String("..") + Shortest(option.highest) + QLatin1String(", default ") +
                Shortest(*option.value) + QLatin1String(")\n");
    }
    for (const ChoiceOption& option : choices) {
        text += OptionColumn(QLatin1String(option.name) + QLatin1String(" WORD")) +
                QLatin1String(option.help) + QLatin1String(" (") +
                option.choices.join(QLatin1String(", ")) + QLatin1String("; default ") +
                *option.value + QLatin1String(")\n");
    }
    return text + OptionColumn(QStringLiteral("-h, --help")) + QLatin1String("show this text");
}

double NearestRank(const std::vector<double>& sorted, double fraction) {
    const auto rank =
        static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

} // namespace

PortPicker::PortPicker()
    : m_next(static_cast<std::uint32_t>(QCoreApplication::applicationPid() * 37) % kPortSpan) {}

std::uint16_t PortPicker::next() {
    for (int attempt = 0; attempt < kPortAttempts; ++attempt) {
        const auto port = static_cast<std::uint16_t>(kLowestPort + (m_next++ % kPortSpan));
        QUdpSocket probe;
        if (probe.bind(QHostAddress::LocalHost, port, QUdpSocket::DontShareAddress)) {
            return port;
        }
    }
    return 0;
}

void UseOffscreenPlatformByDefault() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

void PrintLine(const QString& line) {
    tools::PrintLine(stdout, line);
}

void PrintError(const QString& line) {
    tools::PrintLine(stderr, line);
}

QString LoadAverages() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("unknown");
    }
    const QList<QByteArray> fields = file.readLine().split(' ');
    return fields.size() < 3 ? QStringLiteral("unknown")
                             : QString::fromLatin1(fields[0] + ' ' + fields[1] + ' ' + fields[2]);
}

QString Fixed(double value, int decimals) {
    return platform::FormatFixed(value, 0, decimals);
}

OptionOutcome ParseOptions(const QStringList& arguments, const std::vector<IntegerOption>& integers,
                           const std::vector<DecimalOption>& decimals,
                           const std::vector<ChoiceOption>& choices, const QString& summary) {
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            return {OptionOutcome::Action::Help, HelpText(integers, decimals, choices, summary)};
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        const auto named = [&name](const auto& entry) {
            return name == QLatin1String(entry.name);
        };
        const auto integer = std::find_if(integers.begin(), integers.end(), named);
        const auto decimal = std::find_if(decimals.begin(), decimals.end(), named);
        const auto choice = std::find_if(choices.begin(), choices.end(), named);
        if (integer == integers.end() && decimal == decimals.end() && choice == choices.end()) {
            return {OptionOutcome::Action::Fail, QLatin1String("unknown option ") + argument};
        }
        QString text;
        if (equals >= 0) {
            text = argument.mid(equals + 1);
        } else if (index + 1 < arguments.size()) {
            text = arguments[++index];
        } else {
            return {OptionOutcome::Action::Fail, name + QLatin1String(" needs a value")};
        }
        if (integer != integers.end()) {
            const auto value = tools::ParseInteger(text, integer->lowest, integer->highest);
            if (!value) {
                return {OptionOutcome::Action::Fail,
                        name + QLatin1String(" expects a whole number from ") +
                            platform::FormatInteger(integer->lowest) + QLatin1String(" to ") +
                            platform::FormatInteger(integer->highest)};
            }
            *integer->value = *value;
        } else if (decimal != decimals.end()) {
            const QByteArray bytes = text.toUtf8();
            const auto value = tools::ParseFiniteNumber(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            if (!value || *value < decimal->lowest || *value > decimal->highest) {
                return {OptionOutcome::Action::Fail,
                        name + QLatin1String(" expects a number from ") +
                            Shortest(decimal->lowest) + QLatin1String(" to ") +
                            Shortest(decimal->highest)};
            }
            *decimal->value = *value;
        } else {
            if (!choice->choices.contains(text)) {
                return {OptionOutcome::Action::Fail, name + QLatin1String(" expects one of ") +
                                                         choice->choices.join(QLatin1String(", "))};
            }
            *choice->value = text;
        }
    }
    return {};
}

std::optional<int> ReadOptions(const char* program, const std::vector<IntegerOption>& options,
                               const QString& summary) {
    return ReadOptions(program, options, {}, {}, summary);
}

std::optional<int> ReadOptions(const char* program, const std::vector<IntegerOption>& integers,
                               const std::vector<DecimalOption>& decimals,
                               const std::vector<ChoiceOption>& choices, const QString& summary) {
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const OptionOutcome outcome = ParseOptions(arguments, integers, decimals, choices, summary);
    switch (outcome.action) {
    case OptionOutcome::Action::Run:
        return std::nullopt;
    case OptionOutcome::Action::Help:
        PrintLine(outcome.message);
        return 0;
    case OptionOutcome::Action::Fail:
        break;
    }
    PrintError(QLatin1String(program) + QLatin1String(": ") + outcome.message);
    return 2;
}

Summary Summarize(std::vector<double> values) {
    Summary summary;
    if (values.empty()) {
        return summary;
    }
    std::sort(values.begin(), values.end());
    summary.count = values.size();
    summary.minimum = values.front();
    summary.median = NearestRank(values, 0.5);
    summary.p95 = NearestRank(values, 0.95);
    summary.p99 = NearestRank(values, 0.99);
    summary.maximum = values.back();
    return summary;
}

QString FormatSummary(const Summary& summary, const QString& unit, int decimals) {
    if (summary.count == 0) {
        return QStringLiteral("no samples");
    }
    const auto figure = [&](const char* name, double value) {
        return QLatin1String(name) + QLatin1Char(' ') + Fixed(value, decimals) + QLatin1Char(' ') +
               unit;
    };
    return figure("median", summary.median) + QLatin1String("  ") + figure("p95", summary.p95) +
           QLatin1String("  ") + figure("p99", summary.p99) + QLatin1String("  ") +
           figure("max", summary.maximum) + QLatin1String("  (n=") +
           platform::FormatInteger(static_cast<std::int64_t>(summary.count)) + QLatin1Char(')');
}

QByteArray ControllerIni(const ControllerSettings& settings) {
    const auto number = [](std::int64_t value) {
        return platform::FormatInteger(value).toLatin1();
    };
    // Every board address is on loopback, so no datagram can leave this machine whichever
    // address the window's list ends up on.
    return "[ZENKO]\nPICNIC_IP_1=127.0.0.1\nPICNIC_IP_2=127.0.0.2\nPICNIC_IP_3=127.0.0.3\n"
           "PICNIC_PARA_PORT=" +
           number(settings.boardPort) +
           "\nBin_Set_Value_Receiving_Port=" + number(settings.binaryPort) +
           "\nAsc_Set_Value_Receiving_Port=" + number(settings.asciiPort) +
           "\nControl_Interval=" + number(settings.controlIntervalSeconds) +
           "\nLocal_Remote_Selector=" + number(settings.selector) +
           "\nLocal_Set_Az_Ang=" + number(settings.localAzimuth) +
           "\nLocal_Set_El_Ang=" + number(settings.localElevation) + "\n" + settings.furtherKeys;
}

ControllerUnderTest::ControllerUnderTest(const ControllerSettings& settings)
    : m_profile(m_dir.filePath(QStringLiteral("ZENKO.ini"))) {
    QFile file(m_profile.path());
    if (file.open(QIODevice::WriteOnly)) {
        file.write(ControllerIni(settings));
    }
    file.close();
    m_window = std::make_unique<CControllerDlg>(m_profile, m_messages);
    m_window->show();
    // An operator's window has painted (and loaded its fonts) long before Start; without this
    // the first pulses would measure the first paint.
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
}

ControllerUnderTest::~ControllerUnderTest() {
    if (m_window->m_bRunning) {
        m_window->OnStop();
    }
}

bool ControllerUnderTest::start() {
    m_window->OnStart();
    return m_window->m_bRunning && m_messages.messages.isEmpty();
}

QString ControllerUnderTest::messages() const {
    return m_messages.messages.join(QLatin1Char('\n'));
}

std::optional<BoardLine> ParseBoardLine(const QByteArray& line) {
    // "19:52:01.123 +1234.567 127.0.0.1:40211 03 06 01 cf 10  relay az: ..."
    const QList<QByteArray> fields = line.trimmed().split(' ');
    if (fields.size() < 4 || !fields[1].startsWith('+') || !fields[2].contains(':')) {
        return std::nullopt;
    }
    const QByteArray& since = fields[1];
    double milliseconds = 0;
    const auto [end, error] =
        std::from_chars(since.constData() + 1, since.constData() + since.size(), milliseconds);
    if (error != std::errc() || end != since.constData() + since.size()) {
        return std::nullopt;
    }
    BoardLine parsed{milliseconds, {}};
    for (qsizetype index = 3; index < fields.size() && fields[index].size() == 2; ++index) {
        bool isHex = false;
        const uint byte = fields[index].toUInt(&isHex, 16);
        if (!isHex) {
            break;
        }
        parsed.bytes.append(static_cast<char>(byte));
    }
    if (parsed.bytes.isEmpty()) {
        return std::nullopt;
    }
    return parsed;
}

std::unique_ptr<picnic::PicnicSimulator> StartBoardInProcess(picnic::SimulatorOptions options,
                                                             PortPicker& ports) {
    for (int attempt = 0; attempt < kInProcessBoardAttempts; ++attempt) {
        options.port = ports.next();
        auto board = std::make_unique<picnic::PicnicSimulator>(options);
        if (board->start()) {
            return board;
        }
    }
    return nullptr;
}

BoardProcess::~BoardProcess() {
    if (m_process.state() == QProcess::NotRunning) {
        return;
    }
    m_process.terminate();
    if (!m_process.waitForFinished(kBoardStopTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(kBoardStopTimeoutMs);
    }
}

bool BoardProcess::start(const QStringList& arguments, PortPicker& ports) {
    for (int attempt = 0; attempt < kBoardStartAttempts; ++attempt) {
        m_port = ports.next();
        if (m_port == 0) {
            m_error = QStringLiteral("no free UDP port for the board");
            return false;
        }
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        // The board ends with this program even when the program is killed outright and no
        // destructor runs.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_process.start(QStringLiteral(ZENKO_PICNIC_SIM_PATH),
                        arguments +
                            QStringList{QStringLiteral("--port"), platform::FormatInteger(m_port)});
        if (!m_process.waitForStarted(kBoardStartTimeoutMs)) {
            m_error = QLatin1String("picnic-sim did not start: ") + m_process.errorString();
            return false;
        }
        const std::optional<QByteArray> first = FirstLine(m_process);
        if (first && first->startsWith("picnic-sim: listening on")) {
            return true;
        }
        m_error = QLatin1String("picnic-sim on port ") + platform::FormatInteger(m_port) +
                  QLatin1String(": ") +
                  QString::fromUtf8(m_process.readAllStandardError()).trimmed();
        m_process.kill();
        m_process.waitForFinished(kBoardStopTimeoutMs);
    }
    return false;
}

IntegerOption FloodOption(long long* rate) {
    return {"--flood", rate, -1, 200000,
            "refused datagrams a second from 127.0.0.2 to a controller whose SetValue_Allow is "
            "127.0.0.1; 0: that list without a flood; -1: no list"};
}

QString FloodText(long long rate, const QString& stopped, QLatin1String during) {
    if (rate < 0) {
        return QStringLiteral("everyone (no SetValue_Allow), no flood");
    }
    return QLatin1String("SetValue_Allow=127.0.0.1, ") +
           (rate == 0 ? QStringLiteral("no flood")
                      : QLatin1String("flood of ") + platform::FormatInteger(rate) +
                            QLatin1String("/s") + during + QLatin1String(": ") + stopped);
}

FloodProcess::~FloodProcess() {
    stop();
}

bool FloodProcess::start(std::uint16_t binaryPort, std::uint16_t asciiPort, long long rate,
                         int seconds) {
    m_receiveBufferErrorsAtStart = UdpReceiveBufferErrors();
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(QStringLiteral(ZENKO_SETVALUE_FLOOD_PATH),
                    {QStringLiteral("--binary-port"), platform::FormatInteger(binaryPort),
                     QStringLiteral("--ascii-port"), platform::FormatInteger(asciiPort),
                     QStringLiteral("--rate"), platform::FormatInteger(rate),
                     QStringLiteral("--seconds"), platform::FormatInteger(seconds)});
    m_process.waitForStarted(kBoardStartTimeoutMs);
    const std::optional<QByteArray> first = FirstLine(m_process);
    if (first && first->startsWith("setvalue_flood: from")) {
        return true;
    }
    m_error = QLatin1String("setvalue_flood did not start: ") + m_process.errorString();
    return false;
}

QString FloodProcess::stop() {
    if (m_process.state() == QProcess::NotRunning) {
        return QString();
    }
    // Closing its input ends it; a flood that does not end in time is killed.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(kBoardStopTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(kBoardStopTimeoutMs);
    }
    return QString::fromUtf8(m_process.readAllStandardOutput().trimmed()) +
           QLatin1String("; receive buffer overflows on this machine meanwhile ") +
           platform::FormatInteger(UdpReceiveBufferErrors() - m_receiveBufferErrorsAtStart);
}

} // namespace zenko::bench
