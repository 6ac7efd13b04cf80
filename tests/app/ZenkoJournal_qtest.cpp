#include <csignal>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "BuildPaths.h"
#include "support/ControllerProcess.h"
#include "support/TestSupport.h"

// The journal on the real program's standard error, in the layout it installs itself.
class ZenkoJournalTest : public QObject {
    Q_OBJECT
private slots:
    void startUpAndATerminationSignalAreJournaled();
};

void ZenkoJournalTest::startUpAndATerminationSignalAreJournaled() {
    QTemporaryDir folder;
    const QString executable = folder.filePath(QStringLiteral("zenko"));
    QVERIFY(QFile::copy(QStringLiteral(ZENKO_PATH), executable));
    const QString ini =
        zenko::test::WriteFile(folder, QStringLiteral("ZENKO.ini"),
                               "[ZENKO]\nPICNIC_IP_1=127.0.0.1\nFeedback_Timeout=5\n");

    QProcess zenko;
    zenko.setProcessEnvironment(zenko::test::ControllerEnvironment());
    zenko.start(executable, {});
    QByteArray seen;
    const zenko::test::ControllerStartup startup =
        zenko::test::AwaitStartup(zenko, QStringLiteral("ZENKO"), seen);
    if (startup.anotherCopyRuns) {
        QSKIP(zenko::test::kAnotherControllerRuns);
    }
    QVERIFY2(startup.up, startup.failure.constData());
    // Bounded by the deadline; a program that ended has nothing more to say.
    const auto waitFor = [&](const QString& pattern) {
        const QRegularExpression line(QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\."
                                                     "\\d{3} ") +
                                      pattern + u'\n');
        const QDeadlineTimer deadline(10000);
        while (!line.match(QString::fromUtf8(seen += zenko.readAllStandardError())).hasMatch()) {
            if (deadline.hasExpired() || (!zenko.waitForReadyRead(deadline.remainingTime()) &&
                                          zenko.state() != QProcess::Running)) {
                return line.match(QString::fromUtf8(seen += zenko.readAllStandardError()))
                    .hasMatch();
            }
        }
        return true;
    };
    QVERIFY2(waitFor(QStringLiteral("zenko\\.config info: configuration %1, feedback guard 5 s")
                         .arg(QRegularExpression::escape(ini))),
             seen.constData());

    ::kill(static_cast<pid_t>(zenko.processId()), SIGTERM);
    QVERIFY2(waitFor(QStringLiteral("zenko\\.link info: ending on SIGTERM, link not running")),
             seen.constData());
    // Reading may already have seen it end.
    QVERIFY(zenko.state() == QProcess::NotRunning || zenko.waitForFinished(10000));
    QCOMPARE(zenko.exitStatus(), QProcess::NormalExit);
    QCOMPARE(zenko.exitCode(), 0);
}

QTEST_GUILESS_MAIN(ZenkoJournalTest)
#include "ZenkoJournal_qtest.moc"
