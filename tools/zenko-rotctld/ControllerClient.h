#pragma once

#include <cstdint>

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

class QUdpSocket;

namespace zenko::rotctld {

// "127.0.0.1:10006", or "[::1]:10006" for IPv6.
QString Endpoint(const QHostAddress& address, std::uint16_t port);

// The controller's ASCII set-value service, one request at a time: each request is answered, or
// times out, before the next is sent. Its silences go to the journal once each, not once per
// request.
class ControllerClient : public QObject {
    Q_OBJECT
public:
    ControllerClient(const QHostAddress& address, std::uint16_t port, int timeoutMs,
                     QObject* parent = nullptr);
    ~ControllerClient() override;
    ControllerClient(const ControllerClient&) = delete;
    ControllerClient& operator=(const ControllerClient&) = delete;

    // Opens the socket; false with errorString() when it cannot be had.
    bool open();
    QString errorString() const { return m_error; }
    QString endpoint() const { return m_endpoint; }
    // Sends a request; answered() or timedOut() follows, unless it could not be sent (false).
    bool send(const QByteArray& request);

signals:
    void answered(const QByteArray& reply);
    void timedOut();

private:
    void readDatagrams();
    void expire();

    QHostAddress m_address;
    std::uint16_t m_port;
    int m_timeoutMs;
    QString m_endpoint;
    QUdpSocket* m_socket = nullptr;
    QTimer m_timeout;
    bool m_waiting = false;
    // The controller let a request time out and has not answered since.
    bool m_silent = false;
    QString m_error;
};

} // namespace zenko::rotctld
