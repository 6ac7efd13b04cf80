#pragma once

#include <QString>

#include "zenko-rotctld/ProtocolCodec.h"

namespace zenko::test {

// Hamlib's own driver of a serial rotator, through rotctl, against the bridge's pseudo-terminal at
// `path` and the real window on a simulated board: it sets a position and reads it back once the
// antenna has arrived, stops the antenna on its way to another, and parks where the driver can.
// Fails the running test on the first fault.
void ServeHamlibDriver(int model, rotctld::Protocol protocol, bool parks, const QString& path);

} // namespace zenko::test
