#include <csignal>

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "BuildPaths.h"
#include "support/ControllerProcess.h"
#include "support/TestSupport.h"

// The real program, started as an operator starts it.
class ZenkoProgramTest : public QObject {
    Q_OBJECT
private slots:
    void secondStartEndsSilentlyAndATerminationSignalEndsTheFirst();
};

namespace {

const QString kInstanceName = QStringLiteral("ZENKO");

void StartZenko(QProcess& process, const QString& executable) {
    process.setProcessEnvironment(zenko::test::ControllerEnvironment());
    // Not the executable's folder: the program must find its ZENKO.ini all the same.
    process.setWorkingDirectory(QDir::tempPath());
    process.start(executable, {});
}

} // namespace

void ZenkoProgramTest::secondStartEndsSilentlyAndATerminationSignalEndsTheFirst() {
    QTemporaryDir folder;
    const QString executable = folder.filePath(QStringLiteral("zenko"));
    QVERIFY(QFile::copy(QStringLiteral(ZENKO_PATH), executable));
    zenko::test::WriteFile(folder, QStringLiteral("ZENKO.ini"), "[ZENKO]\nPICNIC_IP_1=127.0.0.1\n");

    QProcess first;
    StartZenko(first, executable);
    QByteArray printed;
    const zenko::test::ControllerStartup startup =
        zenko::test::AwaitStartup(first, kInstanceName, printed);
    if (startup.anotherCopyRuns) {
        QSKIP(zenko::test::kAnotherControllerRuns);
    }
    QVERIFY2(startup.up, startup.failure.constData());
    QProcess second;
    StartZenko(second, executable);
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
    // The name is free again.
    QProcess third;
    StartZenko(third, executable);
    QByteArray thirdPrinted;
    const zenko::test::ControllerStartup again =
        zenko::test::AwaitStartup(third, kInstanceName, thirdPrinted);
    QVERIFY2(again.up, again.failure.constData());
    third.terminate();
    QVERIFY(third.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(ZenkoProgramTest)
#include "ZenkoProgram_qtest.moc"
