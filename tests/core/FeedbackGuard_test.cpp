#include <gtest/gtest.h>

#include "core/FeedbackGuard.h"
#include "core/JournalText.h"

using namespace zenko::core;

TEST(FeedbackLimitsFor, TheTimeoutSwitchesOffOtherwiseThreeIntervalsOnlyJournal) {
    const struct {
        std::int32_t timeout;
        std::uint32_t interval;
        std::int64_t silenceMs;
        bool switchesOff;
    } cases[] = {
        {5, 2, 5000, true},
        {1, 10, 1000, true},
        {0, 2, 6000, false},
        {-3, 1, 3000, false},
        // A cleared interval field, and the largest the field can hold, stay defined.
        {0, 0, 3000, false},
        {0, 4294967295u, 12884901885000, false},
        {2147483647, 2, 2147483647000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.timeout << " " << c.interval);
        const FeedbackLimits limits = FeedbackLimitsFor(c.timeout, c.interval);
        EXPECT_EQ(limits.silenceMs, c.silenceMs);
        EXPECT_EQ(limits.switchesOff, c.switchesOff);
    }
}

TEST(CheckFeedback, SilentOnlyPastTheLimitAndHeldOnlyByTheGuard) {
    const FeedbackLimits guard{1000, true};
    const FeedbackLimits watchOnly{3000, false};
    const struct {
        bool wasSilent;
        std::int64_t sinceReplyMs;
        FeedbackLimits limits;
        bool silent;
        FeedbackChange change;
        bool drive;
    } cases[] = {
        {false, 500, guard, false, FeedbackChange::None, true},
        {false, 1000, guard, false, FeedbackChange::None, true},
        {false, 1001, guard, true, FeedbackChange::WentSilent, false},
        {true, 4000, guard, true, FeedbackChange::None, false},
        {true, 10, guard, false, FeedbackChange::AnsweringAgain, true},
        {false, 3001, watchOnly, true, FeedbackChange::WentSilent, true},
        {true, 9000, watchOnly, true, FeedbackChange::None, true},
        {true, 200, watchOnly, false, FeedbackChange::AnsweringAgain, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.wasSilent << " " << c.sinceReplyMs << " " << c.limits.switchesOff);
        const FeedbackStep step = CheckFeedback(c.wasSilent, c.sinceReplyMs, c.limits);
        EXPECT_EQ(step.silent, c.silent);
        EXPECT_EQ(step.change, c.change);
        EXPECT_EQ(step.drive, c.drive);
    }
}

TEST(JournalText, NamesWhatAnOperatorLooksFor) {
    const struct {
        QString text;
        QString expected;
    } cases[] = {
        {LinkStartedText({0x7F000001, 10001}, 10005, 0),
         "link started: board 127.0.0.1:10001, binary set values on port 10005, ASCII set "
         "values off"},
        {LinkStoppedText(LinkStopCause::Signal, 15), "link stopped by SIGTERM"},
        {EndingOnSignalText(2), "ending on SIGINT, link not running"},
        {AxisSilentText(AxisEl, 5400, true),
         "elevation: no ADC reply for 5.4 s, relays switched off until it answers"},
        {AxisAnsweringText(AxisAz, 12000),
         "azimuth: ADC answering again after 12.0 s without a reply"},
        {ConfigurationText("/opt/zenko/ZENKO.ini", -1),
         "configuration /opt/zenko/ZENKO.ini, feedback guard off"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, c.expected);
    }
}
