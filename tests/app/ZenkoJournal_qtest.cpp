#include <csignal>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// The journal on the real program's standard error, with the pattern it installs itself.
class ZenkoJournalTest : public QObject {
    Q_OBJECT
private slots:
    void startUpAndATerminationSignalAreJournaled();
};

namespace {

// Waits (bounded) until the process' standard error holds a match, collecting what it read.
bool WaitForLine(QProcess& process, QByteArray& seen, const QRegularExpression& line) {
    QDeadlineTimer deadline(10000);
    while (!line.match(QString::fromUtf8(seen)).hasMatch()) {
        if (deadline.hasExpired() || (!process.waitForReadyRead(deadline.remainingTime()) &&
                                      process.state() != QProcess::Running)) {
            seen += process.readAllStandardError();
            return line.match(QString::fromUtf8(seen)).hasMatch();
        }
        seen += process.readAllStandardError();
    }
    return true;
}

} // namespace

void ZenkoJournalTest::startUpAndATerminationSignalAreJournaled() {
    QTemporaryDir folder;
    const QString executable = folder.filePath(QStringLiteral("zenko"));
    QVERIFY(QFile::copy(QStringLiteral(ZENKO_PATH), executable));
    QFile ini(folder.filePath(QStringLiteral("ZENKO.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[ZENKO]\nPICNIC_IP_1=127.0.0.1\nFeedback_Timeout=5\n");
    ini.close();

    QProcess zenko;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
    environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    zenko.setProcessEnvironment(environment);
    zenko.setReadChannel(QProcess::StandardError);
    zenko.start(executable, {});
    QVERIFY(zenko.waitForStarted(5000));

    const QString stamp = QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} ");
    QByteArray seen;
    const QRegularExpression configuration(
        QStringLiteral("(^|\\n)") + stamp +
        QStringLiteral("zenko\\.config info: configuration %1, feedback guard 5 s\\n")
            .arg(QRegularExpression::escape(ini.fileName())));
    if (!WaitForLine(zenko, seen, configuration) && zenko.state() != QProcess::Running) {
        QSKIP("another ZENKO runs on this machine, so this one ended at once");
    }
    QVERIFY2(configuration.match(QString::fromUtf8(seen)).hasMatch(), seen.constData());

    ::kill(static_cast<pid_t>(zenko.processId()), SIGTERM);
    const QRegularExpression ending(stamp + QStringLiteral("zenko\\.link info: ending on "
                                                           "SIGTERM, link not running\\n"));
    QVERIFY2(WaitForLine(zenko, seen, ending), seen.constData());
    // Reading may already have seen it end.
    QVERIFY(zenko.state() == QProcess::NotRunning || zenko.waitForFinished(10000));
    QCOMPARE(zenko.exitStatus(), QProcess::NormalExit);
    QCOMPARE(zenko.exitCode(), 0);
}

QTEST_GUILESS_MAIN(ZenkoJournalTest)
#include "ZenkoJournal_qtest.moc"
