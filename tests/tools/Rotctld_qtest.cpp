
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

#include "BuildPaths.h"

#include "platform/Formats.h"
#include "support/JournalCapture.h"
#include "tools/FakeController.h"
#include "zenko-rotctld/RotctldCommandLine.h"

using namespace zenko;
using rotctld::BridgeSettings;
using rotctld::RotctldBridge;
using test::FakeController;
using test::JournalCapture;
using test::StartBridge;

namespace {

const QHostAddress kLoopback(QHostAddress::LocalHost);
constexpr int kWaitMs = 3000;

// A tracking program's connection to 127.0.0.1, from `from` when given.
class Client {
public:
    explicit Client(std::uint16_t port, const QHostAddress& from = {}) {
        if (!from.isNull()) {
            m_socket.bind(from, 0);
        }
        m_socket.connectToHost(kLoopback, port);
    }

    bool connected() {
        return QTest::qWaitFor([&] { return m_socket.state() == QAbstractSocket::ConnectedState; },
                               kWaitMs);
    }
    void send(const QByteArray& bytes) { m_socket.write(bytes); }
    // Destroying the socket drops what it has not yet written.
    bool sent() {
        return QTest::qWaitFor([&] { return m_socket.bytesToWrite() == 0; }, kWaitMs);
    }
    // The first `lines` lines received, or what came within the wait; the rest stays.
    QByteArray receive(qsizetype lines, int timeoutMs = kWaitMs) {
        // A shortfall shows in what the caller compares.
        [[maybe_unused]] const bool complete = QTest::qWaitFor(
            [&] {
                m_received += m_socket.readAll();
                return m_received.count('\n') >= lines;
            },
            timeoutMs);
        qsizetype end = 0;
        for (qsizetype line = 0; line < lines; ++line) {
            const qsizetype next = m_received.indexOf('\n', end);
            if (next < 0) {
                end = m_received.size();
                break;
            }
            end = next + 1;
        }
        const QByteArray taken = m_received.left(end);
        m_received.remove(0, end);
        return taken;
    }
    QByteArray ask(const QByteArray& line, qsizetype lines) {
        send(line);
        return receive(lines);
    }
    bool closedByPeer(int timeoutMs = kWaitMs) {
        return QTest::qWaitFor(
            [&] {
                m_received += m_socket.readAll();
                return m_socket.state() == QAbstractSocket::UnconnectedState;
            },
            timeoutMs);
    }
    QByteArray pending() const { return m_received; }
    void drop() { m_socket.abort(); }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
};

QString Port(std::uint16_t port) {
    return platform::FormatInteger(port);
}

} // namespace

class RotctldTest : public QObject {
    Q_OBJECT
private slots:
    void commandsAndWhatTheControllerReceives();
    void repliesFromAnotherHostAreIgnored();
    void silentControllerGivesTimeoutAndTheBridgeGoesOn();
    void aLateReplyIsNotTakenForTheNextRequest();
    void clientLeavingMidLineOrMidRequest();
    void twoClientsAtOnceOneRequestAtATime();
    void aFloodOfCommandsIsAnsweredInOrder();
    void quitClosesAfterTheEarlierReplies();
    void programCommandLineAndSignals();
    void clientOutsideTheAllowListIsClosedAtOnceAndNothingReachesTheController();
};

void RotctldTest::commandsAndWhatTheControllerReceives() {
    FakeController controller;
    BridgeSettings settings;
    settings.parkAzimuth = 180;
    settings.parkElevation = 10;
    const auto bridge = StartBridge(controller, settings);
    QVERIFY(bridge);
    Client client(bridge->serverPort());
    QVERIFY(client.connected());
    // A rotator of 450 deg: a target is sent as its equivalent nearest the reported azimuth.
    settings.limits.maxAzimuth = 450;
    const auto overlapBridge = StartBridge(controller, settings);
    QVERIFY(overlapBridge);
    Client overlapClient(overlapBridge->serverPort());
    QVERIFY(overlapClient.connected());
    const struct {
        QByteArray line;
        QList<QByteArray> requests;
        QByteArray reply;
        bool overlap = false;
        double azimuth = 123.456;
    } cases[] = {
        {"P 120 45\n", {"ZENKO,120,45"}, "RPRT 0\n"},
        {"\\set_pos 123,5 45,25\n", {"ZENKO,123.5,45.25"}, "RPRT 0\n"},
        {";P 10 20\n", {"ZENKO,10,20"}, "set_pos: 10 20;RPRT 0\n"},
        {"P 360.5 10\n", {}, "RPRT -1\n"},
        {"+P 10 -1\n", {}, "set_pos: 10 -1\nRPRT -1\n"},
        {"P ten 10\n", {}, "RPRT -1\n"},
        {"P 10 10\n", {"?", "ZENKO,370,10"}, "RPRT 0\n", true, 350},
        {"P 400 10\n", {"?", "ZENKO,40,10"}, "RPRT 0\n", true},
        {"P 10 95\n", {}, "RPRT -1\n", true},
        {"p\n", {"?"}, "123.46\n45.25\n"},
        {"+\\get_pos\n", {"?"}, "get_pos:\nAzimuth: 123.46\nElevation: 45.25\nRPRT 0\n"},
        // The target becomes the position the controller reports.
        {"S\n", {"?", "ZENKO,123.46,45.25"}, "RPRT 0\n"},
        {"K\n", {"ZENKO,180,10"}, "RPRT 0\n"},
        {"|\\park\n", {"ZENKO,180,10"}, "park:|RPRT 0\n"},
        {"_\n", {}, "ZENKO rotator bridge\n"},
        {"\\dump_state\n",
         {},
         "1\n2\nmin_az=0.000000\nmax_az=360.000000\nmin_el=0.000000\nmax_el=90.000000\n"
         "south_zero=0\nrot_type=AzEl\ndone\n"},
        {"\\set_level SPEED 2\n", {}, "RPRT -11\n"},
        {"M 8 5\n", {}, "RPRT -11\n"},
        {"\r\n \n", {}, ""},
        {QByteArray(3000, 'P') + "\n", {}, "RPRT -1\n"},
    };
    for (const auto& c : cases) {
        const QByteArray name = c.line.left(40);
        controller.requests.clear();
        controller.azimuth = c.azimuth;
        QCOMPARE((c.overlap ? overlapClient : client).ask(c.line, c.reply.count('\n')), c.reply);
        QVERIFY2(controller.requests == c.requests, name.constData());
    }
    // Nothing was answered twice: a second answer would come before this one.
    QCOMPARE(client.ask("M 8 5\n", 1), QByteArray("RPRT -11\n"));
    QCOMPARE(client.pending(), QByteArray());
    QCOMPARE(*controller.setValues.azimuth, 180.0);
}

void RotctldTest::repliesFromAnotherHostAreIgnored() {
    FakeController controller;
    controller.decoy = true;
    const auto bridge = StartBridge(controller);
    QVERIFY(bridge);
    Client client(bridge->serverPort());
    QVERIFY(client.connected());
    QCOMPARE(client.ask("p\n", 2), QByteArray("123.46\n45.25\n"));
}

void RotctldTest::silentControllerGivesTimeoutAndTheBridgeGoesOn() {
    FakeController controller;
    controller.silent = true;
    BridgeSettings settings;
    settings.timeoutMs = 200;
    const auto bridge = StartBridge(controller, settings);
    QVERIFY(bridge);
    Client client(bridge->serverPort());
    QVERIFY(client.connected());
    QElapsedTimer elapsed;
    elapsed.start();
    QCOMPARE(client.ask("p\n", 1), QByteArray("RPRT -5\n"));
    QVERIFY(elapsed.elapsed() >= 190);
    QCOMPARE(client.ask("+P 1 2\n", 2), QByteArray("set_pos: 1 2\nRPRT -5\n"));
    QCOMPARE(client.ask("S\n", 1), QByteArray("RPRT -5\n"));
    QCOMPARE(client.ask("K\n", 1), QByteArray("RPRT -5\n"));
    QCOMPARE(client.ask("_\n", 1), QByteArray("ZENKO rotator bridge\n"));
    controller.silent = false;
    QCOMPARE(client.ask("p\n", 2), QByteArray("123.46\n45.25\n"));
}

void RotctldTest::aLateReplyIsNotTakenForTheNextRequest() {
    FakeController controller;
    // The first reply comes after the bridge gave up; it arrives while the second request waits.
    controller.delaysMs = {600, 300};
    controller.azimuth = 1;
    controller.elevation = 1;
    BridgeSettings settings;
    settings.timeoutMs = 400;
    const auto bridge = StartBridge(controller, settings);
    QVERIFY(bridge);
    Client client(bridge->serverPort());
    QVERIFY(client.connected());
    QCOMPARE(client.ask("p\n", 1), QByteArray("RPRT -5\n"));
    controller.azimuth = 2;
    controller.elevation = 3;
    QCOMPARE(client.ask("p\n", 2), QByteArray("2.00\n3.00\n"));
    QCOMPARE(controller.requests.size(), 2);
}

void RotctldTest::clientLeavingMidLineOrMidRequest() {
    FakeController controller;
    const auto bridge = StartBridge(controller);
    QVERIFY(bridge);
    {
        Client leaving(bridge->serverPort());
        QVERIFY(leaving.connected());
        QTRY_COMPARE(bridge->clientCount(), qsizetype(1));
        leaving.send("P 10 20");
        QVERIFY(leaving.sent());
    }
    QTRY_COMPARE(bridge->clientCount(), qsizetype(0));
    QVERIFY(controller.requests.isEmpty());

    // Gone while its first command waits for the controller and two more wait behind it.
    controller.delaysMs = {300};
    {
        Client leaving(bridge->serverPort());
        QVERIFY(leaving.connected());
        leaving.send("p\nP 10 20\n_\n");
        QTRY_COMPARE(controller.requests.size(), 1);
        leaving.drop();
    }
    QTRY_COMPARE(bridge->clientCount(), qsizetype(0));

    // Commands of all clients share one queue: what the leaving client left in it would reach
    // the controller before this one's.
    Client staying(bridge->serverPort());
    QVERIFY(staying.connected());
    QCOMPARE(staying.ask("P 5 6\n", 1), QByteArray("RPRT 0\n"));
    QCOMPARE(controller.requests, (QList<QByteArray>{"?", "ZENKO,5,6"}));
}

void RotctldTest::twoClientsAtOnceOneRequestAtATime() {
    FakeController controller;
    controller.delaysMs = {30, 30, 30, 30, 30};
    const auto bridge = StartBridge(controller);
    QVERIFY(bridge);
    Client first(bridge->serverPort());
    Client second(bridge->serverPort());
    QVERIFY(first.connected());
    QVERIFY(second.connected());
    first.send("P 10 20\np\nK\n");
    second.send("P 30 40\n+p\n_\n");
    QCOMPARE(first.receive(4), QByteArray("RPRT 0\n123.46\n45.25\nRPRT 0\n"));
    QCOMPARE(second.receive(6), QByteArray("RPRT 0\nget_pos:\nAzimuth: 123.46\nElevation: "
                                           "45.25\nRPRT 0\nZENKO rotator bridge\n"));
    QCOMPARE(controller.requests.size(), 5);
    QCOMPARE(controller.maxUnanswered, 1);
    // Each client's commands reached the controller in the order it sent them.
    QVERIFY(controller.requests.indexOf("ZENKO,10,20") < controller.requests.indexOf("ZENKO,0,0"));
    QVERIFY(controller.requests.contains("ZENKO,30,40"));
}

void RotctldTest::aFloodOfCommandsIsAnsweredInOrder() {
    FakeController controller;
    const auto bridge = StartBridge(controller);
    QVERIFY(bridge);
    Client client(bridge->serverPort());
    QVERIFY(client.connected());
    constexpr int kQueries = 100;
    constexpr int kInfos = 2000;
    QByteArray flood;
    QByteArray expected;
    for (int i = 0; i < kQueries; ++i) {
        flood += "p\n";
        expected += "123.46\n45.25\n";
    }
    for (int i = 0; i < kInfos; ++i) {
        flood += "_\n";
        expected += "ZENKO rotator bridge\n";
    }
    client.send(flood);
    QCOMPARE(client.receive(2 * kQueries + kInfos, 10000), expected);
    QCOMPARE(controller.requests.size(), kQueries);
}

void RotctldTest::quitClosesAfterTheEarlierReplies() {
    FakeController controller;
    controller.delaysMs = {100};
    const auto bridge = StartBridge(controller);
    QVERIFY(bridge);
    for (const QByteArray quit : {"q", "Q", "+\\quit"}) {
        Client client(bridge->serverPort());
        QVERIFY(client.connected());
        client.send("p\n_\n" + quit + "\n_\nP 1 2\n");
        QVERIFY(client.closedByPeer());
        QCOMPARE(client.pending(), QByteArray("123.46\n45.25\nZENKO rotator bridge\n"));
        QTRY_COMPARE(bridge->clientCount(), qsizetype(0));
    }
    QCOMPARE(controller.requests, (QList<QByteArray>{"?", "?", "?"}));
}

void RotctldTest::programCommandLineAndSignals() {
    const QString program = QStringLiteral(ZENKO_ROTCTLD_PATH);
    const auto run = [&](const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(kWaitMs);
        return std::make_tuple(process.exitCode(), process.readAllStandardOutput(),
                               process.readAllStandardError());
    };
    const auto [helpStatus, help, helpErrors] = run({QStringLiteral("--help")});
    QCOMPARE(helpStatus, 0);
    QVERIFY(help.contains("--controller-port"));

    const auto [usageStatus, usageOutput, usage] =
        run({QStringLiteral("--listen"), QStringLiteral("0.0.0.0")});
    QCOMPARE(usageStatus, 2);
    QVERIFY(usage.startsWith("zenko-rotctld: --listen 0.0.0.0"));
    QCOMPARE(usage.count('\n'), 1);

    QTcpServer taken;
    QVERIFY(taken.listen(kLoopback, 0));
    const auto [busyStatus, busyOutput, busy] =
        run({QStringLiteral("--port"), Port(taken.serverPort())});
    QCOMPARE(busyStatus, 1);
    QVERIFY(busy.startsWith("zenko-rotctld: cannot listen on 127.0.0.1:"));

    // A port that was free a moment ago; the program serves it until SIGTERM, towards a
    // controller that never answers.
    QTcpServer probe;
    QVERIFY(probe.listen(kLoopback, 0));
    const std::uint16_t port = probe.serverPort();
    probe.close();
    QUdpSocket silent;
    QVERIFY(silent.bind(kLoopback, 0));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    environment.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
    process.setProcessEnvironment(environment);
    process.start(program,
                  {QStringLiteral("--port"), Port(port), QStringLiteral("--controller-port"),
                   Port(silent.localPort()), QStringLiteral("--timeout"), QStringLiteral("100")});
    QVERIFY(process.waitForReadyRead(kWaitMs));
    QVERIFY(process.readAllStandardOutput().startsWith("zenko-rotctld: serving rotctld on"));
    {
        Client client(port);
        QVERIFY(client.connected());
        // Two requests time out in one silence of the controller.
        QCOMPARE(client.ask("_\np\nS\n", 3),
                 QByteArray("ZENKO rotator bridge\nRPRT -5\nRPRT -5\n"));
    }
    QByteArray journal;
    QTRY_VERIFY_WITH_TIMEOUT((journal += process.readAllStandardError()).contains("disconnected"),
                             kWaitMs);
    process.terminate();
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);

    // The journal's lines, with "PEER" for the client's address and port.
    const QString controller = QStringLiteral("127.0.0.1:") + Port(silent.localPort());
    const QStringList rows = {
        QStringLiteral("info: listening on 127.0.0.1:") + Port(port) +
            QStringLiteral(", controller at ") + controller,
        QStringLiteral("info: client PEER connected"),
        QStringLiteral("warning: controller at ") + controller +
            QStringLiteral(" not answering (no reply within 100 ms)"),
        QStringLiteral("info: client PEER disconnected"),
        QStringLiteral("info: exiting on SIGTERM"),
    };
    journal += process.readAllStandardError();
    const QStringList lines =
        QString::fromUtf8(journal).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(lines.size() == rows.size(), journal.constData());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRegularExpression pattern(
            QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} zenko\.rotctld )") +
            QRegularExpression::escape(rows[i]).replace(QStringLiteral("PEER"),
                                                        QStringLiteral(R"(127\.0\.0\.1:\d+)")) +
            QLatin1Char('$'));
        QVERIFY2(pattern.match(lines[i]).hasMatch(), qPrintable(lines[i]));
    }
}

void RotctldTest::clientOutsideTheAllowListIsClosedAtOnceAndNothingReachesTheController() {
    JournalCapture journal;
    FakeController controller;
    controller.azimuth = 10;
    controller.elevation = 20;
    rotctld::CommandLineOutcome outcome = rotctld::ParseCommandLine(
        {QStringLiteral("--allow"), QStringLiteral("127.0.0.1, 10.0.0.0/8"),
         QStringLiteral("--controller-port"), Port(controller.port())});
    QCOMPARE(outcome.action, rotctld::CommandLineOutcome::Action::Run);
    outcome.settings.listenPort = 0;
    RotctldBridge bridge(outcome.settings);
    QVERIFY(bridge.listen());

    for (int connection = 0; connection < 2; ++connection) {
        Client outsider(bridge.serverPort(), QHostAddress(QStringLiteral("127.0.0.2")));
        outsider.send("P 200 60\np\n");
        QVERIFY(outsider.closedByPeer());
        QCOMPARE(outsider.pending(), QByteArray());
    }
    QCOMPARE(JournalCapture::count(QStringLiteral("client 127.0.0.2 refused, not in --allow")), 1);
    QCOMPARE(JournalCapture::count(QStringLiteral("client 127.0.0.2")), 1);

    Client tracker(bridge.serverPort());
    tracker.send("p\nq\n");
    QVERIFY(tracker.closedByPeer());
    QCOMPARE(tracker.pending(), QByteArray("10.00\n20.00\n"));
    QCOMPARE(controller.requests, QList<QByteArray>{"?"});
}

QTEST_MAIN(RotctldTest)
#include "Rotctld_qtest.moc"
