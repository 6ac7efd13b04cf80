#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <QString>

// Number conversions that behave like the C library's atoi/atof on the texts the controller
// meets, but never depend on the user's locale and never overflow into undefined behaviour.
namespace zenko::platform {

// Leading white space skipped, optional sign, longest run of decimal digits; 0 when there is
// none. Values beyond the 32-bit range are clamped to INT32_MIN/INT32_MAX. The QString overloads
// read the UTF-8 form, in which nothing outside ASCII is a digit, a sign or white space.
std::int32_t LenientToInt(std::string_view text);
std::int32_t LenientToInt(const QString& text);
// Without these, a string literal would match the string_view and the QString overloads alike.
inline std::int32_t LenientToInt(const char* text) {
    return LenientToInt(std::string_view(text));
}

// Leading white space skipped, the longest decimal number (sign, digits, fraction, exponent);
// 0 when there is none. No hexadecimal, no "inf"/"nan" words. Overflow clamps to the largest
// finite double of the same sign; underflow gives 0 of the same sign (or the nearest subnormal).
// Results are correctly rounded.
double LenientToDouble(std::string_view text);
double LenientToDouble(const QString& text);
inline double LenientToDouble(const char* text) {
    return LenientToDouble(std::string_view(text));
}

// The three integer kinds a dialog field can hold.
enum class FieldInteger { Signed32, Unsigned32, Signed16 };

// The strict check of a dialog field: blanks and tabs may stand before and after a decimal
// integer; signed kinds take an optional sign, the unsigned kind refuses a minus; Signed16
// must lie within -32768..32767; a text whose value is zero must begin with the digit 0.
// The 32-bit kinds clamp a value beyond their range instead of refusing it.
// Returns the value, or nothing when the field is refused.
std::optional<std::int64_t> ParseFieldInteger(std::string_view text, FieldInteger kind);
std::optional<std::int64_t> ParseFieldInteger(const QString& text, FieldInteger kind);
inline std::optional<std::int64_t> ParseFieldInteger(const char* text, FieldInteger kind) {
    return ParseFieldInteger(std::string_view(text), kind);
}

// The strict reading of a whole value: decimal digits with an optional '-', nothing else (no
// blanks, no '+'), within lowest..highest. Command-line numbers and the keys that guard the
// rotator are read so, where a slip must be refused rather than read as some number.
std::optional<long long> ParseInteger(const QString& text, long long lowest, long long highest);

// Defined conversions of a double that may be NaN, infinite or out of range.
// NaN gives 0; other values truncate toward zero and clamp to the 32-bit range.
std::int32_t TruncateToInt32(double value);

} // namespace zenko::platform
