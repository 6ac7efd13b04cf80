#include "platform/SeenRegister.h"

namespace zenko::platform {

SeenRegister::Outcome SeenRegister::note(std::uint64_t key) {
    if (m_keys.contains(key)) {
        return Outcome::Known;
    }
    if (m_keys.size() < m_limit) {
        m_keys.insert(key);
        return Outcome::New;
    }
    if (m_full) {
        return Outcome::Unrecorded;
    }
    m_full = true;
    return Outcome::LimitReached;
}

} // namespace zenko::platform
