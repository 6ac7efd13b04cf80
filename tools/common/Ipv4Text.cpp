#include "common/Ipv4Text.h"

#include "platform/AllowList.h"

namespace zenko::tools {

std::optional<std::uint32_t> ParseIpv4(const QString& text) {
    return platform::ParseDottedIpv4(text);
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
