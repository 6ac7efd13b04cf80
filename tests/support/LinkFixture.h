#pragma once

#include <memory>

#include <QByteArray>
#include <QList>

#include "picnic-sim/PicnicSimulator.h"
#include "support/TestSupport.h"

namespace zenko::test {

// A simulated board whose axes start at these angles and turn at `speed` degrees a second.
picnic::SimulatorOptions BoardAt(double azimuth, double elevation, double speed);

// The keys of [ZENKO] that choose the Local source with these whole-degree targets.
QByteArray LocalTarget(int azimuth, int elevation);

// A free UDP port on loopback at the time of asking.
std::uint16_t FreeUdpPort();

// The real window wired to an in-process simulated board on 127.0.0.1. The ZENKO.ini it writes
// names only loopback addresses, so the link never leaves this machine.
struct LinkFixture {
    explicit LinkFixture(const picnic::SimulatorOptions& board = {},
                         const QByteArray& extraIni = {});

private:
    std::unique_ptr<picnic::PicnicSimulator> m_board;

public:
    picnic::PicnicSimulator& board;
    std::uint16_t binPort = 0;
    std::uint16_t ascPort = 0;
    std::unique_ptr<WindowFixture> window;

    CControllerDlg& dlg() const { return *window->window; }
    // Starts the link, choosing other receiving ports if another program took them meanwhile.
    void start();
    // The commands the board received, as hex texts.
    QList<QByteArray> commandsHex() const;
    // Waits (bounded) until the board has received at least `count` commands.
    bool waitForCommands(qsizetype count, int timeoutMs = 5000) const;
};

// One axis' relay commands (by their mask byte) from the index-th datagram on: their indices, the
// relay byte each writes, and whether it drives.
struct Relays {
    QList<qsizetype> at;
    QList<std::uint8_t> bytes;
    QList<bool> drives;
};
Relays RelaysOf(const LinkFixture& link, char mask, qsizetype from = 0);

} // namespace zenko::test
