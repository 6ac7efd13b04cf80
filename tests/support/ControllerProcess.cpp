#include "support/ControllerProcess.h"

#include <QDeadlineTimer>

#include "platform/SingleInstance.h"

namespace zenko::test {

namespace {

// The window's first line in the journal; nothing before it is written once the name is taken.
constexpr char kUpLine[] = "zenko.config info: configuration ";

QByteArray HowItEnded(const QProcess& process) {
    // After a crash QProcess gives the signal's number as the exit code.
    return process.exitStatus() == QProcess::CrashExit
               ? "ended by signal " + QByteArray::number(process.exitCode())
               : "ended with status " + QByteArray::number(process.exitCode());
}

} // namespace

QProcessEnvironment ControllerEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
    environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    return environment;
}

ControllerStartup AwaitStartup(QProcess& process, const QString& instanceName, QByteArray& printed,
                               int timeoutMs) {
    process.setReadChannel(QProcess::StandardError);
    const QDeadlineTimer deadline(timeoutMs);
    while (!(printed += process.readAllStandardError()).contains(kUpLine)) {
        if (process.state() == QProcess::NotRunning || deadline.hasExpired()) {
            break;
        }
        process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    ControllerStartup startup;
    startup.up = printed.contains(kUpLine);
    if (startup.up) {
        return startup;
    }
    printed += process.readAllStandardOutput();
    if (process.state() != QProcess::NotRunning) {
        startup.failure = "still running without a window after " + QByteArray::number(timeoutMs) +
                          " ms; printed:\n" + printed;
        return startup;
    }
    const bool endedQuietly =
        process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    startup.anotherCopyRuns = endedQuietly && !platform::SingleInstance(instanceName).acquired();
    if (!startup.anotherCopyRuns) {
        startup.failure = HowItEnded(process) +
                          (endedQuietly ? " while nobody holds " + instanceName.toUtf8() : "") +
                          "; printed:\n" + printed;
    }
    return startup;
}

} // namespace zenko::test
