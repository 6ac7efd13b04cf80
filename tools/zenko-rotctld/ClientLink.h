#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace zenko::rotctld {

// One client's byte stream, whatever carries it: a TCP connection, or the pseudo-terminal while a
// program holds it open. The bridge reads from it only as fast as it gets through the commands.
class ClientLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // How the journal names the client ("127.0.0.1:52952", the pseudo-terminal's path).
    virtual QString peer() const = 0;
    // Up to `maximum` of the bytes that have arrived.
    virtual QByteArray read(qint64 maximum) = 0;
    virtual bool hasBytes() const = 0;
    virtual void write(const QByteArray& bytes) = 0;
    // Replies written but not yet taken by the client.
    virtual qint64 bytesToWrite() const = 0;
    // Ends the client after the replies written before; closed() follows.
    virtual void close() = 0;

signals:
    void readyRead();
    void bytesWritten();
    // The client is gone; the link is not used after this.
    void closed();
};

} // namespace zenko::rotctld
