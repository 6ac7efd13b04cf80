#include "core/StartChecks.h"

#include <array>

#include <QStringList>

namespace zenko::core {

namespace {

constexpr std::uint32_t kAddressError = 0xFFFFFFFF;

std::optional<std::uint64_t> ParseAddressPart(QStringView part) {
    int base = 10;
    if (part.size() > 1 && part[0] == u'0' && (part[1] == u'x' || part[1] == u'X')) {
        base = 16;
        part = part.mid(2);
    } else if (part.size() > 1 && part[0] == u'0') {
        base = 8;
        part = part.mid(1);
    }
    if (part.isEmpty() && base != 8) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (QChar character : part) {
        const int digit = QStringLiteral("0123456789abcdef").indexOf(character.toLower());
        if (digit < 0 || digit >= base) {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    return value;
}

} // namespace

std::optional<std::uint32_t> ParseIpv4Address(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() > 4) {
        return std::nullopt;
    }
    std::array<std::uint64_t, 4> values{};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const auto value = ParseAddressPart(parts[i]);
        if (!value) {
            return std::nullopt;
        }
        values[i] = *value;
    }
    // Every part but the last is one byte; the last fills the bytes that remain.
    const qsizetype leading = parts.size() - 1;
    std::uint64_t address = 0;
    for (qsizetype i = 0; i < leading; ++i) {
        if (values[i] > 0xFF) {
            return std::nullopt;
        }
        address |= values[i] << (8 * (3 - i));
    }
    const int lastBits = 8 * static_cast<int>(4 - leading);
    if (lastBits < 64 && values[leading] >> lastBits != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(address | values[leading]);
}

StartCheck CheckLinkSettings(const LinkSettings& settings) {
    StartCheck check;
    if (settings.binPort < 0) {
        check.failure = QStringLiteral("Binary Set Value Receiving Port is invalid !");
        return check;
    }
    if (settings.ascPort < 0) {
        check.failure = QStringLiteral("Ascii Set Value Receiving Port is invalid !");
        return check;
    }
    if (settings.binPort == 0 && settings.ascPort == 0) {
        check.failure = QStringLiteral("Both Receiving Ports are zero  !");
        return check;
    }
    check.picnicIp = ParseIpv4Address(settings.picnicIp).value_or(kAddressError);
    if (check.picnicIp == kAddressError) {
        check.failure = QStringLiteral("PICNIC IP is invalid !");
        return check;
    }
    if (settings.picnicPort <= 0) {
        check.failure = QStringLiteral("PICNIC Pararel Port is invalid !");
        return check;
    }
    if (settings.controlInterval == 0) {
        check.failure = QStringLiteral("Control Interval is invalid !");
    }
    return check;
}

std::uint32_t ControlTimerPeriod(std::uint32_t controlIntervalSeconds) {
    return (controlIntervalSeconds * 1000u) / 2u;
}

} // namespace zenko::core
