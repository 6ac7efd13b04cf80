#include <chrono>
#include <cmath>

#include "core/TrackingDrive.h"
#include "device/BoardProtocol.h"
#include "ui/AxisMembers.h"
#include "ui/ControllerDlg.h"

using namespace zenko;

namespace {

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void CControllerDlg::StartTracking() {
    const bool enabled = m_tracking.enabled;
    m_tracking = {};
    m_tracking.enabled = enabled;
    m_tracking.stepMs = core::TrackingStepPeriodMs(m_nControlInterval);
    // Start has just asked for the first readings.
    m_tracking.awaitingStep = true;
    m_timers.setTimer(core::TIMER_CONTROL, m_tracking.stepMs);
}

// An axis whose ADC has fallen silent is not driven on an old reading; the other goes on. When
// both have, the step still runs: a relay left on at full speed would otherwise stay on.
void CControllerDlg::OnTrackingTick() {
    if (m_tracking.awaitingStep) {
        RunTrackingStep();
    }
    m_tracking.replied[0] = false;
    m_tracking.replied[1] = false;
    m_tracking.awaitingStep = true;
    SendAdcRequest(device::kAzAdcChannel, 0);
    SendAdcRequest(device::kElAdcChannel, 0);
}

void CControllerDlg::OnTrackingReading(core::AxisId axis) {
    m_tracking.replied[ui::AxisIndex(axis)] = true;
    if (m_bRunning && m_tracking.replied[0] && m_tracking.replied[1]) {
        RunTrackingStep();
    }
}

void CControllerDlg::NoteTrackingSetValues(const setvalue::SetValues& values) {
    const double now = SteadySeconds();
    if (values.azimuth) {
        m_tracking.setValues[0].add(now, m_dRemoteSetAz);
    }
    if (values.elevation) {
        m_tracking.setValues[1].add(now, m_dRemoteSetEl);
    }
}

void CControllerDlg::RunTrackingStep() {
    ReadLocalSetValues();
    SelectTarget(m_nSelector);
    const double now = SteadySeconds();
    const double stepSeconds = m_tracking.stepMs / 1000.0;
    for (std::size_t i = 0; i < 2; ++i) {
        const ui::AxisMembers& axis = ui::kAxes[i];
        ui::UpdateAxisReadouts(*this, axis);
        core::TrackingAxis& tracking = m_tracking.axes[i];
        // The feedback guard holds a silent axis off here as in the designed law, and journals it.
        const bool fresh = CheckAxisFeedback(axis.axis);
        if (this->*axis.outputOn != 1 || !fresh) {
            tracking.switchedOff(now);
            continue;
        }
        const auto switchOff = [&] {
            tracking.switchedOff(now);
            SendRelayCommand(axis.axis, 0, 0);
            m_timers.killTimer(axis.pulseTimer);
        };
        if (!m_tracking.replied[i]) {
            switchOff();
            continue;
        }
        core::AxisTarget target = core::TrackingTarget(m_tracking.setValues[i], this->*axis.target,
                                                       m_nSelector == core::SelectorRemote, now);
        // A target held at a soft limit stands still there.
        if (const core::TargetClamp clamp = ClampDriveTarget(axis.axis, target.angle);
            clamp.limit) {
            target = {clamp.target, 0.0};
        }
        const core::TrackingOrder order =
            tracking.step({now, this->*axis.angle}, target.angle, target.rate, stepSeconds);
        if (!MayDrive(axis.axis, order.direction, this->*axis.angle)) {
            switchOff();
            continue;
        }
        SendRelayCommand(axis.axis, order.direction > 0 ? 1 : 0, order.direction < 0 ? 1 : 0);
        if (!order.offAfterSeconds) {
            m_timers.killTimer(axis.pulseTimer);
            continue;
        }
        const auto pulseMs = static_cast<std::int32_t>(std::lround(*order.offAfterSeconds * 1000));
        m_timers.setTimer(axis.pulseTimer, pulseMs);
        (order.direction < 0 ? this->*axis.drivePositive : this->*axis.driveNegative) = pulseMs;
    }
    m_tracking.replied[0] = false;
    m_tracking.replied[1] = false;
    m_tracking.awaitingStep = false;
    ShowState();
}
