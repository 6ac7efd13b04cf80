#include "VirtualController.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/AxisProtection.h"
#include "core/ControllerState.h"
#include "core/DriveDecision.h"
#include "core/StartChecks.h"
#include "core/TrackingDrive.h"
#include "device/BoardProtocol.h"

namespace zenko::bench {

namespace {

constexpr std::uint8_t kChannels[2] = {device::kAzAdcChannel, device::kElAdcChannel};
constexpr core::AxisId kAxisIds[2] = {core::AxisAz, core::AxisEl};
// The window's timers never fire sooner than this.
constexpr double kShortestTimerSeconds = 0.010;

} // namespace

std::chrono::nanoseconds BoardTime(double seconds) {
    return std::chrono::nanoseconds(static_cast<std::int64_t>(std::llround(seconds * 1e9)));
}

VirtualController::VirtualController(const VirtualControllerSettings& settings,
                                     picnic::SimulatedBoard& board)
    : m_settings(settings), m_board(board) {}

void VirtualController::start(double now) {
    m_start = now;
    m_feedback = {};
    m_ioDirectionsSentMs = 0;
    for (std::size_t i = 0; i < 2; ++i) {
        m_protection[i] = core::AxisProtection(m_settings.protection.stallTimeoutSeconds,
                                               m_settings.protection.limits[i]);
    }
    sendIoDirections(now);
    m_period = m_settings.trackingDrive
                   ? core::TrackingStepPeriodMs(m_settings.controlIntervalSeconds) / 1000.0
                   : core::ControlTimerPeriod(m_settings.controlIntervalSeconds) / 1000.0;
    m_nextTick = now + m_period;
    request(now);
    m_adcRequested = true;
    m_awaitingStep = true;
}

double VirtualController::nextEvent() const {
    double next = m_nextTick;
    for (const auto& end : m_pulseEnd) {
        if (end) {
            next = std::min(next, *end);
        }
    }
    return next;
}

void VirtualController::advance(double now) {
    for (std::size_t i = 0; i < 2; ++i) {
        if (m_pulseEnd[i] && *m_pulseEnd[i] <= now) {
            m_pulseEnd[i].reset();
            sendRelay(now, i, 0);
        }
    }
    if (m_nextTick > now) {
        return;
    }
    m_nextTick += m_period;
    if (m_settings.trackingDrive) {
        trackingTick(now);
        return;
    }
    m_adcRequested = !m_adcRequested;
    if (m_adcRequested) {
        request(now);
    } else {
        controlStep(now);
    }
}

void VirtualController::setTarget(double now, std::size_t axis, double angle, bool remote) {
    m_target[axis] = angle;
    m_remote = remote;
    if (remote) {
        m_rates[axis].add(now, angle);
    }
}

std::int64_t VirtualController::clockMs(double now) const {
    return std::llround((now - m_start) * 1000.0);
}

void VirtualController::send(double now, const QByteArray& bytes) {
    const picnic::BoardResponse response = m_board.handle(bytes, BoardTime(now));
    if (m_observer) {
        m_observer(now, bytes, response);
    }
    if (response.reply.isEmpty()) {
        return;
    }
    const auto count = device::ParseAdcReply(response.reply);
    if (count) {
        onReply(now, response.answer->axis == picnic::Axis::Azimuth ? 0 : 1, *count);
    }
}

void VirtualController::sendRelay(double now, std::size_t axis, int direction) {
    noteDrive(now, axis);
    m_protection[axis].relay(now - m_start, direction);
    send(now,
         *device::BuildRelayCommand(kAxisIds[axis], direction > 0 ? 1 : 0, direction < 0 ? 1 : 0));
}

void VirtualController::sendIoDirections(double now) {
    for (const auto& command : device::kIoDirections) {
        send(now, device::BuildIoDirectionCommand(command[0], command[1], command[2]));
    }
}

void VirtualController::request(double now) {
    for (const std::uint8_t channel : kChannels) {
        send(now, device::BuildAdcRequest(channel, 0));
    }
}

void VirtualController::onReply(double now, std::size_t axis, std::int16_t count) {
    m_volts[axis] = device::CountToVolts(count);
    core::AxisFeedback& feedback = m_feedback[axis];
    const std::int64_t nowMs = clockMs(now);
    feedback.replyGapMs = nowMs - feedback.lastReplyMs;
    feedback.lastReplyMs = nowMs;
    if (m_settings.resendIoDirections &&
        core::IoDirectionsLost(nowMs, feedback.replyGapMs, m_ioDirectionsSentMs,
                               core::FeedbackLimitsFor(m_settings.feedbackTimeoutSeconds,
                                                       m_settings.controlIntervalSeconds))) {
        sendIoDirections(now);
        m_ioDirectionsSentMs = nowMs;
    }
    if (m_protection[axis].active()) {
        noteDrive(now, axis);
        const core::ProtectionEvent event =
            m_protection[axis].reading(now - m_start, angleOf(axis));
        noteTrip(now, axis, event);
        if (event.switchOff) {
            m_pulseEnd[axis].reset();
            sendRelay(now, axis, 0);
        }
    }
    if (m_settings.trackingDrive) {
        m_replied[axis] = true;
        if (m_replied[0] && m_replied[1]) {
            trackingStep(now);
        }
    }
}

bool VirtualController::checkFeedback(double now, std::size_t axis) {
    core::AxisFeedback& feedback = m_feedback[axis];
    const core::FeedbackLimits limits = core::FeedbackLimitsFor(m_settings.feedbackTimeoutSeconds,
                                                                m_settings.controlIntervalSeconds);
    const core::FeedbackStep step =
        core::CheckFeedback(feedback.silent, clockMs(now) - feedback.lastReplyMs, limits);
    feedback.silent = step.silent;
    if (step.change == core::FeedbackChange::WentSilent && limits.switchesOff) {
        m_pulseEnd[axis].reset();
        sendRelay(now, axis, 0);
    }
    return step.drive;
}

bool VirtualController::mayDrive(double now, std::size_t axis, int direction, double angle) {
    if (core::MotionJudgedWithoutReading(m_settings.feedbackTimeoutSeconds > 0,
                                         clockMs(now) - m_feedback[axis].lastReplyMs,
                                         m_settings.controlIntervalSeconds)) {
        noteTrip(now, axis, m_protection[axis].check(now - m_start));
    }
    return m_protection[axis].mayDrive(direction, angle);
}

double VirtualController::angleOf(std::size_t axis) const {
    return m_volts[axis] * m_settings.degreesPerVolt[axis];
}

core::TargetClamp VirtualController::clampTarget(std::size_t axis, double target) {
    const core::TargetClamp clamp = m_protection[axis].clampTarget(target);
    m_clampsBegun += clamp.begins ? 1 : 0;
    return clamp;
}

void VirtualController::noteTrip(double now, std::size_t axis, const core::ProtectionEvent& event) {
    if (event.trip) {
        m_trips.push_back({now, axis, *event.trip});
    }
}

void VirtualController::noteDrive(double now, std::size_t axis) {
    const auto moved = m_protection[axis].movementOverTimeout(now - m_start);
    if (moved && (!m_leastMovement[axis] || *moved < *m_leastMovement[axis])) {
        m_leastMovement[axis] = moved;
    }
}

void VirtualController::controlStep(double now) {
    const auto intervalMs = static_cast<std::int32_t>(m_settings.controlIntervalSeconds * 1000u);
    for (std::size_t i = 0; i < 2; ++i) {
        const double angle = angleOf(i);
        const double driveError = angle - clampTarget(i, m_target[i]).target;
        const std::int32_t driveTime = core::ComputeDriveTime(driveError, intervalMs);
        if (!checkFeedback(now, i)) {
            continue;
        }
        core::DriveOrder order = core::DecideDrive(driveError, driveTime);
        int direction = core::RelayDirection(order.increaseOn, order.decreaseOn);
        if (!mayDrive(now, i, direction, angle)) {
            order = {};
            direction = 0;
        }
        sendRelay(now, i, direction);
        if (order.pulseMs) {
            m_pulseEnd[i] = now + std::max(*order.pulseMs / 1000.0, kShortestTimerSeconds);
        }
    }
}

void VirtualController::trackingTick(double now) {
    if (m_awaitingStep) {
        trackingStep(now);
    }
    m_replied = {false, false};
    m_awaitingStep = true;
    request(now);
}

void VirtualController::trackingStep(double now) {
    for (std::size_t i = 0; i < 2; ++i) {
        core::TrackingAxis& tracking = m_tracking[i];
        const double angle = angleOf(i);
        if (!checkFeedback(now, i)) {
            tracking.switchedOff(now);
            continue;
        }
        const auto switchOff = [&] {
            tracking.switchedOff(now);
            sendRelay(now, i, 0);
            m_pulseEnd[i].reset();
        };
        if (!m_replied[i]) {
            switchOff();
            continue;
        }
        core::AxisTarget target = core::TrackingTarget(m_rates[i], m_target[i], m_remote, now);
        if (const core::TargetClamp clamp = clampTarget(i, target.angle); clamp.limit) {
            target = {clamp.target, 0.0};
        }
        const core::TrackingOrder order =
            tracking.step({now, angle}, target.angle, target.rate, m_period);
        if (!mayDrive(now, i, order.direction, angle)) {
            switchOff();
            continue;
        }
        sendRelay(now, i, order.direction);
        m_pulseEnd[i].reset();
        if (order.offAfterSeconds) {
            m_pulseEnd[i] = now + std::max(std::round(*order.offAfterSeconds * 1000) / 1000,
                                           kShortestTimerSeconds);
        }
    }
    m_replied = {false, false};
    m_awaitingStep = false;
}

} // namespace zenko::bench
