#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QString>

// The controller as a process of its own, as the tests that start the built or installed program
// see it. Only one copy runs per single-instance name, so a test may find the name taken by a copy
// that is not its own: it skips then, and only then.
namespace zenko::test {

inline constexpr char kAnotherControllerRuns[] =
    "another ZENKO holds the single-instance name on this machine";

// Offscreen, and the journal in the program's own layout at its own levels.
QProcessEnvironment ControllerEnvironment();

// Reads the program's standard error (its read channel from then on) into `printed` until `line`
// matches there, the program has ended or `timeoutMs` has passed; true on a match.
bool AwaitJournal(QProcess& process, QByteArray& printed, const QRegularExpression& line,
                  int timeoutMs = 10000);

struct ControllerStartup {
    // It journaled its configuration, as its window does once the name is taken.
    bool up = false;
    // Proof that another copy holds the name: it ended by itself with status 0 without a window,
    // and the name is held now.
    bool anotherCopyRuns = false;
    // Neither: how it ended and what it printed.
    QByteArray failure;
};

// Waits until the started program is up or has ended. A crash, a signal, a status other than 0
// or an end while nobody holds `instanceName` is a failure.
ControllerStartup AwaitStartup(QProcess& process, const QString& instanceName, QByteArray& printed);

} // namespace zenko::test
