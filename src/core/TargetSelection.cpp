#include "core/TargetSelection.h"

#include "platform/Formats.h"
#include "platform/Numbers.h"

namespace zenko::core {

void SelectTarget(ControllerState& state, std::int32_t selector) {
    switch (selector) {
    case SelectorPreset1:
        state.m_dAzTarget = state.m_dPreset1Az;
        state.m_dElTarget = state.m_dPreset1El;
        break;
    case SelectorLocal:
        state.m_dAzTarget = state.m_nLocalSetAz;
        state.m_dElTarget = state.m_nLocalSetEl;
        break;
    case SelectorRemote:
        state.m_dAzTarget = state.m_dRemoteSetAz;
        state.m_dElTarget = state.m_dRemoteSetEl;
        break;
    default:
        break;
    }
}

void ReadLocalSetValues(ControllerState& state, const QString& azText, const QString& elText) {
    state.m_nLocalSetAz = platform::LenientToInt(azText);
    state.m_nLocalSetEl = platform::LenientToInt(elText);
}

std::int32_t SelectorFromRadios(bool preset1Checked, bool localChecked, bool remoteChecked,
                                std::int32_t held) {
    if (preset1Checked) {
        return SelectorPreset1;
    }
    if (localChecked) {
        return SelectorLocal;
    }
    if (remoteChecked) {
        return SelectorRemote;
    }
    return held;
}

void TakeCurrentAnglesAsRemote(ControllerState& state) {
    state.m_dRemoteSetAz = state.m_dAzAngle;
    state.m_dRemoteSetEl = state.m_dElAngle;
    state.m_strRemoteSetAz = platform::FormatAngle(state.m_dRemoteSetAz);
    state.m_strRemoteSetEl = platform::FormatAngle(state.m_dRemoteSetEl);
}

} // namespace zenko::core
