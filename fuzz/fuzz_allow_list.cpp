#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "platform/AllowList.h"

using namespace zenko;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// The match written out the other way, by shifting instead of masking.
bool Holds(const platform::Ipv4Network& network, std::uint32_t address) {
    return network.prefix == 0 ||
           (address >> (32 - network.prefix)) == (network.address >> (32 - network.prefix));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(fuzz::Bytes(data, size));
    const platform::AllowListParse parse = platform::ParseAllowList(text);
    const qsizetype entries = text.count(QLatin1Char(',')) + 1;
    if (parse.error) {
        fuzz::Require(parse.list.isEmpty(), "a refused text gives no list");
        fuzz::Require(parse.error->entry >= 1 && parse.error->entry <= entries,
                      "the refused entry is one of the text's");
        fuzz::Require(!platform::AllowListErrorText(*parse.error).isEmpty(),
                      "every refusal has a reason");
        return 0;
    }
    const auto& networks = parse.list.networks();
    fuzz::Require(networks.empty() || static_cast<qsizetype>(networks.size()) == entries,
                  "one network per entry");
    for (const platform::Ipv4Network& network : networks) {
        fuzz::Require(network.prefix >= 0 && network.prefix <= 32, "prefix 0 to 32");
        const std::uint32_t mask = platform::PrefixMask(network.prefix);
        fuzz::Require((network.address & ~mask) == 0, "host bits clear");
        fuzz::Require(parse.list.admits(network.address) &&
                          parse.list.admits(network.address | ~mask),
                      "a network admits its first and last address");
    }
    fuzz::Require(platform::ParseAllowList(parse.list.text()).list.networks() == networks,
                  "the list's text reads back as the same list");

    // An address taken from the input, against the match written the other way.
    std::uint32_t probe = 0;
    std::memcpy(&probe, data, std::min(size, sizeof probe));
    bool held = networks.empty();
    for (const platform::Ipv4Network& network : networks) {
        held = held || Holds(network, probe);
    }
    fuzz::Require(parse.list.admits(probe) == held, "admits exactly the listed networks");
    return 0;
}
