#pragma once

#include <cstdint>

#include <QString>

// Whether each axis' voltage is still fresh. Without fresh readings the drive decision works
// on a stale angle and may drive an axis at full speed into its end stop, so with a timeout
// configured a silent axis is switched off until its board answers again; without one, the
// silence is only journaled.
namespace zenko::core {

struct FeedbackLimits {
    // An axis is silent when its last accepted ADC reply is older than this.
    std::int64_t silenceMs = 0;
    // The guard acts: a silent axis is switched off and gets no drive command.
    bool switchesOff = false;
};

// timeoutSeconds > 0: the guard, at that timeout. Otherwise only the journal watches, and calls
// an axis silent after three control intervals (at least three seconds).
FeedbackLimits FeedbackLimitsFor(std::int32_t timeoutSeconds, std::uint32_t controlIntervalSeconds);

// The watch's memory of one axis, in milliseconds since Start.
struct AxisFeedback {
    std::int64_t lastReplyMs = 0;
    // Between the last two accepted replies: how long a silence that just ended lasted.
    std::int64_t replyGapMs = 0;
    bool silent = false;
};

enum class FeedbackChange { None, WentSilent, AnsweringAgain };

struct FeedbackStep {
    bool silent = false;
    FeedbackChange change = FeedbackChange::None;
    // Whether this control step may send the axis its drive command.
    bool drive = true;
};

// One axis at one control step; sinceReplyMs counts from its last accepted reply, or from
// Start when none has come since.
FeedbackStep CheckFeedback(bool wasSilent, std::int64_t sinceReplyMs, const FeedbackLimits& limits);

// Whether a reply that ends a silence of its axis finds the board's I/O directions lost: a board
// that loses power and comes back has forgotten them, and its relays do nothing until they are
// sent again. True when the guard acts, the silence lasted past its limit, and the directions
// have not been sent since the silence began. Milliseconds since Start, when they were sent
// first.
bool IoDirectionsLost(std::int64_t replyMs, std::int64_t replyGapMs, std::int64_t directionsSentMs,
                      const FeedbackLimits& limits);

// What the window's title names for one axis, each until its cause ends: the feedback guard's
// silence, the motion guard's trips (until Stop) and a target clamped to a soft limit.
struct AxisTitleConditions {
    bool silent = false;
    bool reversed = false;
    bool stalled = false;
    bool clamped = false;
};

// The window's title, which names the axes the guards hold off or limit.
QString ControllerTitle(const AxisTitleConditions& azimuth = {},
                        const AxisTitleConditions& elevation = {});

} // namespace zenko::core
