#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "BuildPaths.h"
#include "support/ControllerProcess.h"
#include "support/TestSupport.h"

// Copies of the real program in folders of their own, named by Instance_Name. The names carry
// the test's process id, so no other copy on the machine, named or not, meets these.
class ZenkoInstancesTest : public QObject {
    Q_OBJECT
private slots:
    void copiesOfDifferentNamesRunSideBySideAndASecondOfOneNameEndsSilently();
};

namespace {

struct Copy {
    QTemporaryDir folder;
    QProcess process;
    QByteArray journal;

    ~Copy() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }

    void start(const QString& name) {
        const QString executable = folder.filePath(QStringLiteral("zenko"));
        QFile::copy(QStringLiteral(ZENKO_PATH), executable);
        zenko::test::WriteFile(folder, QStringLiteral("ZENKO.ini"),
                               "[ZENKO]\nPICNIC_IP_1=127.0.0.1\nInstance_Name=" + name.toUtf8() +
                                   '\n');
        zenko::test::StartController(process, executable);
    }

    // The window's first journal line, which carries the name: the copy runs.
    bool journaledAs(const QString& name) {
        return zenko::test::AwaitJournal(
            process, journal,
            QRegularExpression(QRegularExpression::escape(
                QStringLiteral(" [%1] zenko.config info: configuration ").arg(name))));
    }

    bool endedQuietly() {
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }
};

} // namespace

void ZenkoInstancesTest::copiesOfDifferentNamesRunSideBySideAndASecondOfOneNameEndsSilently() {
    const QString prefix = QStringLiteral("test-%1-").arg(QCoreApplication::applicationPid());
    const QString dish = prefix + QStringLiteral("dish");
    const QString array = prefix + QStringLiteral("array");
    Copy first;
    Copy second;
    Copy sameName;
    first.start(dish);
    QVERIFY2(first.journaledAs(dish), first.journal.constData());
    second.start(array);
    QVERIFY2(second.journaledAs(array), second.journal.constData());

    sameName.start(dish);
    QVERIFY(sameName.endedQuietly());
    // No window began its journal.
    QVERIFY(!sameName.process.readAllStandardError().contains("zenko."));
    QCOMPARE(first.process.state(), QProcess::Running);
    QCOMPARE(second.process.state(), QProcess::Running);

    for (Copy* copy : {&first, &second}) {
        copy->process.terminate();
        QVERIFY(copy->endedQuietly());
    }
}

QTEST_GUILESS_MAIN(ZenkoInstancesTest)
#include "ZenkoInstances_qtest.moc"
