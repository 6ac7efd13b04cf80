#pragma once

// Where a satellite on a circular orbit stands in an observer's sky, for the tracking
// benchmark: a spherical earth that does not turn, so a pass is fixed by the orbit's altitude
// and its highest elevation. That is enough geometry for the rates a rotator has to follow.
namespace zenko::bench {

struct SkyPosition {
    // Degrees from north towards east, in [0, 360).
    double azimuth = 0.0;
    // Degrees above the horizon.
    double elevation = 0.0;
};

class SatellitePass {
public:
    // The orbit passes east of the observer heading north, culminating due east at time 0 at
    // `maximumElevation` (degrees, below 90: an overhead pass turns the azimuth by 180 degrees
    // at once).
    SatellitePass(double altitudeKm, double maximumElevation);

    // `seconds` from culmination; negative before it.
    SkyPosition at(double seconds) const;
    double altitudeKm() const { return m_altitudeKm; }
    double maximumElevation() const { return m_maximumElevation; }

private:
    double m_altitudeKm;
    double m_maximumElevation;
    // Radians per second along the orbit.
    double m_angularRate;
    // Orbit radius over earth radius.
    double m_radiusRatio;
    // Earth-centred angle between the observer and the satellite at culmination, radians.
    double m_closestAngle;
};

// The angle on the sky between two directions, degrees.
double AngularSeparation(const SkyPosition& a, const SkyPosition& b);
// a - b in azimuth, taken the short way round: in (-180, 180].
double AzimuthDifference(double a, double b);

} // namespace zenko::bench
