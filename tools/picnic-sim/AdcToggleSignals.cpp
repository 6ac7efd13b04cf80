#include "picnic-sim/AdcToggleSignals.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace zenko::picnic {

namespace {

// An async-signal handler takes no context: the pipe's write end is the one piece of
// process-wide state it needs.
int g_togglePipeWrite = -1;
int g_togglePipeRead = -1;

constexpr std::array kSignals{SIGUSR1, SIGUSR2};

extern "C" void WriteToggleToPipe(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_togglePipeWrite, &byte, 1);
    errno = savedErrno;
}

} // namespace

AdcToggleSignals::AdcToggleSignals(QObject* parent) : QObject(parent) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    g_togglePipeRead = fds[0];
    g_togglePipeWrite = fds[1];
    m_notifier = new QSocketNotifier(g_togglePipeRead, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &AdcToggleSignals::drain);
    struct sigaction action {};
    action.sa_handler = WriteToggleToPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

AdcToggleSignals::~AdcToggleSignals() {
    if (m_notifier == nullptr) {
        return;
    }
    for (int signalNumber : kSignals) {
        ::signal(signalNumber, SIG_DFL);
    }
    delete m_notifier;
    ::close(g_togglePipeRead);
    ::close(g_togglePipeWrite);
    g_togglePipeRead = -1;
    g_togglePipeWrite = -1;
}

void AdcToggleSignals::drain() {
    unsigned char byte = 0;
    while (::read(g_togglePipeRead, &byte, 1) == 1) {
        emit toggleRequested(byte == SIGUSR1 ? Axis::Azimuth : Axis::Elevation);
    }
}

} // namespace zenko::picnic
