#pragma once

#include <vector>

#include "SatellitePass.h"

namespace zenko::bench {

// What a tracking run collects inside its measured window: the pointing error at each sample
// and the relay state changes of each axis (off, increase, decrease: any change counts once).
struct TrackingRecord {
    // Degrees on the sky.
    std::vector<double> separation;
    // Magnitudes, degrees of each axis (azimuth degrees, not scaled by the elevation).
    std::vector<double> azimuthError;
    std::vector<double> elevationError;
    int azimuthChanges = 0;
    int elevationChanges = 0;

    void addSample(const SkyPosition& antenna, const SkyPosition& target);
};

} // namespace zenko::bench
