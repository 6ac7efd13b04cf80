#pragma once

#include <cstdint>
#include <optional>

#include <QHostAddress>
#include <QString>

// Addresses as the tools' users type them.
namespace zenko::tools {

// Dotted decimal a.b.c.d, each part 0..255 without a sign or a superfluous leading zero, so
// that "010" cannot be mistaken for an octal 8 nor "127.1" for 127.0.0.1, as inet_aton would
// read them: the reading of the allow-lists' addresses.
std::optional<std::uint32_t> ParseIpv4(const QString& text);

// An IPv4 address as ParseIpv4 reads it, or, when the text has a colon, a numeric IPv6 address;
// a null address otherwise.
QHostAddress ParseNumericAddress(const QString& text);

// 127.0.0.0/8. Not ::1: the board and the controller speak IPv4.
bool IsIpv4Loopback(const QHostAddress& address);

} // namespace zenko::tools
