#include "zenko-rotctld/IdlePark.h"

#include <algorithm>

namespace zenko::rotctld {

std::optional<qint64> IdlePark::dueInMs(qint64 nowMs) const {
    if (!m_afterMs || m_parked) {
        return std::nullopt;
    }
    return std::max<qint64>(0, m_lastMs + *m_afterMs - nowMs);
}

bool IdlePark::takeDue(qint64 nowMs) {
    const auto due = dueInMs(nowMs);
    if (!due || *due > 0) {
        return false;
    }
    m_parked = true;
    return true;
}

} // namespace zenko::rotctld
