#pragma once

#include <deque>
#include <optional>

// Whether an axis that is driven moves the way it is driven. An end stop, a jammed bearing, a
// potentiometer whose reading froze and relays or a potentiometer wired the wrong way round all
// leave the readings coming, so the feedback guard never sees them; a motor driven against its
// stop burns. Times are seconds of one steady clock, angles degrees, +1 the relay that increases
// the angle and -1 the one that decreases it.
namespace zenko::core {

// The movement in the driven direction that the last timeout's worth of drive must show. Two
// readings of a still axis differ by the noise of both: with 0.3 deg rms each (and a count of
// about 0.4 deg) the difference has about 0.45 deg rms, so 2 deg lies 4.5 standard deviations
// out and one pair in hundreds of thousands crosses it by chance. A working axis covers it many
// times over in a few seconds of drive, even in the usual law's shortest pulses near the dead
// band.
inline constexpr double kClearMovement = 2.0;

enum class MotionTrip { Stalled, Reversed };

struct MotionTripReport {
    MotionTrip kind = MotionTrip::Stalled;
    // The relay that was on: +1 or -1.
    int direction = 0;
    // The relay on-time in that direction over which the readings were compared.
    double driveSeconds = 0;
    // The reading's change over that time, signed as the angle.
    double movedDegrees = 0;
    friend bool operator==(const MotionTripReport&, const MotionTripReport&) = default;
};

class MotionGuard {
public:
    // A timeout of 0 or less never trips.
    explicit MotionGuard(double timeoutSeconds = 0);

    // Every relay command sent for the axis: +1, -1 or 0 (off). Pulses count as they last.
    void relay(double seconds, int direction);
    // Every accepted reading of the axis.
    std::optional<MotionTripReport> reading(double seconds, double angle);
    // Between readings: the drive goes on while the readings stand.
    std::optional<MotionTripReport> check(double seconds);

    // Whether a timeout is set, so that the guard can trip at all.
    bool armed() const { return m_timeout > 0; }
    // Until Stop and Start: a stalled direction gets no drive, a reversed axis none at all.
    bool allows(int direction) const;
    bool stalled() const { return m_stalled[0] || m_stalled[1]; }
    bool reversed() const { return m_reversed; }

    // The movement in the driven direction over the last timeout's worth of drive, as the next
    // check compares it with kClearMovement; nothing before that much drive.
    std::optional<double> movementOverTimeout(double seconds) const;

private:
    struct Reading {
        double onSeconds;
        double angle;
    };
    double onSeconds(double seconds) const;
    void forgetOlderThanWindow(double onSeconds);

    double m_timeout;
    // The relay as last commanded, and since when.
    int m_relay = 0;
    double m_relaySince = 0;
    // The direction watched, the last one driven, with its on-time; the watch goes on across
    // pauses in the drive and starts afresh when the axis is driven the other way.
    int m_watched = 0;
    double m_watchedOnSeconds = 0;
    // The watch's readings stamped with the on-time when they came: the newest, and the newest
    // of those taken a timeout's worth of drive before it, with whatever lies between.
    std::deque<Reading> m_readings;
    std::optional<double> m_lastAngle;
    // Increase, decrease.
    bool m_stalled[2] = {false, false};
    bool m_reversed = false;
};

} // namespace zenko::core
