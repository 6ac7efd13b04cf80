#include "zenko-rotctld/PtyTransport.h"

#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QSocketNotifier>

#include "zenko-rotctld/RotctldJournal.h"

namespace zenko::rotctld {

namespace {

// Bytes a client may send ahead of the commands the bridge is working through; beyond them the
// bridge stops reading, and the pseudo-terminal's own buffer fills.
constexpr qsizetype kMaxBuffered = 64 * 1024;
constexpr mode_t kAnyLocalUser = 0666;

// `error` is errno as the failing call left it.
QString SystemError(const QString& what, int error) {
    return what + QLatin1String(": ") + QString::fromLocal8Bit(std::strerror(error));
}

QString LinkTarget(const QByteArray& path) {
    std::array<char, 4096> target{};
    const ssize_t length = ::readlink(path.constData(), target.data(), target.size() - 1);
    return length < 0 ? QString() : QString::fromLocal8Bit(target.data(), length);
}

} // namespace

PtyLink::PtyLink(PtyTransport& transport, const QString& peer)
    : ClientLink(&transport), m_transport(transport), m_peer(peer) {}

QByteArray PtyLink::read(qint64 maximum) {
    const QByteArray taken = m_buffer.left(maximum);
    m_transport.take(*this, taken.size());
    return taken;
}

void PtyLink::write(const QByteArray& bytes) {
    if (m_transport.m_link == this) {
        m_transport.write(bytes);
    }
}

void PtyLink::close() {
    // A client cannot be disconnected from a serial port: the bridge forgets what it sent, and
    // what follows begins anew.
    if (m_transport.m_link == this) {
        m_transport.endSession();
    }
}

PtyTransport::PtyTransport(const QString& path, QObject* parent) : QObject(parent), m_path(path) {}

PtyTransport::~PtyTransport() {
    const QByteArray path = QFile::encodeName(m_path);
    // Only our own link: another bridge may have taken the path over.
    if (m_linked && LinkTarget(path) == m_follower) {
        ::unlink(path.constData());
    }
    for (const int fd : {m_watchFd, m_followerFd, m_leaderFd}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool PtyTransport::open() {
    m_leaderFd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::array<char, 128> name{};
    if (m_leaderFd < 0 || ::grantpt(m_leaderFd) != 0 || ::unlockpt(m_leaderFd) != 0 ||
        ::ptsname_r(m_leaderFd, name.data(), name.size()) != 0 ||
        ::fcntl(m_leaderFd, F_SETFL, O_NONBLOCK) != 0) {
        m_error = SystemError(QStringLiteral("cannot open a pseudo-terminal"), errno);
        return false;
    }
    m_follower = QString::fromLocal8Bit(name.data());
    if (!holdFollower()) {
        return false;
    }
    // Like the loopback TCP port, open to every program of this machine: a service running as a
    // user of its own would otherwise be unreachable.
    if (::fchmod(m_followerFd, kAnyLocalUser) != 0) {
        m_error =
            SystemError(QStringLiteral("cannot open the pseudo-terminal to its clients"), errno);
        return false;
    }
    const QByteArray path = QFile::encodeName(m_path);
    struct stat status {};
    if (::lstat(path.constData(), &status) == 0) {
        if (!S_ISLNK(status.st_mode)) {
            m_error = QStringLiteral("--pty %1: exists and is not a link").arg(m_path);
            return false;
        }
        const QString target = LinkTarget(path);
        if (::stat(path.constData(), &status) == 0) {
            m_error = QStringLiteral("--pty %1: already links to %2; remove it if no other "
                                     "bridge serves it")
                          .arg(m_path, target);
            return false;
        }
        ::unlink(path.constData());
    }
    if (::symlink(name.data(), path.constData()) != 0) {
        const int error = errno;
        m_error = SystemError(QStringLiteral("--pty %1: cannot link it").arg(m_path), error);
        return false;
    }
    m_linked = true;
    watchFollower();
    // Registered after the watch, so that a closing is seen before the bytes of the next client.
    m_leaderNotifier = new QSocketNotifier(m_leaderFd, QSocketNotifier::Read, this);
    connect(m_leaderNotifier, &QSocketNotifier::activated, this, &PtyTransport::readLeader);
    newLink();
    return true;
}

QString PtyTransport::endpoint() const {
    return m_path + QLatin1String(" (") + m_follower + QLatin1Char(')');
}

bool PtyTransport::holdFollower() {
    if (m_followerFd >= 0) {
        ::close(m_followerFd);
    }
    m_followerFd = ::open(QFile::encodeName(m_follower).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (m_followerFd < 0 || ::tcgetattr(m_followerFd, &settings) != 0) {
        m_error = SystemError(QStringLiteral("cannot open the pseudo-terminal's follower"), errno);
        return false;
    }
    // Raw for every client, including one that sets nothing itself: an echo would send each reply
    // back as a command, and CR to LF translations would change the commands' line ends.
    ::cfmakeraw(&settings);
    if (::tcsetattr(m_followerFd, TCSANOW, &settings) != 0) {
        m_error = SystemError(QStringLiteral("cannot make the pseudo-terminal raw"), errno);
        return false;
    }
    return true;
}

void PtyTransport::watchFollower() {
    if (m_watchFd < 0) {
        m_watchFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_watchFd < 0) {
            qCWarning(lcRotctld, "%s: its clients' comings and goings cannot be watched",
                      qUtf8Printable(m_path));
            return;
        }
        m_watchNotifier = new QSocketNotifier(m_watchFd, QSocketNotifier::Read, this);
        connect(m_watchNotifier, &QSocketNotifier::activated, this, &PtyTransport::readOpenings);
    }
    m_watch = ::inotify_add_watch(m_watchFd, QFile::encodeName(m_follower).constData(),
                                  IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
}

void PtyTransport::readOpenings() {
    if (m_watchFd < 0) {
        return;
    }
    alignas(inotify_event) std::array<char, 4096> events{};
    ssize_t length = 0;
    while ((length = ::read(m_watchFd, events.data(), events.size())) > 0) {
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events.data() + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->wd != m_watch) {
                continue;
            }
            if ((event->mask & IN_OPEN) != 0 && m_opens++ == 0) {
                qCInfo(lcRotctld, "client opened %s", qUtf8Printable(m_path));
                // A client of the fresh terminal may hang it up in its turn, and is mended too.
                m_reopened = false;
            }
            if ((event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) != 0 && m_opens > 0 &&
                --m_opens == 0) {
                qCInfo(lcRotctld, "client closed %s", qUtf8Printable(m_path));
                endSession();
            }
        }
    }
}

void PtyTransport::readLeader() {
    // A client that closed the port and the next one that wrote to it at once are told apart
    // only by the closing, which must be taken first.
    readOpenings();
    std::array<char, 4096> chunk{};
    while (m_link->m_buffer.size() < kMaxBuffered) {
        const ssize_t length = ::read(m_leaderFd, chunk.data(), chunk.size());
        if (length > 0) {
            m_reopened = false;
            m_link->m_buffer.append(chunk.data(), length);
            continue;
        }
        if (length < 0 && (errno == EAGAIN || errno == EINTR)) {
            break;
        }
        // A hang-up of the terminal (a client that made it its controlling terminal ended its
        // session) cuts every file of it, the bridge's own included; a fresh one mends it.
        if (!m_reopened) {
            m_reopened = true;
            if (m_watch >= 0) {
                ::inotify_rm_watch(m_watchFd, m_watch);
            }
            m_opens = 0;
            endSession();
            if (holdFollower()) {
                watchFollower();
                continue;
            }
        }
        qCWarning(lcRotctld, "%s: the pseudo-terminal hung up and cannot be read (%s)",
                  qUtf8Printable(m_path), std::strerror(errno));
        m_leaderNotifier->setEnabled(false);
        break;
    }
    if (m_link->m_buffer.size() >= kMaxBuffered) {
        m_leaderNotifier->setEnabled(false);
    }
    if (!m_link->m_buffer.isEmpty()) {
        emit m_link->readyRead();
    }
}

void PtyTransport::take(PtyLink& link, qint64 taken) {
    link.m_buffer.remove(0, taken);
    if (&link == m_link && link.m_buffer.size() < kMaxBuffered && m_leaderNotifier != nullptr &&
        !m_leaderNotifier->isEnabled()) {
        m_leaderNotifier->setEnabled(true);
    }
}

void PtyTransport::write(const QByteArray& bytes) {
    const ssize_t written = ::write(m_leaderFd, bytes.constData(), std::size_t(bytes.size()));
    if (written != bytes.size()) {
        qCDebug(lcRotctld) << "not taken by the pseudo-terminal:"
                           << bytes.mid(written < 0 ? 0 : written);
    }
}

void PtyTransport::endSession() {
    // The replies the client left unread would otherwise greet the next one.
    ::tcflush(m_followerFd, TCIFLUSH);
    PtyLink* ended = m_link;
    newLink();
    emit ended->closed();
}

void PtyTransport::newLink() {
    m_link = new PtyLink(*this, m_path);
    if (m_leaderNotifier != nullptr) {
        m_leaderNotifier->setEnabled(true);
    }
    emit clientArrived(m_link);
}

} // namespace zenko::rotctld
