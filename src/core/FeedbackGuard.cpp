#include "core/FeedbackGuard.h"

#include <algorithm>

#include <QCoreApplication>

namespace zenko::core {

namespace {

constexpr std::int64_t kJournalSilenceIntervals = 3;

} // namespace

FeedbackLimits FeedbackLimitsFor(std::int32_t timeoutSeconds,
                                 std::uint32_t controlIntervalSeconds) {
    if (timeoutSeconds > 0) {
        return {std::int64_t{timeoutSeconds} * 1000, true};
    }
    // The operator may clear the interval field while the link runs.
    const std::int64_t intervalSeconds = std::max<std::int64_t>(controlIntervalSeconds, 1);
    return {kJournalSilenceIntervals * intervalSeconds * 1000, false};
}

FeedbackStep CheckFeedback(bool wasSilent, std::int64_t sinceReplyMs,
                           const FeedbackLimits& limits) {
    const bool silent = sinceReplyMs > limits.silenceMs;
    const FeedbackChange change = silent == wasSilent ? FeedbackChange::None
                                  : silent            ? FeedbackChange::WentSilent
                                                      : FeedbackChange::AnsweringAgain;
    return {silent, change, !(silent && limits.switchesOff)};
}

QString ControllerTitle(bool azimuthSilent, bool elevationSilent) {
    QString title = QCoreApplication::translate("ControllerTitle", "アンテナコントローラ");
    if (azimuthSilent && elevationSilent) {
        title += QCoreApplication::translate("ControllerTitle", " - 方位角・仰角 応答なし");
    } else if (azimuthSilent) {
        title += QCoreApplication::translate("ControllerTitle", " - 方位角 応答なし");
    } else if (elevationSilent) {
        title += QCoreApplication::translate("ControllerTitle", " - 仰角 応答なし");
    }
    return title;
}

} // namespace zenko::core
