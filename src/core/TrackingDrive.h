#pragma once

#include <cstdint>

#include "core/TrackingAxis.h"
#include "core/TrackingRate.h"

// What the tracking drive keeps between control steps, and the rules that feed it from the
// controller's state. Times are seconds of one steady clock.
namespace zenko::core {

// The control step's period while the tracking drive is on: a quarter of the interval, so that
// an axis is read and stopped often enough to stay within a degree of a moving target, but never
// longer than half a second whatever the interval.
std::uint32_t TrackingStepPeriodMs(std::uint32_t controlIntervalSeconds);

// Where the drive aims an axis now and how fast that point moves. The rate of the set values
// applies only while the selected target is the last set value of the Remote source; any other
// target (Local, the preset, the current angles taken over) stands still.
struct AxisTarget {
    double angle = 0;
    double rate = 0;
    friend bool operator==(const AxisTarget&, const AxisTarget&) = default;
};
AxisTarget TrackingTarget(const TargetRateEstimator& setValues, double selectedTarget,
                          bool remoteSelected, double now);

struct TrackingDriveState {
    bool enabled = false;
    // Azimuth first.
    TrackingAxis axes[2];
    TargetRateEstimator setValues[2];
    // Which axes have answered the last ADC requests; the step runs when both have.
    bool replied[2] = {false, false};
    // Requests are out and their step has not run: at the next tick it runs on whatever came,
    // so that an axis, or both, whose replies stopped is switched off and the silence is seen.
    bool awaitingStep = false;
    // Taken at Start, like the designed cycle's period.
    std::uint32_t stepMs = 0;
};

} // namespace zenko::core
