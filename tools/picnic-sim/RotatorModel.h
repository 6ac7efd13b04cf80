#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>

// A two-axis rotator as the board sees it: four relays on one output byte turn the axes at a
// fixed speed, and a potentiometer on each axis gives a voltage that the board's 10-bit ADC reads.
// A motor may take time to reach its speed after its relay closes and coast on after it opens,
// and the potentiometer's reading may be noisy; by default the motors start and stop at once
// and the readings are exact.
namespace zenko::picnic {

enum class Axis { Azimuth, Elevation };

// Where an axis stands in arrays of two: azimuth first.
inline constexpr std::size_t AxisIndex(Axis axis) {
    return axis == Axis::Azimuth ? 0 : 1;
}

// The drive relays' bits in the board's output byte; the other four bits drive nothing here.
inline constexpr std::uint8_t kAzimuthIncrease = 0x10;
inline constexpr std::uint8_t kAzimuthDecrease = 0x20;
inline constexpr std::uint8_t kElevationIncrease = 0x40;
inline constexpr std::uint8_t kElevationDecrease = 0x80;

std::uint8_t IncreaseBit(Axis axis);
std::uint8_t DecreaseBit(Axis axis);

// The board's ADC spans 0..5 V in 1024 steps, as the controller's count x 5 / 1024 assumes.
inline constexpr double kAdcFullScaleVolts = 5.0;
inline constexpr int kAdcSteps = 1024;
inline constexpr int kAdcMaximumCount = kAdcSteps - 1;

// round(volts x 1024 / 5), a half rounding away from zero, clamped to 0..1023 because a real
// input saturates at its rails; NaN reads as 0.
int VoltsToCount(double volts);

// The potentiometer's voltage as a straight line through two points.
struct PotentiometerLine {
    double angle1 = 0.0;
    double volts1 = 0.0;
    double angle2 = 0.0;
    double volts2 = 0.0;

    // Two distinct angles with two distinct voltages; anything else is no usable line.
    bool isValid() const;
    // Extrapolated beyond the two points; volts1 everywhere for an invalid line.
    double voltsAt(double angle) const;
    // Only for a valid line.
    double angleAt(double volts) const;
};

// What can go wrong with an axis, for trying what the controller does about it.
struct AxisFaults {
    // The axis stands where it is whatever its relays do (a seized bearing, ice).
    bool jammed = false;
    // Each relay turns the axis the way the other should (relays or potentiometer wired the
    // wrong way round).
    bool relaysSwapped = false;
    // The ADC reads the count the potentiometer gave when it froze, exactly, while the axis goes
    // on turning (a broken wiper).
    bool readingFrozen = false;
    friend bool operator==(const AxisFaults&, const AxisFaults&) = default;
};

struct AxisParameters {
    double startAngle = 0.0;
    // Degrees per second while one relay of the axis is on; 0 makes a stuck axis.
    double speed = 0.0;
    PotentiometerLine line;
    // End stops. Left empty, a stop lies where the line reaches 0 V or 5 V, so the axis travels
    // exactly the span the ADC can see; an invalid line with empty stops leaves the axis free.
    std::optional<double> lowerStop;
    std::optional<double> upperStop;
    // Seconds from standstill to full speed after a relay closes, and from full speed to
    // standstill after it opens, both at a constant rate; 0 is at once. A reversal coasts to a
    // standstill first and then runs up the other way.
    double runUpSeconds = 0.0;
    double coastSeconds = 0.0;
    // Gaussian noise on each ADC reading, rms degrees at the potentiometer; the angle itself
    // stays exact.
    double noiseDegrees = 0.0;
    // Faults at start; each can be set and cleared while running.
    AxisFaults faults = {};
};

// The defaults match the controller's default calibration: azimuth 0..180 deg over 0..4.5 V,
// elevation 0..90 deg over 0..4.5 V, hence stops at 0..200 deg and 0..100 deg.
struct RotatorParameters {
    AxisParameters azimuth{0.0, 10.0, {0.0, 0.0, 180.0, 4.5}, {}, {}};
    AxisParameters elevation{0.0, 5.0, {0.0, 0.0, 90.0, 4.5}, {}, {}};
    // Seeds the readings' noise, so that a run can be repeated.
    std::uint32_t noiseSeed = 1;

    const AxisParameters& axis(Axis which) const;
    AxisParameters& axis(Axis which);
};

class RotatorModel {
public:
    // Times are readings of one monotonic clock; the model starts standing at `start`.
    explicit RotatorModel(const RotatorParameters& parameters = {},
                          std::chrono::nanoseconds start = {});

    // Moves both axes as the relays stood since the last call. Relay changes take effect from the
    // time the model was last advanced to, so advance to a command's arrival before applying it.
    // A time before the model's own is ignored: the model never runs backwards.
    void advanceTo(std::chrono::nanoseconds now);
    std::chrono::nanoseconds time() const { return m_time; }

    // The board's output write: output = (output & mask) | (value & ~mask), so only the bits the
    // mask leaves at 0 take the value and a command for one axis leaves the other alone.
    void applyRelayCommand(std::uint8_t mask, std::uint8_t value);
    void setRelayByte(std::uint8_t relays) { m_relays = relays; }
    std::uint8_t relayByte() const { return m_relays; }

    // +1 increasing, -1 decreasing, 0 standing (no relay, or both, which cancel): the way the
    // relays turn the axis, the other way round when they are swapped.
    int direction(Axis axis) const;
    // Degrees per second, signed: what the axis turns at now, which lags the relays while it
    // runs up or coasts.
    double velocity(Axis axis) const;

    double angle(Axis axis) const;
    // Clamped to the axis's stops, as the mechanics would be.
    void setAngle(Axis axis, double degrees);
    double volts(Axis axis) const;
    int count(Axis axis) const;
    // What the board's ADC reads: the count with the potentiometer's noise, a fresh draw each
    // time. Without noise it is count().
    int readCount(Axis axis);

    const AxisFaults& faults(Axis axis) const;
    // A reading frozen now keeps the count the axis has now; a jam takes effect from the time
    // the model was last advanced to.
    void setFaults(Axis axis, const AxisFaults& faults);

    // The effective stops (infinite where the axis is free).
    double lowerStop(Axis axis) const;
    double upperStop(Axis axis) const;

    const RotatorParameters& parameters() const { return m_parameters; }

private:
    struct AxisState {
        double angle = 0.0;
        double velocity = 0.0;
        double lowerStop = 0.0;
        double upperStop = 0.0;
        AxisFaults faults;
        int frozenCount = 0;
    };
    const AxisState& state(Axis axis) const;
    AxisState& state(Axis axis);
    void advanceAxis(Axis axis, double seconds);

    RotatorParameters m_parameters;
    AxisState m_azimuth;
    AxisState m_elevation;
    std::uint8_t m_relays = 0;
    std::chrono::nanoseconds m_time{};
    std::mt19937 m_noiseSource;
    std::normal_distribution<double> m_noise;
};

} // namespace zenko::picnic
