#pragma once

#include <cstdint>
#include <optional>

#include <QString>

namespace zenko::core {

// The settings Start checks, as the window holds them.
struct LinkSettings {
    std::int16_t binPort = 0;
    std::int16_t ascPort = 0;
    QString picnicIp;
    std::int16_t picnicPort = 0;
    std::uint32_t controlInterval = 0;
};

struct StartCheck {
    // The message of the first check that fails, in the order the operator has always seen.
    std::optional<QString> failure;
    // The board address in host byte order, as converted by the address check (all bits set
    // when the text is no address).
    std::uint32_t picnicIp = 0xFFFFFFFF;
};

StartCheck CheckLinkSettings(const LinkSettings& settings);

// An IPv4 address text as the classic address conversion reads it: one to four parts separated
// by dots, each decimal, octal (leading 0) or hexadecimal (leading 0x); the last part fills the
// remaining bytes. Nothing for anything else, host names included. 255.255.255.255 converts,
// and is refused by the caller, since it equals the conversion's error value.
std::optional<std::uint32_t> ParseIpv4Address(const QString& text);

// Half the control interval in milliseconds, computed in unsigned 32-bit arithmetic as it always
// was: the product wraps modulo 2^32 before it is halved.
std::uint32_t ControlTimerPeriod(std::uint32_t controlIntervalSeconds);

} // namespace zenko::core
