#pragma once

#include <cstddef>
#include <cstdint>

#include <QString>

#include "core/ControllerState.h"
#include "core/MotionGuard.h"
#include "core/ProtectionSettings.h"

// The controller's journal lines at the default level, one per event, in English.
namespace zenko::core {

enum class LinkStopCause { StopButton, ExitButton, CloseWindow, Signal };

// Ports as the window holds them; 0 or below is a service that is off.
QString LinkStartedText(const Ipv4SocketAddress& board, std::int16_t binPort, std::int16_t ascPort);
// signalNumber only for LinkStopCause::Signal.
QString LinkStoppedText(LinkStopCause cause, int signalNumber = 0);
QString EndingOnSignalText(int signalNumber);
QString StartRefusedText(const QString& message);
QString AxisSilentText(AxisId axis, std::int64_t sinceReplyMs, bool switchedOff);
QString AxisAnsweringText(AxisId axis, std::int64_t replyGapMs);
QString SetValuePeerText(std::uint32_t address, std::uint16_t port, bool binary);
QString SetValuePeerLimitText(std::size_t limit);
// A sender outside SetValue_Allow, once per address, on the service it first tried.
QString SetValueRefusedText(std::uint32_t address, bool binary);
QString SetValueRefusedLimitText(std::size_t limit);
// At Start, when SetValue_Allow holds a list.
QString SetValueAllowText(const QString& list);
QString ConfigurationText(const QString& path, std::int32_t feedbackTimeoutSeconds);
QString InstanceNameRefusedText(const QString& value);
// Only when a key of the motion guard or the soft limits is present.
QString ProtectionText(const ProtectionSettings& settings);
QString MotionTripText(AxisId axis, const MotionTripReport& trip);
QString TargetClampedText(AxisId axis, double target, double limit);
QString IoDirectionsResentText(AxisId axis, std::int64_t silenceMs);

} // namespace zenko::core
