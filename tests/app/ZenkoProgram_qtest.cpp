#include <csignal>

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "BuildPaths.h"

// The real program, started as an operator starts it.
class ZenkoProgramTest : public QObject {
    Q_OBJECT
private slots:
    void secondStartEndsSilentlyAndATerminationSignalEndsTheFirst();
};

namespace {

QProcess* StartZenko(const QString& executable, QObject* parent) {
    auto* process = new QProcess(parent);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process->setProcessEnvironment(environment);
    // Not the executable's folder: the program must find its ZENKO.ini all the same.
    process->setWorkingDirectory(QDir::tempPath());
    process->start(executable, {});
    return process;
}

} // namespace

void ZenkoProgramTest::secondStartEndsSilentlyAndATerminationSignalEndsTheFirst() {
    QTemporaryDir folder;
    const QString executable = folder.filePath(QStringLiteral("zenko"));
    QVERIFY(QFile::copy(QStringLiteral(ZENKO_PATH), executable));
    QFile ini(folder.filePath(QStringLiteral("ZENKO.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[ZENKO]\nPICNIC_IP_1=127.0.0.1\n");
    ini.close();

    QProcess* first = StartZenko(executable, this);
    QVERIFY(first->waitForStarted(5000));
    if (first->waitForFinished(1500)) {
        QSKIP("another ZENKO runs on this machine, so this one ended at once");
    }
    QProcess* second = StartZenko(executable, this);
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);

    ::kill(static_cast<pid_t>(first->processId()), SIGTERM);
    QVERIFY(first->waitForFinished(10000));
    QCOMPARE(first->exitStatus(), QProcess::NormalExit);
    QCOMPARE(first->exitCode(), 0);
    // The name is free again.
    QProcess* third = StartZenko(executable, this);
    QVERIFY(!third->waitForFinished(1500));
    third->terminate();
    QVERIFY(third->waitForFinished(10000));
}

QTEST_GUILESS_MAIN(ZenkoProgramTest)
#include "ZenkoProgram_qtest.moc"
