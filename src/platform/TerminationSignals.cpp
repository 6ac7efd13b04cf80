#include "platform/TerminationSignals.h"

#include <csignal>

namespace zenko::platform {

TerminationSignals::TerminationSignals(QObject* parent)
    : SignalPipe({SIGTERM, SIGINT, SIGHUP}, "termination signals", parent) {}

const char* TerminationSignalName(int signalNumber) {
    switch (signalNumber) {
    case SIGTERM:
        return "SIGTERM";
    case SIGINT:
        return "SIGINT";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "a signal";
    }
}

} // namespace zenko::platform
