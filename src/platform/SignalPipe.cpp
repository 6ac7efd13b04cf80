#include "platform/SignalPipe.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QtGlobal>

namespace zenko::platform {

namespace {

// An async-signal handler takes no context: the write end of the pipe of each signal's owner is
// the one piece of process-wide state it needs. -1 where no instance holds the signal.
constexpr std::array<int, NSIG> NoPipes() {
    std::array<int, NSIG> pipes{};
    pipes.fill(-1);
    return pipes;
}
std::array<int, NSIG> g_pipeWriteEnds = NoPipes();

extern "C" void WriteSignalToPipe(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipeWriteEnds[signalNumber], &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalPipe::SignalPipe(std::initializer_list<int> signalNumbers, const char* what, QObject* parent)
    : QObject(parent), m_signals(signalNumbers) {
    // A second owner would take the handler's descriptor from the first, and its end would give
    // the signal back its default action while the first still listens.
    for (int signalNumber : m_signals) {
        if (g_pipeWriteEnds[signalNumber] != -1) {
            qWarning("%s are already delivered to another listener", what);
            return;
        }
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_readEnd = fds[0];
    m_writeEnd = fds[1];
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalPipe::drain);
    struct sigaction action {};
    action.sa_handler = WriteSignalToPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : m_signals) {
        g_pipeWriteEnds[signalNumber] = m_writeEnd;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

SignalPipe::~SignalPipe() {
    if (m_notifier == nullptr) {
        return;
    }
    for (int signalNumber : m_signals) {
        ::signal(signalNumber, SIG_DFL);
        g_pipeWriteEnds[signalNumber] = -1;
    }
    delete m_notifier;
    ::close(m_readEnd);
    ::close(m_writeEnd);
}

void SignalPipe::drain() {
    unsigned char byte = 0;
    while (::read(m_readEnd, &byte, 1) == 1) {
        emit received(byte);
    }
}

} // namespace zenko::platform
