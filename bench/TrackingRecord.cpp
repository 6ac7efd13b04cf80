#include "TrackingRecord.h"

#include <cmath>

namespace zenko::bench {

void TrackingRecord::addSample(const SkyPosition& antenna, const SkyPosition& target) {
    separation.push_back(AngularSeparation(antenna, target));
    azimuthError.push_back(std::fabs(AzimuthDifference(antenna.azimuth, target.azimuth)));
    elevationError.push_back(std::fabs(antenna.elevation - target.elevation));
}

} // namespace zenko::bench
