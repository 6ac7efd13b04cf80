#pragma once

#include "SatellitePass.h"
#include "TrackingRecord.h"

namespace zenko::bench {

struct FollowerRun {
    // Degrees per second of each axis; the motors start and stop at once.
    double azimuthSpeed = 0.0;
    double elevationSpeed = 0.0;
    // An axis starts when it is this far (degrees) from the satellite and runs until it has
    // caught up with it.
    double deadBand = 1.0;
    // Pass seconds: the follower stands on the pass's position at `start`, the record covers
    // windowStart..windowEnd with a sample every `sampleSeconds`.
    double start = 0.0;
    double windowStart = 0.0;
    double windowEnd = 0.0;
    double sampleSeconds = 0.05;
};

// The best a relay rotator of these speeds can do with the satellite's true position known at
// every instant: bang-bang control, stepped every millisecond. A yardstick for the controller.
TrackingRecord FollowIdeally(const SatellitePass& pass, const FollowerRun& run);

} // namespace zenko::bench
