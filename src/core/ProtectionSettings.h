#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QString>

#include "core/AxisProtection.h"

// The keys of the motion guard and the soft limits. They guard the rotator, so a value that
// cannot be read refuses Start rather than leaving the rotator unguarded.
namespace zenko::core {

// One key as the file holds it: its name, and its value when the key is present.
struct KeyText {
    QString name;
    std::optional<QString> value;
};

struct ProtectionSettings {
    // Seconds; 0 or less: the motion guard is off.
    std::int32_t stallTimeoutSeconds = 0;
    // Azimuth, elevation.
    std::array<AngleLimits, 2> limits{};
    // Whether any of the keys is present, so that the journal tells what they gave.
    bool present = false;
    // The Start refusal for the first key that cannot be read.
    std::optional<QString> refusal;
};

// The keys in this order: Stall_Timeout, Az_Min_Ang, Az_Max_Ang, El_Min_Ang, El_Max_Ang.
ProtectionSettings ReadProtectionSettings(const std::array<KeyText, 5>& keys);

// A whole value that is a decimal integer: an optional sign and one or more digits 0-9, nothing
// else (the file's reader has already removed the blanks around it and one pair of quotes), and
// within the signed 32-bit range. Anything else, the empty value included, is nothing.
std::optional<std::int32_t> ParseConfigInteger(const QString& text);

} // namespace zenko::core
