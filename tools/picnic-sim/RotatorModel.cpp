#include "picnic-sim/RotatorModel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

namespace zenko::picnic {

std::uint8_t IncreaseBit(Axis axis) {
    return axis == Axis::Azimuth ? kAzimuthIncrease : kElevationIncrease;
}

std::uint8_t DecreaseBit(Axis axis) {
    return axis == Axis::Azimuth ? kAzimuthDecrease : kElevationDecrease;
}

int VoltsToCount(double volts) {
    if (std::isnan(volts)) {
        return 0;
    }
    // Clamping before rounding keeps infinities and huge voltages away from the conversion.
    const double scaled = std::clamp(volts * kAdcSteps / kAdcFullScaleVolts, 0.0,
                                     static_cast<double>(kAdcMaximumCount));
    return static_cast<int>(std::round(scaled));
}

bool PotentiometerLine::isValid() const {
    return std::isfinite(angle1) && std::isfinite(angle2) && std::isfinite(volts1) &&
           std::isfinite(volts2) && angle1 != angle2 && volts1 != volts2;
}

double PotentiometerLine::voltsAt(double angle) const {
    if (!isValid()) {
        return volts1;
    }
    return volts1 + (angle - angle1) * (volts2 - volts1) / (angle2 - angle1);
}

double PotentiometerLine::angleAt(double volts) const {
    return angle1 + (volts - volts1) * (angle2 - angle1) / (volts2 - volts1);
}

const AxisParameters& RotatorParameters::axis(Axis which) const {
    return which == Axis::Azimuth ? azimuth : elevation;
}

AxisParameters& RotatorParameters::axis(Axis which) {
    return which == Axis::Azimuth ? azimuth : elevation;
}

namespace {

std::pair<double, double> EffectiveStops(const AxisParameters& axis) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    double lower = -infinity;
    double upper = infinity;
    if (axis.line.isValid()) {
        const double atZero = axis.line.angleAt(0.0);
        const double atFullScale = axis.line.angleAt(kAdcFullScaleVolts);
        lower = std::min(atZero, atFullScale);
        upper = std::max(atZero, atFullScale);
    }
    lower = axis.lowerStop.value_or(lower);
    upper = axis.upperStop.value_or(upper);
    return {std::min(lower, upper), std::max(lower, upper)};
}

} // namespace

RotatorModel::RotatorModel(const RotatorParameters& parameters, std::chrono::nanoseconds start)
    : m_parameters(parameters), m_time(start) {
    for (const Axis axis : {Axis::Azimuth, Axis::Elevation}) {
        AxisState& axisState = state(axis);
        std::tie(axisState.lowerStop, axisState.upperStop) =
            EffectiveStops(m_parameters.axis(axis));
        setAngle(axis, m_parameters.axis(axis).startAngle);
    }
}

void RotatorModel::advanceTo(std::chrono::nanoseconds now) {
    if (now <= m_time) {
        return;
    }
    const double seconds = std::chrono::duration<double>(now - m_time).count();
    m_time = now;
    for (const Axis axis : {Axis::Azimuth, Axis::Elevation}) {
        const int moving = direction(axis);
        if (moving != 0) {
            AxisState& axisState = state(axis);
            axisState.angle =
                std::clamp(axisState.angle + moving * m_parameters.axis(axis).speed * seconds,
                           axisState.lowerStop, axisState.upperStop);
        }
    }
}

void RotatorModel::applyRelayCommand(std::uint8_t mask, std::uint8_t value) {
    m_relays = static_cast<std::uint8_t>((m_relays & mask) | (value & ~mask));
}

int RotatorModel::direction(Axis axis) const {
    const bool increase = (m_relays & IncreaseBit(axis)) != 0;
    const bool decrease = (m_relays & DecreaseBit(axis)) != 0;
    return (increase ? 1 : 0) - (decrease ? 1 : 0);
}

double RotatorModel::angle(Axis axis) const {
    return state(axis).angle;
}

void RotatorModel::setAngle(Axis axis, double degrees) {
    AxisState& axisState = state(axis);
    axisState.angle = std::clamp(degrees, axisState.lowerStop, axisState.upperStop);
}

double RotatorModel::volts(Axis axis) const {
    return m_parameters.axis(axis).line.voltsAt(state(axis).angle);
}

int RotatorModel::count(Axis axis) const {
    return VoltsToCount(volts(axis));
}

double RotatorModel::lowerStop(Axis axis) const {
    return state(axis).lowerStop;
}

double RotatorModel::upperStop(Axis axis) const {
    return state(axis).upperStop;
}

const RotatorModel::AxisState& RotatorModel::state(Axis axis) const {
    return axis == Axis::Azimuth ? m_azimuth : m_elevation;
}

RotatorModel::AxisState& RotatorModel::state(Axis axis) {
    return axis == Axis::Azimuth ? m_azimuth : m_elevation;
}

} // namespace zenko::picnic
