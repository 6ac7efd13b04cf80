#include "picnic-sim/CommandInput.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace zenko::picnic {

namespace {

constexpr int kChunkBytes = 4096;
// A line longer than this is no command; it is cut here rather than kept growing.
constexpr qsizetype kLongestLine = 1024;

} // namespace

CommandInput::CommandInput(QObject* parent) : QObject(parent) {
    if (::fcntl(STDIN_FILENO, F_GETFD) < 0) {
        return;
    }
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CommandInput::readAvailable);
}

CommandInput::~CommandInput() = default;

void CommandInput::readAvailable() {
    char chunk[kChunkBytes];
    const ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (count <= 0) {
        if (!m_pending.isEmpty()) {
            emit line(QString::fromLocal8Bit(m_pending));
            m_pending.clear();
        }
        stop();
        return;
    }
    m_pending.append(chunk, count);
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        const QByteArray text = m_pending.left(end);
        m_pending.remove(0, end + 1);
        emit line(QString::fromLocal8Bit(text));
    }
    if (m_pending.size() > kLongestLine) {
        emit line(QString::fromLocal8Bit(m_pending.left(kLongestLine)));
        m_pending.clear();
    }
}

// Called from the notifier's own signal, so it goes only when that is over.
void CommandInput::stop() {
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
    emit ended();
}

} // namespace zenko::picnic
