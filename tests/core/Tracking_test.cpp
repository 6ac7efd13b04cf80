#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "core/TrackingDrive.h"
#include "picnic-sim/RotatorModel.h"

using namespace zenko::core;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct RateCase {
    const char* name;
    std::vector<TimedAngle> setValues;
    double rate;
};

// Irregular arrivals, as a tracking program's datagrams come.
const RateCase kRateCases[] = {
    {"steady motion", {{0.0, 10.0}, {1.2, 12.16}, {1.9, 13.42}, {3.05, 15.49}}, 1.8},
    {"falling", {{0.0, 50.0}, {0.8, 49.6}, {2.1, 48.95}}, -0.5},
    {"one value", {{0.0, 10.0}}, 0.0},
    {"too close together to tell", {{0.0, 10.0}, {0.2, 10.4}}, 0.0},
    {"a jump starts afresh", {{0.0, 10.0}, {1.0, 11.0}, {2.0, 40.0}}, 0.0},
    {"a silence starts afresh", {{0.0, 10.0}, {1.0, 11.0}, {8.0, 18.0}}, 0.0},
    {"not a number starts afresh", {{0.0, 10.0}, {1.0, kNaN}, {2.0, 12.0}}, 0.0},
    {"after the jump the new motion", {{0.0, 10.0}, {1.0, 40.0}, {2.0, 41.0}, {3.0, 42.0}}, 1.0},
};

TEST(TrackingRate, FromIrregularSetValues) {
    for (const RateCase& c : kRateCases) {
        SCOPED_TRACE(c.name);
        TargetRateEstimator estimator;
        for (const TimedAngle& value : c.setValues) {
            estimator.add(value.seconds, value.angle);
        }
        EXPECT_NEAR(estimator.rate(), c.rate, 1e-6);
    }
}

TEST(TrackingRate, TargetMovesOnOnlyForTheRemoteSetValue) {
    TargetRateEstimator estimator;
    estimator.add(0.0, 10.0);
    estimator.add(1.0, 12.0);
    EXPECT_EQ(TrackingTarget(estimator, 12.0, true, 1.5), (AxisTarget{13.0, 2.0}));
    // The prediction holds after a silence rather than running away.
    EXPECT_EQ(TrackingTarget(estimator, 12.0, true, 60.0), (AxisTarget{18.0, 2.0}));
    EXPECT_EQ(TrackingTarget(estimator, 12.0, false, 1.5), (AxisTarget{12.0, 0.0}));
    EXPECT_EQ(TrackingTarget(estimator, 30.0, true, 1.5), (AxisTarget{30.0, 0.0}));
}

struct StopCase {
    const char* name;
    int direction;
    double aim;
    double aimRate;
    std::optional<double> off;
};

// 6 deg/s after a lag of 0.1 s, then 0.5 deg of coast: 3.5 deg away at rest is off at 0.6 s.
TEST(TrackingAxis, StopIsPlannedFromSpeedLagAndCoast) {
    const AxisMotion motion{6.0, 0.1, 0.5};
    const StopCase cases[] = {
        {"aim at rest ahead", 1, 3.5, 0.0, 0.6},
        {"aim at rest behind", -1, -3.5, 0.0, 0.6},
        {"aim moving away", 1, 3.5, 2.0, 0.9},
        {"aim within the coast: off as the motor turns", 1, 0.3, 0.0, 0.1},
        {"aim faster than the axis", 1, 3.5, 6.0, std::nullopt},
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto off = PlanStop(motion, c.direction, 0.0, {0.0, 0.0}, c.aim, c.aimRate);
        ASSERT_EQ(off.has_value(), c.off.has_value());
        if (off) {
            EXPECT_NEAR(*off, *c.off, 1e-9);
        }
        if (off && *off > motion.startLag) {
            EXPECT_NEAR(PredictStop(motion, c.direction, 0.0, {0.0, 0.0}, *off),
                        c.aim + c.aimRate * *off, 1e-9);
        }
    }
}

struct StepCase {
    const char* name;
    std::vector<double> readings;
    double target;
    int direction;
};

TEST(TrackingAxis, StartsADriveOnlyBeyondTheDeadBand) {
    const StepCase cases[] = {
        {"inside the dead band", {0.0, 0.0, 0.0}, 0.9, 0},
        {"one reading beyond it is not enough", {1.2}, 0.0, 0},
        {"two readings beyond it drive", {1.2, 1.2}, 0.0, -1},
        {"a far target drives at once", {0.0}, 30.0, 1},
        {"a target that is not a number", {0.0, 0.0}, kNaN, 0},
        {"a reading that is not a number", {kNaN, kNaN}, 10.0, 0},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        TrackingAxis axis;
        TrackingOrder order;
        for (std::size_t i = 0; i < c.readings.size(); ++i) {
            order = axis.step({0.25 * static_cast<double>(i), c.readings[i]}, c.target, 0.0, 0.25);
        }
        EXPECT_EQ(order.direction, c.direction);
        EXPECT_EQ(order.offAfterSeconds.has_value(), c.direction != 0);
    }
}

TEST(TrackingAxis, AJumpBehindSwitchesOffAndLetsTheAxisCoastBeforeReversing) {
    TrackingAxis axis;
    ASSERT_EQ(axis.step({0.0, 0.0}, 30.0, 0.0, 0.25).direction, 1);
    EXPECT_EQ(axis.step({0.25, 1.0}, -30.0, 0.0, 0.25), TrackingOrder{});
    EXPECT_EQ(axis.step({0.5, 1.5}, -30.0, 0.0, 0.25).direction, 0);
    EXPECT_EQ(axis.step({0.75, 1.5}, -30.0, 0.0, 0.25).direction, -1);
    // Within the start lag the motor has not turned yet: off now, not once the lag is over.
    TrackingAxis early;
    ASSERT_EQ(early.step({0.0, 0.0}, 30.0, 0.0, 0.25).direction, 1);
    EXPECT_EQ(early.step({0.05, 0.0}, -30.0, 0.0, 0.25), TrackingOrder{});
}

// The pulse timer ended the drive as planned, at 0.7 s, and the output check box switches the
// resting axis off long after: its speed is learnt from the drive that was, 0.6 s of turning
// that went as far as 4 deg/s goes, with nothing to correct.
TEST(TrackingAxis, ASwitchOffAfterThePlannedOffLearnsFromThePlannedOff) {
    TrackingAxis axis;
    const TrackingOrder order = axis.step({0.0, 0.0}, 30.0, 0.0, 0.25);
    ASSERT_EQ(order.direction, 1);
    ASSERT_NEAR(order.offAfterSeconds.value_or(0), 0.7, 1e-9);
    axis.switchedOff(2.0);
    axis.step({2.5, 2.7}, 30.0, 0.0, 0.25);
    EXPECT_DOUBLE_EQ(axis.motion().speed, 4.0);
}

// 17179870 s is a little over 2^32 ms.
TEST(TrackingStep, AQuarterOfTheIntervalWithinATenthAndAHalfSecond) {
    const std::uint32_t cases[][2] = {{0, 100}, {1, 250}, {2, 500}, {3, 500}, {17179870, 500}};
    for (const auto& [intervalSeconds, periodMs] : cases) {
        EXPECT_EQ(TrackingStepPeriodMs(intervalSeconds), periodMs) << intervalSeconds;
    }
}

// The rules against the rotator model in virtual time: a resting target is reached without
// overshooting by the coast, then held under the readings' noise.
TEST(TrackingAxis, HoldsARestingTargetWithoutHunting) {
    using namespace zenko::picnic;
    RotatorParameters parameters;
    parameters.azimuth = {40.0, 6.0, {0.0, 0.0, 180.0, 4.5}, {}, {}, 0.15, 0.15, 0.2};
    RotatorModel model(parameters);
    TrackingAxis axis;
    const auto at = [](double seconds) {
        return std::chrono::nanoseconds(static_cast<std::int64_t>(seconds * 1e9));
    };
    int changes = 0;
    int changesAfterSettling = 0;
    double farthest = 0;
    std::optional<double> offAt;
    for (double now = 0; now < 120.0; now += 0.001) {
        model.advanceTo(at(now));
        farthest = std::max(farthest, model.angle(Axis::Azimuth));
        int direction = model.direction(Axis::Azimuth);
        if (offAt && now >= *offAt) {
            direction = 0;
            offAt.reset();
        }
        const long tick = std::lround(now * 1000);
        if (tick % 250 == 0) {
            const double reading = model.readCount(Axis::Azimuth) * 180.0 / 1024.0 * 5.0 / 4.5;
            const TrackingOrder order = axis.step({now, reading}, 60.0, 0.0, 0.25);
            direction = order.direction;
            offAt =
                order.offAfterSeconds ? std::optional(now + *order.offAfterSeconds) : std::nullopt;
        }
        if (direction != model.direction(Axis::Azimuth)) {
            ++(now < 60.0 ? changes : changesAfterSettling);
            model.setRelayByte(direction > 0   ? kAzimuthIncrease
                               : direction < 0 ? kAzimuthDecrease
                                               : 0);
        }
    }
    EXPECT_LT(std::fabs(model.angle(Axis::Azimuth) - 60.0), 1.0);
    EXPECT_LT(farthest, 61.0);
    EXPECT_GE(changes, 2);
    EXPECT_LE(changes, 6);
    EXPECT_LE(changesAfterSettling, 2);
}

} // namespace
