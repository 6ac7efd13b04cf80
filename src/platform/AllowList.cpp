#include "platform/AllowList.h"

#include <algorithm>

#include "platform/Journal.h"

namespace zenko::platform {

namespace {

// Only spaces and tabs separate entries; anything else inside an entry makes it unreadable.
bool IsListBlank(QChar character) {
    return character == u' ' || character == u'\t';
}

QStringView WithoutBlanks(QStringView text) {
    while (!text.isEmpty() && IsListBlank(text.front())) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && IsListBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

// Decimal digits without a sign or a leading zero, at most `highest`.
std::optional<std::uint32_t> ParseDecimal(QStringView text, std::uint32_t highest) {
    if (text.isEmpty() || text.size() > 3 || (text.size() > 1 && text.front() == u'0')) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const QChar character : text) {
        if (character < u'0' || character > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (character.unicode() - u'0');
    }
    return value <= highest ? std::optional(value) : std::nullopt;
}

} // namespace

std::uint32_t PrefixMask(int prefix) {
    return prefix <= 0 ? 0 : ~std::uint32_t{0} << (32 - std::min(prefix, 32));
}

bool Ipv4Network::contains(std::uint32_t host) const {
    return (host & PrefixMask(prefix)) == address;
}

bool AllowList::admits(std::uint32_t address) const {
    return m_networks.empty() ||
           std::any_of(m_networks.begin(), m_networks.end(),
                       [address](const Ipv4Network& network) { return network.contains(address); });
}

QString AllowList::text() const {
    QString text;
    for (const Ipv4Network& network : m_networks) {
        if (!text.isEmpty()) {
            text += QLatin1String(", ");
        }
        text += AddressText(network.address);
        if (network.prefix != 32) {
            text += QLatin1Char('/') + QString::number(network.prefix);
        }
    }
    return text;
}

std::optional<std::uint32_t> ParseDottedIpv4(QStringView text) {
    std::uint32_t address = 0;
    int parts = 0;
    for (const QStringView part : text.tokenize(u'.')) {
        const auto value = ParseDecimal(part, 255);
        if (!value || ++parts > 4) {
            return std::nullopt;
        }
        address = (address << 8) | *value;
    }
    return parts == 4 ? std::optional(address) : std::nullopt;
}

AllowListParse ParseAllowList(QStringView text) {
    AllowListParse parse;
    if (WithoutBlanks(text).isEmpty()) {
        return parse;
    }
    std::vector<Ipv4Network> networks;
    int entry = 0;
    for (const QStringView written : text.tokenize(u',')) {
        ++entry;
        const QStringView item = WithoutBlanks(written);
        const auto refuse = [&](AllowListFault fault) {
            parse.error = AllowListError{fault, entry, item.toString()};
            return parse;
        };
        if (item.isEmpty()) {
            return refuse(AllowListFault::EmptyEntry);
        }
        const qsizetype slash = item.indexOf(u'/');
        const auto address = ParseDottedIpv4(slash < 0 ? item : item.first(slash));
        if (!address) {
            return refuse(AllowListFault::BadAddress);
        }
        Ipv4Network network{*address, 32};
        if (slash >= 0) {
            const auto prefix = ParseDecimal(item.sliced(slash + 1), 32);
            if (!prefix) {
                return refuse(AllowListFault::BadPrefix);
            }
            network.prefix = static_cast<int>(*prefix);
        }
        if ((network.address & ~PrefixMask(network.prefix)) != 0) {
            return refuse(AllowListFault::HostBitsSet);
        }
        networks.push_back(network);
    }
    parse.list = AllowList(std::move(networks));
    return parse;
}

QString AllowListErrorText(const AllowListError& error) {
    const QString entry = QStringLiteral("entry ") + QString::number(error.entry);
    const QString written = entry + QStringLiteral(" \"") + error.text + QStringLiteral("\": ");
    switch (error.fault) {
    case AllowListFault::EmptyEntry:
        return entry + QStringLiteral(" is empty (two commas in a row, or one at either end)");
    case AllowListFault::BadAddress:
        return written + QStringLiteral("not an IPv4 address a.b.c.d in decimal");
    case AllowListFault::BadPrefix:
        return written + QStringLiteral("the prefix after / is not 0 to 32");
    case AllowListFault::HostBitsSet:
        return written + QStringLiteral("host bits are set below the prefix");
    }
    return entry;
}

} // namespace zenko::platform
