#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>

namespace zenko::platform {

// The senders seen so far, so that each is journaled once. Bounded: senders are whoever can
// reach a port, and a flood of spoofed addresses must not grow the memory.
class SeenRegister {
public:
    static constexpr std::size_t kDefaultLimit = 256;

    enum class Outcome {
        Known,
        New,
        // The first new key that does not fit; later ones are Unrecorded.
        LimitReached,
        Unrecorded,
    };

    explicit SeenRegister(std::size_t limit = kDefaultLimit) : m_limit(limit) {}

    Outcome note(std::uint64_t key);

private:
    std::unordered_set<std::uint64_t> m_keys;
    std::size_t m_limit;
    bool m_full = false;
};

} // namespace zenko::platform
