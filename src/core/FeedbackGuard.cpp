#include "core/FeedbackGuard.h"

#include <algorithm>

#include <QStringList>

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

bool IoDirectionsLost(std::int64_t replyMs, std::int64_t replyGapMs, std::int64_t directionsSentMs,
                      const FeedbackLimits& limits) {
    return limits.switchesOff && replyGapMs > limits.silenceMs &&
           directionsSentMs <= replyMs - replyGapMs;
}

QString ControllerTitle(const AxisTitleConditions& azimuth, const AxisTitleConditions& elevation) {
    // Each condition names the azimuth, the elevation or both, in this order.
    struct ConditionTexts {
        bool AxisTitleConditions::*condition;
        QString azimuth;
        QString elevation;
        QString both;
    };
    static const ConditionTexts kConditions[] = {
        {&AxisTitleConditions::silent, QStringLiteral("方位角 応答なし"),
         QStringLiteral("仰角 応答なし"), QStringLiteral("方位角・仰角 応答なし")},
        {&AxisTitleConditions::reversed, QStringLiteral("方位角 逆回転"),
         QStringLiteral("仰角 逆回転"), QStringLiteral("方位角・仰角 逆回転")},
        {&AxisTitleConditions::stalled, QStringLiteral("方位角 動きなし"),
         QStringLiteral("仰角 動きなし"), QStringLiteral("方位角・仰角 動きなし")},
        {&AxisTitleConditions::clamped, QStringLiteral("方位角 目標制限中"),
         QStringLiteral("仰角 目標制限中"), QStringLiteral("方位角・仰角 目標制限中")},
    };
    QStringList named;
    for (const ConditionTexts& texts : kConditions) {
        const bool az = azimuth.*texts.condition;
        const bool el = elevation.*texts.condition;
        if (az || el) {
            named << (az && el ? texts.both : az ? texts.azimuth : texts.elevation);
        }
    }
    QString title = QStringLiteral("アンテナコントローラ");
    if (!named.isEmpty()) {
        title += QStringLiteral(" - ") + named.join(QStringLiteral("、"));
    }
    return title;
}

} // namespace zenko::core
