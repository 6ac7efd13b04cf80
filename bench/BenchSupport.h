#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "picnic-sim/PicnicSimulator.h"
#include "platform/MessageBox.h"
#include "platform/ProfileFile.h"
#include "ui/ControllerDlg.h"

// What the benchmark programs share: ports, options, figures, the controller under test and the
// simulated board run as its own process.
namespace zenko::bench {

// The controller holds its ports as signed 16-bit numbers, so the system's ephemeral ports
// (above 32767) would be refused: the benchmarks take theirs from this range.
inline constexpr std::uint16_t kLowestPort = 20000;
inline constexpr std::uint16_t kHighestPort = 32000;

// Hands out UDP ports on 127.0.0.1 that could be bound when asked. It starts at a point taken
// from the process id and walks on through the range, so that two calls, or two benchmarks
// started together, do not hand out the same port.
class PortPicker {
public:
    PortPicker();
    // 0 when no free port was found.
    std::uint16_t next();

private:
    std::uint32_t m_next;
};

// Offscreen unless the caller chose a platform; before the application object exists.
void UseOffscreenPlatformByDefault();

// A line on standard output, written whole and flushed, so a reading parent sees it at once.
void PrintLine(const QString& line);
void PrintError(const QString& line);

// The machine's load averages over 1, 5 and 15 minutes as the system gives them ("0.52 0.61
// 0.70"), so that a figure measured on a busy machine says so.
QString LoadAverages();

// "12.345" with `decimals` places, whatever the user's locale.
QString Fixed(double value, int decimals);

// Integer options as "--name N" or "--name=N".
struct IntegerOption {
    const char* name;
    long long* value;
    long long lowest;
    long long highest;
    const char* help;
};

// Decimal options as "--name 0.15", read in the C locale's form.
struct DecimalOption {
    const char* name;
    double* value;
    double lowest;
    double highest;
    const char* help;
};

// Options that take one of a few words, "--drive tracking".
struct ChoiceOption {
    const char* name;
    QString* value;
    QStringList choices;
    const char* help;
};

struct OptionOutcome {
    enum class Action { Run, Help, Fail };
    Action action = Action::Run;
    QString message;
};

// Unknown options, missing or out-of-range values fail with a one-line reason; "-h"/"--help"
// asks for the help text, which lists the options under `summary`.
OptionOutcome ParseOptions(const QStringList& arguments, const std::vector<IntegerOption>& integers,
                           const std::vector<DecimalOption>& decimals,
                           const std::vector<ChoiceOption>& choices, const QString& summary);

// The program's own arguments read as above: nothing when it is to run; else its exit status
// once the help is printed (0) or the reason, after the program's name (2).
std::optional<int> ReadOptions(const char* program, const std::vector<IntegerOption>& options,
                               const QString& summary);
std::optional<int> ReadOptions(const char* program, const std::vector<IntegerOption>& integers,
                               const std::vector<DecimalOption>& decimals,
                               const std::vector<ChoiceOption>& choices, const QString& summary);

// Order statistics by nearest rank.
struct Summary {
    std::size_t count = 0;
    double minimum = 0;
    double median = 0;
    double p95 = 0;
    double p99 = 0;
    double maximum = 0;
};
Summary Summarize(std::vector<double> values);

// "median 0.123  p95 0.456  p99 0.789  max 1.234 (n=200)", in the values' own unit.
QString FormatSummary(const Summary& summary, const QString& unit, int decimals);

// The ZENKO.ini of a controller that talks to a board on 127.0.0.1 only.
struct ControllerSettings {
    std::uint16_t boardPort = 0;
    std::uint16_t binaryPort = 0;
    std::uint16_t asciiPort = 0;
    int controlIntervalSeconds = 1;
    // 2: Local, 3: Remote.
    int selector = 2;
    int localAzimuth = 0;
    int localElevation = 0;
    // Further "Key=Value" lines of [ZENKO], each ending in a line feed.
    QByteArray furtherKeys;
};
QByteArray ControllerIni(const ControllerSettings& settings);

// The real window over its own ZENKO.ini in a temporary folder, shown (offscreen) as an operator
// would have it, so that its painting costs what it costs in use. Messages are recorded.
class ControllerUnderTest {
public:
    explicit ControllerUnderTest(const ControllerSettings& settings);
    ~ControllerUnderTest();
    ControllerUnderTest(const ControllerUnderTest&) = delete;
    ControllerUnderTest& operator=(const ControllerUnderTest&) = delete;

    CControllerDlg& dlg() const { return *m_window; }
    // OnStart, then whether the link runs without a message.
    bool start();
    // Every message the window showed, one per line.
    QString messages() const;

private:
    QTemporaryDir m_dir;
    platform::ProfileFile m_profile;
    platform::RecordingMessageSink m_messages;
    std::unique_ptr<CControllerDlg> m_window;
};

// One line that picnic-sim printed for a datagram.
struct BoardLine {
    // Milliseconds since the simulator started, as printed (microsecond resolution).
    double sinceStartMs = 0;
    QByteArray bytes;
};
// Nothing for status lines, its own messages and anything else that is not a datagram.
std::optional<BoardLine> ParseBoardLine(const QByteArray& line);

// The simulated board in this process on a free loopback port (`options.port` is chosen), another
// tried when the one picked was taken meanwhile; null when none could be bound.
std::unique_ptr<picnic::PicnicSimulator> StartBoardInProcess(picnic::SimulatorOptions options,
                                                             PortPicker& ports);

// The picnic-sim program on a free loopback port, ended (SIGTERM, then kill) when destroyed.
class BoardProcess {
public:
    BoardProcess() = default;
    ~BoardProcess();
    BoardProcess(const BoardProcess&) = delete;
    BoardProcess& operator=(const BoardProcess&) = delete;

    // Starts it with `arguments` plus --port on a free port and waits (bounded) for its
    // listening line; another port is tried when the chosen one was taken meanwhile.
    bool start(const QStringList& arguments, PortPicker& ports);
    QString errorString() const { return m_error; }
    std::uint16_t port() const { return m_port; }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    std::uint16_t m_port = 0;
    QString m_error;
};

// A flood of refused senders: the allow-list a controller under it holds, as a further line of
// [ZENKO], and --flood, the option of the benchmarks that choose it. Below 0: neither the list
// nor the flood, the controller as without the key; 0: the list only; more: the list and that
// many datagrams a second from 127.0.0.2.
inline constexpr char kFloodAllowKey[] = "SetValue_Allow=127.0.0.1\n";
IntegerOption FloodOption(long long* rate);
// What a benchmark prints of its set-value senders: "everyone (no SetValue_Allow), no flood",
// "SetValue_Allow=127.0.0.1, no flood", or "SetValue_Allow=127.0.0.1, flood of N/s" with
// `during` and then what FloodProcess::stop told.
QString FloodText(long long rate, const QString& stopped, QLatin1String during = {});

// The setvalue_flood program, sending to both services on 127.0.0.1 from 127.0.0.2, ended when
// stopped or destroyed and in any case after `seconds`.
class FloodProcess {
public:
    FloodProcess() = default;
    ~FloodProcess();
    FloodProcess(const FloodProcess&) = delete;
    FloodProcess& operator=(const FloodProcess&) = delete;

    // Waits (bounded) until it floods.
    bool start(std::uint16_t binaryPort, std::uint16_t asciiPort, long long rate, int seconds);
    QString errorString() const { return m_error; }
    // Ends it; what it sent, and the datagrams the machine dropped for a full receive buffer
    // meanwhile (all its UDP sockets, the controller's among them).
    QString stop();

private:
    QProcess m_process;
    QString m_error;
    long long m_receiveBufferErrorsAtStart = 0;
};

} // namespace zenko::bench
