#include "core/JournalText.h"
#include "platform/Journal.h"
#include "ui/AxisMembers.h"
#include "ui/ControllerDlg.h"

using namespace zenko;

// The clock starts with the link, so that a board that never answers is caught as well.
void CControllerDlg::StartFeedbackWatch() {
    m_feedbackClock.start();
    m_feedback = {};
    m_ioDirectionsSentMs = 0;
}

// A board that restarted answers with its I/O directions forgotten; they go out again before
// the next drive command.
void CControllerDlg::NoteAdcReply(core::AxisId axis) {
    core::AxisFeedback& feedback = m_feedback[ui::AxisIndex(axis)];
    const std::int64_t now = m_feedbackClock.elapsed();
    feedback.replyGapMs = now - feedback.lastReplyMs;
    feedback.lastReplyMs = now;
    if (core::IoDirectionsLost(now, feedback.replyGapMs, m_ioDirectionsSentMs,
                               core::FeedbackLimitsFor(m_nFeedbackTimeout, m_nControlInterval))) {
        SendIoDirections();
        m_ioDirectionsSentMs = now;
        qCInfo(platform::journalLink).noquote()
            << core::IoDirectionsResentText(axis, feedback.replyGapMs);
    }
}

bool CControllerDlg::CheckAxisFeedback(core::AxisId axis) {
    core::AxisFeedback& feedback = m_feedback[ui::AxisIndex(axis)];
    const core::FeedbackLimits limits =
        core::FeedbackLimitsFor(m_nFeedbackTimeout, m_nControlInterval);
    const std::int64_t sinceReplyMs = m_feedbackClock.elapsed() - feedback.lastReplyMs;
    const core::FeedbackStep step = core::CheckFeedback(feedback.silent, sinceReplyMs, limits);
    feedback.silent = step.silent;
    switch (step.change) {
    case core::FeedbackChange::None:
        return step.drive;
    case core::FeedbackChange::WentSilent:
        qCWarning(platform::journalLink).noquote()
            << core::AxisSilentText(axis, sinceReplyMs, limits.switchesOff);
        if (limits.switchesOff) {
            m_timers.killTimer(ui::kAxes[ui::AxisIndex(axis)].pulseTimer);
            SendRelayCommand(axis, 0, 0);
        }
        break;
    case core::FeedbackChange::AnsweringAgain:
        qCInfo(platform::journalLink).noquote()
            << core::AxisAnsweringText(axis, feedback.replyGapMs);
        break;
    }
    UpdateControllerTitle();
    return step.drive;
}

void CControllerDlg::ClearFeedbackWatch() {
    m_feedback = {};
    UpdateControllerTitle();
}
