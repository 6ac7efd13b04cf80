#include "core/TrackingRate.h"

#include <algorithm>
#include <cmath>

namespace zenko::core {

namespace {

// Set values are sent with a hundredth of a degree; over less than this the rounding alone
// would read as a rate.
constexpr double kMinimumSpanSeconds = 0.5;
// A tracking program sends about once a second; after this long without one the motion it
// implied is not believed any more.
constexpr double kSilenceSeconds = 6.0;
constexpr double kPredictionHorizonSeconds = 3.0;
// Larger than any rotator can follow, smaller than a wrap or a new target.
constexpr double kJumpDegrees = 5.0;
constexpr double kMaximumRate = 30.0;

} // namespace

double FitRate(std::span<const TimedAngle> points) {
    if (points.size() < 2 || points.back().seconds - points.front().seconds < kMinimumSpanSeconds) {
        return 0.0;
    }
    double meanTime = 0;
    double meanAngle = 0;
    for (const TimedAngle& point : points) {
        meanTime += point.seconds;
        meanAngle += point.angle;
    }
    meanTime /= static_cast<double>(points.size());
    meanAngle /= static_cast<double>(points.size());
    double covariance = 0;
    double variance = 0;
    for (const TimedAngle& point : points) {
        covariance += (point.seconds - meanTime) * (point.angle - meanAngle);
        variance += (point.seconds - meanTime) * (point.seconds - meanTime);
    }
    const double rate = covariance / variance;
    return std::isfinite(rate) ? std::clamp(rate, -kMaximumRate, kMaximumRate) : 0.0;
}

double PredictTarget(const TimedAngle& last, double rate, double now) {
    const double ahead = std::clamp(now - last.seconds, 0.0, kPredictionHorizonSeconds);
    return last.angle + rate * ahead;
}

void TargetRateEstimator::add(double seconds, double angle) {
    if (!std::isfinite(seconds) || !std::isfinite(angle)) {
        reset();
        return;
    }
    if (m_count > 0) {
        const TimedAngle& newest = m_points[m_count - 1];
        const bool silent = seconds - newest.seconds > kSilenceSeconds || seconds < newest.seconds;
        const double predicted = newest.angle + rate() * (seconds - newest.seconds);
        if (silent || std::fabs(angle - predicted) > kJumpDegrees) {
            reset();
        }
    }
    if (m_count == kPoints) {
        std::rotate(m_points.begin(), m_points.begin() + 1, m_points.end());
        --m_count;
    }
    m_points[m_count++] = {seconds, angle};
}

double TargetRateEstimator::rate() const {
    return FitRate(points());
}

std::optional<TimedAngle> TargetRateEstimator::last() const {
    if (m_count == 0) {
        return std::nullopt;
    }
    return m_points[m_count - 1];
}

} // namespace zenko::core
