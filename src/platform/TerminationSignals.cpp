#include "platform/TerminationSignals.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QtGlobal>

namespace zenko::platform {

namespace {

// The write end must be reachable from an async-signal handler, which takes no context: this
// descriptor is the one piece of process-wide state the handler needs.
int g_signalPipeWrite = -1;
int g_signalPipeRead = -1;

constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

extern "C" void WriteSignalToPipe(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipeWrite, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    // A second owner would take the handler's descriptor from the first, and its end would close
    // the pipe the first still listens on.
    if (g_signalPipeWrite != -1) {
        qWarning("termination signals are already delivered to another listener");
        return;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    g_signalPipeRead = fds[0];
    g_signalPipeWrite = fds[1];
    m_notifier = new QSocketNotifier(g_signalPipeRead, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::drain);
    struct sigaction action {};
    action.sa_handler = WriteSignalToPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals() {
    if (m_notifier == nullptr) {
        return;
    }
    for (int signalNumber : kSignals) {
        ::signal(signalNumber, SIG_DFL);
    }
    delete m_notifier;
    ::close(g_signalPipeRead);
    ::close(g_signalPipeWrite);
    g_signalPipeRead = -1;
    g_signalPipeWrite = -1;
}

void TerminationSignals::drain() {
    unsigned char byte = 0;
    while (::read(g_signalPipeRead, &byte, 1) == 1) {
        emit received(byte);
    }
}

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
