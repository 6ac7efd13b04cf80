#include "SatellitePass.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zenko::bench {

namespace {

constexpr double kEarthRadiusKm = 6371.0;
// The earth's gravitational parameter, km^3/s^2.
constexpr double kEarthMu = 398600.4418;
constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

} // namespace

SatellitePass::SatellitePass(double altitudeKm, double maximumElevation)
    : m_altitudeKm(altitudeKm), m_maximumElevation(maximumElevation) {
    const double radius = kEarthRadiusKm + altitudeKm;
    m_angularRate = std::sqrt(kEarthMu / (radius * radius * radius));
    m_radiusRatio = radius / kEarthRadiusKm;
    // In the triangle earth centre, observer, satellite: the angle at the observer is 90 deg plus
    // the elevation, so the angle at the satellite has sin = cos(elevation) / ratio.
    const double elevation = maximumElevation * kRadiansPerDegree;
    m_closestAngle =
        std::numbers::pi / 2.0 - elevation - std::asin(std::cos(elevation) / m_radiusRatio);
}

SkyPosition SatellitePass::at(double seconds) const {
    // Earth radii, the observer at (0, 0, 1) with x east, y north, z up; the orbit's plane holds
    // the point of closest approach (east of the observer) and the northward direction.
    const double along = m_angularRate * seconds;
    const double x = m_radiusRatio * std::cos(along) * std::sin(m_closestAngle);
    const double y = m_radiusRatio * std::sin(along);
    const double z = m_radiusRatio * std::cos(along) * std::cos(m_closestAngle) - 1.0;
    const double range = std::sqrt(x * x + y * y + z * z);
    double azimuth = std::atan2(x, y) / kRadiansPerDegree;
    if (azimuth < 0.0) {
        azimuth += 360.0;
    }
    return {azimuth, std::asin(z / range) / kRadiansPerDegree};
}

double AngularSeparation(const SkyPosition& a, const SkyPosition& b) {
    const double elevationA = a.elevation * kRadiansPerDegree;
    const double elevationB = b.elevation * kRadiansPerDegree;
    const double azimuth = AzimuthDifference(a.azimuth, b.azimuth) * kRadiansPerDegree;
    // The haversine form keeps its precision for the small angles that matter here.
    const double sinElevation = std::sin((elevationA - elevationB) / 2.0);
    const double sinAzimuth = std::sin(azimuth / 2.0);
    const double h = sinElevation * sinElevation +
                     std::cos(elevationA) * std::cos(elevationB) * sinAzimuth * sinAzimuth;
    return 2.0 * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0))) / kRadiansPerDegree;
}

double AzimuthDifference(double a, double b) {
    double difference = std::fmod(a - b, 360.0);
    if (difference > 180.0) {
        difference -= 360.0;
    } else if (difference <= -180.0) {
        difference += 360.0;
    }
    return difference;
}

} // namespace zenko::bench
