#include <csignal>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "BuildPaths.h"
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
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
    environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    zenko.setProcessEnvironment(environment);
    zenko.setReadChannel(QProcess::StandardError);
    zenko.start(executable, {});
    QByteArray seen;
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
    const bool configured =
        waitFor(QStringLiteral("zenko\\.config info: configuration %1, feedback guard 5 s")
                    .arg(QRegularExpression::escape(ini)));
    if (!configured && zenko.state() != QProcess::Running) {
        QSKIP("another ZENKO runs on this machine, so this one ended at once");
    }
    QVERIFY2(configured, seen.constData());

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
