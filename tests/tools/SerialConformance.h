#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include "zenko-rotctld/ProtocolCodec.h"

namespace zenko::test {

// Hamlib's own driver of a serial rotator, through rotctl, against the bridge's pseudo-terminal at
// `path` and the real window on a simulated board: it sets a position and reads it back once the
// antenna has arrived, stops the antenna on its way to another, and parks where the driver can.
// Fails the running test on the first fault.
void ServeHamlibDriver(int model, rotctld::Protocol protocol, bool parks, const QString& path);

struct HamlibDriver {
    const char* name;
    int model;
    rotctld::Protocol protocol;
    // Hamlib's GS-232 and Rot2Prog drivers have no park.
    bool parks;
};

// The drivers a binary serves, a row each, skipped without rotctl. The drivers take long, so they
// are spread over binaries that run side by side.
class SerialConformanceTest : public QObject {
    Q_OBJECT
public:
    explicit SerialConformanceTest(QList<HamlibDriver> drivers) : m_drivers(std::move(drivers)) {}

private slots:
    void initTestCase();
    void hamlibsDriverPointsTheAntenna_data();
    void hamlibsDriverPointsTheAntenna();

private:
    QList<HamlibDriver> m_drivers;
    QTemporaryDir m_dir;
};

// A binary's main: the test of these drivers in the window's application.
int RunSerialConformance(int argc, char** argv, QList<HamlibDriver> drivers);

} // namespace zenko::test
