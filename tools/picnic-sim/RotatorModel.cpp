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

// Degrees per second per second to change speed by `speed` in `seconds`; infinite for at once.
double Acceleration(double speed, double seconds) {
    return seconds > 0.0 ? speed / seconds : std::numeric_limits<double>::infinity();
}

// The relays do not change within a step, so a step holds at most a coast, a stop met while
// coasting, a run-up, full speed and a stop met at the end, each maybe taken at once.
constexpr int kMaximumSegments = 8;

} // namespace

RotatorModel::RotatorModel(const RotatorParameters& parameters, std::chrono::nanoseconds start)
    : m_parameters(parameters), m_time(start), m_noiseSource(parameters.noiseSeed) {
    for (const Axis axis : {Axis::Azimuth, Axis::Elevation}) {
        AxisState& axisState = state(axis);
        std::tie(axisState.lowerStop, axisState.upperStop) =
            EffectiveStops(m_parameters.axis(axis));
        setAngle(axis, m_parameters.axis(axis).startAngle);
        setFaults(axis, m_parameters.axis(axis).faults);
    }
}

void RotatorModel::advanceTo(std::chrono::nanoseconds now) {
    if (now <= m_time) {
        return;
    }
    const double seconds = std::chrono::duration<double>(now - m_time).count();
    m_time = now;
    for (const Axis axis : {Axis::Azimuth, Axis::Elevation}) {
        advanceAxis(axis, seconds);
    }
}

// The relays stand still during the step, so the motion is a few pieces of constant
// acceleration (coast, run-up, full speed), each integrated exactly; a stop ends the motion
// where it is met.
void RotatorModel::advanceAxis(Axis axis, double seconds) {
    const AxisParameters& parameters = m_parameters.axis(axis);
    AxisState& axisState = state(axis);
    if (axisState.faults.jammed) {
        axisState.velocity = 0.0;
        return;
    }
    const double target = direction(axis) * parameters.speed;
    double remaining = seconds;
    for (int segment = 0; segment < kMaximumSegments && remaining > 0.0; ++segment) {
        double& velocity = axisState.velocity;
        const bool pushedAtLower = axisState.angle <= axisState.lowerStop && target < 0.0;
        const bool pushedAtUpper = axisState.angle >= axisState.upperStop && target > 0.0;
        if ((pushedAtLower || pushedAtUpper) && velocity == 0.0) {
            return;
        }
        double acceleration = 0.0;
        double duration = remaining;
        double endVelocity = velocity;
        bool reachesEnd = true;
        if (velocity != target) {
            const bool slowing =
                velocity != 0.0 && (target == 0.0 || (velocity > 0.0) != (target > 0.0));
            endVelocity = slowing ? 0.0 : target;
            const double rate = slowing ? Acceleration(parameters.speed, parameters.coastSeconds)
                                        : Acceleration(parameters.speed, parameters.runUpSeconds);
            if (std::isinf(rate)) {
                velocity = endVelocity;
                continue;
            }
            acceleration = endVelocity > velocity ? rate : -rate;
            const double rampSeconds = std::fabs(endVelocity - velocity) / rate;
            reachesEnd = rampSeconds <= remaining;
            duration = std::min(remaining, rampSeconds);
        }
        const double angle =
            axisState.angle + velocity * duration + acceleration * duration * duration / 2.0;
        if (angle < axisState.lowerStop || angle > axisState.upperStop) {
            const double stop =
                angle < axisState.lowerStop ? axisState.lowerStop : axisState.upperStop;
            // The speed with which the stop is met, from v^2 = v0^2 + 2 a d.
            const double metAt = std::copysign(
                std::sqrt(std::max(0.0, velocity * velocity +
                                            2.0 * acceleration * (stop - axisState.angle))),
                stop - axisState.angle);
            const double untilStop = acceleration != 0.0 ? (metAt - velocity) / acceleration
                                                         : (stop - axisState.angle) / velocity;
            axisState.angle = stop;
            velocity = 0.0;
            remaining -= std::clamp(untilStop, 0.0, duration);
            continue;
        }
        axisState.angle = angle;
        velocity = reachesEnd ? endVelocity : velocity + acceleration * duration;
        remaining -= duration;
    }
}

void RotatorModel::applyRelayCommand(std::uint8_t mask, std::uint8_t value) {
    m_relays = static_cast<std::uint8_t>((m_relays & mask) | (value & ~mask));
}

int RotatorModel::direction(Axis axis) const {
    const bool increase = (m_relays & IncreaseBit(axis)) != 0;
    const bool decrease = (m_relays & DecreaseBit(axis)) != 0;
    const int direction = (increase ? 1 : 0) - (decrease ? 1 : 0);
    return state(axis).faults.relaysSwapped ? -direction : direction;
}

double RotatorModel::velocity(Axis axis) const {
    return state(axis).velocity;
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

int RotatorModel::readCount(Axis axis) {
    const AxisParameters& parameters = m_parameters.axis(axis);
    if (state(axis).faults.readingFrozen) {
        return state(axis).frozenCount;
    }
    if (parameters.noiseDegrees <= 0.0) {
        return count(axis);
    }
    const double noise = m_noise(m_noiseSource) * parameters.noiseDegrees;
    return VoltsToCount(parameters.line.voltsAt(state(axis).angle + noise));
}

const AxisFaults& RotatorModel::faults(Axis axis) const {
    return state(axis).faults;
}

void RotatorModel::setFaults(Axis axis, const AxisFaults& faults) {
    AxisState& axisState = state(axis);
    if (faults.readingFrozen && !axisState.faults.readingFrozen) {
        axisState.frozenCount = count(axis);
    }
    axisState.faults = faults;
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
