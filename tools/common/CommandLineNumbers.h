#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <QString>

#include "platform/Numbers.h"

// Numbers on the tools' command lines, read in the C locale's form whatever the user's locale.
namespace zenko::tools {

// Decimal digits with an optional '-', nothing else, within lowest..highest.
using platform::ParseInteger;

enum class PortZero { Refused, AnyFreePort };
std::optional<std::uint16_t> ParsePort(const QString& text, PortZero zero);

// Exactly a number from start to end, as from_chars reads one: no sign other than '-', no
// blanks, no hexadecimal; finite.
std::optional<double> ParseFiniteNumber(std::string_view text);

// Whether a ',' may stand for the decimal point, as Hamlib clients in a comma locale send it.
enum class DecimalComma { Refused, Accepted };

// A finite decimal number, optionally signed and with an exponent ("-12.5", "+3", "1e2");
// no blanks, no hexadecimal, no "inf" or "nan". An accepted comma counts only where there is no
// point, so that "1,000.5" is no number.
std::optional<double> ParseDegrees(std::string_view text, DecimalComma comma);
std::optional<double> ParseDegrees(const QString& text, DecimalComma comma);

} // namespace zenko::tools
