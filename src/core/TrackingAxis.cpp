#include "core/TrackingAxis.h"

#include <algorithm>
#include <cmath>

#include "core/DriveDecision.h"

namespace zenko::core {

namespace {

// How strongly one measurement moves what has been learnt; the readings carry a few tenths of
// a degree of noise.
constexpr double kLearningWeight = 0.3;
// Past twice the start lag a motor has run up, whatever its ramp; the margin covers the
// reading's own timing.
constexpr double kRunUpMargin = 0.15;
// A speed measured over less time is mostly the readings' noise.
constexpr double kSpeedSpanSeconds = 0.3;
// A drive that measures much slower than known has met an end stop, not a slower motor.
constexpr double kStalledFraction = 0.25;
// Beyond these a measurement is a disturbance (a hand on the mast, a slipping clamp), not the
// motor.
constexpr double kMaximumLag = 1.0;
constexpr double kMaximumCoast = 5.0;
// After an off command the axis is left to come to rest before it is read as resting.
constexpr double kSettleSeconds = 0.3;
// Errors this small start a drive only when more than one resting reading shows them.
constexpr double kConfirmError = 1.5;
constexpr std::size_t kConfirmReadings = 2;
// A target coming towards the antenna that reaches the dead band within this time is waited for.
constexpr double kWaitSeconds = 1.5;
// A moving target is met half a second of its motion ahead, but less than the dead band, so
// that the antenna never rests farther from it than a drive would correct.
constexpr double kLeadSeconds = 0.5;
constexpr double kMaximumLead = 0.8;
// The shortest drive worth its two relay changes, beyond the start lag.
constexpr double kMinimumPulseSeconds = 0.05;
// A drive that ends within this time of now ends now.
constexpr double kEndNowSeconds = 0.01;
// A drive shorter than this beyond the start lag is mostly run-up: its travel tells little.
constexpr double kShortestMeasuredDrive = 0.08;
// Without fresh readings a drive ends by itself after two steps.
constexpr double kMissedStepMargin = 0.2;

double Learn(double known, double measured) {
    return known + kLearningWeight * (measured - known);
}

} // namespace

double PredictStop(const AxisMotion& motion, int direction, double onSeconds,
                   const TimedAngle& reading, double offSeconds) {
    const double turning = onSeconds + motion.startLag;
    const double from = std::max(reading.seconds, turning);
    const double to = std::max(offSeconds, turning);
    return reading.angle + direction * (motion.speed * std::max(0.0, to - from) + motion.coast);
}

std::optional<double> PlanStop(const AxisMotion& motion, int direction, double onSeconds,
                               const TimedAngle& reading, double aim, double aimRate) {
    const double from = std::max(reading.seconds, onSeconds + motion.startLag);
    const double aimThen = aim + aimRate * (from - reading.seconds);
    const double beyond = direction * (reading.angle + direction * motion.coast - aimThen);
    if (beyond >= 0) {
        return from;
    }
    const double closing = motion.speed - direction * aimRate;
    if (closing <= kStalledFraction * motion.speed) {
        return std::nullopt;
    }
    return from - beyond / closing;
}

double AimAhead(double target, double rate) {
    return target + std::clamp(rate * kLeadSeconds, -kMaximumLead, kMaximumLead);
}

TrackingOrder TrackingAxis::step(const TimedAngle& reading, double target, double targetRate,
                                 double stepSeconds) {
    const double now = reading.seconds;
    if (m_direction != 0 && m_plannedOff && *m_plannedOff <= now) {
        endDrive(*m_plannedOff);
    }
    if (!std::isfinite(reading.angle) || !std::isfinite(target) || !std::isfinite(targetRate)) {
        if (m_direction != 0) {
            endDrive(now);
        }
        return {};
    }
    learn(reading);
    const bool starting = m_direction == 0;
    TimedAngle from = reading;
    if (starting) {
        if (now - m_offSeconds < kSettleSeconds) {
            return {};
        }
        from.angle = restingAngle();
        const double error = from.angle - target;
        if (std::fabs(error) < kDeadBand ||
            (m_restCount < kConfirmReadings && std::fabs(error) < kConfirmError) ||
            (error * targetRate > 0 &&
             std::fabs(error) - std::fabs(targetRate) * kWaitSeconds < kDeadBand)) {
            return {};
        }
        m_direction = error < 0 ? 1 : -1;
        m_onSeconds = now;
        m_startReading = from;
        m_lastReading = from;
        m_speedAnchor.reset();
        m_lagLearnt = false;
        m_coastFrom.reset();
        m_restCount = 0;
    }
    const std::optional<double> stop = PlanStop(m_motion, m_direction, m_onSeconds, from,
                                                AimAhead(target, targetRate), targetRate);
    double offAt = now + 2 * stepSeconds + kMissedStepMargin;
    if (stop) {
        offAt = std::min(offAt, *stop);
    }
    if (starting) {
        offAt = std::max(offAt, now + m_motion.startLag + kMinimumPulseSeconds);
    } else if (offAt <= std::max(now, m_onSeconds + m_motion.startLag) + kEndNowSeconds) {
        endDrive(now);
        return {};
    }
    m_plannedOff = offAt;
    return {m_direction, offAt - now};
}

void TrackingAxis::switchedOff(double seconds) {
    if (m_direction != 0) {
        // The pulse timer may have ended the drive already.
        endDrive(m_plannedOff ? std::min(*m_plannedOff, seconds) : seconds);
    }
}

void TrackingAxis::endDrive(double seconds) {
    m_coastFrom.reset();
    if (m_speedAnchor) {
        m_coastFrom = PredictStop(m_motion, m_direction, m_onSeconds, m_lastReading, seconds) -
                      m_direction * m_motion.coast;
    }
    m_driveSeconds = seconds - m_onSeconds;
    m_coastDirection = m_direction;
    m_direction = 0;
    m_offSeconds = seconds;
    m_plannedOff.reset();
    m_restCount = 0;
}

void TrackingAxis::learn(const TimedAngle& reading) {
    if (m_direction != 0) {
        const double elapsed = reading.seconds - m_onSeconds;
        if (elapsed >= 2 * m_motion.startLag + kRunUpMargin) {
            if (!m_lagLearnt) {
                const double travelled = m_direction * (reading.angle - m_startReading.angle);
                m_motion.startLag =
                    Learn(m_motion.startLag,
                          std::clamp(elapsed - travelled / m_motion.speed, 0.0, kMaximumLag));
                m_lagLearnt = true;
            }
            if (!m_speedAnchor) {
                m_speedAnchor = reading;
            } else if (reading.seconds - m_speedAnchor->seconds >= kSpeedSpanSeconds) {
                const double speed = m_direction * (reading.angle - m_speedAnchor->angle) /
                                     (reading.seconds - m_speedAnchor->seconds);
                if (speed >= kStalledFraction * m_motion.speed) {
                    m_motion.speed = Learn(m_motion.speed, speed);
                }
                m_speedAnchor = reading;
            }
        }
    } else if (reading.seconds - m_offSeconds >= kSettleSeconds) {
        if (m_coastDirection != 0) {
            learnFromDrive(reading.angle);
            m_coastDirection = 0;
        }
        std::rotate(m_rest.rbegin(), m_rest.rbegin() + 1, m_rest.rend());
        m_rest[0] = reading.angle;
        m_restCount = std::min(m_restCount + 1, kRestReadings);
    }
    m_lastReading = reading;
}

// A drive seen in motion tells the coast; one too short to be seen in motion tells the speed
// from how far it went.
void TrackingAxis::learnFromDrive(double restingAngle) {
    if (m_coastFrom) {
        m_motion.coast =
            Learn(m_motion.coast,
                  std::clamp(m_coastDirection * (restingAngle - *m_coastFrom), 0.0, kMaximumCoast));
        return;
    }
    const double turning = m_driveSeconds - m_motion.startLag;
    const double travelled =
        m_coastDirection * (restingAngle - m_startReading.angle) - m_motion.coast;
    if (turning >= kShortestMeasuredDrive && travelled > 0) {
        m_motion.speed =
            Learn(m_motion.speed, std::clamp(travelled / turning, kStalledFraction * m_motion.speed,
                                             m_motion.speed / kStalledFraction));
    }
}

double TrackingAxis::restingAngle() const {
    if (m_restCount == 0) {
        return m_lastReading.angle;
    }
    double sum = 0;
    for (std::size_t i = 0; i < m_restCount; ++i) {
        sum += m_rest[i];
    }
    return sum / static_cast<double>(m_restCount);
}

} // namespace zenko::core
