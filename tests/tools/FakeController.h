#pragma once

#include <cstdint>
#include <memory>

#include <QByteArray>
#include <QList>
#include <QUdpSocket>

#include "setvalue/SetValueCodec.h"
#include "zenko-rotctld/RotctldBridge.h"

// What the bridge's tests without the real window share.
namespace zenko::test {

// Stands in for the controller's ASCII set-value service on 127.0.0.1: keeps the set values the
// requests carry and answers each request with the angles it is told, after a delay if asked,
// or not at all. With a decoy, 127.0.0.2 first sends a reply of its own, as a foreign host might.
class FakeController {
public:
    FakeController();
    std::uint16_t port() const { return m_socket.localPort(); }

    double azimuth = 123.456;
    double elevation = 45.25;
    bool silent = false;
    bool decoy = false;
    // Delays of the next replies in ms, one taken per request; later requests are answered
    // at once.
    QList<int> delaysMs;

    QList<QByteArray> requests;
    setvalue::SetValues setValues;
    int maxUnanswered = 0;
    int answered = 0;

private:
    void serve();

    QUdpSocket m_socket;
    QUdpSocket m_decoySocket;
    int m_unanswered = 0;
};

// The bridge in this process on a free loopback port, towards `controller`; null if it could not
// listen.
std::unique_ptr<rotctld::RotctldBridge> StartBridge(const FakeController& controller,
                                                    rotctld::BridgeSettings settings = {});

} // namespace zenko::test
