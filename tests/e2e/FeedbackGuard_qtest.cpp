#include <QLoggingCategory>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

#include "support/JournalCapture.h"
#include "support/LinkFixture.h"
#include "ui/MainWindowTemplate.h"

using namespace zenko;
using test::JournalCapture;
using test::LinkFixture;
using test::Relays;
using test::RelaysOf;

namespace {

constexpr char kAzMask = '\xcf';
constexpr char kElMask = '\x3f';
const QString kPlainTitle = QStringLiteral("アンテナコントローラ");
// Standing still far below both targets, so that every control step drives both axes.
const QByteArray kFarTargets = test::LocalTarget(150, 80);

picnic::SimulatorOptions StillBoard() {
    picnic::SimulatorOptions options;
    options.model.azimuth.speed = 0;
    options.model.elevation.speed = 0;
    return options;
}

} // namespace

class FeedbackGuardTest : public QObject {
    Q_OBJECT
private slots:
    void silentAxisIsSwitchedOffAndResumesWhenItAnswers();
    void withoutTheKeyTheSilentAxisKeepsBeingDriven();
    void theTrackingDriveSwitchesASilentAxisOffAndDrivesTheOther();
    void theTrackingDriveSwitchesOffAndNamesTwoSilentAxes();
    void journalTellsTheMainEventsAndDatagramsOnlyWhenAsked();
};

void FeedbackGuardTest::silentAxisIsSwitchedOffAndResumesWhenItAnswers() {
    JournalCapture journal;
    LinkFixture link(StillBoard(), "Feedback_Timeout=1\n" + kFarTargets);
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(!RelaysOf(link, kAzMask).at.isEmpty(), 3000);
    QVERIFY(RelaysOf(link, kAzMask).drives.first());

    const qsizetype silencedAt = link.board.commands().size();
    link.board.setAnswerAdc(picnic::Axis::Azimuth, false);
    QTRY_VERIFY_WITH_TIMEOUT(!RelaysOf(link, kAzMask, silencedAt).at.isEmpty(), 4000);
    QVERIFY(!RelaysOf(link, kAzMask, silencedAt).drives.first());
    const qsizetype offAt = RelaysOf(link, kAzMask, silencedAt).at.first();
    // The timeout is one interval: off at the step after the first unanswered request, or after
    // the second when a busy machine read the last reply late.
    qsizetype unanswered = 0;
    for (const auto& command : link.board.commands().first(offAt)) {
        if (command.bytes.toHex() == "048100") {
            unanswered = command.answer ? 0 : unanswered + 1;
        }
    }
    QVERIFY2(unanswered == 1 || unanswered == 2, qPrintable(QString::number(unanswered)));
    QCOMPARE(link.dlg().windowTitle(), kPlainTitle + QStringLiteral(" - 方位角 応答なし"));
    QCOMPARE(journal.count("zenko.link warning: azimuth: no ADC reply for"), 1);

    // Three more control steps: the elevation keeps driving, the azimuth gets nothing.
    QTRY_VERIFY_WITH_TIMEOUT(RelaysOf(link, kElMask, offAt).at.size() >= 3, 5000);
    QVERIFY(!RelaysOf(link, kElMask, offAt).drives.contains(false));
    QCOMPARE(RelaysOf(link, kAzMask, offAt + 1).at.size(), 0);

    const qsizetype resumedAt = link.board.commands().size();
    link.board.setAnswerAdc(picnic::Axis::Azimuth, true);
    QTRY_VERIFY_WITH_TIMEOUT(!RelaysOf(link, kAzMask, resumedAt).at.isEmpty(), 4000);
    QVERIFY(RelaysOf(link, kAzMask, resumedAt).drives.first());
    QCOMPARE(link.dlg().windowTitle(), kPlainTitle);
    QCOMPARE(journal.count("zenko.link info: azimuth: ADC answering again after"), 1);
    QCOMPARE(journal.count("elevation:"), 0);
    link.dlg().OnStop();
}

void FeedbackGuardTest::withoutTheKeyTheSilentAxisKeepsBeingDriven() {
    JournalCapture journal;
    LinkFixture link(StillBoard(), kFarTargets);
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(!RelaysOf(link, kAzMask).at.isEmpty(), 3000);
    const qsizetype silencedAt = link.board.commands().size();
    link.board.setAnswerAdc(picnic::Axis::Azimuth, false);
    // The journal notes the silence after three intervals and changes nothing.
    QTRY_COMPARE_WITH_TIMEOUT(journal.count("azimuth: no ADC reply for"), 1, 6000);
    QCOMPARE(journal.count("control goes on with the last voltage"), 1);
    QTRY_VERIFY_WITH_TIMEOUT(RelaysOf(link, kAzMask, silencedAt).at.size() >= 4, 3000);
    QVERIFY(!RelaysOf(link, kAzMask, silencedAt).drives.contains(false));
    QCOMPARE(link.dlg().windowTitle(), kPlainTitle);
    link.dlg().OnStop();
}

// Its step waits for both axes' replies; when one falls silent, the next step switches that axis
// off and drives the other, with no timeout configured.
void FeedbackGuardTest::theTrackingDriveSwitchesASilentAxisOffAndDrivesTheOther() {
    LinkFixture link(StillBoard(), "Tracking_Drive=1\n" + kFarTargets);
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(!RelaysOf(link, kElMask).at.isEmpty(), 3000);
    const qsizetype silencedAt = link.board.commands().size();
    link.board.setAnswerAdc(picnic::Axis::Elevation, false);
    QTRY_VERIFY_WITH_TIMEOUT(RelaysOf(link, kElMask, silencedAt).drives.contains(false), 3000);
    const Relays elevation = RelaysOf(link, kElMask, silencedAt);
    const qsizetype offAt = elevation.at[elevation.drives.indexOf(false)];
    QTRY_VERIFY_WITH_TIMEOUT(RelaysOf(link, kAzMask, offAt).drives.count(true) >= 3, 3000);
    QVERIFY(!RelaysOf(link, kElMask, offAt).drives.contains(true));
    link.dlg().OnStop();
}

// With no reply at all no step would wait for both, and a relay on at full speed stayed on.
void FeedbackGuardTest::theTrackingDriveSwitchesOffAndNamesTwoSilentAxes() {
    JournalCapture journal;
    LinkFixture link(StillBoard(), "Tracking_Drive=1\nFeedback_Timeout=1\n" + kFarTargets);
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(!RelaysOf(link, kElMask).at.isEmpty(), 3000);
    const qsizetype silencedAt = link.board.commands().size();
    link.board.setAnswerAdc(picnic::Axis::Azimuth, false);
    link.board.setAnswerAdc(picnic::Axis::Elevation, false);
    QTRY_COMPARE_WITH_TIMEOUT(link.dlg().windowTitle(),
                              kPlainTitle + QStringLiteral(" - 方位角・仰角 応答なし"), 4000);
    for (const char mask : {kAzMask, kElMask}) {
        const Relays relays = RelaysOf(link, mask, silencedAt);
        QVERIFY(!relays.drives.isEmpty());
        QVERIFY(!relays.drives.last());
    }
    QCOMPARE(journal.count("no ADC reply for"), 2);
    link.dlg().OnStop();
}

void FeedbackGuardTest::journalTellsTheMainEventsAndDatagramsOnlyWhenAsked() {
    JournalCapture journal;
    LinkFixture link(StillBoard(), kFarTargets);
    link.start();
    QCOMPARE(journal.count(QStringLiteral("zenko.link info: link started: board 127.0.0.1:%1, "
                                          "binary set values on port %2, ASCII set values on "
                                          "port %3")
                               .arg(link.board.port())
                               .arg(link.binPort)
                               .arg(link.ascPort)),
             1);
    QUdpSocket peer;
    for (int request = 0; request < 2; ++request) {
        peer.writeDatagram("Q", QHostAddress::LocalHost, link.ascPort);
        QTRY_VERIFY_WITH_TIMEOUT(peer.hasPendingDatagrams(), 3000);
        peer.receiveDatagram();
    }
    QVERIFY(link.waitForCommands(12));
    QCOMPARE(journal.count("zenko.setvalue info: new set-value peer 127.0.0.1:"), 1);
    QCOMPARE(journal.count(" to 127.0.0.1:"), 0);

    QLoggingCategory::setFilterRules(QStringLiteral("zenko.*.debug=true"));
    QTRY_VERIFY_WITH_TIMEOUT(journal.count(QStringLiteral("zenko.link debug: az-adc to "
                                                          "127.0.0.1:%1: 04 81 00")
                                               .arg(link.board.port())) > 0,
                             3000);
    QTRY_VERIFY_WITH_TIMEOUT(journal.count("zenko.link debug: el-adc from 127.0.0.1:") > 0, 3000);
    link.dlg().OnStop();
    // A stop while stopped is no news.
    link.dlg().OnStop();
    QCOMPARE(journal.count("zenko.link info: link stopped by Stop"), 1);

    link.window->setText(ui::ctl::PicnicIp, QStringLiteral("127.0.0.x"));
    link.dlg().OnStart();
    QCOMPARE(journal.count("zenko.link warning: start refused: PICNIC IP is invalid !"), 1);
    link.window->profile = platform::ProfileFile(link.window->dir.filePath("absent/ZENKO.ini"));
    link.dlg().ApplyCalibrationPoint(1, "1", "2", "0.5", "0.5");
    QCOMPARE(journal.count("zenko.config warning: could not write Cal_Az_Ang_1 in [ZENKO] of "), 1);
}

QTEST_MAIN(FeedbackGuardTest)
#include "FeedbackGuard_qtest.moc"
