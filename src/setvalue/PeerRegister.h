#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/SeenRegister.h"

namespace zenko::setvalue {

// The set-value peers (address and port) seen so far, so that each is journaled once, within
// the register's bound.
class PeerRegister {
public:
    static constexpr std::size_t kDefaultLimit = platform::SeenRegister::kDefaultLimit;
    using Outcome = platform::SeenRegister::Outcome;

    explicit PeerRegister(std::size_t limit = kDefaultLimit) : m_peers(limit) {}

    // Address and port in host byte order.
    Outcome note(std::uint32_t address, std::uint16_t port) {
        return m_peers.note((std::uint64_t{address} << 16) | port);
    }

private:
    platform::SeenRegister m_peers;
};

} // namespace zenko::setvalue
