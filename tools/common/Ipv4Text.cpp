#include "common/Ipv4Text.h"

#include <QStringList>

#include "common/CommandLineNumbers.h"

namespace zenko::tools {

std::optional<std::uint32_t> ParseIpv4(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4) {
        return std::nullopt;
    }
    std::uint32_t address = 0;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3 || part.front() < QLatin1Char('0') ||
            part.front() > QLatin1Char('9') ||
            (part.size() > 1 && part.front() == QLatin1Char('0'))) {
            return std::nullopt;
        }
        const auto value = ParseInteger(part, 0, 255);
        if (!value) {
            return std::nullopt;
        }
        address = (address << 8) | static_cast<std::uint32_t>(*value);
    }
    return address;
}

QHostAddress ParseNumericAddress(const QString& text) {
    if (!text.contains(QLatin1Char(':'))) {
        const auto ipv4 = ParseIpv4(text);
        return ipv4 ? QHostAddress(*ipv4) : QHostAddress();
    }
    QHostAddress address;
    if (!address.setAddress(text) || address.protocol() != QAbstractSocket::IPv6Protocol) {
        return QHostAddress();
    }
    return address;
}

bool IsIpv4Loopback(const QHostAddress& address) {
    return address.protocol() == QAbstractSocket::IPv4Protocol &&
           (address.toIPv4Address() >> 24) == 127;
}

} // namespace zenko::tools
