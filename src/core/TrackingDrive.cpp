#include "core/TrackingDrive.h"

#include <algorithm>

namespace zenko::core {

std::uint32_t TrackingStepPeriodMs(std::uint32_t controlIntervalSeconds) {
    constexpr std::uint64_t kShortestMs = 100;
    constexpr std::uint64_t kLongestMs = 500;
    return static_cast<std::uint32_t>(
        std::clamp(std::uint64_t{controlIntervalSeconds} * 250u, kShortestMs, kLongestMs));
}

AxisTarget TrackingTarget(const TargetRateEstimator& setValues, double selectedTarget,
                          bool remoteSelected, double now) {
    const auto last = setValues.last();
    if (!remoteSelected || !last || last->angle != selectedTarget) {
        return {selectedTarget, 0.0};
    }
    const double rate = setValues.rate();
    return {PredictTarget(*last, rate, now), rate};
}

} // namespace zenko::core
