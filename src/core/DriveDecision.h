#pragma once

#include <cstdint>
#include <optional>

namespace zenko::core {

// Errors of at least this many degrees drive for the whole interval; the pulses below it last
// interval x |error| / 40, and errors within the dead band switch the axis off.
inline constexpr double kFullDriveError = 8.0;
inline constexpr double kDeadBand = 1.0;

// The drive time for an error and an interval in milliseconds. Always defined: an error that is
// not a number gives 0, a result beyond the 32-bit range is clamped.
std::int32_t ComputeDriveTime(double error, std::int32_t intervalMs);

// What one control step orders for one axis.
struct DriveOrder {
    bool increaseOn = false;
    bool decreaseOn = false;
    // Set when a pulse timer must end the drive after this many milliseconds.
    std::optional<std::int32_t> pulseMs;
    std::int32_t positiveErrorDrive = 0;
    std::int32_t negativeErrorDrive = 0;
    friend bool operator==(const DriveOrder&, const DriveOrder&) = default;
};

// The five bands, tested from the top. Both edges of the dead band drive; an error that is not
// a number lies in the dead band.
DriveOrder DecideDrive(double error, std::int32_t driveTime);

} // namespace zenko::core
