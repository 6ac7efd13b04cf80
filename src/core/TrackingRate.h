#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>

// How fast a remote target moves, from the set values a tracking program sends. Times are
// seconds of one steady clock, angles degrees.
namespace zenko::core {

struct TimedAngle {
    double seconds = 0;
    double angle = 0;
};

// The least-squares slope through the points, in degrees per second; 0 for fewer than two
// points or points that span too short a time to tell a rate from rounding.
double FitRate(std::span<const TimedAngle> points);

// The target as it stands `now`: the last set value moved on at the rate, for no longer than a
// tracking program's silence is believed to mean motion.
double PredictTarget(const TimedAngle& last, double rate, double now);

class TargetRateEstimator {
public:
    // A value that the rate does not explain (a new target, a wrap through north), a silence, or
    // something that is not a number starts the estimate afresh.
    void add(double seconds, double angle);
    void reset() { m_count = 0; }
    double rate() const;
    std::optional<TimedAngle> last() const;

private:
    std::span<const TimedAngle> points() const { return {m_points.data(), m_count}; }

    // Three set values at the usual one a second follow a pass's changing rate closely enough.
    static constexpr std::size_t kPoints = 3;
    std::array<TimedAngle, kPoints> m_points{};
    std::size_t m_count = 0;
};

} // namespace zenko::core
