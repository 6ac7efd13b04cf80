#pragma once

#include <QByteArray>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

// The controller as a process of its own. One copy runs per single-instance name, so a test may
// find the name held by a copy that is not its own: it skips then, and only then.
namespace zenko::test {

inline constexpr char kAnotherControllerRuns[] =
    "another ZENKO holds the single-instance name on this machine";

// Offscreen, with its journal in its own layout at its own levels, and not from the executable's
// folder: the program must find its ZENKO.ini all the same.
void StartController(QProcess& process, const QString& executable);

// Reads standard error (the read channel from then on) into `printed` until `line` matches there,
// the program has ended or `timeoutMs` has passed; true on a match.
bool AwaitJournal(QProcess& process, QByteArray& printed, const QRegularExpression& line,
                  int timeoutMs = 10000);

struct ControllerStartup {
    // It journaled its configuration, as its window does once the name is taken.
    bool up = false;
    // Proof that another copy holds the name: it ended by itself with status 0, no window, and
    // the name is held now. Anything else that ends it early fails, with `failure`.
    bool anotherCopyRuns = false;
    QByteArray failure;
};
// The unnamed copy's start-up, as the tests start it.
ControllerStartup AwaitStartup(QProcess& process, QByteArray& printed);

} // namespace zenko::test
