#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include "zenko-rotctld/ClientLink.h"

class QSocketNotifier;

namespace zenko::rotctld {

class PtyTransport;

// The program that has the pseudo-terminal open now, or the next one to open it.
class PtyLink final : public ClientLink {
    Q_OBJECT
public:
    PtyLink(PtyTransport& transport, const QString& peer);

    QString peer() const override { return m_peer; }
    QByteArray read(qint64 maximum) override;
    bool hasBytes() const override { return !m_buffer.isEmpty(); }
    void write(const QByteArray& bytes) override;
    // A serial line has no flow control here: what the client does not take in time is lost.
    qint64 bytesToWrite() const override { return 0; }
    void close() override;

private:
    friend class PtyTransport;
    PtyTransport& m_transport;
    QString m_peer;
    QByteArray m_buffer;
};

// Serves one client at a time on a pseudo-terminal whose follower end is linked at a path, so
// that a program made for a serial port opens the path as its port. The bridge holds the
// follower open itself: without that, the leader end would report a hang-up, and fail every read,
// from the moment the client first closes it until one opens it again. Openings and closings are
// watched (inotify): when the last program closes the port, its unread replies and its unfinished
// command are dropped, and the next program to open it starts afresh.
class PtyTransport final : public QObject {
    Q_OBJECT
public:
    explicit PtyTransport(const QString& path, QObject* parent = nullptr);
    ~PtyTransport() override;
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;

    // Opens the pseudo-terminal and links it at the path; false with errorString() when either
    // fails. A link left behind by a bridge that was killed is replaced; anything else at the
    // path is left alone and refused.
    bool open();
    QString errorString() const { return m_error; }
    // "/run/zenko-rotctld/gs232b (/dev/pts/3)", as the journal names it.
    QString endpoint() const;

signals:
    void clientArrived(ClientLink* link);

private:
    friend class PtyLink;
    bool holdFollower();
    void watchFollower();
    void readLeader();
    void readOpenings();
    void endSession();
    void write(const QByteArray& bytes);
    void take(PtyLink& link, qint64 taken);
    void newLink();

    QString m_path;
    QString m_follower;
    int m_leaderFd = -1;
    int m_followerFd = -1;
    int m_watchFd = -1;
    int m_watch = -1;
    QSocketNotifier* m_leaderNotifier = nullptr;
    QSocketNotifier* m_watchNotifier = nullptr;
    PtyLink* m_link = nullptr;
    // Openings of the follower by clients not yet closed again.
    int m_opens = 0;
    // The follower was opened anew after a hang-up, and no client has opened it or sent a byte
    // since: a second hang-up then cannot be mended.
    bool m_reopened = false;
    bool m_linked = false;
    QString m_error;
};

} // namespace zenko::rotctld
