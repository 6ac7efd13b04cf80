#pragma once

#include <cstdint>
#include <optional>

#include "core/MotionGuard.h"

// What one axis may do, from its motion guard and its soft limits: the one answer that both
// drive laws ask for before they drive, so that no law can bypass a guard. The feedback guard
// holds a silent axis off before this is asked. Times are seconds of one steady clock, angles
// degrees, +1 the relay that increases the angle and -1 the one that decreases it.
namespace zenko::core {

// The direction of an axis' relay command: +1 increase, -1 decrease, 0 off.
inline int RelayDirection(bool increaseOn, bool decreaseOn) {
    return (increaseOn ? 1 : 0) - (decreaseOn ? 1 : 0);
}

// Limits a few degrees inside the rotator's mechanical stops.
struct AngleLimits {
    bool active = false;
    double minimum = 0;
    double maximum = 0;
    friend bool operator==(const AngleLimits&, const AngleLimits&) = default;
};

// Both keys of the pair present and minimum < maximum give limits; anything else none.
AngleLimits LimitsFrom(std::optional<std::int32_t> minimum, std::optional<std::int32_t> maximum);

struct TargetClamp {
    // What drives the axis.
    double target = 0;
    // The limit the target was clamped to, while it is.
    std::optional<double> limit;
    // Only when the clamp at this limit begins, so that the journal tells it once.
    bool begins = false;
    friend bool operator==(const TargetClamp&, const TargetClamp&) = default;
};

struct ProtectionEvent {
    std::optional<MotionTripReport> trip;
    // The relay is on in a direction the axis may no longer be driven: it goes off now.
    bool switchOff = false;
};

// Whether a control step lets the motion guard judge the axis without a new reading. With the
// feedback guard on, an axis whose last reply is older than one control interval is that guard's
// to judge, so that a board that restarts is not taken for an axis that does not move; without
// it the motion guard's clock runs on, and an axis driven on a reading that no longer comes is
// stopped as one that does not move.
bool MotionJudgedWithoutReading(bool feedbackGuard, std::int64_t sinceReplyMs,
                                std::uint32_t controlIntervalSeconds);

class AxisProtection {
public:
    AxisProtection() = default;
    // A timeout of 0 or less leaves the motion guard off.
    AxisProtection(double stallTimeoutSeconds, const AngleLimits& limits);

    // Whether any guard of this class is configured; without one it allows everything.
    bool active() const { return m_motion.armed() || m_limits.active; }

    // Every relay command sent for the axis.
    void relay(double seconds, int direction);
    // Every accepted reading, as an angle.
    ProtectionEvent reading(double seconds, double angle);
    // At each control step, before the drive is decided, when MotionJudgedWithoutReading.
    ProtectionEvent check(double seconds);

    // Whether the axis, read at `angle`, may be driven in `direction` now. Standing still is
    // always allowed; at or beyond a limit (or at an angle that is not a number) it is never
    // driven further out.
    bool mayDrive(int direction, double angle) const;
    // The target that drives the axis: the selected one clamped into the limits.
    TargetClamp clampTarget(double target);

    std::optional<double> movementOverTimeout(double seconds) const {
        return m_motion.movementOverTimeout(seconds);
    }
    bool stalled() const { return m_motion.stalled(); }
    bool reversed() const { return m_motion.reversed(); }
    bool clamped() const { return m_clampedTo.has_value(); }

private:
    MotionGuard m_motion;
    AngleLimits m_limits;
    int m_relay = 0;
    std::optional<double> m_clampedTo;
};

} // namespace zenko::core
