#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "core/AxisProtection.h"
#include "core/MotionGuard.h"
#include "picnic-sim/RotatorModel.h"

using namespace zenko::core;
using zenko::picnic::Axis;
using zenko::picnic::AxisParameters;
using zenko::picnic::RotatorModel;
using zenko::picnic::RotatorParameters;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// One relay on-period: from, to, direction.
struct Drive {
    double from;
    double to;
    int direction;
};

struct MotionCase {
    const char* name;
    std::vector<Drive> drives;
    double seconds;
    // The rotator: speed, run-up and coast, noise, a stop ahead, faults.
    double speed = 6.0;
    double rampSeconds = 0.15;
    double noise = 0.3;
    std::optional<double> upperStop = {};
    zenko::picnic::AxisFaults faults{};
    double readingSeconds = 0.5;
    // The trip expected, and the window of time it must come in.
    std::optional<MotionTrip> trip = {};
    double earliest = 0;
    double latest = 0;
};

struct Outcome {
    std::optional<MotionTripReport> trip;
    double at = 0;
};

// The guard fed as the window feeds it: every relay change, a reading every readingSeconds
// from the rotator model's ADC (0..450 deg over 0..4.5 V), and a check between readings.
Outcome RunGuard(const MotionCase& c, double timeout) {
    RotatorParameters parameters;
    AxisParameters& axis = parameters.azimuth;
    axis = {100.0, c.speed, {0.0, 0.0, 450.0, 4.5}, 0.0, c.upperStop.value_or(450.0)};
    axis.runUpSeconds = c.rampSeconds;
    axis.coastSeconds = c.rampSeconds;
    axis.noiseDegrees = c.noise;
    axis.faults = c.faults;
    RotatorModel model(parameters);
    MotionGuard guard(timeout);
    int relay = 0;
    constexpr double kTick = 0.001;
    const auto every = [](double t, double period) {
        return std::fmod(t + kTick / 2, period) < kTick;
    };
    for (double t = 0; t < c.seconds; t += kTick) {
        model.advanceTo(std::chrono::nanoseconds(static_cast<std::int64_t>(t * 1e9)));
        int wanted = 0;
        for (const Drive& drive : c.drives) {
            wanted = t >= drive.from && t < drive.to ? drive.direction : wanted;
        }
        if (wanted != relay) {
            relay = wanted;
            model.setRelayByte(relay > 0 ? 0x10 : relay < 0 ? 0x20 : 0);
            guard.relay(t, relay);
        }
        std::optional<MotionTripReport> trip;
        if (every(t, c.readingSeconds)) {
            trip = guard.reading(t, model.readCount(Axis::Azimuth) * 5.0 / 1024 * 100.0);
        } else if (every(t, 0.25)) {
            trip = guard.check(t);
        }
        if (trip) {
            return {trip, t};
        }
    }
    return {};
}

std::vector<Drive> Pulses(double every, double length, int direction, double until) {
    std::vector<Drive> drives;
    for (double t = 0.2; t < until; t += every) {
        drives.push_back({t, t + length, direction});
    }
    return drives;
}

// A faulty axis of the usual rotator, read every half second, and the trip it must meet.
MotionCase Faulty(const char* name, std::vector<Drive> drives, zenko::picnic::AxisFaults faults,
                  MotionTrip trip, double earliest, double latest, double seconds = 30) {
    return {.name = name,
            .drives = std::move(drives),
            .seconds = seconds,
            .faults = faults,
            .trip = trip,
            .earliest = earliest,
            .latest = latest};
}

const MotionCase kMotionCases[] = {
    {"a long slew", {{0, 40, 1}}, 40},
    {"a slow elevation with a long run-up and coast", {{0, 30, -1}}, 30, 2.0, 1.0},
    {"reversing at once, coasting the old way first", {{0, 8, 1}, {8, 30, -1}}, 30, 6.0, 1.0},
    {"the usual law's shortest pulses near the dead band", Pulses(1.0, 0.025, 1, 400), 400, 6.0,
     0.15, 0.3},
    {"pulses of a slow axis on a long approach", Pulses(2.0, 0.15, -1, 300), 300, 2.0},
    {"noisy readings of an axis at rest", {}, 600, 6.0, 0.15, 1.0},
    {.name = "an end stop ahead",
     .drives = {{0, 30, 1}},
     .seconds = 30,
     .upperStop = 130.0,
     .trip = MotionTrip::Stalled,
     .earliest = 5.0 + 5.0,
     .latest = 5.0 + 6.0},
    Faulty("jammed", {{1, 30, 1}}, {true, false, false}, MotionTrip::Stalled, 6.0, 6.6),
    Faulty("pulses against a jam add up", Pulses(1.0, 0.1, 1, 200), {true, false, false},
           MotionTrip::Stalled, 49.0, 51.0, 200),
    Faulty("relays swapped", {{1, 30, 1}}, {false, true, false}, MotionTrip::Reversed, 6.0, 6.6),
    Faulty("reading frozen", {{1, 30, -1}}, {false, false, true}, MotionTrip::Stalled, 6.0, 6.6),
    {.name = "no reading comes",
     .drives = {{1, 30, 1}},
     .seconds = 30,
     .readingSeconds = 1000.0,
     .trip = MotionTrip::Stalled,
     .earliest = 6.0,
     .latest = 6.3},
};

} // namespace

TEST(MotionGuard, TripsOnFaultsAndNeverInNormalWork) {
    for (const MotionCase& c : kMotionCases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = RunGuard(c, 5.0);
        if (!c.trip) {
            EXPECT_FALSE(outcome.trip) << "tripped at " << outcome.at;
            continue;
        }
        ASSERT_TRUE(outcome.trip);
        EXPECT_EQ(outcome.trip->kind, *c.trip);
        EXPECT_GE(outcome.at, c.earliest);
        EXPECT_LE(outcome.at, c.latest);
        EXPECT_GE(outcome.trip->driveSeconds, 5.0);
    }
}

TEST(MotionGuard, OnlyOnTimeCountsAndTheTripBlocksWhatItFound) {
    MotionGuard guard(5.0);
    EXPECT_FALSE(guard.reading(0.0, 10.0));
    guard.relay(0.0, 1);
    guard.relay(2.0, 0);
    // Nine seconds off count nothing; three more on make five.
    EXPECT_FALSE(guard.reading(8.0, 10.5));
    guard.relay(11.0, 1);
    EXPECT_FALSE(guard.check(13.9));
    const auto trip = guard.check(14.0);
    ASSERT_TRUE(trip);
    EXPECT_EQ(*trip, (MotionTripReport{MotionTrip::Stalled, 1, 5.0, 0.5}));
    EXPECT_FALSE(guard.allows(1));
    EXPECT_TRUE(guard.allows(-1));
    EXPECT_TRUE(guard.allows(0));
    EXPECT_TRUE(guard.stalled());

    // The other way it moves, then runs away: reversed, and nothing is allowed.
    guard.relay(20.0, -1);
    EXPECT_FALSE(guard.reading(22.0, 5.0));
    EXPECT_FALSE(guard.reading(24.0, 14.0));
    EXPECT_FALSE(guard.reading(24.5, kNaN));
    const auto reversed = guard.check(25.0);
    ASSERT_TRUE(reversed);
    EXPECT_EQ(*reversed, (MotionTripReport{MotionTrip::Reversed, -1, 5.0, 3.5}));
    EXPECT_FALSE(guard.allows(-1));
    EXPECT_FALSE(guard.allows(1));

    MotionGuard off(0.0);
    off.relay(0.0, 1);
    EXPECT_FALSE(off.check(1000.0));
}

TEST(AxisProtection, LimitsFromBothKeysWithMinimumBelowMaximum) {
    EXPECT_EQ(LimitsFrom(5, 445), (AngleLimits{true, 5.0, 445.0}));
    EXPECT_EQ(LimitsFrom(-10, -5), (AngleLimits{true, -10.0, -5.0}));
    EXPECT_EQ(LimitsFrom(std::nullopt, 445), AngleLimits{});
    EXPECT_EQ(LimitsFrom(5, std::nullopt), AngleLimits{});
    EXPECT_EQ(LimitsFrom(90, 90), AngleLimits{});
    EXPECT_EQ(LimitsFrom(100, 10), AngleLimits{});
}

TEST(AxisProtection, NeverDrivenOutAtOrBeyondALimit) {
    const AxisProtection limited(0.0, {true, 10.0, 120.0});
    const struct {
        int direction;
        double angle;
        bool allowed;
    } cases[] = {
        {1, 119.9, true}, {1, 120.0, false}, {1, 135.0, false}, {-1, 135.0, true},
        {-1, 10.1, true}, {-1, 10.0, false}, {-1, -3.0, false}, {1, -3.0, true},
        {0, 500.0, true}, {1, kNaN, false},  {-1, kNaN, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.direction << " at " << c.angle);
        EXPECT_EQ(limited.mayDrive(c.direction, c.angle), c.allowed);
    }
    EXPECT_TRUE(AxisProtection().mayDrive(1, kNaN));
    EXPECT_FALSE(AxisProtection().active());
}

TEST(AxisProtection, TargetsClampedAtBothEndsAndTheClampToldOnce) {
    AxisProtection protection(0.0, {true, 10.0, 120.0});
    const struct {
        double target;
        TargetClamp clamp;
    } steps[] = {
        {50.0, {50.0, std::nullopt, false}}, {150.0, {120.0, 120.0, true}},
        {160.0, {120.0, 120.0, false}},      {-5.0, {10.0, 10.0, true}},
        {10.0, {10.0, std::nullopt, false}}, {120.5, {120.0, 120.0, true}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.target);
        EXPECT_EQ(protection.clampTarget(step.target), step.clamp);
        EXPECT_EQ(protection.clamped(), step.clamp.limit.has_value());
    }
    EXPECT_EQ(AxisProtection(5.0, {}).clampTarget(500.0),
              (TargetClamp{500.0, std::nullopt, false}));
}

TEST(AxisProtection, ARelayOnIsSwitchedOffWhenItMayNoLongerDrive) {
    AxisProtection protection(5.0, {true, 10.0, 120.0});
    EXPECT_FALSE(protection.reading(0.0, 110.0).switchOff);
    protection.relay(0.0, 1);
    EXPECT_FALSE(protection.reading(1.0, 116.0).switchOff);
    EXPECT_TRUE(protection.reading(2.0, 121.0).switchOff);
    protection.relay(2.0, -1);
    EXPECT_FALSE(protection.reading(3.0, 121.0).switchOff);
    EXPECT_FALSE(protection.check(6.9).switchOff);
    const ProtectionEvent stalled = protection.check(7.0);
    EXPECT_TRUE(stalled.trip && stalled.switchOff);
    protection.relay(7.0, 0);
    EXPECT_FALSE(protection.check(9.0).switchOff);
}

TEST(MotionJudgedWithoutReading, LeftToTheFeedbackGuardOnlyWhenItIsOnAndAReplyIsMissing) {
    EXPECT_TRUE(MotionJudgedWithoutReading(true, 1000, 1));
    EXPECT_FALSE(MotionJudgedWithoutReading(true, 1001, 1));
    EXPECT_TRUE(MotionJudgedWithoutReading(true, 1500, 2));
    EXPECT_FALSE(MotionJudgedWithoutReading(true, 1500, 0));
    EXPECT_TRUE(MotionJudgedWithoutReading(false, 60000, 1));
}
