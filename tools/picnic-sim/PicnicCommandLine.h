#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "common/CommandLineOutcome.h"
#include "picnic-sim/PicnicSimulator.h"

namespace zenko::picnic {

struct PicnicSettings {
    SimulatorOptions simulator;
    bool quiet = false;
    // 0: no periodic status lines.
    int statusIntervalMs = 0;
    // Show the antenna in a window; without it the simulator needs no display.
    bool view = false;
    // Read fault commands from the standard input.
    bool commands = false;
    // A board restart at a time after start, silent for a while.
    struct Restart {
        double afterSeconds = 0.0;
        double silentSeconds = 0.0;
    };
    std::optional<Restart> restart;
};

using CommandLineOutcome = tools::CommandLineOutcome<PicnicSettings>;

// Options take their value as "--port 10001" or "--port=10001". Numbers are read in the C
// locale's form whatever the user's locale. Addresses must lie in 127.0.0.0/8, the bind address
// anywhere only with --allow-non-loopback.
CommandLineOutcome ParseCommandLine(const QStringList& arguments);
QString HelpText();
// One line, "picnic-sim" and the version, as help2man reads it for the manual page.
QString VersionText();

} // namespace zenko::picnic
