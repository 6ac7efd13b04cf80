#include <chrono>
#include <cmath>

#include "core/AngleCalibration.h"
#include "core/TrackingDrive.h"
#include "device/BoardProtocol.h"
#include "platform/Formats.h"
#include "ui/ControllerDlg.h"

using namespace zenko;

namespace {

// The members one axis works on in a tracking step; azimuth comes first, as in m_tracking.
struct TrackingAxisMembers {
    core::AxisId axis;
    unsigned pulseTimer;
    double core::ControllerState::*volts;
    double core::ControllerState::*calVolts1;
    double core::ControllerState::*calVolts2;
    double core::ControllerState::*calAngle1;
    double core::ControllerState::*calAngle2;
    double core::ControllerState::*angle;
    double core::ControllerState::*target;
    double core::ControllerState::*error;
    QString core::ControllerState::*angleText;
    QString core::ControllerState::*voltsText;
    QString core::ControllerState::*errorText;
    std::int32_t core::ControllerState::*drivePositive;
    std::int32_t core::ControllerState::*driveNegative;
    std::int32_t core::ControllerState::*outputOn;
};

using S = core::ControllerState;
constexpr TrackingAxisMembers kTrackingAxes[] = {
    {core::AxisAz, core::TIMER_AZ_PULSE, &S::m_dAzVolt, &S::m_dCalAzVolt1, &S::m_dCalAzVolt2,
     &S::m_dCalAzAng1, &S::m_dCalAzAng2, &S::m_dAzAngle, &S::m_dAzTarget, &S::m_dAzError,
     &S::m_strAzAngle, &S::m_strAzVolt, &S::m_strAzError, &S::m_nAzDrivePos, &S::m_nAzDriveNeg,
     &S::m_nAzOutOn},
    {core::AxisEl, core::TIMER_EL_PULSE, &S::m_dElVolt, &S::m_dCalElVolt1, &S::m_dCalElVolt2,
     &S::m_dCalElAng1, &S::m_dCalElAng2, &S::m_dElAngle, &S::m_dElTarget, &S::m_dElError,
     &S::m_strElAngle, &S::m_strElVolt, &S::m_strElError, &S::m_nElDrivePos, &S::m_nElDriveNeg,
     &S::m_nElOutOn},
};

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
    m_timers.setTimer(core::TIMER_CONTROL, m_tracking.stepMs);
}

// An axis whose ADC has fallen silent is not driven on an old reading; the other goes on.
void CControllerDlg::OnTrackingTick() {
    if (m_tracking.replied[0] != m_tracking.replied[1]) {
        RunTrackingStep();
    }
    m_tracking.replied[0] = false;
    m_tracking.replied[1] = false;
    SendAdcRequest(device::kAzAdcChannel, 0);
    SendAdcRequest(device::kElAdcChannel, 0);
}

void CControllerDlg::OnTrackingReading(core::AxisId axis) {
    m_tracking.replied[axis == core::AxisAz ? 0 : 1] = true;
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
        const TrackingAxisMembers& axis = kTrackingAxes[i];
        this->*axis.angle = core::ConvertVoltsToAngle(this->*axis.volts, this->*axis.calVolts1,
                                                      this->*axis.calVolts2, this->*axis.calAngle1,
                                                      this->*axis.calAngle2);
        this->*axis.angleText = platform::FormatAngle(this->*axis.angle);
        this->*axis.voltsText = platform::FormatVolts(this->*axis.volts);
        this->*axis.error = this->*axis.angle - this->*axis.target;
        this->*axis.errorText = platform::FormatAngle(this->*axis.error);
        this->*axis.drivePositive = 0;
        this->*axis.driveNegative = 0;
        core::TrackingAxis& tracking = m_tracking.axes[i];
        if (this->*axis.outputOn != 1) {
            tracking.switchedOff(now);
            continue;
        }
        if (!m_tracking.replied[i]) {
            tracking.switchedOff(now);
            SendRelayCommand(axis.axis, 0, 0);
            m_timers.killTimer(axis.pulseTimer);
            continue;
        }
        const core::AxisTarget target = core::TrackingTarget(
            m_tracking.setValues[i], this->*axis.target, m_nSelector == core::SelectorRemote, now);
        const core::TrackingOrder order =
            tracking.step({now, this->*axis.angle}, target.angle, target.rate, stepSeconds);
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
    ShowState();
}
