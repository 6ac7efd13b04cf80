#include "core/AxisProtection.h"

#include <algorithm>

namespace zenko::core {

AngleLimits LimitsFrom(std::optional<std::int32_t> minimum, std::optional<std::int32_t> maximum) {
    if (!minimum || !maximum || !(*minimum < *maximum)) {
        return {};
    }
    return {true, static_cast<double>(*minimum), static_cast<double>(*maximum)};
}

bool MotionJudgedWithoutReading(bool feedbackGuard, std::int64_t sinceReplyMs,
                                std::uint32_t controlIntervalSeconds) {
    // The operator may clear the interval field while the link runs.
    const std::int64_t intervalMs = std::max<std::int64_t>(controlIntervalSeconds, 1) * 1000;
    return !feedbackGuard || sinceReplyMs <= intervalMs;
}

AxisProtection::AxisProtection(double stallTimeoutSeconds, const AngleLimits& limits)
    : m_motion(stallTimeoutSeconds), m_limits(limits) {}

void AxisProtection::relay(double seconds, int direction) {
    m_relay = direction;
    m_motion.relay(seconds, direction);
}

ProtectionEvent AxisProtection::reading(double seconds, double angle) {
    ProtectionEvent event{m_motion.reading(seconds, angle)};
    event.switchOff = !mayDrive(m_relay, angle);
    return event;
}

ProtectionEvent AxisProtection::check(double seconds) {
    ProtectionEvent event{m_motion.check(seconds)};
    event.switchOff = !m_motion.allows(m_relay);
    return event;
}

bool AxisProtection::mayDrive(int direction, double angle) const {
    if (!m_motion.allows(direction)) {
        return false;
    }
    if (!m_limits.active || direction == 0) {
        return true;
    }
    // Written so that an angle that is not a number is beyond both limits.
    return direction > 0 ? angle < m_limits.maximum : angle > m_limits.minimum;
}

TargetClamp AxisProtection::clampTarget(double target) {
    std::optional<double> limit;
    if (m_limits.active && target < m_limits.minimum) {
        limit = m_limits.minimum;
    } else if (m_limits.active && target > m_limits.maximum) {
        limit = m_limits.maximum;
    }
    const bool begins = limit && limit != m_clampedTo;
    m_clampedTo = limit;
    return {limit.value_or(target), limit, begins};
}

} // namespace zenko::core
