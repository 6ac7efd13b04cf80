#include <QtTest>

#include "support/JournalCapture.h"
#include "support/LinkFixture.h"
#include "ui/MainWindowTemplate.h"

using namespace zenko;
using test::JournalCapture;
using test::LinkFixture;

namespace {

constexpr char kAzMask = '\xcf';
constexpr std::uint8_t kAzIncrease = 0x10;
constexpr std::uint8_t kAzDecrease = 0x20;

struct AzRelay {
    qsizetype index;
    std::uint8_t value;
};

// The azimuth's relay commands from the index-th datagram on.
QList<AzRelay> AzRelays(const LinkFixture& link, qsizetype from = 0) {
    QList<AzRelay> relays;
    const auto& commands = link.board.commands();
    for (qsizetype i = from; i < commands.size(); ++i) {
        if (commands[i].kind == picnic::CommandKind::Relay && commands[i].bytes[3] == kAzMask) {
            relays.append({i, static_cast<std::uint8_t>(commands[i].bytes[4])});
        }
    }
    return relays;
}

bool Drives(const QList<AzRelay>& relays, std::uint8_t value) {
    return std::any_of(relays.begin(), relays.end(),
                       [value](const AzRelay& relay) { return relay.value == value; });
}

QByteArray LocalTarget(int azimuth) {
    return "Local_Remote_Selector=2\nLocal_Set_Az_Ang=" + QByteArray::number(azimuth) +
           "\nLocal_Set_El_Ang=45\n";
}

} // namespace

class MotionGuardTest : public QObject {
    Q_OBJECT
private slots:
    void stallSwitchesOffUntilTheOtherDirection_data();
    void stallSwitchesOffUntilTheOtherDirection();
    void anAxisBeyondItsLimitIsBroughtBackAndNeverDrivenOut();
    void aRestartedBoardGetsItsIoDirectionsBeforeTheNextDrive();
    void anUnreadableKeyRefusesStart_data();
    void anUnreadableKeyRefusesStart();
};

void MotionGuardTest::stallSwitchesOffUntilTheOtherDirection_data() {
    QTest::addColumn<QByteArray>("law");
    QTest::newRow("usual law") << QByteArray();
    QTest::newRow("tracking drive") << QByteArray("Tracking_Drive=1\n");
}

// A jammed azimuth driven towards 150 deg: the relay goes off and stays off; a target the other
// way is driven at once.
void MotionGuardTest::stallSwitchesOffUntilTheOtherDirection() {
    QFETCH(QByteArray, law);
    JournalCapture journal;
    picnic::SimulatorOptions board = test::BoardAt(100, 45, 10);
    board.model.azimuth.faults.jammed = true;
    LinkFixture link(board, "Stall_Timeout=2\n" + law + LocalTarget(150));
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(Drives(AzRelays(link), kAzIncrease), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(
        link.dlg().windowTitle().endsWith(QStringLiteral(" - 方位角 動きなし")), 6000);
    QCOMPARE(journal.count("zenko.link warning: azimuth: stalled: "), 1);
    const qsizetype trippedAt = link.board.commands().size();
    QTRY_VERIFY_WITH_TIMEOUT(AzRelays(link, trippedAt).size() >= 3, 5000);
    QVERIFY(!Drives(AzRelays(link, trippedAt), kAzIncrease));
    QCOMPARE(link.board.modelNow().relayByte() & (kAzIncrease | kAzDecrease), 0);

    const qsizetype backAt = link.board.commands().size();
    link.window->setText(ui::ctl::LocalAz, QStringLiteral("50"));
    QTRY_VERIFY_WITH_TIMEOUT(Drives(AzRelays(link, backAt), kAzDecrease), 3000);
    link.dlg().OnStop();
    QCOMPARE(link.dlg().windowTitle(), QStringLiteral("アンテナコントローラ"));
}

// Found at 130 deg beyond its limit of 120 deg with a target beyond that: driven back to the
// limit, never out.
void MotionGuardTest::anAxisBeyondItsLimitIsBroughtBackAndNeverDrivenOut() {
    JournalCapture journal;
    LinkFixture link(test::BoardAt(130, 45, 10),
                     "Az_Min_Ang=10\nAz_Max_Ang=120\n" + LocalTarget(150));
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(link.board.modelNow().angle(picnic::Axis::Azimuth) < 121.0, 5000);
    const qsizetype backAt = link.board.commands().size();
    QTRY_VERIFY_WITH_TIMEOUT(AzRelays(link, backAt).size() >= 4, 6000);
    // Inside the limit the axis may be driven up to it, never from it outwards.
    for (const AzRelay& relay : AzRelays(link)) {
        const double azimuth = link.board.commands()[relay.index].after.azimuth;
        QVERIFY2(relay.value != kAzIncrease || azimuth < 120.0,
                 qPrintable(QString::number(azimuth)));
        QVERIFY2(relay.index < backAt || azimuth < 121.0, qPrintable(QString::number(azimuth)));
    }
    QVERIFY(link.dlg().windowTitle().endsWith(QStringLiteral(" - 方位角 目標制限中")));
    QCOMPARE(journal.count("azimuth: target 150.00 deg clamped to the limit 120 deg"), 1);

    link.window->setText(ui::ctl::LocalAz, QStringLiteral("100"));
    QTRY_COMPARE_WITH_TIMEOUT(link.dlg().windowTitle(), QStringLiteral("アンテナコントローラ"),
                              3000);
    link.dlg().OnStop();
}

// The board restarts under a slewing azimuth and forgets its I/O directions; when it answers
// again the six commands of Start go out again before the next drive, and the axis turns.
void MotionGuardTest::aRestartedBoardGetsItsIoDirectionsBeforeTheNextDrive() {
    JournalCapture journal;
    LinkFixture link(test::BoardAt(20, 45, 5), "Feedback_Timeout=1\n" + LocalTarget(150));
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(Drives(AzRelays(link), kAzIncrease), 3000);
    const QList<QByteArray> startDirections = link.commandsHex().mid(0, 6);
    link.board.restart(2.0);
    QTRY_VERIFY_WITH_TIMEOUT(!link.board.restarting(), 5000);
    // The first datagram the board took after its silence.
    const auto& commands = link.board.commands();
    const auto lastIgnored =
        std::find_if(commands.rbegin(), commands.rend(), [](const picnic::ReceivedCommand& c) {
            return c.ignored == picnic::CommandIgnored::Restarting;
        });
    QVERIFY(lastIgnored != commands.rend());
    const qsizetype answeringAt = commands.rend() - lastIgnored;
    QTRY_VERIFY_WITH_TIMEOUT(Drives(AzRelays(link, answeringAt), kAzIncrease), 5000);
    const QList<AzRelay> relays = AzRelays(link, answeringAt);
    const qsizetype driveAt = std::find_if(relays.begin(), relays.end(), [](const AzRelay& relay) {
                                  return relay.value == kAzIncrease;
                              })->index;
    const QList<QByteArray> sent = link.commandsHex().mid(answeringAt, driveAt - answeringAt);
    const qsizetype resentAt = sent.indexOf(startDirections.first());
    QVERIFY2(resentAt >= 0, qPrintable(sent.join(' ')));
    QCOMPARE(sent.mid(resentAt, 6), startDirections);
    QTRY_VERIFY_WITH_TIMEOUT(link.board.modelNow().relayByte() & kAzIncrease, 3000);
    QCOMPARE(journal.count("zenko.link info: I/O directions sent again: "), 1);
    link.dlg().OnStop();
}

void MotionGuardTest::anUnreadableKeyRefusesStart_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("message");
    QTest::newRow("letters") << QByteArray("Stall_Timeout=abc\n")
                             << QStringLiteral("Stall_Timeout is invalid !");
    QTest::newRow("letter O for zero") << QByteArray("Az_Min_Ang=1O\nAz_Max_Ang=20\n")
                                       << QStringLiteral("Az_Min_Ang is invalid !");
    QTest::newRow("empty, the first of two") << QByteArray("El_Max_Ang=\nStall_Timeout=x\n")
                                             << QStringLiteral("Stall_Timeout is invalid !");
}

void MotionGuardTest::anUnreadableKeyRefusesStart() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, message);
    JournalCapture journal;
    LinkFixture link({}, ini);
    link.dlg().OnStart();
    QVERIFY(!link.dlg().m_bRunning);
    QCOMPARE(link.window->messages.messages, QStringList{message});
    QCOMPARE(journal.count(QStringLiteral("zenko.link warning: start refused: ") + message), 1);
}

QTEST_MAIN(MotionGuardTest)
#include "MotionGuard_qtest.moc"
