#pragma once

#include <cstddef>
#include <cstdint>

#include <QString>

#include "core/ControllerState.h"

// The members one axis works on in a control step, so that both drive laws handle the two axes
// through one table; azimuth comes first.
namespace zenko::ui {

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

// Where an axis stands in kAxes and the other arrays of two: azimuth first.
inline constexpr std::size_t AxisIndex(core::AxisId axis) {
    return axis == core::AxisAz ? 0 : 1;
}

namespace axis_members {
using S = core::ControllerState;
inline constexpr AxisMembers kAxes[] = {
    {core::AxisAz, core::TIMER_AZ_PULSE, &S::m_dAzVolt, &S::m_dCalAzVolt1, &S::m_dCalAzVolt2,
     &S::m_dCalAzAng1, &S::m_dCalAzAng2, &S::m_dAzAngle, &S::m_dAzTarget, &S::m_dAzError,
     &S::m_strAzAngle, &S::m_strAzVolt, &S::m_strAzError, &S::m_nAzDrivePos, &S::m_nAzDriveNeg,
     &S::m_nAzOutOn},
    {core::AxisEl, core::TIMER_EL_PULSE, &S::m_dElVolt, &S::m_dCalElVolt1, &S::m_dCalElVolt2,
     &S::m_dCalElAng1, &S::m_dCalElAng2, &S::m_dElAngle, &S::m_dElTarget, &S::m_dElError,
     &S::m_strElAngle, &S::m_strElVolt, &S::m_strElError, &S::m_nElDrivePos, &S::m_nElDriveNeg,
     &S::m_nElOutOn},
};
} // namespace axis_members
using axis_members::kAxes;

// The reading turned into the angle, the error against the target and their readouts, the same
// for both drive laws; the drive values start at 0 until a drive is ordered.
void UpdateAxisReadouts(core::ControllerState& state, const AxisMembers& axis);

} // namespace zenko::ui
