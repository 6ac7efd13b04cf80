#include "ui/MainWindowBindings.h"

#include <array>

#include "ui/MainWindowTemplate.h"

namespace zenko::ui {

namespace {

using S = core::ControllerState;
using T = Transfer;

const std::array<FieldBinding<S>, 24> kBindings{{
    {ctl::ControlInterval, T::UnsignedInt, &S::m_nControlInterval},
    {ctl::PicnicIp, T::ComboText, &S::m_strPicnicIp},
    {ctl::LocalAz, T::SignedInt, &S::m_nLocalSetAz},
    {ctl::LocalEl, T::SignedInt, &S::m_nLocalSetEl},
    {ctl::AzDriveNeg, T::SignedInt, &S::m_nAzDriveNeg},
    {ctl::AzDrivePos, T::SignedInt, &S::m_nAzDrivePos},
    {ctl::ElDriveNeg, T::SignedInt, &S::m_nElDriveNeg},
    {ctl::ElDrivePos, T::SignedInt, &S::m_nElDrivePos},
    {ctl::BinPort, T::Int16, &S::m_nBinPort},
    {ctl::PicnicPort, T::Int16, &S::m_nPicnicPort},
    {ctl::AzAngle, T::Text, &S::m_strAzAngle},
    {ctl::ElAngle, T::Text, &S::m_strElAngle},
    {ctl::AzError, T::Text, &S::m_strAzError},
    {ctl::ElError, T::Text, &S::m_strElError},
    {ctl::RemoteAz, T::Text, &S::m_strRemoteSetAz},
    {ctl::RemoteEl, T::Text, &S::m_strRemoteSetEl},
    {ctl::AzOut, T::Check, &S::m_nAzOutOn},
    {ctl::ElOut, T::Check, &S::m_nElOutOn},
    {ctl::Preset1Text, T::Text, &S::m_strLocalSet1Text},
    {ctl::Preset1Az, T::Text, &S::m_strLocalSet1Az},
    {ctl::Preset1El, T::Text, &S::m_strLocalSet1El},
    {ctl::AscPort, T::Int16, &S::m_nAscPort},
    {ctl::AzVolt, T::Text, &S::m_strAzVolt},
    {ctl::ElVolt, T::Text, &S::m_strElVolt},
}};

} // namespace

std::span<const FieldBinding<core::ControllerState>> MainWindowBindings() {
    return kBindings;
}

} // namespace zenko::ui
