// Round trips and throughput of the set-value services, with the controller in a child process
// of its own (this program started again with --serve) so that the client's work and the
// controller's never share an event loop. The floor is an echo server in a child process too:
// a blocking receive-and-send loop, the least any UDP service on this machine can cost, and an
// echo on Qt's event loop, the least a service built like the controller can cost.
//
// The clients use the system's sockets directly rather than QUdpSocket so that the client adds
// as little as possible to what is measured, and so that the load client can pace its sends
// without an event loop in between.

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTimer>
#include <QUdpSocket>

#include "BenchSupport.h"
#include "picnic-sim/CommandInput.h"
#include "picnic-sim/PicnicSimulator.h"
#include "platform/Formats.h"
#include "setvalue-send/SetValueSendCommandLine.h"
#include "setvalue/SetValueCodec.h"

using namespace zenko;
using Clock = std::chrono::steady_clock;

namespace {

// A child ends by itself after this long whatever happens to its parent.
constexpr int kChildLifetimeMs = 900 * 1000;
constexpr int kChildStartTimeoutMs = 10000;
constexpr int kChildStopTimeoutMs = 5000;
constexpr int kReplyTimeoutMs = 200;
constexpr int kWarmUpRequests = 200;
constexpr int kDrainQuietMs = 500;
constexpr int kClientReceiveBuffer = 8 * 1024 * 1024;
constexpr double kRoundTripFactorTarget = 2.0;
constexpr long long kRateTarget = 20000;
constexpr long long kPulseCheckRate = 20000;
constexpr long long kRates[] = {0, 5000, 10000, 20000, 40000, 80000};

// The antenna stands 3 and about 3.7 degrees below the targets the requests carry, so the
// control cycle orders pulses all the time.
constexpr double kAzimuthStart = 50.0;
constexpr double kElevationStart = 45.3;
constexpr std::uint32_t kAzimuthTargetThousandths = 53000;
constexpr std::uint32_t kElevationTargetThousandths = 49000;
constexpr char kAsciiRequest[] = "0,53,49";
constexpr qsizetype kAsciiReplySize = 45;

double MicrosecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A UDP socket on loopback, connected to one service port.
class Client {
public:
    explicit Client(std::uint16_t port) : m_fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        if (m_fd < 0) {
            return;
        }
        // A privileged process may exceed the system's limit; otherwise the limit applies.
        if (::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &kClientReceiveBuffer,
                         sizeof kClientReceiveBuffer) != 0) {
            ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &kClientReceiveBuffer,
                         sizeof kClientReceiveBuffer);
        }
        const sockaddr_in address = Loopback(port);
        if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~Client() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int receiveBuffer() const {
        int size = 0;
        socklen_t length = sizeof size;
        ::getsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &size, &length);
        return size;
    }
    // False when the system refused the datagram (its send queue is full).
    bool send(const QByteArray& bytes) const {
        return ::send(m_fd, bytes.constData(), static_cast<std::size_t>(bytes.size()),
                      MSG_DONTWAIT) == bytes.size();
    }
    // The size of the datagram read, -1 when none is queued.
    qsizetype receiveNow() { return ::recv(m_fd, m_buffer, sizeof m_buffer, MSG_DONTWAIT); }
    bool waitReadable(int timeoutMs) const {
        pollfd entry{m_fd, POLLIN, 0};
        return ::poll(&entry, 1, timeoutMs) > 0;
    }

private:
    int m_fd;
    char m_buffer[2048] = {};
};

struct RoundTrips {
    std::vector<double> microseconds;
    int lost = 0;
    int wrongSize = 0;
};

// One request at a time, each waiting for its reply: the round trip as a polling peer sees it.
RoundTrips MeasureRoundTrips(std::uint16_t port, const QByteArray& request, qsizetype replySize,
                             int count) {
    RoundTrips result;
    Client client(port);
    if (!client.isOpen()) {
        result.lost = count;
        return result;
    }
    for (int index = -kWarmUpRequests; index < count; ++index) {
        while (client.receiveNow() >= 0) {
        }
        const Clock::time_point sent = Clock::now();
        qsizetype size = -1;
        if (client.send(request) && client.waitReadable(kReplyTimeoutMs)) {
            size = client.receiveNow();
        }
        const double elapsed = MicrosecondsSince(sent);
        if (index < 0) {
            continue;
        }
        if (size < 0) {
            ++result.lost;
        } else if (size != replySize) {
            ++result.wrongSize;
        } else {
            result.microseconds.push_back(elapsed);
        }
    }
    return result;
}

struct LoadStep {
    long long rate = 0;
    long long sent = 0;
    long long refused = 0;
    long long answered = 0;
    double seconds = 0;
    QString pulses;
};

// Sends at `rate` for `seconds`, paced against the clock in whatever batch has come due, reads
// every reply as it comes, then waits until no reply has come for a while.
LoadStep RunLoad(Client& client, const QByteArray& request, long long rate, int seconds) {
    LoadStep step;
    step.rate = rate;
    const Clock::time_point start = Clock::now();
    const auto duration = std::chrono::seconds(seconds);
    const auto drain = [&] {
        while (client.receiveNow() >= 0) {
            ++step.answered;
        }
    };
    for (Clock::time_point now = start; now - start < duration; now = Clock::now()) {
        const double elapsed = std::chrono::duration<double>(now - start).count();
        const auto due = static_cast<long long>(static_cast<double>(rate) * elapsed);
        while (step.sent + step.refused < due) {
            if (client.send(request)) {
                ++step.sent;
            } else {
                ++step.refused;
            }
        }
        drain();
        client.waitReadable(1);
    }
    step.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    while (client.waitReadable(kDrainQuietMs)) {
        drain();
    }
    return step;
}

// This program started again in one of its serving roles, talked to through its standard
// input (commands, one a line) and output (its ports first, then answers).
class Child {
public:
    ~Child() { stop(); }

    bool start(const QStringList& arguments) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationFilePath(), arguments);
        return m_process.waitForStarted(kChildStartTimeoutMs);
    }
    std::optional<QByteArray> readLine(int timeoutMs) {
        QElapsedTimer waited;
        waited.start();
        while (!m_process.canReadLine() && m_process.state() == QProcess::Running &&
               waited.elapsed() < timeoutMs) {
            m_process.waitForReadyRead(100);
        }
        if (!m_process.canReadLine()) {
            return std::nullopt;
        }
        return m_process.readLine().trimmed();
    }
    void writeLine(const QByteArray& line) {
        m_process.write(line + '\n');
        m_process.waitForBytesWritten(kChildStopTimeoutMs);
    }
    // Its standard input closes, which ends it; killed if it does not end in time.
    void stop() {
        if (m_process.state() == QProcess::NotRunning) {
            return;
        }
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(kChildStopTimeoutMs)) {
            m_process.kill();
            m_process.waitForFinished(kChildStopTimeoutMs);
        }
    }

private:
    QProcess m_process;
};

// The ports in a "ports A B" line.
std::vector<std::uint16_t> ParsePorts(const std::optional<QByteArray>& line) {
    std::vector<std::uint16_t> ports;
    if (!line || !line->startsWith("ports ")) {
        return ports;
    }
    for (const QByteArray& field : line->mid(6).split(' ')) {
        bool ok = false;
        const uint port = field.toUInt(&ok);
        if (!ok || port == 0 || port > 65535) {
            return {};
        }
        ports.push_back(static_cast<std::uint16_t>(port));
    }
    return ports;
}

// --- the children

int ServeEchoBlocking() {
    bench::PortPicker ports;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    std::uint16_t port = 0;
    for (int attempt = 0; attempt < 20 && port == 0 && fd >= 0; ++attempt) {
        const std::uint16_t candidate = ports.next();
        const sockaddr_in address = Loopback(candidate);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            port = candidate;
        }
    }
    if (port == 0) {
        bench::PrintError(QStringLiteral("setvalue_roundtrip --echo: no port"));
        return 1;
    }
    bench::PrintLine(QLatin1String("ports ") + platform::FormatInteger(port));
    const Clock::time_point start = Clock::now();
    char buffer[2048];
    while (Clock::now() - start < std::chrono::milliseconds(kChildLifetimeMs)) {
        pollfd entries[2] = {{fd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (::poll(entries, 2, 1000) <= 0) {
            continue;
        }
        if ((entries[1].revents & (POLLIN | POLLHUP)) != 0 &&
            ::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            break;
        }
        if ((entries[0].revents & POLLIN) != 0) {
            sockaddr_in sender{};
            socklen_t length = sizeof sender;
            const ssize_t size = ::recvfrom(fd, buffer, sizeof buffer, 0,
                                            reinterpret_cast<sockaddr*>(&sender), &length);
            if (size >= 0) {
                ::sendto(fd, buffer, static_cast<std::size_t>(size), 0,
                         reinterpret_cast<const sockaddr*>(&sender), length);
            }
        }
    }
    ::close(fd);
    return 0;
}

int ServeEchoOnEventLoop() {
    bench::PortPicker ports;
    QUdpSocket socket;
    std::uint16_t port = 0;
    for (int attempt = 0; attempt < 20 && port == 0; ++attempt) {
        const std::uint16_t candidate = ports.next();
        if (candidate != 0 &&
            socket.bind(QHostAddress::LocalHost, candidate, QUdpSocket::DontShareAddress)) {
            port = candidate;
        }
    }
    if (port == 0) {
        bench::PrintError(QStringLiteral("setvalue_roundtrip --echo-qt: no port"));
        return 1;
    }
    QObject::connect(&socket, &QUdpSocket::readyRead, &socket, [&socket] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket.receiveDatagram();
            socket.writeDatagram(datagram.makeReply(datagram.data()));
        }
    });
    // The child ends when its standard input closes: the parent is done or gone.
    const picnic::CommandInput input;
    QObject::connect(&input, &picnic::CommandInput::ended, QCoreApplication::instance(),
                     &QCoreApplication::quit);
    QTimer::singleShot(kChildLifetimeMs, QCoreApplication::instance(), &QCoreApplication::quit);
    bench::PrintLine(QLatin1String("ports ") + platform::FormatInteger(port));
    return QCoreApplication::exec();
}

// The pulses of the control cycle as the in-process board sees them, from the last "mark".
class PulseRecorder {
public:
    explicit PulseRecorder(const CControllerDlg& dlg) : m_dlg(dlg) {}

    void onCommand(const picnic::ReceivedCommand& command) {
        const QByteArray& bytes = command.bytes;
        if (command.kind != picnic::CommandKind::Relay || bytes.size() != 5) {
            return;
        }
        const auto mask = static_cast<std::uint8_t>(bytes[3]);
        if (mask != 0xCF && mask != 0x3F) {
            return;
        }
        const std::size_t axis = mask == 0xCF ? 0 : 1;
        if (bytes[4] != 0) {
            // The board reads this after the control step that sent it has finished.
            const int ordered = axis == 0 ? m_dlg.m_nAzDrivePos + m_dlg.m_nAzDriveNeg
                                          : m_dlg.m_nElDrivePos + m_dlg.m_nElDriveNeg;
            m_pending[axis] = {command.monotonicNs, ordered};
            return;
        }
        if (m_pending[axis].second > 0) {
            const double measuredMs =
                static_cast<double>(command.monotonicNs - m_pending[axis].first) / 1e6;
            m_errors.push_back(measuredMs - m_pending[axis].second);
        }
        m_pending[axis] = {};
    }
    void mark() { m_errors.clear(); }
    const std::vector<double>& errors() const { return m_errors; }

private:
    const CControllerDlg& m_dlg;
    // Arrival of the relay-on command and its ordered drive time, per axis; 0 ms: none.
    std::pair<std::int64_t, int> m_pending[2] = {};
    std::vector<double> m_errors;
};

int ServeController(bool allowList) {
    bench::PortPicker ports;
    picnic::SimulatorOptions boardOptions;
    boardOptions.model.azimuth.startAngle = kAzimuthStart;
    boardOptions.model.elevation.startAngle = kElevationStart;
    boardOptions.model.azimuth.speed = 0;
    boardOptions.model.elevation.speed = 0;
    const std::unique_ptr<picnic::PicnicSimulator> board =
        bench::StartBoardInProcess(boardOptions, ports);
    if (!board) {
        bench::PrintError(QStringLiteral("setvalue_roundtrip --serve: no port for the board"));
        return 1;
    }
    bench::ControllerSettings settings;
    settings.boardPort = board->port();
    settings.binaryPort = ports.next();
    settings.asciiPort = ports.next();
    settings.controlIntervalSeconds = 1;
    settings.selector = 3;
    if (allowList) {
        settings.furtherKeys = bench::kFloodAllowKey;
    }
    bench::ControllerUnderTest controller(settings);
    PulseRecorder pulses(controller.dlg());
    QObject::connect(board.get(), &picnic::PicnicSimulator::commandReceived, board.get(),
                     [&pulses, &board](const picnic::ReceivedCommand& command) {
                         pulses.onCommand(command);
                         // Nobody reads the record; it would only grow.
                         board->clearCommands();
                     });
    if (!controller.start()) {
        bench::PrintError(QLatin1String("setvalue_roundtrip --serve: the link did not start: ") +
                          controller.messages());
        return 1;
    }
    const picnic::CommandInput input;
    QObject::connect(&input, &picnic::CommandInput::ended, QCoreApplication::instance(),
                     &QCoreApplication::quit);
    QObject::connect(&input, &picnic::CommandInput::line, &input, [&pulses](const QString& line) {
        if (line.trimmed() == QLatin1String("mark")) {
            pulses.mark();
        } else if (line.trimmed() == QLatin1String("report")) {
            bench::PrintLine(
                QLatin1String("report ") +
                bench::FormatSummary(bench::Summarize(pulses.errors()), QStringLiteral("ms"), 3));
        }
    });
    QTimer::singleShot(kChildLifetimeMs, QCoreApplication::instance(), &QCoreApplication::quit);
    bench::PrintLine(QLatin1String("ports ") + platform::FormatInteger(settings.binaryPort) +
                     QLatin1Char(' ') + platform::FormatInteger(settings.asciiPort));
    const int status = QApplication::exec();
    controller.dlg().OnStop();
    return status;
}

// --- the parent

QString RoundTripLine(const char* name, const RoundTrips& trips) {
    const bench::Summary summary = bench::Summarize(trips.microseconds);
    QString line = (QLatin1String("  ") + QLatin1String(name)).leftJustified(29) +
                   bench::FormatSummary(summary, QStringLiteral("us"), 1);
    if (trips.lost > 0 || trips.wrongSize > 0) {
        line += QLatin1String("  lost ") + platform::FormatInteger(trips.lost) +
                QLatin1String(", wrong size ") + platform::FormatInteger(trips.wrongSize);
    }
    return line;
}

std::optional<RoundTrips> MeasureEcho(const QString& role, const QByteArray& request, int count) {
    Child echo;
    if (!echo.start({role})) {
        return std::nullopt;
    }
    const auto ports = ParsePorts(echo.readLine(kChildStartTimeoutMs));
    if (ports.size() != 1) {
        return std::nullopt;
    }
    return MeasureRoundTrips(ports[0], request, request.size(), count);
}

int RunParent(int requests, int stepSeconds, long long maxRate, long long flood) {
    QElapsedTimer runTime;
    runTime.start();
    const QString loadAtStart = bench::LoadAverages();
    const QByteArray binaryRequest =
        setvaluesend::BuildBinaryRequest(kAzimuthTargetThousandths, kElevationTargetThousandths);
    const auto floor = MeasureEcho(QStringLiteral("--echo"), binaryRequest, requests);
    const auto qtFloor = MeasureEcho(QStringLiteral("--echo-qt"), binaryRequest, requests);
    if (!floor || !qtFloor) {
        bench::PrintError(QStringLiteral("setvalue_roundtrip: an echo server did not start"));
        return 1;
    }

    Child server;
    QStringList serve{QStringLiteral("--serve")};
    if (flood >= 0) {
        serve << QStringLiteral("--allow-list");
    }
    if (!server.start(serve)) {
        bench::PrintError(QStringLiteral("setvalue_roundtrip: the controller did not start"));
        return 1;
    }
    const auto ports = ParsePorts(server.readLine(kChildStartTimeoutMs));
    if (ports.size() != 2) {
        bench::PrintError(QStringLiteral("setvalue_roundtrip: the controller gave no ports"));
        return 1;
    }
    bench::FloodProcess floodProcess;
    if (flood > 0 && !floodProcess.start(ports[0], ports[1], flood, kChildLifetimeMs / 1000)) {
        bench::PrintError(QLatin1String("setvalue_roundtrip: ") + floodProcess.errorString());
        return 1;
    }
    const RoundTrips binary =
        MeasureRoundTrips(ports[0], binaryRequest, setvalue::kBinaryReplySize, requests);
    const RoundTrips ascii =
        MeasureRoundTrips(ports[1], QByteArray(kAsciiRequest), kAsciiReplySize, requests);

    Client loadClient(ports[0]);
    std::vector<LoadStep> steps;
    for (const long long rate : kRates) {
        if (rate > maxRate || !loadClient.isOpen()) {
            continue;
        }
        server.writeLine("mark");
        LoadStep step = RunLoad(loadClient, binaryRequest, rate, stepSeconds);
        server.writeLine("report");
        const auto report = server.readLine(kChildStartTimeoutMs);
        step.pulses = report && report->startsWith("report ") ? QString::fromUtf8(report->mid(7))
                                                              : QStringLiteral("no report");
        steps.push_back(step);
    }
    const QString floodSummary = floodProcess.stop();
    server.stop();

    const bench::Summary floorSummary = bench::Summarize(floor->microseconds);
    const bench::Summary binarySummary = bench::Summarize(binary.microseconds);
    const bench::Summary asciiSummary = bench::Summarize(ascii.microseconds);
    bench::PrintLine(QStringLiteral("setvalue_roundtrip: set-value services of the controller "
                                    "(child process, link running, Remote)"));
    bench::PrintLine(
        QLatin1String("  set-value senders: ") +
        bench::FloodText(flood, floodSummary, QLatin1String(" during the services' figures")));
    bench::PrintLine(QLatin1String("  round trips, one request at a time, ") +
                     platform::FormatInteger(requests) + QLatin1String(" each:"));
    bench::PrintLine(RoundTripLine("floor, blocking echo", *floor));
    bench::PrintLine(RoundTripLine("floor, Qt event-loop echo", *qtFloor));
    bench::PrintLine(RoundTripLine("binary service", binary));
    bench::PrintLine(RoundTripLine("ASCII service", ascii));
    const bench::Summary qtFloorSummary = bench::Summarize(qtFloor->microseconds);
    const auto ratio = [](const bench::Summary& service, const bench::Summary& floor) {
        return floor.median > 0 ? service.median / floor.median : 0.0;
    };
    const bool roundTripMet = binarySummary.count > 0 && asciiSummary.count > 0 &&
                              ratio(binarySummary, floorSummary) <= kRoundTripFactorTarget &&
                              ratio(asciiSummary, floorSummary) <= kRoundTripFactorTarget;
    bench::PrintLine(
        QLatin1String("  median / blocking echo median: binary ") +
        bench::Fixed(ratio(binarySummary, floorSummary), 2) + QLatin1String(", ASCII ") +
        bench::Fixed(ratio(asciiSummary, floorSummary), 2) + QLatin1String("; target <= 2: ") +
        QLatin1String(roundTripMet ? "met" : "NOT met"));
    bench::PrintLine(QLatin1String("  median / Qt echo median: binary ") +
                     bench::Fixed(ratio(binarySummary, qtFloorSummary), 2) +
                     QLatin1String(", ASCII ") +
                     bench::Fixed(ratio(asciiSummary, qtFloorSummary), 2));

    bench::PrintLine(QLatin1String("  binary requests at a fixed rate, ") +
                     platform::FormatInteger(stepSeconds) +
                     QLatin1String(" s each (client receive buffer ") +
                     platform::FormatInteger(loadClient.receiveBuffer() / 1024) +
                     QLatin1String(" KiB); pulse error = measured - ordered at the in-process "
                                   "board:"));
    long long highest = 0;
    QString pulsesUnderLoad = QStringLiteral("not measured");
    for (const LoadStep& step : steps) {
        const long long lost = step.sent - step.answered;
        const bool complete = step.sent > 0 && lost == 0 && step.refused == 0;
        if (complete) {
            highest = std::max(highest, step.rate);
        }
        if (step.rate == kPulseCheckRate) {
            pulsesUnderLoad = step.pulses;
        }
        const double lossPercent =
            step.sent > 0 ? static_cast<double>(lost) * 100.0 / static_cast<double>(step.sent) : 0;
        bench::PrintLine(QLatin1String("    ") + platform::FormatInteger(step.rate, 6) +
                         QLatin1String("/s: sent ") + platform::FormatInteger(step.sent, 7) +
                         QLatin1String(", answered ") + platform::FormatInteger(step.answered, 7) +
                         QLatin1String(" (") +
                         bench::Fixed(static_cast<double>(step.answered) / step.seconds, 0) +
                         QLatin1String("/s), lost ") + platform::FormatInteger(lost) +
                         QLatin1String(" = ") + bench::Fixed(lossPercent, 2) + QLatin1String(" %") +
                         (step.refused > 0 ? QLatin1String(", refused by the client's system ") +
                                                 platform::FormatInteger(step.refused)
                                           : QString()));
        bench::PrintLine(QLatin1String("            pulse error: ") + step.pulses);
    }
    bench::PrintLine(QLatin1String("  highest rate answered completely: ") +
                     platform::FormatInteger(highest) + QLatin1String("/s; target >= 20000/s: ") +
                     QLatin1String(highest >= kRateTarget ? "met" : "NOT met"));
    bench::PrintLine(QLatin1String("  pulse error during the 20000/s load: ") + pulsesUnderLoad);
    bench::PrintLine(QLatin1String("  run time ") +
                     bench::Fixed(static_cast<double>(runTime.elapsed()) / 1000.0, 1) +
                     QLatin1String(" s; load averages at start ") + loadAtStart +
                     QLatin1String(", at end ") + bench::LoadAverages());
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const QByteArray role = argc >= 2 ? QByteArray(argv[1]) : QByteArray();
    if (role == "--echo") {
        const QCoreApplication application(argc, argv);
        return ServeEchoBlocking();
    }
    if (role == "--echo-qt") {
        const QCoreApplication application(argc, argv);
        return ServeEchoOnEventLoop();
    }
    if (role == "--serve") {
        bench::UseOffscreenPlatformByDefault();
        const QApplication application(argc, argv);
        return ServeController(argc == 3 && QByteArrayView(argv[2]) == "--allow-list");
    }

    const QCoreApplication application(argc, argv);
    long long requests = 5000;
    long long stepSeconds = 5;
    long long maxRate = 80000;
    long long flood = -1;
    if (const std::optional<int> exit = bench::ReadOptions(
            "setvalue_roundtrip",
            {{"--requests", &requests, 10, 100000, "round trips measured per service"},
             {"--step-seconds", &stepSeconds, 1, 60, "length of each fixed-rate step"},
             {"--max-rate", &maxRate, 0, 80000,
              "highest rate stepped to (steps: 0 5000 10000 20000 40000 80000)"},
             bench::FloodOption(&flood)},
            QStringLiteral("Usage: setvalue_roundtrip [options]\nMeasures round trips and "
                           "throughput of the set-value services against a floor of echo servers,\n"
                           "each server in a child process (this program with --serve, --echo or "
                           "--echo-qt)."))) {
        return *exit;
    }
    return RunParent(static_cast<int>(requests), static_cast<int>(stepSeconds), maxRate, flood);
}
