
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include "tools/FakeController.h"

using namespace zenko;
using rotctld::BridgeSettings;
using rotctld::Protocol;
using rotctld::RotctldBridge;
using test::StartBridge;

namespace {

const QHostAddress kLoopback(QHostAddress::LocalHost);
constexpr int kWaitMs = 3000;

// The rows' replies were worked out for an elevation of 45.27 deg.
struct Controller : test::FakeController {
    Controller() { elevation = 45.27; }
};

// A program that opens the pseudo-terminal as its serial port.
class PortUser {
public:
    explicit PortUser(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~PortUser() { close(); }
    PortUser(const PortUser&) = delete;
    PortUser& operator=(const PortUser&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    void send(const QByteArray& bytes) {
        QCOMPARE(::write(m_fd, bytes.constData(), std::size_t(bytes.size())), bytes.size());
    }
    // At least `size` bytes, or what came within the wait.
    QByteArray receive(qsizetype size) {
        QByteArray received;
        [[maybe_unused]] const bool complete = QTest::qWaitFor(
            [&] {
                char chunk[256];
                for (ssize_t length = 0; (length = ::read(m_fd, chunk, sizeof chunk)) > 0;) {
                    received.append(chunk, length);
                }
                return received.size() >= size;
            },
            kWaitMs);
        return received;
    }
    void close() {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd;
};

// Received by the controller, at least `count` of them.
bool Requested(const Controller& controller, qsizetype count) {
    return QTest::qWaitFor([&] { return controller.requests.size() >= count; }, kWaitMs);
}

} // namespace

class RotctldSerialTest : public QObject {
    Q_OBJECT
private slots:
    void commandsAndWhatTheControllerReceives();
    void thePortServesOneProgramAfterAnother();
    void thePathIsTakenOnlyWhenFree();
    void parksOnceWhenIdleAndAgainAfterASetPosition();

private:
    QTemporaryDir m_dir;
};

void RotctldSerialTest::commandsAndWhatTheControllerReceives() {
    const rotctld::Limits overlap{0, 450, 0, 90};
    const struct {
        Protocol protocol;
        QByteArray input;
        QList<QByteArray> requests;
        QByteArray reply;
        double azimuth = 100;
        bool tcp = false;
        rotctld::Limits limits = {};
    } cases[] = {
        {Protocol::Gs232a, "C2\r", {"?"}, "+0100+0045\r\n", 100, true},
        // One axis: the azimuth alone, or the elevation with the azimuth the bridge last sent,
        // or, before any, where the antenna is.
        {Protocol::Gs232a, "M200\rU\r", {"ZENKO,200", "ZENKO,200,90"}, ""},
        {Protocol::Gs232b, "D\r", {"?", "ZENKO,100,0"}, ""},
        {Protocol::Gs232b, "M200\rE\r", {"ZENKO,200", "?", "ZENKO,200,45.27"}, ""},
        {Protocol::Gs232b, "A\r", {"?", "ZENKO,100"}, ""},
        // A manual motion goes to the limit itself, a target to its equivalent nearest the
        // antenna.
        {Protocol::Gs232b, "R\r", {"ZENKO,450"}, "", 350, false, overlap},
        {Protocol::Gs232a, "M010\r", {"?", "ZENKO,370"}, "", 350, false, overlap},
        {Protocol::Gs232a, "W400 010\rB\r", {"?"}, "?>\r\n+0045\r\n"},
        {Protocol::Easycomm2, "AZ10.5 EL20\n", {"ZENKO,10.5,20"}, ""},
        {Protocol::Easycomm2, "SA SE\n", {"?", "ZENKO,100,45.27"}, "", 100, true},
        {Protocol::Rot2Prog, "W0967\0020874\002/ ", {"ZENKO,123.5,77"}, ""},
        {Protocol::Rot2Prog,
         QByteArray("W\0\0\0\0\0\0\0\0\0\0\x0F ", 13),
         {"?", "ZENKO,100,45.27"},
         QByteArray("W\x04\x06\x00\x00\x04\x04\x00\x05\x03\x04 ", 12)},
        {Protocol::Rotctld, "p\n", {"?"}, "100.00\n45.27\n"},
    };
    int row = 0;
    for (const auto& c : cases) {
        const QString trace = QString::fromLatin1(rotctld::ProtocolName(c.protocol)) +
                              QLatin1Char(' ') + QString::fromLatin1(c.input.toPercentEncoding());
        Controller controller;
        controller.azimuth = c.azimuth;
        BridgeSettings settings;
        settings.protocol = c.protocol;
        settings.limits = c.limits;
        if (!c.tcp) {
            settings.ptyPath = m_dir.filePath(QStringLiteral("row%1").arg(row++));
        }
        const auto bridge = StartBridge(controller, settings);
        QVERIFY2(bridge, qPrintable(trace));
        QByteArray reply;
        if (c.tcp) {
            QTcpSocket client;
            client.connectToHost(kLoopback, bridge->serverPort());
            QVERIFY(client.waitForConnected(kWaitMs));
            client.write(c.input);
            QVERIFY2(Requested(controller, c.requests.size()), qPrintable(trace));
            // A shortfall shows in the comparison below.
            [[maybe_unused]] const bool complete = QTest::qWaitFor(
                [&] { return (reply += client.readAll()).size() >= c.reply.size(); }, kWaitMs);
        } else {
            PortUser user(settings.ptyPath);
            QVERIFY2(user.isOpen(), qPrintable(trace));
            user.send(c.input);
            QVERIFY2(Requested(controller, c.requests.size()), qPrintable(trace));
            reply = user.receive(c.reply.size());
        }
        QCOMPARE(controller.requests, c.requests);
        QCOMPARE(reply, c.reply);
    }
}

void RotctldSerialTest::thePortServesOneProgramAfterAnother() {
    Controller controller;
    BridgeSettings settings;
    settings.protocol = Protocol::Gs232a;
    settings.ptyPath = m_dir.filePath(QStringLiteral("reopened"));
    auto bridge = StartBridge(controller, settings);
    QVERIFY(bridge);
    for (int program = 0; program < 3; ++program) {
        PortUser user(settings.ptyPath);
        QVERIFY(user.isOpen());
        user.send("C2\r");
        QCOMPARE(user.receive(12), QByteArray("+0123+0045\r\n"));
    }
    // A program that leaves before its reply: the reply does not greet the next one.
    controller.delaysMs = {300};
    {
        PortUser leaving(settings.ptyPath);
        leaving.send("C2\r");
        QVERIFY(Requested(controller, 4));
    }
    QVERIFY(QTest::qWaitFor([&] { return controller.answered == 4; }, kWaitMs));
    PortUser next(settings.ptyPath);
    next.send("B\r");
    QCOMPARE(next.receive(7), QByteArray("+0045\r\n"));
    next.close();
    QVERIFY(QFileInfo(settings.ptyPath).isSymLink());
    bridge.reset();
    QVERIFY(!QFileInfo::exists(settings.ptyPath) && !QFileInfo(settings.ptyPath).isSymLink());
}

void RotctldSerialTest::thePathIsTakenOnlyWhenFree() {
    Controller controller;
    BridgeSettings settings;
    settings.protocol = Protocol::Easycomm2;
    // A link that a killed bridge left behind, to a terminal that is gone.
    settings.ptyPath = m_dir.filePath(QStringLiteral("left"));
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("gone")), settings.ptyPath));
    QVERIFY(StartBridge(controller, settings));
    const struct {
        const char* name;
        bool file;
        const char* reason;
    } taken[] = {
        {"file", true, "exists and is not a link"},
        {"live", false, "already links to"},
    };
    for (const auto& c : taken) {
        settings.ptyPath = m_dir.filePath(QLatin1String(c.name));
        if (c.file) {
            QFile file(settings.ptyPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else {
            QVERIFY(QFile::link(m_dir.path(), settings.ptyPath));
        }
        settings.listenPort = 0;
        settings.controllerPort = controller.port();
        RotctldBridge bridge(settings);
        QVERIFY(!bridge.listen());
        QVERIFY2(bridge.errorString().contains(QLatin1String(c.reason)),
                 qPrintable(bridge.errorString()));
        QVERIFY(QFileInfo::exists(settings.ptyPath));
    }
}

void RotctldSerialTest::parksOnceWhenIdleAndAgainAfterASetPosition() {
    Controller controller;
    BridgeSettings settings;
    settings.protocol = Protocol::Gs232b;
    settings.ptyPath = m_dir.filePath(QStringLiteral("park"));
    settings.parkAzimuth = 180;
    settings.parkElevation = 10;
    settings.parkAfterMinutes = 0.003;
    const char journal[] = "no position set for 0.003 minutes: parking at azimuth 180.00, "
                           "elevation 10.00";
    QTest::ignoreMessage(QtInfoMsg, journal);
    const auto bridge = StartBridge(controller, settings);
    QVERIFY(bridge);
    QVERIFY(Requested(controller, 1));
    QCOMPARE(controller.requests, QList<QByteArray>{"ZENKO,180,10"});
    // Queries do not count; a set position starts the count again.
    PortUser user(settings.ptyPath);
    user.send("C2\rW100 020\r");
    QTest::ignoreMessage(QtInfoMsg, journal);
    QVERIFY(Requested(controller, 4));
    QCOMPARE(controller.requests,
             (QList<QByteArray>{"ZENKO,180,10", "?", "ZENKO,100,20", "ZENKO,180,10"}));
}

QTEST_MAIN(RotctldSerialTest)
#include "RotctldSerial_qtest.moc"
