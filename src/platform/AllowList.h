#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QString>
#include <QStringView>

// Who may command the antenna over the network: the IPv4 addresses and networks of the
// controller's SetValue_Allow and of zenko-rotctld's --allow, read by one grammar.
//
//   list    = blanks | entry *( "," entry )
//   entry   = blanks address [ "/" prefix ] blanks
//   address = four parts 0..255 joined by dots, each decimal digits without a sign and without
//             a leading zero (0 itself is a part)
//   prefix  = 0..32 in decimal digits, without a sign and without a leading zero
//   blanks  = any number of spaces and tabs
//
// An address without a prefix is that one host (/32). A network's address must have its host
// bits clear: 192.168.10.0/24 is a network, 192.168.10.5/24 is refused, for it is more likely a
// host with a slip than a wish for the whole network, and widening it silently would let in
// senders nobody listed. Anything else is refused too: an empty entry (two commas in a row, a
// comma at either end), a host name, "010.0.0.1" (octal to some readers, decimal to others),
// "127.1", a blank inside an entry. Duplicates and overlapping entries are allowed.
namespace zenko::platform {

struct Ipv4Network {
    // Host byte order, host bits clear.
    std::uint32_t address = 0;
    int prefix = 32;

    bool contains(std::uint32_t host) const;
    friend bool operator==(const Ipv4Network&, const Ipv4Network&) = default;
};

// The network mask of a prefix length from 0 to 32.
std::uint32_t PrefixMask(int prefix);

class AllowList {
public:
    AllowList() = default;
    explicit AllowList(std::vector<Ipv4Network> networks) : m_networks(std::move(networks)) {}

    // No entries, from an absent or blank setting: everyone is admitted, as without a list.
    bool isEmpty() const { return m_networks.empty(); }
    // True for an empty list, else whether one of its networks holds the address (host byte
    // order).
    bool admits(std::uint32_t address) const;
    const std::vector<Ipv4Network>& networks() const { return m_networks; }
    // "127.0.0.1, 192.168.10.0/24": a host without its /32; parses back to the same list.
    QString text() const;

private:
    std::vector<Ipv4Network> m_networks;
};

enum class AllowListFault { EmptyEntry, BadAddress, BadPrefix, HostBitsSet };

struct AllowListError {
    AllowListFault fault = AllowListFault::EmptyEntry;
    // 1 for the first entry.
    int entry = 0;
    // As written, without the blanks around it.
    QString text;
};

struct AllowListParse {
    // Empty when the text was refused.
    AllowList list;
    std::optional<AllowListError> error;
};

// The first refused entry ends the reading: a list is taken whole or not at all.
AllowListParse ParseAllowList(QStringView text);

// Which entry is refused and why, in English: 'entry 2 "10.0.0.0/33": the prefix after / is not
// 0 to 32', 'entry 3 is empty (two commas in a row, or one at either end)'.
QString AllowListErrorText(const AllowListError& error);

// Dotted decimal a.b.c.d as the address of an entry is read; host byte order.
std::optional<std::uint32_t> ParseDottedIpv4(QStringView text);

} // namespace zenko::platform
