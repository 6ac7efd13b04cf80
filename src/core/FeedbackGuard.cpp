#include "core/FeedbackGuard.h"

#include <algorithm>

#include <QCoreApplication>
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
        const char* azimuth;
        const char* elevation;
        const char* both;
    };
    static constexpr ConditionTexts kConditions[] = {
        {&AxisTitleConditions::silent, QT_TRANSLATE_NOOP("ControllerTitle", "方位角 応答なし"),
         QT_TRANSLATE_NOOP("ControllerTitle", "仰角 応答なし"),
         QT_TRANSLATE_NOOP("ControllerTitle", "方位角・仰角 応答なし")},
        {&AxisTitleConditions::reversed, QT_TRANSLATE_NOOP("ControllerTitle", "方位角 逆回転"),
         QT_TRANSLATE_NOOP("ControllerTitle", "仰角 逆回転"),
         QT_TRANSLATE_NOOP("ControllerTitle", "方位角・仰角 逆回転")},
        {&AxisTitleConditions::stalled, QT_TRANSLATE_NOOP("ControllerTitle", "方位角 動きなし"),
         QT_TRANSLATE_NOOP("ControllerTitle", "仰角 動きなし"),
         QT_TRANSLATE_NOOP("ControllerTitle", "方位角・仰角 動きなし")},
        {&AxisTitleConditions::clamped, QT_TRANSLATE_NOOP("ControllerTitle", "方位角 目標制限中"),
         QT_TRANSLATE_NOOP("ControllerTitle", "仰角 目標制限中"),
         QT_TRANSLATE_NOOP("ControllerTitle", "方位角・仰角 目標制限中")},
    };
    QStringList named;
    for (const ConditionTexts& texts : kConditions) {
        const bool az = azimuth.*texts.condition;
        const bool el = elevation.*texts.condition;
        if (az || el) {
            named << QCoreApplication::translate("ControllerTitle", az && el ? texts.both
                                                                    : az     ? texts.azimuth
                                                                             : texts.elevation);
        }
    }
    QString title = QCoreApplication::translate("ControllerTitle", "アンテナコントローラ");
    if (!named.isEmpty()) {
        // The conditions' separator is the language's own.
        title += QStringLiteral(" - ") +
                 named.join(QCoreApplication::translate("ControllerTitle", "、"));
    }
    return title;
}

} // namespace zenko::core
