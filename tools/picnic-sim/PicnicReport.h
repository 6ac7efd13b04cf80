#pragma once

#include <cstdint>

#include <QString>
#include <QTime>

#include "picnic-sim/PicnicSimulator.h"
#include "picnic-sim/RotatorModel.h"

// The simulator's printed lines. Scripts read them, so their shape stays put: wall clock,
// milliseconds since the simulator started, then what happened.
namespace zenko::picnic {

// "19:52:01.123"
QString FormatWallClock(const QTime& time);
// "+1234.567": milliseconds, three decimals.
QString FormatSinceStart(std::int64_t elapsedNs);

// "relay az: increase ON", "adc az: count 512 = 2.500 V", "adc az: not answered (silent)",
// "adc channel 0x85: unknown channel, not answered", "io direction", "unknown (4 bytes)".
QString DescribeCommand(const ReceivedCommand& command);

// "19:52:01.123 +1234.567 127.0.0.1:40211 03 06 01 cf 10  relay az: increase ON  (az 12.34 deg,
// el 5.00 deg)"
QString FormatCommandLine(const ReceivedCommand& command, const QTime& wallClock,
                          std::int64_t startNs);

// "19:52:01.123 +1234.567 status  az 12.34 deg 0.309 V count 63 increasing  el 5.00 deg 0.250 V
// count 51 standing", at the model's own time.
QString FormatStatusLine(const RotatorModel& model, const QTime& wallClock, std::int64_t startNs);

} // namespace zenko::picnic
