#pragma once

#include <cstdint>

#include <QString>

// printf-style fixed formats ("%8.2f", "%8.3f", "%8d") independent of the user's locale.
// A value exactly halfway between two outputs rounds away from zero ("%8.2f" of 0.125 is
// "    0.13"), as the operator's readouts always did; every other value rounds to nearest.
namespace zenko::platform {

// Right-aligned in at least `width` characters, blank-filled on the left, never cut; as with
// printf, a negative width left-aligns and a negative precision means 6. A negative value that
// rounds to zero keeps its sign ("-0.00"). NaN and infinities print as "nan", "-nan", "inf",
// "-inf", padded the same way.
QString FormatFixed(double value, int width, int precision);
QString FormatInteger(std::int64_t value, int width = 0);

inline QString FormatAngle(double degrees) {
    return FormatFixed(degrees, 8, 2);
}
inline QString FormatVolts(double volts) {
    return FormatFixed(volts, 8, 3);
}

} // namespace zenko::platform
