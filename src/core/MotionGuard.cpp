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
    // way for a moment, which a timeout longer than any start leaves room for.
    if (direction != 0 && direction != m_watched) {
        m_watched = direction;
        m_watchedOnSeconds = 0;
        m_readings.clear();
        if (m_lastAngle) {
            m_readings.push_back({0.0, *m_lastAngle});
        }
    }
    m_relay = direction;
    m_relaySince = seconds;
}

std::optional<MotionTripReport> MotionGuard::reading(double seconds, double angle) {
    // A reading that is no angle shows no movement.
    if (std::isfinite(angle)) {
        m_lastAngle = angle;
        if (m_watched != 0) {
            const double on = onSeconds(seconds);
            // While the relay is off the on-time stands, and only the newest reading of it counts.
            if (!m_readings.empty() && m_readings.back().onSeconds == on) {
                m_readings.back().angle = angle;
            } else {
                m_readings.push_back({on, angle});
            }
            forgetOlderThanWindow(on);
        }
    }
    return check(seconds);
}

std::optional<MotionTripReport> MotionGuard::check(double seconds) {
    const auto moved = movementOverTimeout(seconds);
    if (!moved || *moved >= kClearMovement) {
        return std::nullopt;
    }
    forgetOlderThanWindow(onSeconds(seconds));
    const double window =
        onSeconds(seconds) - (m_readings.empty() ? 0.0 : m_readings.front().onSeconds);
    const MotionTrip kind = *moved <= -kClearMovement ? MotionTrip::Reversed : MotionTrip::Stalled;
    const MotionTripReport report{kind, m_watched, window, m_watched * *moved};
    if (kind == MotionTrip::Reversed) {
        m_reversed = true;
    } else {
        m_stalled[DirectionIndex(m_watched)] = true;
    }
    m_watched = 0;
    m_watchedOnSeconds = 0;
    m_readings.clear();
    return report;
}

bool MotionGuard::allows(int direction) const {
    return direction == 0 || (!m_reversed && !m_stalled[DirectionIndex(direction)]);
}

std::optional<double> MotionGuard::movementOverTimeout(double seconds) const {
    const double on = onSeconds(seconds);
    if (m_timeout <= 0 || m_watched == 0 || on < m_timeout) {
        return std::nullopt;
    }
    // Without a reading the axis shows no movement at all.
    if (m_readings.empty()) {
        return 0.0;
    }
    // The newest reading a timeout's worth of drive ago; the oldest one when the watch's first
    // reading came later than that.
    const Reading* from = &m_readings.front();
    for (const Reading& reading : m_readings) {
        if (reading.onSeconds <= on - m_timeout) {
            from = &reading;
        }
    }
    return m_watched * (m_readings.back().angle - from->angle);
}

double MotionGuard::onSeconds(double seconds) const {
    const bool counting = m_relay != 0 && m_relay == m_watched;
    return m_watchedOnSeconds + (counting ? seconds - m_relaySince : 0.0);
}

void MotionGuard::forgetOlderThanWindow(double onSeconds) {
    while (m_readings.size() >= 2 && m_readings[1].onSeconds <= onSeconds - m_timeout) {
        m_readings.pop_front();
    }
}

} // namespace zenko::core
