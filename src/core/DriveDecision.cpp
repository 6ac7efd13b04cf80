#include "core/DriveDecision.h"

#include <cmath>

#include "platform/Numbers.h"

namespace zenko::core {

std::int32_t ComputeDriveTime(double error, std::int32_t intervalMs) {
    const double magnitude = std::fabs(error);
    const double driveTime =
        magnitude >= kFullDriveError ? intervalMs : (intervalMs * magnitude) * 0.025;
    return platform::TruncateToInt32(driveTime);
}

DriveOrder DecideDrive(double error, std::int32_t driveTime) {
    if (std::isnan(error)) {
        return {};
    }
    if (error >= kFullDriveError) {
        return {false, true, std::nullopt, driveTime, 0};
    }
    if (error >= kDeadBand) {
        return {false, true, driveTime, driveTime, 0};
    }
    if (error > -kDeadBand) {
        return {};
    }
    if (error > -kFullDriveError) {
        return {true, false, driveTime, 0, driveTime};
    }
    return {true, false, std::nullopt, 0, driveTime};
}

} // namespace zenko::core
