#pragma once

#include <QString>
#include <QStringList>

#include "common/CommandLineOutcome.h"
#include "zenko-rotctld/RotctldBridge.h"

// The command line of zenko-rotctld.
namespace zenko::rotctld {

using CommandLineOutcome = tools::CommandLineOutcome<BridgeSettings>;

// Every option takes "--name value" or "--name=value"; the last of a repeated option wins;
// --help or -h anywhere asks for the help text, --version for the version.
// Numbers are read in the C locale's form (a decimal comma is also taken) whatever the user's
// locale. Refused: a non-loopback --listen address without --allow-non-loopback, a minimum
// above its maximum, a park position outside the limits, an --allow list that does not parse
// or is blank, --pty with --listen, --port or --allow.
CommandLineOutcome ParseCommandLine(const QStringList& arguments);
QString HelpText();
// One line, "zenko-rotctld" and the version, as help2man reads it for the manual page.
QString VersionText();

// A numeric address as the tools read it, or "localhost" for 127.0.0.1; a null address
// otherwise.
QHostAddress ParseAddress(const QString& text);

} // namespace zenko::rotctld
