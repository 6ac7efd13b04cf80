#include "core/AngleCalibration.h"

#include <cmath>

namespace zenko::core {

double ConvertVoltsToAngle(double volts, double volts1, double volts2, double angle1,
                           double angle2) {
    const double span = volts2 - volts1;
    if (span == 0 || std::isnan(span)) {
        return 0;
    }
    return angle1 + ((volts - volts1) * (angle2 - angle1)) / span;
}

namespace {

bool TooClose(double other, double candidate) {
    const double distance = std::fabs(other - candidate);
    return std::isnan(distance) || distance < kMinimumCalibrationSpan;
}

} // namespace

CalibrationVerdict CheckCalibrationPoint(double otherAzVolt, double newAzVolt, double otherElVolt,
                                         double newElVolt) {
    if (TooClose(otherAzVolt, newAzVolt)) {
        return CalibrationVerdict::AzError;
    }
    if (TooClose(otherElVolt, newElVolt)) {
        return CalibrationVerdict::ElError;
    }
    return CalibrationVerdict::Accepted;
}

} // namespace zenko::core
