#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "core/TrackingRate.h"

// The tracking drive of one axis: when to switch its relay on, and the moment to switch it off so
// that it comes to rest on its aim point. The axis's speed, the lag of its start and its coast are
// learnt from the readings. Times are seconds of one steady clock, angles degrees, +1 the relay
// that increases the angle and -1 the one that decreases it.
namespace zenko::core {

// What an axis is first believed to do before its readings tell otherwise: a relay rotator of
// the common kind. The first long drive corrects all three.
struct AxisMotion {
    double speed = 4.0;
    double startLag = 0.1;
    double coast = 0.3;
};

// Where the axis stops if its relay is switched off at `offSeconds`, the relay having been on in
// `direction` since `onSeconds`, seen at `reading` (taken while it was on, or just before).
double PredictStop(const AxisMotion& motion, int direction, double onSeconds,
                   const TimedAngle& reading, double offSeconds);

// When to switch a relay off, driven in `direction` since `onSeconds`, so that the axis stops on
// an aim point that stands at `aim` now and moves at `aimRate`; nullopt when the aim outruns the
// axis. Never before the motor has started to turn.
std::optional<double> PlanStop(const AxisMotion& motion, int direction, double onSeconds,
                               const TimedAngle& reading, double aim, double aimRate);

// A moving target is met a little ahead of where it is, so that it passes the resting antenna and
// the next drive comes later.
double AimAhead(double target, double rate);

struct TrackingOrder {
    int direction = 0;
    // Set while driving: when the pulse timer is to switch the relay off, from now.
    std::optional<double> offAfterSeconds;
    friend bool operator==(const TrackingOrder&, const TrackingOrder&) = default;
};

class TrackingAxis {
public:
    // One control step at a fresh reading. The target is where it stands at the reading's time.
    TrackingOrder step(const TimedAngle& reading, double target, double targetRate,
                       double stepSeconds);
    // The relay was switched off by other means (the output check box).
    void switchedOff(double seconds);

    const AxisMotion& motion() const { return m_motion; }
    int direction() const { return m_direction; }

private:
    void endDrive(double seconds);
    void learn(const TimedAngle& reading);
    void learnFromDrive(double restingAngle);
    double restingAngle() const;

    AxisMotion m_motion;
    int m_direction = 0;
    double m_onSeconds = 0;
    double m_offSeconds = -1e9;
    std::optional<double> m_plannedOff;
    TimedAngle m_startReading;
    TimedAngle m_lastReading;
    std::optional<TimedAngle> m_speedAnchor;
    bool m_lagLearnt = false;
    // Where the last full-speed drive was believed to end without its coast.
    std::optional<double> m_coastFrom;
    int m_coastDirection = 0;
    double m_driveSeconds = 0;
    // Readings since the axis came to rest, so that one noisy reading never starts a drive.
    static constexpr std::size_t kRestReadings = 6;
    std::array<double, kRestReadings> m_rest{};
    std::size_t m_restCount = 0;
};

} // namespace zenko::core
