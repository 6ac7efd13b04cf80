#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/AngleCalibration.h"
#include "core/DriveDecision.h"

using namespace zenko::core;

TEST(ComputeDriveTime, FullIntervalFromEightDegreesAndAFortiethPerDegreeBelow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double error;
        std::int32_t intervalMs;
        std::int32_t driveTime;
    } cases[] = {
        {8.0, 2000, 2000},
        {-8.0, 2000, 2000},
        {7.99, 2000, 399},
        {1.0, 2000, 50},
        {-1.0, 2000, 50},
        {2.5, 1000, 62},
        {0.999, 2000, 49},
        {0.0, 2000, 0},
        {100.0, 3000, 3000},
        {nan, 2000, 0},
        {inf, 2000, 2000},
        {-inf, 2000, 2000},
        {7.0, 0, 0},
        // An interval that wrapped negative in the unsigned product stays defined.
        {4.0, -1294967296, -129496729},
        {7.99, 2147483647, 428959858},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.error << " " << c.intervalMs);
        EXPECT_EQ(ComputeDriveTime(c.error, c.intervalMs), c.driveTime);
    }
}

TEST(DecideDrive, FiveBandsWithDrivingEdges) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double error;
        DriveOrder order;
    } cases[] = {
        {8.0, {false, true, std::nullopt, 2000, 0}},
        {100.0, {false, true, std::nullopt, 2000, 0}},
        {7.99, {false, true, 2000, 2000, 0}},
        {1.0, {false, true, 2000, 2000, 0}},
        {0.999, {}},
        {0.0, {}},
        {-0.999, {}},
        {nan, {}},
        {-1.0, {true, false, 2000, 0, 2000}},
        {-7.99, {true, false, 2000, 0, 2000}},
        {-8.0, {true, false, std::nullopt, 0, 2000}},
        {-1e300, {true, false, std::nullopt, 0, 2000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(DecideDrive(c.error, 2000), c.order);
    }
}

TEST(DecideDrive, OrdersTheComputedTimes) {
    // With an interval of 2 s: 1.0 gives a 50 ms pulse, 7.99 a 399 ms pulse, 8 a full drive.
    const struct {
        double error;
        std::optional<std::int32_t> pulse;
        std::int32_t shown;
    } cases[] = {{1.0, 50, 50}, {7.99, 399, 399}, {8.0, std::nullopt, 2000}, {-1.0, 50, 50}};
    for (const auto& c : cases) {
        const DriveOrder order = DecideDrive(c.error, ComputeDriveTime(c.error, 2000));
        EXPECT_EQ(order.pulseMs, c.pulse) << c.error;
        EXPECT_EQ(order.positiveErrorDrive + order.negativeErrorDrive, c.shown) << c.error;
    }
}

TEST(ConvertVoltsToAngle, StraightLineThroughTwoPoints) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double max = std::numeric_limits<double>::max();
    const struct {
        double v, v1, v2, a1, a2, angle;
    } cases[] = {
        {2.25, 0, 4.5, 0, 180, 90}, {2.25, 0, 4.5, 0, 90, 45}, {0, 0, 4.5, 0, 180, 0},
        {5, 0, 4.5, 0, 180, 200},   {-1, 0, 4.5, 0, 180, -40}, {1, 4.5, 0, 180, 0, 40},
        {1, 0, 4.5, 180, 0, 140},   {3, 2, 2, 10, 20, 0},      {3, 1, 2, 30, 30, 30},
        {3, nan, 2, 10, 20, 0},     {3, 0, max, 0, 180, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.v << " " << c.v1 << " " << c.v2);
        EXPECT_NEAR(ConvertVoltsToAngle(c.v, c.v1, c.v2, c.a1, c.a2), c.angle, 1e-9);
    }
}

TEST(CheckCalibrationPoint, EachNewVoltageMustStandOffTheOtherPoint) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double otherAz, newAz, otherEl, newEl;
        CalibrationVerdict verdict;
    } cases[] = {
        {4.5, 0.0, 4.5, 0.0, CalibrationVerdict::Accepted},
        // 4.5 - 4.49 lies just below 0.01 in binary.
        {4.5, 4.49, 4.5, 0.0, CalibrationVerdict::AzError},
        {0.0, 0.01, 0.0, 1.0, CalibrationVerdict::Accepted},
        {4.5, 4.5, 4.5, 4.5, CalibrationVerdict::AzError},
        {4.5, 0.0, 4.5, 4.495, CalibrationVerdict::ElError},
        {4.5, nan, 4.5, 0.0, CalibrationVerdict::AzError},
        {4.5, 0.0, nan, 0.0, CalibrationVerdict::ElError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.newAz << " " << c.newEl);
        EXPECT_EQ(CheckCalibrationPoint(c.otherAz, c.newAz, c.otherEl, c.newEl), c.verdict);
    }
}
