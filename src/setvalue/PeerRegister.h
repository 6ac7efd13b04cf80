#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>

namespace zenko::setvalue {

// The set-value peers seen so far, so that each is journaled once. Bounded: senders are
// whoever can reach the ports, and a flood of spoofed addresses must not grow the memory.
class PeerRegister {
public:
    static constexpr std::size_t kDefaultLimit = 256;

    enum class Outcome {
        Known,
        New,
        // The first new peer that does not fit; later ones are Unrecorded.
        LimitReached,
        Unrecorded,
    };

    explicit PeerRegister(std::size_t limit = kDefaultLimit) : m_limit(limit) {}

    // Address and port in host byte order.
    Outcome note(std::uint32_t address, std::uint16_t port);

private:
    std::unordered_set<std::uint64_t> m_peers;
    std::size_t m_limit;
    bool m_full = false;
};

} // namespace zenko::setvalue
