#include <gtest/gtest.h>

#include "core/FeedbackGuard.h"

using namespace zenko::core;

TEST(FeedbackLimitsFor, TheTimeoutSwitchesOffOtherwiseThreeIntervalsOnlyJournal) {
    const struct {
        std::int32_t timeout;
        std::uint32_t interval;
        FeedbackLimits limits;
    } cases[] = {
        {5, 2, {5000, true}},
        {0, 2, {6000, false}},
        {-3, 1, {3000, false}},
        // A cleared interval field, and the largest values the fields hold, stay defined.
        {0, 0, {3000, false}},
        {0, 4294967295u, {12884901885000, false}},
        {2147483647, 2, {2147483647000, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.timeout << " " << c.interval);
        const FeedbackLimits limits = FeedbackLimitsFor(c.timeout, c.interval);
        EXPECT_EQ(limits.silenceMs, c.limits.silenceMs);
        EXPECT_EQ(limits.switchesOff, c.limits.switchesOff);
    }
}

TEST(CheckFeedback, SilentOnlyPastTheLimitAndHeldOnlyByTheGuard) {
    const FeedbackLimits guard{1000, true};
    const FeedbackLimits watchOnly{3000, false};
    const struct {
        bool wasSilent;
        std::int64_t sinceReplyMs;
        FeedbackLimits limits;
        FeedbackStep step;
    } cases[] = {
        {false, 1000, guard, {false, FeedbackChange::None, true}},
        {false, 1001, guard, {true, FeedbackChange::WentSilent, false}},
        {true, 4000, guard, {true, FeedbackChange::None, false}},
        {true, 10, guard, {false, FeedbackChange::AnsweringAgain, true}},
        {false, 3001, watchOnly, {true, FeedbackChange::WentSilent, true}},
        {true, 9000, watchOnly, {true, FeedbackChange::None, true}},
        {true, 200, watchOnly, {false, FeedbackChange::AnsweringAgain, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.wasSilent << " " << c.sinceReplyMs << " " << c.limits.switchesOff);
        const FeedbackStep step = CheckFeedback(c.wasSilent, c.sinceReplyMs, c.limits);
        EXPECT_EQ(step.silent, c.step.silent);
        EXPECT_EQ(step.change, c.step.change);
        EXPECT_EQ(step.drive, c.step.drive);
    }
}
