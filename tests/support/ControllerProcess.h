#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// The controller as a separate process, as the tests that start the built or installed program
// see it. Only one copy runs per single-instance name, so a test may find the name taken by a copy
// that is not its own; it skips then, and only then.
namespace zenko::test {

inline constexpr char kAnotherControllerRuns[] =
    "another ZENKO holds the single-instance name on this machine";

// Offscreen, with the program's own journal layout at its own levels, whatever the caller's
// environment asks for.
QProcessEnvironment ControllerEnvironment();

struct ControllerStartup {
    // It journaled its configuration, which its window does as it opens: it holds the name.
    bool up = false;
    // Proof that another copy holds the name: it ended by itself with status 0 without opening
    // its window, and the name is held now.
    bool anotherCopyRuns = false;
    // Neither: how it ended and what it printed.
    QByteArray failure;
};

// Reads the started program's standard error (its read channel from then on) into `printed` until
// it is up or has ended, for at most `timeoutMs`. A crash, a signal, a status other than 0 or an
// end while nobody holds `instanceName` is a failure.
ControllerStartup AwaitStartup(QProcess& process, const QString& instanceName, QByteArray& printed,
                               int timeoutMs = 10000);

} // namespace zenko::test
