#pragma once

#include <optional>

#include <QtGlobal>

namespace zenko::rotctld {

// When the bridge parks the antenna by itself: once no client has set a position for a while,
// counted from the last set position or from the start when there was none, and then once only,
// until a client sets a position again. Times are milliseconds on a steady clock that starts at
// 0 with the bridge.
class IdlePark {
public:
    // Never when `afterMs` is absent.
    explicit IdlePark(std::optional<qint64> afterMs) : m_afterMs(afterMs) {}

    void positionSet(qint64 nowMs) {
        m_lastMs = nowMs;
        m_parked = false;
    }
    // How long until the park is due (0 when it is); nothing when it never will be.
    std::optional<qint64> dueInMs(qint64 nowMs) const;
    // True once the park is due, and then not again until the next set position.
    bool takeDue(qint64 nowMs);

private:
    std::optional<qint64> m_afterMs;
    qint64 m_lastMs = 0;
    bool m_parked = false;
};

} // namespace zenko::rotctld
