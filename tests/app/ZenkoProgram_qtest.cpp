#include <csignal>

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "BuildPaths.h"
#include "support/ControllerProcess.h"
#include "support/TestSupport.h"

using namespace zenko::test;

// The real program, started as an operator starts it, and its journal on standard error in the
// layout it installs itself.
class ZenkoProgramTest : public QObject {
    Q_OBJECT
private slots:
    void journalsItsStartRefusesASecondCopyAndEndsOnATerminationSignal();
};

void ZenkoProgramTest::journalsItsStartRefusesASecondCopyAndEndsOnATerminationSignal() {
    QTemporaryDir folder;
    const QString executable = folder.filePath(QStringLiteral("zenko"));
    QVERIFY(QFile::copy(QStringLiteral(ZENKO_PATH), executable));
    const QString ini = WriteFile(folder, QStringLiteral("ZENKO.ini"),
                                  "[ZENKO]\nPICNIC_IP_1=127.0.0.1\nFeedback_Timeout=5\n");

    QProcess first;
    StartController(first, executable);
    QByteArray printed;
    const ControllerStartup startup = AwaitStartup(first, printed);
    if (startup.anotherCopyRuns) {
        QSKIP(kAnotherControllerRuns);
    }
    QVERIFY2(startup.up, startup.failure.constData());
    const auto journaled = [&](const QString& line) {
        const QString stamp = QStringLiteral(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )");
        return AwaitJournal(first, printed, QRegularExpression(stamp + line + u'\n'));
    };
    QVERIFY2(journaled(QStringLiteral("zenko\\.config info: configuration %1, feedback guard 5 s")
                           .arg(QRegularExpression::escape(ini))),
             printed.constData());

    QProcess second;
    StartController(second, executable);
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    QVERIFY2(journaled(QStringLiteral("zenko\\.link info: ending on SIGTERM, link not running")),
             printed.constData());
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
    // The name is free again.
    QProcess third;
    StartController(third, executable);
    QByteArray thirdPrinted;
    const ControllerStartup again = AwaitStartup(third, thirdPrinted);
    QVERIFY2(again.up, again.failure.constData());
    third.terminate();
    QVERIFY(third.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(ZenkoProgramTest)
#include "ZenkoProgram_qtest.moc"
