#include "support/ControllerProcess.h"

#include <QDeadlineTimer>
#include <QDir>

#include "config/StartupKeys.h"
#include "platform/SingleInstance.h"

namespace zenko::test {

void StartController(QProcess& process, const QString& executable) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
    environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QDir::tempPath());
    process.start(executable, {});
}

bool AwaitJournal(QProcess& process, QByteArray& printed, const QRegularExpression& line,
                  int timeoutMs) {
    process.setReadChannel(QProcess::StandardError);
    const QDeadlineTimer deadline(timeoutMs);
    while (!line.match(QString::fromUtf8(printed += process.readAllStandardError())).hasMatch()) {
        if (process.state() == QProcess::NotRunning || deadline.hasExpired()) {
            return false;
        }
        process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    return true;
}

ControllerStartup AwaitStartup(QProcess& process, QByteArray& printed) {
    ControllerStartup startup;
    startup.up =
        AwaitJournal(process, printed,
                     QRegularExpression(QStringLiteral("zenko\\.config info: configuration ")));
    printed += process.readAllStandardOutput();
    if (startup.up || process.state() != QProcess::NotRunning) {
        startup.failure = "no window; printed:\n" + printed;
        return startup;
    }
    const bool endedQuietly =
        process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    const QString lock = config::SingleInstanceName({});
    startup.anotherCopyRuns = endedQuietly && !platform::SingleInstance(lock).acquired();
    // After a crash QProcess gives the signal's number as the exit code.
    startup.failure =
        (process.exitStatus() == QProcess::CrashExit ? "ended by signal " : "ended with status ") +
        QByteArray::number(process.exitCode()) +
        (endedQuietly ? " while nobody holds " + lock.toUtf8() : "") + "; printed:\n" + printed;
    return startup;
}

} // namespace zenko::test
