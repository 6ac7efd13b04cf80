#include <QCheckBox>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QRadioButton>
#include <QUdpSocket>
#include <QtTest>

#include "support/JournalCapture.h"
#include "support/LinkFixture.h"
#include "ui/MainWindowTemplate.h"

using namespace zenko;
using test::BoardAt;
using test::JournalCapture;
using test::LinkFixture;
using test::LocalTarget;

namespace {

const QByteArray kAzOff = "030601cf00";
const QByteArray kElOff = "0306013f00";
const QByteArray kAzIncrease = "030601cf10";
const QByteArray kAzDecrease = "030601cf20";

// Nothing can reach the board once none of the sockets that send to it is open and no timer
// would open them again.
bool NothingLeftToSend(CControllerDlg& w) {
    for (const ui::ControllerSocket* socket : std::initializer_list<const ui::ControllerSocket*>{
             &w.m_sockAzAdc, &w.m_sockElAdc, &w.m_sockIoDir, &w.m_sockAzControl,
             &w.m_sockElControl}) {
        if (socket->isCreated()) {
            return false;
        }
    }
    return !w.timers().isRunning(core::TIMER_CONTROL) &&
           !w.timers().isRunning(core::TIMER_AZ_PULSE) &&
           !w.timers().isRunning(core::TIMER_EL_PULSE);
}

// The last two commands the board received.
QList<QByteArray> LastTwo(const LinkFixture& link) {
    const QList<QByteArray> commands = link.commandsHex();
    return commands.mid(commands.size() - 2);
}

const QList<QByteArray> kBothOff{kAzOff, kElOff};

// Relay commands for one axis (by mask byte) after the start-up datagrams.
QList<QByteArray> RelayCommands(const LinkFixture& link, const QByteArray& maskHex) {
    QList<QByteArray> relays;
    for (const QByteArray& hex : link.commandsHex()) {
        if (hex.startsWith("030601" + maskHex)) {
            relays << hex;
        }
    }
    return relays;
}

} // namespace

class LinkTest : public QObject {
    Q_OBJECT
private slots:
    void startSendsTheStartUpDatagramsInOrder();
    void startStopStartRepeatsThem();
    void fullDrivesBothWays_data();
    void fullDrivesBothWays();
    void deadBandSwitchesTheAxisOff();
    void shortenedPulseEndsWithItsOffCommand();
    void stopSwitchesBothAxesOff();
    void everyWayOutSwitchesTheRelaysOffFirst_data();
    void everyWayOutSwitchesTheRelaysOffFirst();
    void clearingAnOutputWhileRunningSwitchesItOffAtOnce();
    void adcReplyFromAForeignAddressIsIgnored();
    void abortedStartCanBeRepeatedOnceTheCauseIsGone();
    void startChecksRefuseBadSettings();
    void closedLoopSettlesWithinTheDeadBand();
    void strayDatagramsAreDroppedWithoutHarm();
};

void LinkTest::startSendsTheStartUpDatagramsInOrder() {
    LinkFixture link(BoardAt(0, 0, 10));
    link.start();
    QVERIFY(link.dlg().m_bRunning);
    QVERIFY(link.waitForCommands(8));
    const QList<QByteArray> expected{"010500", "010501", "020604", "020605",
                                     "020606", "020607", "048100", "048900"};
    QCOMPARE(link.commandsHex().mid(0, 8), expected);
    const auto& commands = link.board.commands();
    // Each ADC request leaves from its own socket, distinct from the I/O-direction socket.
    QVERIFY(commands[6].sourcePort != commands[7].sourcePort);
    QVERIFY(commands[0].sourcePort != commands[6].sourcePort);
    QVERIFY(commands[0].sourcePort != commands[7].sourcePort);
    QVERIFY(link.window->messages.messages.isEmpty());
    QVERIFY(!link.dlg().controls().find(ui::ctl::Start)->isEnabled());
    QVERIFY(link.dlg().controls().find(ui::ctl::Stop)->isEnabled());
    QVERIFY(!link.dlg().controls().find(ui::ctl::Exit)->isEnabled());
    QCOMPARE(link.dlg().timers().period(core::TIMER_CONTROL), 500);
    link.dlg().OnStop();
}

void LinkTest::startStopStartRepeatsThem() {
    LinkFixture link(BoardAt(0, 0, 10));
    link.start();
    QVERIFY(link.waitForCommands(8));
    link.dlg().OnStop();
    QVERIFY(link.waitForCommands(10));
    link.board.clearCommands();
    link.start();
    QVERIFY(link.waitForCommands(8));
    QCOMPARE(link.commandsHex().mid(0, 8),
             (QList<QByteArray>{"010500", "010501", "020604", "020605", "020606", "020607",
                                "048100", "048900"}));
    link.dlg().OnStop();
}

void LinkTest::fullDrivesBothWays_data() {
    QTest::addColumn<double>("boardAzimuth");
    QTest::addColumn<int>("target");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("negativeDrive");
    QTest::addColumn<int>("positiveDrive");
    QTest::newRow("below the target: increase") << 20.0 << 100 << kAzIncrease << 1000 << 0;
    QTest::newRow("above the target: decrease") << 150.0 << 40 << kAzDecrease << 0 << 1000;
}

void LinkTest::fullDrivesBothWays() {
    QFETCH(double, boardAzimuth);
    QFETCH(int, target);
    QFETCH(QByteArray, command);
    QFETCH(int, negativeDrive);
    QFETCH(int, positiveDrive);
    LinkFixture link(BoardAt(boardAzimuth, 0, 0), LocalTarget(target, 0));
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(!RelayCommands(link, "cf").isEmpty(), 3000);
    QCOMPARE(RelayCommands(link, "cf").first(), command);
    QCOMPARE(RelayCommands(link, "3f").first(), kElOff);
    QCOMPARE(link.dlg().m_nAzDriveNeg, negativeDrive);
    QCOMPARE(link.dlg().m_nAzDrivePos, positiveDrive);
    QCOMPARE(link.window->text(ui::ctl::AzDriveNeg), QString::number(negativeDrive));
    // A full drive has no pulse timer: nothing ends it before the next control step.
    QVERIFY(!link.dlg().timers().isRunning(core::TIMER_AZ_PULSE));
    link.dlg().OnStop();
}

void LinkTest::deadBandSwitchesTheAxisOff() {
    LinkFixture link(BoardAt(90.3, 45, 0), LocalTarget(90, 45));
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(!RelayCommands(link, "cf").isEmpty(), 3000);
    QCOMPARE(RelayCommands(link, "cf").first(), kAzOff);
    QCOMPARE(RelayCommands(link, "3f").first(), kElOff);
    QVERIFY(std::abs(link.dlg().m_dAzError) < 1);
    QCOMPARE(link.dlg().m_nAzDrivePos + link.dlg().m_nAzDriveNeg, 0);
    QCOMPARE(link.window->text(ui::ctl::AzAngle).size(), 8);
    link.dlg().OnStop();
}

void LinkTest::shortenedPulseEndsWithItsOffCommand() {
    // 50 degrees is exactly 256 counts; a target 4 degrees above gives a 100 ms pulse at 1 s.
    LinkFixture link(BoardAt(50, 0, 0), LocalTarget(54, 0));
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(RelayCommands(link, "cf").size() >= 2, 3000);
    const QList<QByteArray> relays = RelayCommands(link, "cf");
    QCOMPARE(relays[0], kAzIncrease);
    QCOMPARE(relays[1], kAzOff);
    QCOMPARE(link.dlg().m_nAzDriveNeg, 100);
    std::int64_t onNs = 0;
    std::int64_t offNs = 0;
    for (const auto& command : link.board.commands()) {
        const QByteArray hex = command.bytes.toHex();
        if (hex == kAzIncrease && onNs == 0) {
            onNs = command.monotonicNs;
        } else if (hex == kAzOff && onNs != 0 && offNs == 0) {
            offNs = command.monotonicNs;
        }
    }
    const double pulseMs = double(offNs - onNs) / 1e6;
    // Loose bounds: shared machines; the benchmark measures the accuracy.
    QVERIFY2(pulseMs > 90 && pulseMs < 400, qPrintable(QString::number(pulseMs)));
    QVERIFY(!link.dlg().timers().isRunning(core::TIMER_AZ_PULSE));
    link.dlg().OnStop();
}

void LinkTest::stopSwitchesBothAxesOff() {
    LinkFixture link(BoardAt(20, 0, 0), LocalTarget(25, 0));
    link.start();
    // Stop while the pulse is still on: the off commands come from Stop itself.
    QTRY_VERIFY_WITH_TIMEOUT(RelayCommands(link, "cf").size() >= 1, 3000);
    link.dlg().OnStop();
    // The pulse never ended by itself, so its off command cannot stand before the elevation's.
    QTRY_COMPARE(LastTwo(link), kBothOff);
    QVERIFY(link.dlg().controls().find(ui::ctl::Start)->isEnabled());
    QVERIFY(!link.dlg().controls().find(ui::ctl::Stop)->isEnabled());
    QVERIFY(NothingLeftToSend(link.dlg()));
}

void LinkTest::everyWayOutSwitchesTheRelaysOffFirst_data() {
    QTest::addColumn<QString>("way");
    for (const char* way : {"escape", "close box", "ctrl+q", "termination signal", "destruction"}) {
        QTest::newRow(way) << QString::fromUtf8(way);
    }
}

void LinkTest::everyWayOutSwitchesTheRelaysOffFirst() {
    QFETCH(QString, way);
    LinkFixture link(BoardAt(0, 0, 0), LocalTarget(100, 50));
    CControllerDlg& w = link.dlg();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(RelayCommands(link, "3f").size() >= 1, 3000);
    QCOMPARE(RelayCommands(link, "cf").last(), kAzIncrease);
    if (way == "escape") {
        QTest::keyClick(&w, Qt::Key_Escape);
    } else if (way == "close box") {
        w.close();
    } else if (way == "ctrl+q") {
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    } else if (way == "termination signal") {
        w.OnTerminationRequest();
    } else {
        link.window->window.reset();
    }
    // Both axes drive fully towards the target, so only a way out sends both off in a row.
    QTRY_COMPARE(LastTwo(link), kBothOff);
    if (link.window->window) {
        QVERIFY(!w.isVisible());
        QVERIFY(!w.m_bRunning);
    }
}

void LinkTest::clearingAnOutputWhileRunningSwitchesItOffAtOnce() {
    LinkFixture link(BoardAt(0, 0, 0), LocalTarget(100, 50));
    link.dlg().show();
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(RelayCommands(link, "3f").size() >= 1, 3000);
    auto* azOut = link.dlg().controls().get<QCheckBox>(ui::ctl::AzOut);
    QTest::mouseClick(azOut, Qt::LeftButton, {}, QPoint(4, azOut->height() / 2));
    QVERIFY(!azOut->isChecked());
    QCOMPARE(link.dlg().m_nAzOutOn, 0);
    QTRY_COMPARE(link.commandsHex().last(), kAzOff);
    // Later control steps leave the disabled axis alone, with its drive times at 0.
    link.board.clearCommands();
    QTRY_VERIFY_WITH_TIMEOUT(RelayCommands(link, "3f").size() >= 1, 3000);
    QVERIFY(RelayCommands(link, "cf").isEmpty());
    QCOMPARE(link.window->text(ui::ctl::AzDriveNeg), QStringLiteral("0"));
    link.dlg().OnStop();
}

void LinkTest::adcReplyFromAForeignAddressIsIgnored() {
    picnic::SimulatorOptions board = BoardAt(100, 50, 0);
    board.replyFromAddress = QStringLiteral("127.0.0.2");
    LinkFixture link(board);
    if (link.board.port() == 0) {
        QSKIP("127.0.0.2 cannot be bound here");
    }
    // A reply that does come from the board shows it was sent and would have been believed.
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    probe.writeDatagram(QByteArray::fromHex("048100"), QHostAddress::LocalHost, link.board.port());
    QTRY_VERIFY(probe.hasPendingDatagrams());
    QCOMPARE(probe.receiveDatagram().senderAddress(), QHostAddress(QStringLiteral("127.0.0.2")));

    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(!RelayCommands(link, "cf").isEmpty(), 3000);
    QCOMPARE(link.dlg().m_dAzVolt, 0.0);
    QCOMPARE(link.dlg().m_dElVolt, 0.0);
    link.dlg().OnStop();
}

void LinkTest::abortedStartCanBeRepeatedOnceTheCauseIsGone() {
    LinkFixture link(BoardAt(0, 0, 10));
    auto blocker = std::make_unique<QUdpSocket>();
    QVERIFY(blocker->bind(QHostAddress::AnyIPv4, link.ascPort, QUdpSocket::DontShareAddress));
    link.dlg().OnStart();
    QCOMPARE(link.window->messages.messages,
             QStringList{QStringLiteral("Ascii Set Value receiving socket creation error !")});
    QVERIFY(!link.dlg().m_bRunning);
    QVERIFY(link.dlg().m_sockBin.m_bOpen);
    QVERIFY(link.dlg().controls().find(ui::ctl::Start)->isEnabled());
    QCOMPARE(link.board.commands().size(), 0);

    blocker.reset();
    link.dlg().OnStart();
    QVERIFY(link.dlg().m_bRunning);
    QCOMPARE(link.window->messages.messages.size(), 1);
    QVERIFY(link.waitForCommands(8));
    link.dlg().OnStop();
}

// A refused Start opens nothing, so nothing can have gone to the board or been served.
void LinkTest::startChecksRefuseBadSettings() {
    const struct {
        QByteArray ini;
        const char* message;
    } cases[] = {
        {"Bin_Set_Value_Receiving_Port=0\nAsc_Set_Value_Receiving_Port=0\n",
         "Both Receiving Ports are zero  !"},
        {"Bin_Set_Value_Receiving_Port=65535\n", "Binary Set Value Receiving Port is invalid !"},
        {"PICNIC_PARA_PORT=0\n", "PICNIC Pararel Port is invalid !"},
        {"Control_Interval=0\n", "Control Interval is invalid !"},
        {"SetValue_Allow=127.0.0.1,,192.0.2.1\n", "SetValue_Allow entry 2 is empty !"},
        {"SetValue_Allow=10.0.0.0/33\n", "SetValue_Allow entry 1 \"10.0.0.0/33\" is invalid !"},
        // The motion guard's keys fail closed: letters, a letter O for a zero, and of an empty
        // key and a bad one the first that is read.
        {"Stall_Timeout=abc\n", "Stall_Timeout is invalid !"},
        {"Az_Min_Ang=1O\nAz_Max_Ang=20\n", "Az_Min_Ang is invalid !"},
        {"El_Max_Ang=\nStall_Timeout=x\n", "Stall_Timeout is invalid !"},
    };
    for (const auto& c : cases) {
        const JournalCapture journal;
        const QString message = QString::fromUtf8(c.message);
        LinkFixture link(BoardAt(0, 0, 10), c.ini);
        link.dlg().OnStart();
        QCOMPARE(link.window->messages.messages, QStringList{message});
        QCOMPARE(journal.count(QStringLiteral("zenko.link warning: start refused: ") + message), 1);
        QVERIFY(!link.dlg().m_bRunning);
        QVERIFY(!link.dlg().m_sockBin.isCreated());
        QVERIFY(NothingLeftToSend(link.dlg()));
        QCOMPARE(link.board.commands().size(), 0);
    }
}

void LinkTest::closedLoopSettlesWithinTheDeadBand() {
    // From 30 degrees away on both axes the antenna reaches the Local target and stops there.
    LinkFixture link(BoardAt(90, 15, 8), LocalTarget(120, 45));
    link.start();
    const auto settled = [&] {
        const auto& model = link.board.modelNow();
        return std::abs(model.angle(picnic::Axis::Azimuth) - 120) < 1.3 &&
               std::abs(model.angle(picnic::Axis::Elevation) - 45) < 1.3 &&
               model.relayByte() == 0 && link.dlg().m_nAzDrivePos + link.dlg().m_nAzDriveNeg == 0 &&
               link.dlg().m_nElDrivePos + link.dlg().m_nElDriveNeg == 0 &&
               std::abs(link.dlg().m_dAzError) < 1 && std::abs(link.dlg().m_dElError) < 1;
    };
    QVERIFY(QTest::qWaitFor(settled, 30000));
    // And it stays there through the next control step: its two ADC requests and two relay
    // commands.
    link.board.clearCommands();
    QVERIFY(link.waitForCommands(4, 3000));
    QVERIFY(settled());
    link.dlg().OnStop();
}

void LinkTest::strayDatagramsAreDroppedWithoutHarm() {
    LinkFixture link(picnic::SimulatorOptions{}, LocalTarget(0, 0));
    link.board.setAnswerAdc(false);
    CControllerDlg& w = link.dlg();
    link.start();
    QUdpSocket stray;
    QVERIFY(stray.bind(QHostAddress::LocalHost, 0));
    // Datagrams on the sending sockets are never read, only discarded.
    const std::initializer_list<const ui::ControllerSocket*> sendingSockets{
        &w.m_sockIoDir, &w.m_sockAzControl, &w.m_sockElControl};
    for (const ui::ControllerSocket* socket : sendingSockets) {
        for (int i = 0; i < 50; ++i) {
            stray.writeDatagram("noise", QHostAddress::LocalHost, socket->localPort());
        }
    }
    // A reply from the board's address too short to carry a count changes nothing; a whole
    // one sets the voltage of the socket it arrives on, whatever it answers.
    stray.writeDatagram(QByteArray::fromHex("0000000002"), QHostAddress::LocalHost,
                        w.m_sockAzAdc.localPort());
    QTest::qWait(100);
    QCOMPARE(w.m_dAzVolt, 0.0);
    stray.writeDatagram(QByteArray::fromHex("048100000200"), QHostAddress::LocalHost,
                        w.m_sockElAdc.localPort());
    QTRY_COMPARE(w.m_dElVolt, 2.5);
    // The cycle goes on: the next request step reaches the board.
    link.board.clearCommands();
    QVERIFY(link.waitForCommands(2, 3000));
    w.OnStop();
}

QTEST_MAIN(LinkTest)
#include "Link_qtest.moc"
