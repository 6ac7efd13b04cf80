#include "picnic-sim/RotatorModel.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace zenko::picnic {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;
using std::chrono::seconds;

constexpr double kTolerance = 1e-9;
constexpr double kInfinite = std::numeric_limits<double>::infinity();

// Infinite stops must match exactly; EXPECT_NEAR would see inf - inf.
void ExpectAngle(double actual, double expected) {
    if (std::isinf(expected)) {
        EXPECT_EQ(actual, expected);
    } else {
        EXPECT_NEAR(actual, expected, kTolerance);
    }
}

RotatorParameters StartingAt(double azimuth, double elevation) {
    RotatorParameters parameters;
    parameters.azimuth.startAngle = azimuth;
    parameters.elevation.startAngle = elevation;
    return parameters;
}

// Default speeds 10 and 5 deg/s, stops 0..200 and 0..100, every case standing at az 100, el 50
// (or the given start) and then driven for three seconds with one relay byte.
TEST(PicnicRotatorModel, DrivesEachAxisFromItsRelays) {
    const struct {
        const char* name;
        std::uint8_t relays;
        double startAzimuth;
        double startElevation;
        double azimuth;
        double elevation;
    } cases[] = {
        {"all off", 0x00, 100, 50, 100, 50},
        {"az increase", 0x10, 100, 50, 130, 50},
        {"az decrease", 0x20, 100, 50, 70, 50},
        {"az both cancel", 0x30, 100, 50, 100, 50},
        {"el increase", 0x40, 100, 50, 100, 65},
        {"el decrease", 0x80, 100, 50, 100, 35},
        {"el both cancel", 0xC0, 100, 50, 100, 50},
        {"az increase, el decrease", 0x90, 100, 50, 130, 35},
        {"az decrease, el increase", 0x60, 100, 50, 70, 65},
        {"only the unused bits", 0x0F, 100, 50, 100, 50},
        {"az runs into the upper stop", 0x10, 190, 50, 200, 50},
        {"az runs into the lower stop", 0x20, 10, 50, 0, 50},
        {"el runs into the upper stop", 0x40, 100, 95, 100, 100},
        {"el runs into the lower stop", 0x80, 100, 5, 100, 0},
        {"away from a stop", 0x20, 200, 50, 170, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RotatorModel model(StartingAt(c.startAzimuth, c.startElevation), seconds(7));
        model.setRelayByte(c.relays);
        model.advanceTo(seconds(10));
        EXPECT_NEAR(model.angle(Axis::Azimuth), c.azimuth, kTolerance);
        EXPECT_NEAR(model.angle(Axis::Elevation), c.elevation, kTolerance);
        EXPECT_EQ(model.time(), seconds(10));
    }
}

TEST(PicnicRotatorModel, SpeedsAreConfigurable) {
    RotatorParameters parameters = StartingAt(100, 50);
    parameters.azimuth.speed = 2.5;
    parameters.elevation.speed = 0.0;
    RotatorModel model(parameters);
    model.setRelayByte(kAzimuthDecrease | kElevationIncrease);
    model.advanceTo(milliseconds(4200));
    EXPECT_NEAR(model.angle(Axis::Azimuth), 89.5, kTolerance);
    EXPECT_NEAR(model.angle(Axis::Elevation), 50.0, kTolerance);
}

// Relay changes act from the moment the model was advanced to, so a command that arrives at
// 1.5 s counts from 1.5 s however the time in between was stepped.
TEST(PicnicRotatorModel, RelayChangesActAtTheirArrival) {
    struct Step {
        nanoseconds time;
        std::optional<std::uint8_t> mask;
        std::uint8_t value;
        double azimuth;
        double elevation;
    };
    const std::vector<Step> steps = {
        {milliseconds(1500), 0xCF, 0x10, 100.0, 50.0},
        {milliseconds(2000), std::nullopt, 0, 105.0, 50.0},
        {milliseconds(2250), 0xCF, 0x20, 107.5, 50.0},
        {milliseconds(2300), 0x3F, 0x40, 107.0, 50.0},
        {milliseconds(3300), std::nullopt, 0, 97.0, 55.0},
        {milliseconds(4250), 0xCF, 0x00, 87.5, 59.75},
        {nanoseconds(4250000001), 0x3F, 0x00, 87.5, 59.75 + 5e-9},
        {seconds(60), std::nullopt, 0, 87.5, 59.75 + 5e-9},
    };
    RotatorModel model(StartingAt(100, 50));
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(step.time.count()));
        model.advanceTo(step.time);
        if (step.mask) {
            model.applyRelayCommand(*step.mask, step.value);
        }
        EXPECT_NEAR(model.angle(Axis::Azimuth), step.azimuth, kTolerance);
        EXPECT_NEAR(model.angle(Axis::Elevation), step.elevation, kTolerance);
    }
}

TEST(PicnicRotatorModel, ManySmallStepsEqualOneLargeStep) {
    RotatorModel stepped(StartingAt(20, 10));
    RotatorModel once(StartingAt(20, 10));
    stepped.setRelayByte(kAzimuthIncrease | kElevationIncrease);
    once.setRelayByte(kAzimuthIncrease | kElevationIncrease);
    for (int i = 1; i <= 1000; ++i) {
        stepped.advanceTo(milliseconds(i));
    }
    once.advanceTo(milliseconds(1000));
    EXPECT_NEAR(stepped.angle(Axis::Azimuth), once.angle(Axis::Azimuth), kTolerance);
    EXPECT_NEAR(once.angle(Axis::Azimuth), 30.0, kTolerance);
    EXPECT_NEAR(stepped.angle(Axis::Elevation), once.angle(Axis::Elevation), kTolerance);
}

TEST(PicnicRotatorModel, NeverRunsBackwards) {
    RotatorModel model(StartingAt(100, 50), seconds(1));
    model.setRelayByte(kAzimuthIncrease);
    model.advanceTo(seconds(3));
    model.advanceTo(seconds(2));
    EXPECT_EQ(model.time(), seconds(3));
    EXPECT_NEAR(model.angle(Axis::Azimuth), 120.0, kTolerance);
    model.advanceTo(seconds(4));
    EXPECT_NEAR(model.angle(Axis::Azimuth), 130.0, kTolerance);
}

TEST(PicnicRotatorModel, StopsComeFromTheLineUnlessGiven) {
    const struct {
        const char* name;
        PotentiometerLine line;
        std::optional<double> lowerStop;
        std::optional<double> upperStop;
        double lower;
        double upper;
    } cases[] = {
        {"default azimuth", {0, 0, 180, 4.5}, {}, {}, 0, 200},
        {"default elevation", {0, 0, 90, 4.5}, {}, {}, 0, 100},
        {"offset line", {0, 0.5, 360, 4.5}, {}, {}, -45, 405},
        {"descending line", {0, 4.5, 180, 0}, {}, {}, -20, 180},
        {"explicit stops", {0, 0, 180, 4.5}, -180.0, 540.0, -180, 540},
        {"only the lower given", {0, 0, 180, 4.5}, -10.0, {}, -10, 200},
        {"only the upper given", {0, 0, 90, 4.5}, {}, 95.0, 0, 95},
        {"flat line leaves the axis free", {0, 2, 180, 2}, {}, {}, -kInfinite, kInfinite},
        {"one-point line leaves the axis free", {10, 0, 10, 4}, {}, {}, -kInfinite, kInfinite},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RotatorParameters parameters;
        parameters.azimuth.line = c.line;
        parameters.azimuth.lowerStop = c.lowerStop;
        parameters.azimuth.upperStop = c.upperStop;
        const RotatorModel model(parameters);
        ExpectAngle(model.lowerStop(Axis::Azimuth), c.lower);
        ExpectAngle(model.upperStop(Axis::Azimuth), c.upper);
    }
}

TEST(PicnicRotatorModel, StartAndSetAnglesStayWithinTheStops) {
    RotatorModel model(StartingAt(-30, 250));
    EXPECT_EQ(model.angle(Axis::Azimuth), 0.0);
    EXPECT_EQ(model.angle(Axis::Elevation), 100.0);
    model.setAngle(Axis::Azimuth, 201);
    model.setAngle(Axis::Elevation, 33.25);
    EXPECT_EQ(model.angle(Axis::Azimuth), 200.0);
    EXPECT_EQ(model.angle(Axis::Elevation), 33.25);
}

TEST(PicnicRotatorModel, VoltsFollowTheLine) {
    const struct {
        const char* name;
        PotentiometerLine line;
        double angle;
        double volts;
    } cases[] = {
        {"az zero", {0, 0, 180, 4.5}, 0, 0.0},
        {"az middle", {0, 0, 180, 4.5}, 90, 2.25},
        {"az calibration point", {0, 0, 180, 4.5}, 180, 4.5},
        {"az beyond the points", {0, 0, 180, 4.5}, 200, 5.0},
        {"el middle", {0, 0, 90, 4.5}, 45, 2.25},
        {"offset line", {0, 0.5, 360, 4.5}, 180, 2.5},
        {"descending line", {0, 4.5, 180, 0}, 60, 3.0},
        {"points given in reverse", {180, 4.5, 0, 0}, 45, 1.125},
        {"flat line", {0, 2, 180, 2}, 77, 2.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(c.line.voltsAt(c.angle), c.volts, kTolerance);
    }
}

TEST(PicnicRotatorModel, CountQuantisesAndSaturates) {
    const struct {
        double volts;
        int count;
    } cases[] = {
        {0.0, 0},    {-0.1, 0},         {-1e300, 0},     {-kInfinite, 0}, {std::nan(""), 0},
        {0.0024, 0}, {5.0 / 2048, 1},   {5.0 / 1024, 1}, {1.0, 205},      {2.25, 461},
        {2.5, 512},  {4.5, 922},        {4.99, 1022},    {4.995, 1023},   {5.0, 1023},
        {7.5, 1023}, {kInfinite, 1023},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.volts);
        EXPECT_EQ(VoltsToCount(c.volts), c.count);
    }
}

TEST(PicnicRotatorModel, CountOfTheAxisAngles) {
    RotatorParameters parameters = StartingAt(100, 45);
    RotatorModel model(parameters);
    EXPECT_EQ(model.count(Axis::Azimuth), 512);
    EXPECT_EQ(model.count(Axis::Elevation), 461);
    model.setAngle(Axis::Azimuth, 200);
    EXPECT_NEAR(model.volts(Axis::Azimuth), 5.0, kTolerance);
    EXPECT_EQ(model.count(Axis::Azimuth), 1023);

    // Stops wider than the potentiometer's span: the reading saturates at both rails.
    parameters.azimuth.lowerStop = -180;
    parameters.azimuth.upperStop = 540;
    RotatorModel wide(parameters);
    wide.setAngle(Axis::Azimuth, -10);
    EXPECT_EQ(wide.count(Axis::Azimuth), 0);
    wide.setAngle(Axis::Azimuth, 300);
    EXPECT_EQ(wide.count(Axis::Azimuth), 1023);
}

TEST(PicnicRotatorModel, RelayCommandWritesOnlyTheUnmaskedBits) {
    const struct {
        const char* name;
        std::uint8_t before;
        std::uint8_t mask;
        std::uint8_t value;
        std::uint8_t after;
    } cases[] = {
        {"az increase keeps el increase", 0x40, 0xCF, 0x10, 0x50},
        {"az decrease replaces az increase", 0x50, 0xCF, 0x20, 0x60},
        {"az off keeps el", 0x50, 0xCF, 0x00, 0x40},
        {"el decrease keeps az decrease", 0x20, 0x3F, 0x80, 0xA0},
        {"el off keeps az", 0x90, 0x3F, 0x00, 0x10},
        {"el command's az bits are ignored", 0x20, 0x3F, 0xF0, 0xE0},
        {"az command's el bits are ignored", 0x80, 0xCF, 0xFF, 0xB0},
        {"unused bits survive", 0x0A, 0xCF, 0x10, 0x1A},
        {"mask all ones writes nothing", 0x5A, 0xFF, 0xA5, 0x5A},
        {"mask zero writes everything", 0x5A, 0x00, 0xA5, 0xA5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RotatorModel model;
        model.setRelayByte(c.before);
        model.applyRelayCommand(c.mask, c.value);
        EXPECT_EQ(model.relayByte(), c.after);
    }
}

// Azimuth at 6 deg/s with 0.15 s to run up and to coast, so each ramp covers 0.45 deg; the
// relay byte changes at the given times (seconds) and the angle is read at the end.
TEST(PicnicRotatorModel, RunsUpAndCoastsAtAConstantRate) {
    struct Change {
        double at;
        std::uint8_t relays;
    };
    const struct {
        const char* name;
        double start;
        std::vector<Change> changes;
        double readAt;
        double azimuth;
    } cases[] = {
        {"running up", 100, {{0, 0x10}}, 0.1, 100.2},
        {"run-up, then full speed", 100, {{0, 0x10}}, 1.0, 105.55},
        {"coasts after the relay opens", 100, {{0, 0x10}, {1, 0x00}}, 2.0, 106.0},
        {"a short pulse never reaches full speed", 100, {{0, 0x10}, {0.1, 0x00}}, 1.0, 100.4},
        {"a reversal coasts to a stop first", 100, {{0, 0x10}, {1, 0x20}}, 2.0, 101.35},
        {"both relays on coast like none", 100, {{0, 0x20}, {1, 0x30}}, 2.0, 94.0},
        {"runs up into the upper stop", 199.9, {{0, 0x10}}, 1.0, 200.0},
        // Meets the stop 0.0085786 s after the reversal, then runs up from it.
        {"coasts into the lower stop, then away", 4.4, {{0, 0x20}, {0.8, 0x10}}, 1.8, 5.498528137},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RotatorParameters parameters = StartingAt(c.start, 50);
        parameters.azimuth.speed = 6.0;
        parameters.azimuth.runUpSeconds = 0.15;
        parameters.azimuth.coastSeconds = 0.15;
        RotatorModel model(parameters);
        for (const Change& change : c.changes) {
            model.advanceTo(
                std::chrono::duration_cast<nanoseconds>(std::chrono::duration<double>(change.at)));
            model.setRelayByte(change.relays);
        }
        model.advanceTo(
            std::chrono::duration_cast<nanoseconds>(std::chrono::duration<double>(c.readAt)));
        EXPECT_NEAR(model.angle(Axis::Azimuth), c.azimuth, 1e-6);
    }
}

// The ramps are integrated exactly, so reading the model often must not change its path.
TEST(PicnicRotatorModel, RampsDoNotDependOnHowOftenTheModelIsRead) {
    RotatorParameters parameters = StartingAt(100, 50);
    parameters.azimuth.runUpSeconds = 0.3;
    parameters.azimuth.coastSeconds = 0.2;
    parameters.elevation.runUpSeconds = 0.15;
    parameters.elevation.coastSeconds = 0.5;
    RotatorModel stepped(parameters);
    RotatorModel atChanges(parameters);
    const std::vector<std::pair<int, std::uint8_t>> changes = {
        {0, 0x50}, {120, 0x00}, {150, 0xA0}, {400, 0x60}, {430, 0x00}, {1000, 0x00}};
    int now = 0;
    for (const auto& [at, relays] : changes) {
        for (; now < at; ++now) {
            stepped.advanceTo(milliseconds(now + 1));
        }
        atChanges.advanceTo(milliseconds(at));
        stepped.setRelayByte(relays);
        atChanges.setRelayByte(relays);
    }
    for (const Axis axis : {Axis::Azimuth, Axis::Elevation}) {
        EXPECT_NEAR(stepped.angle(axis), atChanges.angle(axis), 1e-9);
        EXPECT_EQ(atChanges.velocity(axis), 0.0);
    }
}

TEST(PicnicRotatorModel, ReadingsCarrySeededNoiseAndTheAngleStaysExact) {
    RotatorParameters parameters = StartingAt(5, 50);
    // 0.011 deg per count, fine enough that the count shows the noise, not the quantisation.
    parameters.azimuth.line = {0, 0, 10, 4.5};
    parameters.azimuth.noiseDegrees = 0.2;
    parameters.noiseSeed = 7;
    RotatorModel model(parameters);
    RotatorModel again(parameters);
    parameters.noiseSeed = 8;
    RotatorModel otherSeed(parameters);
    constexpr int kReadings = 20000;
    double sum = 0.0;
    double sumOfSquares = 0.0;
    int sameAsAgain = 0;
    int sameAsOtherSeed = 0;
    for (int i = 0; i < kReadings; ++i) {
        const int count = model.readCount(Axis::Azimuth);
        sameAsAgain += count == again.readCount(Axis::Azimuth) ? 1 : 0;
        sameAsOtherSeed += count == otherSeed.readCount(Axis::Azimuth) ? 1 : 0;
        const double error = parameters.azimuth.line.angleAt(count * 5.0 / 1024) - 5.0;
        sum += error;
        sumOfSquares += error * error;
    }
    EXPECT_NEAR(sum / kReadings, 0.0, 0.01);
    EXPECT_NEAR(std::sqrt(sumOfSquares / kReadings), 0.2, 0.01);
    EXPECT_EQ(sameAsAgain, kReadings);
    EXPECT_LT(sameAsOtherSeed, kReadings / 10);
    EXPECT_EQ(model.angle(Axis::Azimuth), 5.0);
    EXPECT_EQ(model.readCount(Axis::Elevation), model.count(Axis::Elevation));
}

} // namespace
} // namespace zenko::picnic
