#pragma once

#include <cstdint>
#include <memory>

#include <QByteArray>
#include <QStringList>

#include "support/LinkFixture.h"
#include "zenko-rotctld/RotctldBridge.h"

// Hamlib's own client, rotctl, against the bridge and the real window on a simulated board: what
// the tests of the bridge with Hamlib share.
namespace zenko::test {

// Why a test with rotctl is skipped on a machine without it.
inline constexpr char kNoRotctl[] = "rotctl (Debian package libhamlib-utils) is not installed";
bool RotctlInstalled();

// rotctl is given this long to finish.
constexpr int kRotctlLimitMs = 20000;

// A board whose axes start at these angles and turn at the same moderate speed.
picnic::SimulatorOptions HamlibBoard(double azimuth, double elevation);

struct RotctlRun {
    bool finished = false;
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

// Hamlib's own client through its network rotator, as a tracking program would use it. The
// window, the simulated board and the bridge live in this thread's event loop, so this waits for
// the process without blocking that loop.
RotctlRun Rotctl(std::uint16_t port, const QStringList& commands);
// Hamlib's driver of that rotator model on that device, a serial port or the bridge's
// pseudo-terminal: rotctl -m MODEL -r DEVICE.
RotctlRun RotctlModel(int model, const QString& device, const QStringList& commands);

// The bridge in this process, on a free loopback TCP port, towards the controller's ASCII port;
// null if it could not listen.
std::unique_ptr<rotctld::RotctldBridge> StartBridge(const LinkFixture& link,
                                                    rotctld::BridgeSettings settings = {});

double ModelAngle(const LinkFixture& link, picnic::Axis axis);

// True once both axes of the simulated antenna have stood still for longer than a control
// interval within `near` degrees of the target: the controller has stopped driving them, so
// its reading no longer changes. Records the farthest azimuth on the way.
bool ComesToRestNear(const LinkFixture& link, double azimuth, double elevation, double near,
                     double& farthestAzimuth);

} // namespace zenko::test
