#include "core/MotionGuard.h"

#include <cmath>
#include <cstddef>

namespace zenko::core {

namespace {

std::size_t DirectionIndex(int direction) {
    return direction > 0 ? 0 : 1;
}

} // namespace

MotionGuard::MotionGuard(double timeoutSeconds) : m_timeout(timeoutSeconds) {}

void MotionGuard::relay(double seconds, int direction) {
    m_watchedOnSeconds = onSeconds(seconds);
    // A drive the other way starts from the latest reading: the axis may still coast the old
    // way for a moment, which the timeout, longer than any start, leaves room for.
    if (direction != 0 && direction != m_watched) {
        m_watched = direction;
        m_watchedOnSeconds = 0;
        m_anchor = m_lastAngle;
    }
    m_relay = direction;
    m_relaySince = seconds;
}

std::optional<MotionTripReport> MotionGuard::reading(double seconds, double angle) {
    // A reading that is no angle shows no movement.
    if (std::isfinite(angle)) {
        m_lastAngle = angle;
        if (m_watched != 0 && !m_anchor) {
            m_anchor = angle;
        } else if (m_watched != 0 && m_watched * (angle - *m_anchor) >= kClearMovement) {
            m_anchor = angle;
            m_watchedOnSeconds = 0;
            m_relaySince = seconds;
        }
    }
    return check(seconds);
}

std::optional<MotionTripReport> MotionGuard::check(double seconds) {
    if (m_timeout <= 0 || m_watched == 0 || onSeconds(seconds) < m_timeout) {
        return std::nullopt;
    }
    const double moved = m_anchor && m_lastAngle ? *m_lastAngle - *m_anchor : 0.0;
    const MotionTrip kind =
        m_watched * moved <= -kClearMovement ? MotionTrip::Reversed : MotionTrip::Stalled;
    const MotionTripReport report{kind, m_watched, onSeconds(seconds), moved};
    if (kind == MotionTrip::Reversed) {
        m_reversed = true;
    } else {
        m_stalled[DirectionIndex(m_watched)] = true;
    }
    m_watched = 0;
    m_watchedOnSeconds = 0;
    m_anchor.reset();
    return report;
}

bool MotionGuard::allows(int direction) const {
    return direction == 0 || (!m_reversed && !m_stalled[DirectionIndex(direction)]);
}

double MotionGuard::onSeconds(double seconds) const {
    const bool counting = m_relay != 0 && m_relay == m_watched;
    return m_watchedOnSeconds + (counting ? seconds - m_relaySince : 0.0);
}

} // namespace zenko::core
