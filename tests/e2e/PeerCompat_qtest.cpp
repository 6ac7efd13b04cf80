#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include "BuildPaths.h"

#include "support/LinkFixture.h"

using namespace zenko;
using test::LinkFixture;

namespace {

// Runs a program while the event loop that serves the window keeps turning.
struct Run {
    int exitCode = -1;
    QByteArray output;
};

Run RunProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    [[maybe_unused]] const bool finished =
        QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 15000);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAll()};
}

// The Python examples of the protocol document, in the order they stand there.
QStringList PythonExamples() {
    QFile document(QStringLiteral(ZENKO_SOURCE_DIR "/docs/setvalue-protocol.md"));
    if (!document.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString text = QString::fromUtf8(document.readAll());
    static const QRegularExpression block(QStringLiteral("```python\\n(.*?)```"),
                                          QRegularExpression::DotMatchesEverythingOption);
    QStringList examples;
    for (auto match = block.globalMatch(text); match.hasNext();) {
        examples << match.next().captured(1);
    }
    return examples;
}

} // namespace

// A peer developer's programs, written from the protocol document, drive the controller.
class PeerCompatTest : public QObject {
    Q_OBJECT
private slots:
    void setvalueSendDrivesTheController();
    void theDocumentsPythonExamplesWork();
};

void PeerCompatTest::setvalueSendDrivesTheController() {
    LinkFixture link(picnic::SimulatorOptions{}, "Local_Remote_Selector=3\n");
    link.start();
    const Run ascii =
        RunProgram(QStringLiteral(SETVALUE_SEND_PATH),
                   {QStringLiteral("--port"), QString::number(link.ascPort),
                    QStringLiteral("--ascii"), QStringLiteral("33.5"), QStringLiteral("12.25")});
    QVERIFY2(ascii.exitCode == 0, ascii.output.constData());
    QCOMPARE(link.dlg().m_dRemoteSetAz, 33.5);
    QCOMPARE(link.dlg().m_dAzTarget, 33.5);
    const Run binary =
        RunProgram(QStringLiteral(SETVALUE_SEND_PATH),
                   {QStringLiteral("--port"), QString::number(link.binPort),
                    QStringLiteral("--binary"), QStringLiteral("44"), QStringLiteral("22")});
    QVERIFY2(binary.exitCode == 0, binary.output.constData());
    QCOMPARE(link.dlg().m_dRemoteSetEl, 22.0);
    const Run query = RunProgram(
        QStringLiteral(SETVALUE_SEND_PATH),
        {QStringLiteral("--port"), QString::number(link.ascPort), QStringLiteral("--query-ascii")});
    QVERIFY2(query.exitCode == 0, query.output.constData());
    QCOMPARE(link.dlg().m_dRemoteSetAz, 44.0);
    link.dlg().OnStop();
    // Nobody answers once the link is stopped, and the peer says so.
    const Run silent = RunProgram(QStringLiteral(SETVALUE_SEND_PATH),
                                  {QStringLiteral("--port"), QString::number(link.ascPort),
                                   QStringLiteral("--timeout"), QStringLiteral("300"),
                                   QStringLiteral("--query-ascii")});
    QCOMPARE(silent.exitCode, 1);
}

void PeerCompatTest::theDocumentsPythonExamplesWork() {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        QSKIP("python3 is not installed");
    }
    const QStringList examples = PythonExamples();
    QCOMPARE(examples.size(), 2);
    LinkFixture link(picnic::SimulatorOptions{}, "Local_Remote_Selector=3\n");
    link.start();
    const std::uint16_t ports[] = {link.binPort, link.ascPort};
    const double expectedAz[] = {123.0, 123.456};
    for (int i = 0; i < 2; ++i) {
        QString example = examples[i];
        example.replace(
            QRegularExpression(QStringLiteral("(HOST, PORT = \"127\\.0\\.0\\.1\", )\\d+")),
            QStringLiteral("\\1%1").arg(ports[i]));
        const Run run = RunProgram(python, {QStringLiteral("-c"), example});
        QVERIFY2(run.exitCode == 0, run.output.constData());
        // Four numbers: the angles and voltages the controller answered with.
        QCOMPARE(run.output.trimmed().split(' ').size(), 4);
        QCOMPARE(link.dlg().m_dRemoteSetAz, expectedAz[i]);
    }
    link.dlg().OnStop();
}

QTEST_MAIN(PeerCompatTest)
#include "PeerCompat_qtest.moc"
