#include <QFileInfo>
#include <QLoggingCategory>
#include <QUdpSocket>
#include <QtTest>

#include "platform/JournalFormat.h"
#include "support/LinkFixture.h"
#include "ui/MainWindowTemplate.h"

using namespace zenko;
using test::LinkFixture;

namespace {

constexpr std::uint8_t kAzMask = 0xcf;
constexpr std::uint8_t kElMask = 0x3f;
const QString kPlainTitle = QStringLiteral("アンテナコントローラ");

// Standing still far below both targets, so that every control step drives both axes.
picnic::SimulatorOptions StillBoard() {
    picnic::SimulatorOptions options;
    options.model.azimuth.speed = 0;
    options.model.elevation.speed = 0;
    return options;
}

const QByteArray kFarTargets =
    "Local_Remote_Selector=2\nLocal_Set_Az_Ang=150\nLocal_Set_El_Ang=80\n";

struct Relay {
    qsizetype index;
    std::int64_t ns;
    bool on;
};

// One axis' relay commands from the index-th datagram on.
QList<Relay> Relays(const LinkFixture& link, std::uint8_t mask, qsizetype from = 0) {
    QList<Relay> relays;
    const auto& commands = link.board.commands();
    for (qsizetype i = from; i < commands.size(); ++i) {
        const QByteArray& bytes = commands[i].bytes;
        if (commands[i].kind == picnic::CommandKind::Relay &&
            static_cast<std::uint8_t>(bytes[3]) == mask) {
            relays.append({i, commands[i].monotonicNs, bytes[4] != 0});
        }
    }
    return relays;
}

std::int64_t LastAnsweredAzimuthNs(const LinkFixture& link) {
    std::int64_t ns = 0;
    for (const auto& command : link.board.commands()) {
        if (command.answer && command.answer->axis == picnic::Axis::Azimuth) {
            ns = command.monotonicNs;
        }
    }
    return ns;
}

// The journal's lines as the program writes them, collected while it lives.
class JournalCapture {
public:
    JournalCapture() {
        s_lines = &m_lines;
        qSetMessagePattern(QString::fromLatin1(platform::kJournalPattern));
        m_previous = qInstallMessageHandler(&Collect);
    }
    ~JournalCapture() {
        qInstallMessageHandler(m_previous);
        s_lines = nullptr;
        QLoggingCategory::setFilterRules({});
    }
    qsizetype count(const QString& part) const {
        return std::count_if(m_lines.begin(), m_lines.end(),
                             [&](const QString& line) { return line.contains(part); });
    }
    const QStringList& lines() const { return m_lines; }

private:
    static void Collect(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (s_lines != nullptr && QByteArrayView(context.category).startsWith("zenko.")) {
            s_lines->append(qFormatLogMessage(type, context, text));
        }
    }
    static inline QStringList* s_lines = nullptr;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};

} // namespace

class FeedbackGuardTest : public QObject {
    Q_OBJECT
private slots:
    void silentAxisIsSwitchedOffAndResumesWhenItAnswers();
    void withoutTheKeyTheSilentAxisKeepsBeingDriven();
    void journalTellsTheLinksEventsAndDatagramsOnlyWhenAsked();
    void journalTellsRefusalsAndWriteFailures();
};

void FeedbackGuardTest::silentAxisIsSwitchedOffAndResumesWhenItAnswers() {
    JournalCapture journal;
    LinkFixture link(StillBoard(), "Feedback_Timeout=1\n" + kFarTargets);
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(!Relays(link, kAzMask).isEmpty(), 3000);
    QVERIFY(Relays(link, kAzMask).first().on);

    const std::int64_t lastAnswerNs = LastAnsweredAzimuthNs(link);
    const qsizetype silencedAt = link.board.commands().size();
    link.board.setAnswerAdc(picnic::Axis::Azimuth, false);
    QTRY_VERIFY_WITH_TIMEOUT(!Relays(link, kAzMask, silencedAt).isEmpty(), 4000);
    const Relay off = Relays(link, kAzMask, silencedAt).first();
    QVERIFY(!off.on);
    // Timeout plus one control interval, with room for a busy machine's event loop.
    QVERIFY2(off.ns - lastAnswerNs < 2300'000'000,
             qPrintable(QString::number((off.ns - lastAnswerNs) / 1'000'000)));
    QCOMPARE(link.dlg().windowTitle(), kPlainTitle + QStringLiteral(" - 方位角 応答なし"));
    QCOMPARE(journal.count("zenko.link warning: azimuth: no ADC reply for"), 1);

    // Three more control steps: the elevation keeps driving, the azimuth gets nothing.
    QTRY_VERIFY_WITH_TIMEOUT(Relays(link, kElMask, off.index).size() >= 3, 5000);
    for (const Relay& relay : Relays(link, kElMask, off.index)) {
        QVERIFY(relay.on);
    }
    QCOMPARE(Relays(link, kAzMask, off.index + 1).size(), 0);

    const qsizetype resumedAt = link.board.commands().size();
    link.board.setAnswerAdc(picnic::Axis::Azimuth, true);
    QTRY_VERIFY_WITH_TIMEOUT(!Relays(link, kAzMask, resumedAt).isEmpty(), 4000);
    QVERIFY(Relays(link, kAzMask, resumedAt).first().on);
    QCOMPARE(link.dlg().windowTitle(), kPlainTitle);
    QCOMPARE(journal.count("zenko.link info: azimuth: ADC answering again after"), 1);
    QCOMPARE(journal.count("elevation:"), 0);
    link.dlg().OnStop();
}

void FeedbackGuardTest::withoutTheKeyTheSilentAxisKeepsBeingDriven() {
    JournalCapture journal;
    LinkFixture link(StillBoard(), kFarTargets);
    link.start();
    QTRY_VERIFY_WITH_TIMEOUT(!Relays(link, kAzMask).isEmpty(), 3000);
    const qsizetype silencedAt = link.board.commands().size();
    link.board.setAnswerAdc(picnic::Axis::Azimuth, false);
    // The journal notes the silence after three intervals and changes nothing.
    QTRY_COMPARE_WITH_TIMEOUT(journal.count("azimuth: no ADC reply for"), 1, 6000);
    QTRY_VERIFY_WITH_TIMEOUT(Relays(link, kAzMask, silencedAt).size() >= 4, 3000);
    for (const Relay& relay : Relays(link, kAzMask, silencedAt)) {
        QVERIFY(relay.on);
    }
    QCOMPARE(link.dlg().windowTitle(), kPlainTitle);
    QCOMPARE(journal.count("control goes on with the last voltage"), 1);
    link.dlg().OnStop();
}

void FeedbackGuardTest::journalTellsTheLinksEventsAndDatagramsOnlyWhenAsked() {
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
    QUdpSocket first;
    QUdpSocket second;
    for (QUdpSocket* peer : {&first, &first, &second}) {
        peer->writeDatagram("Q", QHostAddress::LocalHost, link.ascPort);
    }
    QTRY_COMPARE_WITH_TIMEOUT(journal.count("zenko.setvalue info: new set-value peer 127.0.0.1:"),
                              2, 3000);
    QVERIFY(link.waitForCommands(12));
    QCOMPARE(journal.count(" to 127.0.0.1:"), 0);

    QLoggingCategory::setFilterRules(QStringLiteral("zenko.*.debug=true"));
    const qsizetype before = link.board.commands().size();
    QVERIFY(link.waitForCommands(before + 2));
    QTRY_VERIFY_WITH_TIMEOUT(journal.count(QStringLiteral("zenko.link debug: az-adc to "
                                                          "127.0.0.1:%1: 04 81 00")
                                               .arg(link.board.port())) > 0,
                             3000);
    QTRY_VERIFY_WITH_TIMEOUT(journal.count("zenko.link debug: el-adc from 127.0.0.1:") > 0, 3000);
    link.dlg().OnStop();
    QCOMPARE(journal.count("zenko.link info: link stopped by Stop"), 1);
    // Every line starts with the date and time.
    const QRegularExpression stamped(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} zenko\\.\\w+ "));
    for (const QString& line : journal.lines()) {
        QVERIFY2(stamped.match(line).hasMatch(), qPrintable(line));
    }
}

void FeedbackGuardTest::journalTellsRefusalsAndWriteFailures() {
    JournalCapture journal;
    LinkFixture link(StillBoard());
    link.window->setText(ui::ctl::PicnicIp, QStringLiteral("127.0.0.x"));
    link.dlg().OnStart();
    QCOMPARE(journal.count("zenko.link warning: start refused: PICNIC IP is invalid !"), 1);

    link.window->profile = platform::ProfileFile(link.window->dir.filePath("absent/ZENKO.ini"));
    link.dlg().ApplyCalibrationPoint(1, QStringLiteral("1"), QStringLiteral("2"),
                                     QStringLiteral("0.5"), QStringLiteral("0.5"));
    QCOMPARE(journal.count("zenko.config warning: could not write Cal_Az_Ang_1 in [ZENKO] of "), 1);
}

QTEST_MAIN(FeedbackGuardTest)
#include "FeedbackGuard_qtest.moc"
