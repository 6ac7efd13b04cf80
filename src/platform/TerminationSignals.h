#pragma once

#include "platform/SignalPipe.h"

namespace zenko::platform {

// SIGTERM, SIGINT and SIGHUP delivered in the event loop, so that the program can switch the
// relays off before it ends.
class TerminationSignals : public SignalPipe {
public:
    explicit TerminationSignals(QObject* parent = nullptr);
};

// "SIGTERM", "SIGINT" or "SIGHUP", in English whatever the user's language (strsignal() would
// follow it), for the journals; "a signal" for any other number.
const char* TerminationSignalName(int signalNumber);

} // namespace zenko::platform
