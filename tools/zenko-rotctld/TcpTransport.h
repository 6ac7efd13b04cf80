#pragma once

#include <cstdint>

#include <QHostAddress>
#include <QObject>
#include <QString>

#include "platform/AllowList.h"
#include "platform/SeenRegister.h"
#include "zenko-rotctld/ClientLink.h"

class QTcpServer;
class QTcpSocket;

namespace zenko::rotctld {

// A client connected over TCP.
class TcpLink final : public ClientLink {
    Q_OBJECT
public:
    // Takes the socket over.
    explicit TcpLink(QTcpSocket* socket, QObject* parent = nullptr);
    ~TcpLink() override;

    QString peer() const override { return m_peer; }
    QByteArray read(qint64 maximum) override;
    bool hasBytes() const override;
    void write(const QByteArray& bytes) override;
    qint64 bytesToWrite() const override;
    void close() override;

private:
    QTcpSocket* m_socket;
    // Taken when it connects: a socket forgets its peer once the connection is gone.
    QString m_peer;
};

// Serves clients on a TCP port; with an allow-list, only the clients it admits.
class TcpTransport final : public QObject {
    Q_OBJECT
public:
    // An empty allow-list admits every client.
    TcpTransport(const QHostAddress& address, std::uint16_t port, platform::AllowList allow,
                 QObject* parent = nullptr);

    // False with errorString() when the port cannot be had.
    bool open();
    QString errorString() const { return m_error; }
    std::uint16_t serverPort() const;
    // "127.0.0.1:4533", as the journal names it.
    QString endpoint() const;

signals:
    void clientArrived(ClientLink* link);

private:
    // Every connection is taken here, and only here.
    void acceptClients();
    // Closed at once, before anything is read from it or sent to the controller.
    bool refusedClient(QTcpSocket& socket);

    QHostAddress m_address;
    std::uint16_t m_port;
    platform::AllowList m_allow;
    // Clients outside the allow-list, by address: one line per host.
    platform::SeenRegister m_refusedClients;
    QTcpServer* m_server = nullptr;
    QString m_error;
};

} // namespace zenko::rotctld
