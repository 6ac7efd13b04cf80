#include "IdealFollower.h"

#include <algorithm>
#include <cmath>

namespace zenko::bench {

namespace {

constexpr double kStepSeconds = 0.001;

struct FollowerAxis {
    double angle = 0.0;
    // +1, -1 or 0.
    int drive = 0;

    // True when the relay state changed.
    bool step(double error, double speed, double deadBand) {
        const int before = drive;
        if (drive == 0 && std::fabs(error) >= deadBand) {
            drive = error > 0.0 ? 1 : -1;
        } else if (drive != 0 && error * drive <= 0.0) {
            drive = 0;
        }
        angle += drive * speed * kStepSeconds;
        return drive != before;
    }
};

} // namespace

TrackingRecord FollowIdeally(const SatellitePass& pass, const FollowerRun& run) {
    TrackingRecord record;
    const SkyPosition first = pass.at(run.start);
    FollowerAxis azimuth{first.azimuth, 0};
    FollowerAxis elevation{first.elevation, 0};
    const auto steps =
        static_cast<long long>(std::ceil((run.windowEnd - run.start) / kStepSeconds));
    const auto stepsPerSample = std::max(1LL, std::llround(run.sampleSeconds / kStepSeconds));
    for (long long i = 0; i <= steps; ++i) {
        const double seconds = run.start + static_cast<double>(i) * kStepSeconds;
        const SkyPosition target = pass.at(seconds);
        const bool inWindow = seconds >= run.windowStart && seconds <= run.windowEnd;
        if (inWindow && i % stepsPerSample == 0) {
            record.addSample({azimuth.angle, elevation.angle}, target);
        }
        const bool azimuthChanged = azimuth.step(AzimuthDifference(target.azimuth, azimuth.angle),
                                                 run.azimuthSpeed, run.deadBand);
        const bool elevationChanged =
            elevation.step(target.elevation - elevation.angle, run.elevationSpeed, run.deadBand);
        if (inWindow) {
            record.azimuthChanges += azimuthChanged ? 1 : 0;
            record.elevationChanges += elevationChanged ? 1 : 0;
        }
    }
    return record;
}

} // namespace zenko::bench
