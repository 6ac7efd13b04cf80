#include "setvalue/PeerRegister.h"

namespace zenko::setvalue {

PeerRegister::Outcome PeerRegister::note(std::uint32_t address, std::uint16_t port) {
    const std::uint64_t peer = (std::uint64_t{address} << 16) | port;
    if (m_peers.contains(peer)) {
        return Outcome::Known;
    }
    if (m_peers.size() < m_limit) {
        m_peers.insert(peer);
        return Outcome::New;
    }
    if (m_full) {
        return Outcome::Unrecorded;
    }
    m_full = true;
    return Outcome::LimitReached;
}

} // namespace zenko::setvalue
