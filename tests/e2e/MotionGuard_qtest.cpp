#include <QtTest>

#include "support/JournalCapture.h"
#include "support/LinkFixture.h"
#include "ui/MainWindowTemplate.h"

using namespace zenko;
using test::JournalCapture;
using test::LinkFixture;
using test::RelaysOf;

namespace {

constexpr char kAzMask = '\xcf';
constexpr std::uint8_t kAzIncrease = 0x10;
constexpr std::uint8_t kAzDecrease = 0x20;

} // namespace

class MotionGuardTest : public QObject {
    Q_OBJECT
private slots:
    void stallSwitchesOffUntilTheOtherDirection_data();
    void stallSwitchesOffUntilTheOtherDirection();
    void anAxisBeyondItsLimitIsBroughtBackAndNeverDrivenOut();
    void aRestartedBoardGetsItsIoDirectionsBeforeTheNextDrive();
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
    LinkFixture link(board, "Stall_Timeout=2\n" + law + test::LocalTarget(150, 45));
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(RelaysOf(link, kAzMask).bytes.contains(kAzIncrease), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(
        link.dlg().windowTitle().endsWith(QStringLiteral(" - 方位角 動きなし")), 6000);
    QCOMPARE(journal.count("zenko.link warning: azimuth: stalled: "), 1);
    const qsizetype trippedAt = link.board.commands().size();
    QTRY_VERIFY_WITH_TIMEOUT(RelaysOf(link, kAzMask, trippedAt).at.size() >= 3, 5000);
    QVERIFY(!RelaysOf(link, kAzMask, trippedAt).bytes.contains(kAzIncrease));
    QCOMPARE(link.board.modelNow().relayByte() & (kAzIncrease | kAzDecrease), 0);

    const qsizetype backAt = link.board.commands().size();
    link.window->setText(ui::ctl::LocalAz, QStringLiteral("50"));
    QTRY_VERIFY_WITH_TIMEOUT(RelaysOf(link, kAzMask, backAt).bytes.contains(kAzDecrease), 3000);
    link.dlg().OnStop();
    QCOMPARE(link.dlg().windowTitle(), QStringLiteral("アンテナコントローラ"));
}

// Found at 130 deg beyond its limit of 120 deg with a target beyond that: driven back to the
// limit, never out.
void MotionGuardTest::anAxisBeyondItsLimitIsBroughtBackAndNeverDrivenOut() {
    JournalCapture journal;
    LinkFixture link(test::BoardAt(130, 45, 10),
                     "Az_Min_Ang=10\nAz_Max_Ang=120\n" + test::LocalTarget(150, 45));
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(link.board.modelNow().angle(picnic::Axis::Azimuth) < 121.0, 5000);
    const qsizetype backAt = link.board.commands().size();
    QTRY_VERIFY_WITH_TIMEOUT(RelaysOf(link, kAzMask, backAt).at.size() >= 4, 6000);
    // Inside the limit the axis may be driven up to it, never from it outwards.
    const test::Relays relays = RelaysOf(link, kAzMask);
    for (qsizetype i = 0; i < relays.at.size(); ++i) {
        const double azimuth = link.board.commands()[relays.at[i]].after.azimuth;
        QVERIFY2(relays.bytes[i] != kAzIncrease || azimuth < 120.0,
                 qPrintable(QString::number(azimuth)));
        QVERIFY2(relays.at[i] < backAt || azimuth < 121.0, qPrintable(QString::number(azimuth)));
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
    LinkFixture link(test::BoardAt(20, 45, 5), "Feedback_Timeout=1\n" + test::LocalTarget(150, 45));
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(RelaysOf(link, kAzMask).bytes.contains(kAzIncrease), 3000);
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
    QTRY_VERIFY_WITH_TIMEOUT(RelaysOf(link, kAzMask, answeringAt).bytes.contains(kAzIncrease),
                             5000);
    const test::Relays relays = RelaysOf(link, kAzMask, answeringAt);
    const qsizetype driveAt = relays.at[relays.bytes.indexOf(kAzIncrease)];
    const QList<QByteArray> sent = link.commandsHex().mid(answeringAt, driveAt - answeringAt);
    const qsizetype resentAt = sent.indexOf(startDirections.first());
    QVERIFY2(resentAt >= 0, qPrintable(sent.join(' ')));
    QCOMPARE(sent.mid(resentAt, 6), startDirections);
    QTRY_VERIFY_WITH_TIMEOUT(link.board.modelNow().relayByte() & kAzIncrease, 3000);
    QCOMPARE(journal.count("zenko.link info: I/O directions sent again: "), 1);
    link.dlg().OnStop();
}

QTEST_MAIN(MotionGuardTest)
#include "MotionGuard_qtest.moc"
