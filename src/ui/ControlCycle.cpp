#include <QCheckBox>

#include "core/AngleCalibration.h"
#include "core/DriveDecision.h"
#include "device/BoardProtocol.h"
#include "platform/Formats.h"
#include "ui/ControllerDlg.h"

using namespace zenko;

namespace {

// The members one axis works on in a control step; azimuth comes first.
struct AxisMembers {
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
constexpr AxisMembers kAxes[] = {
    {core::AxisAz, core::TIMER_AZ_PULSE, &S::m_dAzVolt, &S::m_dCalAzVolt1, &S::m_dCalAzVolt2,
     &S::m_dCalAzAng1, &S::m_dCalAzAng2, &S::m_dAzAngle, &S::m_dAzTarget, &S::m_dAzError,
     &S::m_strAzAngle, &S::m_strAzVolt, &S::m_strAzError, &S::m_nAzDrivePos, &S::m_nAzDriveNeg,
     &S::m_nAzOutOn},
    {core::AxisEl, core::TIMER_EL_PULSE, &S::m_dElVolt, &S::m_dCalElVolt1, &S::m_dCalElVolt2,
     &S::m_dCalElAng1, &S::m_dCalElAng2, &S::m_dElAngle, &S::m_dElTarget, &S::m_dElError,
     &S::m_strElAngle, &S::m_strElVolt, &S::m_strElError, &S::m_nElDrivePos, &S::m_nElDriveNeg,
     &S::m_nElOutOn},
};

} // namespace

void CControllerDlg::OnTimer(unsigned id) {
    ReadLocalSetValues();
    switch (id) {
    case core::TIMER_CONTROL:
        if (m_tracking.enabled) {
            OnTrackingTick();
            break;
        }
        m_bAdcRequested = !m_bAdcRequested;
        if (m_bAdcRequested) {
            SendAdcRequest(device::kAzAdcChannel, 0);
            SendAdcRequest(device::kElAdcChannel, 0);
        } else {
            RunControlStep();
        }
        break;
    case core::TIMER_AZ_PULSE:
    case core::TIMER_EL_PULSE: {
        m_timers.killTimer(id);
        const AxisMembers& axis = kAxes[id == core::TIMER_AZ_PULSE ? 0 : 1];
        if (this->*axis.outputOn == 1) {
            SendRelayCommand(axis.axis, 0, 0);
        }
        break;
    }
    default:
        break;
    }
}

void CControllerDlg::RunControlStep() {
    SelectTarget(m_nSelector);
    // The interval as it stands now, which the operator may have changed since Start; the
    // product wraps as the unsigned arithmetic always did.
    const auto intervalMs = static_cast<std::int32_t>(m_nControlInterval * 1000u);
    for (const AxisMembers& axis : kAxes) {
        this->*axis.angle = core::ConvertVoltsToAngle(this->*axis.volts, this->*axis.calVolts1,
                                                      this->*axis.calVolts2, this->*axis.calAngle1,
                                                      this->*axis.calAngle2);
        this->*axis.angleText = platform::FormatAngle(this->*axis.angle);
        this->*axis.voltsText = platform::FormatVolts(this->*axis.volts);
        this->*axis.error = this->*axis.angle - this->*axis.target;
        this->*axis.errorText = platform::FormatAngle(this->*axis.error);
        const std::int32_t driveTime = core::ComputeDriveTime(this->*axis.error, intervalMs);
        this->*axis.drivePositive = 0;
        this->*axis.driveNegative = 0;
        if (this->*axis.outputOn == 1) {
            const core::DriveOrder order = core::DecideDrive(this->*axis.error, driveTime);
            SendRelayCommand(axis.axis, order.increaseOn ? 1 : 0, order.decreaseOn ? 1 : 0);
            if (order.pulseMs) {
                m_timers.setTimer(axis.pulseTimer, *order.pulseMs);
            }
            this->*axis.drivePositive = order.positiveErrorDrive;
            this->*axis.driveNegative = order.negativeErrorDrive;
        }
    }
    ShowState();
}

void CControllerDlg::OnAzOutClicked() {
    m_nAzOutOn = m_checkAzOut->isChecked() ? 1 : 0;
    if (m_nAzOutOn == 0 && m_bRunning) {
        SendRelayCommand(core::AxisAz, 0, 0);
    }
}

void CControllerDlg::OnElOutClicked() {
    m_nElOutOn = m_checkElOut->isChecked() ? 1 : 0;
    if (m_nElOutOn == 0 && m_bRunning) {
        SendRelayCommand(core::AxisEl, 0, 0);
    }
}
