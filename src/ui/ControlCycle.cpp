#include <QCheckBox>

#include "core/DriveDecision.h"
#include "device/BoardProtocol.h"
#include "ui/AxisMembers.h"
#include "ui/ControllerDlg.h"

using namespace zenko;

using ui::AxisMembers;
using ui::kAxes;

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
        ui::UpdateAxisReadouts(*this, axis);
        // The error readout keeps its designed meaning; the drive works towards the target as
        // the soft limits allow it, which without limits is the same.
        const double driveError =
            this->*axis.angle - ClampDriveTarget(axis.axis, this->*axis.target).target;
        const std::int32_t driveTime = core::ComputeDriveTime(driveError, intervalMs);
        const bool fresh = CheckAxisFeedback(axis.axis);
        if (this->*axis.outputOn == 1 && fresh) {
            core::DriveOrder order = core::DecideDrive(driveError, driveTime);
            if (!MayDrive(axis.axis, core::RelayDirection(order.increaseOn, order.decreaseOn),
                          this->*axis.angle)) {
                order = {};
            }
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
