#pragma once

namespace zenko::core {

// The straight line through two calibration points (V1, A1) and (V2, A2), extrapolated beyond
// them, neither clamped nor wrapped. Equal voltages (or a difference that is not a number)
// give 0 for every voltage.
double ConvertVoltsToAngle(double volts, double volts1, double volts2, double angle1,
                           double angle2);

// A new point must lie at least this far, in volts, from the other point of the same axis.
inline constexpr double kMinimumCalibrationSpan = 0.01;

enum class CalibrationVerdict { Accepted, AzError, ElError };

// Compares each new voltage only with the other point's voltage of the same axis; azimuth is
// tested first and a refused azimuth leaves elevation untested.
CalibrationVerdict CheckCalibrationPoint(double otherAzVolt, double newAzVolt, double otherElVolt,
                                         double newElVolt);

} // namespace zenko::core
