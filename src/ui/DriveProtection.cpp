#include "config/ConfigKeys.h"
#include "core/AngleCalibration.h"
#include "core/JournalText.h"
#include "platform/Journal.h"
#include "platform/ProfileFile.h"
#include "ui/AxisMembers.h"
#include "ui/ControllerDlg.h"

using namespace zenko;

void CControllerDlg::ReadProtectionKeys() {
    namespace key = config::key;
    const auto keyText = [this](const QString& name) {
        return core::KeyText{name, m_profile.readOptionalString(config::kSection, name)};
    };
    m_protectionSettings = core::ReadProtectionSettings(
        {keyText(key::StallTimeout), keyText(key::AzMinAng), keyText(key::AzMaxAng),
         keyText(key::ElMinAng), keyText(key::ElMaxAng)});
    if (m_protectionSettings.present) {
        qCInfo(platform::journalConfig).noquote() << core::ProtectionText(m_protectionSettings);
    }
    ResetProtection();
}

// Trips last until Stop; Start begins afresh, on the clock that starts with the link.
void CControllerDlg::ResetProtection() {
    for (std::size_t i = 0; i < m_protection.size(); ++i) {
        m_protection[i] = core::AxisProtection(m_protectionSettings.stallTimeoutSeconds,
                                               m_protectionSettings.limits[i]);
    }
}

double CControllerDlg::ProtectionSeconds() const {
    return static_cast<double>(m_feedbackClock.elapsed()) / 1000.0;
}

void CControllerDlg::NoteRelayCommand(std::int32_t axis, std::uint8_t increaseOn,
                                      std::uint8_t decreaseOn) {
    if (!m_bRunning || (axis != core::AxisAz && axis != core::AxisEl)) {
        return;
    }
    m_protection[ui::AxisIndex(static_cast<core::AxisId>(axis))].relay(
        ProtectionSeconds(), core::RelayDirection(increaseOn != 0, decreaseOn != 0));
}

void CControllerDlg::CheckProtectedReading(core::AxisId axis) {
    core::AxisProtection& protection = m_protection[ui::AxisIndex(axis)];
    if (!protection.active()) {
        return;
    }
    const ui::AxisMembers& members = ui::kAxes[ui::AxisIndex(axis)];
    // The angle of this reading; the readout keeps showing the control step's.
    const double angle = core::ConvertVoltsToAngle(
        this->*members.volts, this->*members.calVolts1, this->*members.calVolts2,
        this->*members.calAngle1, this->*members.calAngle2);
    const core::ProtectionEvent event = protection.reading(ProtectionSeconds(), angle);
    NoteMotionTrip(axis, event);
    if (event.switchOff) {
        m_timers.killTimer(members.pulseTimer);
        SendRelayCommand(axis, 0, 0);
    }
}

bool CControllerDlg::MayDrive(core::AxisId axis, int direction, double angle) {
    core::AxisProtection& protection = m_protection[ui::AxisIndex(axis)];
    const std::int64_t sinceReplyMs =
        m_feedbackClock.elapsed() - m_feedback[ui::AxisIndex(axis)].lastReplyMs;
    // The drive decided next switches the relay as the answer allows.
    if (core::MotionJudgedWithoutReading(m_nFeedbackTimeout > 0, sinceReplyMs,
                                         m_nControlInterval)) {
        NoteMotionTrip(axis, protection.check(ProtectionSeconds()));
    }
    return protection.mayDrive(direction, angle);
}

void CControllerDlg::NoteMotionTrip(core::AxisId axis, const core::ProtectionEvent& event) {
    if (event.trip) {
        qCWarning(platform::journalLink).noquote() << core::MotionTripText(axis, *event.trip);
        UpdateControllerTitle();
    }
}

core::TargetClamp CControllerDlg::ClampDriveTarget(core::AxisId axis, double target) {
    core::AxisProtection& protection = m_protection[ui::AxisIndex(axis)];
    const bool wasClamped = protection.clamped();
    const core::TargetClamp clamp = protection.clampTarget(target);
    if (clamp.begins) {
        qCInfo(platform::journalLink).noquote()
            << core::TargetClampedText(axis, target, *clamp.limit);
    }
    if (protection.clamped() != wasClamped) {
        UpdateControllerTitle();
    }
    return clamp;
}

void CControllerDlg::ClearProtection() {
    ResetProtection();
    UpdateControllerTitle();
}

void CControllerDlg::UpdateControllerTitle() {
    const bool feedbackGuard = m_nFeedbackTimeout > 0;
    // Without a guard the window stays as it always was.
    if (!feedbackGuard && !m_protection[0].active() && !m_protection[1].active()) {
        return;
    }
    std::array<core::AxisTitleConditions, 2> conditions;
    for (std::size_t i = 0; i < conditions.size(); ++i) {
        conditions[i] = {feedbackGuard && m_feedback[i].silent, m_protection[i].reversed(),
                         m_protection[i].stalled(), m_protection[i].clamped()};
    }
    ShowTitle(core::ControllerTitle(conditions[0], conditions[1]));
}
