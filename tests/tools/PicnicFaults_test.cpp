#include <chrono>

#include <gtest/gtest.h>

#include "picnic-sim/FaultCommand.h"
#include "picnic-sim/PicnicCommandLine.h"
#include "picnic-sim/PicnicProtocol.h"
#include "picnic-sim/SimulatedBoard.h"
#include "support/Arguments.h"

namespace zenko::picnic {
namespace {

using namespace std::chrono_literals;

TEST(ParseFaultCommand, TheLinesAScriptWrites) {
    const struct {
        const char* line;
        FaultKind fault;
        Axis axis;
        bool on;
    } faults[] = {
        {"jam az on", FaultKind::Jam, Axis::Azimuth, true},
        {"  swap el off\r", FaultKind::Swap, Axis::Elevation, false},
        {"freeze  el  on", FaultKind::Freeze, Axis::Elevation, true},
    };
    for (const auto& c : faults) {
        SCOPED_TRACE(c.line);
        const FaultCommandOutcome outcome = ParseFaultCommand(QString::fromUtf8(c.line));
        ASSERT_TRUE(outcome.command);
        EXPECT_EQ(outcome.command->action, FaultCommand::Action::Fault);
        EXPECT_EQ(outcome.command->fault, c.fault);
        EXPECT_EQ(outcome.command->axis, c.axis);
        EXPECT_EQ(outcome.command->on, c.on);
    }
    const FaultCommandOutcome restart = ParseFaultCommand(QStringLiteral("restart 8.5"));
    ASSERT_TRUE(restart.command);
    EXPECT_EQ(restart.command->action, FaultCommand::Action::Restart);
    EXPECT_EQ(restart.command->seconds, 8.5);
    // Blank lines and comments do nothing; the rest are refused.
    for (const char* line : {"", "# a comment", "jam az", "jam x on", "jam az yes", "restart -1",
                             "restart 3601", "restart 1,5", "Jam az on"}) {
        SCOPED_TRACE(line);
        const FaultCommandOutcome outcome = ParseFaultCommand(QString::fromUtf8(line));
        EXPECT_FALSE(outcome.command);
        EXPECT_EQ(outcome.refusal.isEmpty(), line[0] == '\0' || line[0] == '#');
    }
}

TEST(PicnicCommandLine, FaultOptions) {
    const CommandLineOutcome outcome = ParseCommandLine(
        test::Arguments({"--jam", "el", "--swap-relays", "az", "--freeze-reading=el", "--restart",
                         "3:8", "--commands"}));
    ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Run);
    const RotatorParameters& model = outcome.settings.simulator.model;
    EXPECT_EQ(model.azimuth.faults, (AxisFaults{false, true, false}));
    EXPECT_EQ(model.elevation.faults, (AxisFaults{true, false, true}));
    ASSERT_TRUE(outcome.settings.restart);
    EXPECT_EQ(outcome.settings.restart->afterSeconds, 3.0);
    EXPECT_EQ(outcome.settings.restart->silentSeconds, 8.0);
    EXPECT_TRUE(outcome.settings.commands);
    for (const auto& refused :
         {test::Arguments({"--jam", "both"}), test::Arguments({"--restart", "8"}),
          test::Arguments({"--restart", "-1:8"}), test::Arguments({"--restart", "86401:8"}),
          test::Arguments({"--restart", "3:3601"})}) {
        EXPECT_EQ(ParseCommandLine(refused).action, CommandLineOutcome::Action::Fail);
    }
}

// An axis at 100 deg driven up at 10 deg/s for a second, with each fault.
TEST(RotatorModel, FaultsOfAnAxis) {
    const struct {
        const char* name;
        AxisFaults faults;
        double angle;
        int count;
    } cases[] = {
        {"none", {}, 110.0, VoltsToCount(110.0 / 40.0)},
        {"jammed", {true, false, false}, 100.0, VoltsToCount(100.0 / 40.0)},
        {"relays swapped", {false, true, false}, 90.0, VoltsToCount(90.0 / 40.0)},
        {"reading frozen", {false, false, true}, 110.0, VoltsToCount(100.0 / 40.0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RotatorParameters parameters;
        parameters.azimuth = {100.0, 10.0, {0.0, 0.0, 180.0, 4.5}, {}, {}};
        RotatorModel model(parameters);
        model.setFaults(Axis::Azimuth, c.faults);
        model.applyRelayCommand(0xCF, kAzimuthIncrease);
        model.advanceTo(1s);
        EXPECT_NEAR(model.angle(Axis::Azimuth), c.angle, 1e-9);
        EXPECT_EQ(model.readCount(Axis::Azimuth), c.count);
    }
}

// A restarted board drops its relays, ignores everything while silent and then drives a relay
// only once its bit's I/O direction has come again.
TEST(SimulatedBoard, ARestartForgetsTheIoDirections) {
    SimulatedBoard board(RotatorParameters{}, 0s, true);
    const QByteArray azIncrease = BuildRelayCommand({0xCF, kAzimuthIncrease});
    EXPECT_EQ(board.handle(azIncrease, 1s).after.relays, kAzimuthIncrease);
    board.restart(2s, 3.0);
    EXPECT_EQ(board.model().relayByte(), 0);
    const BoardResponse silent = board.handle(BuildAdcRequest(kAzimuthChannel), 4s);
    EXPECT_EQ(silent.ignored, CommandIgnored::Restarting);
    EXPECT_TRUE(silent.reply.isEmpty());
    EXPECT_FALSE(board.handle(BuildAdcRequest(kAzimuthChannel), 5s).reply.isEmpty());
    const BoardResponse unset = board.handle(azIncrease, 5s);
    EXPECT_EQ(unset.ignored, CommandIgnored::IoDirectionsUnset);
    EXPECT_EQ(unset.after.relays, 0);
    // The decrease bit's direction does not set the increase bit's.
    board.handle(QByteArray::fromHex("020605"), 6s);
    EXPECT_EQ(board.handle(azIncrease, 6s).after.relays, 0);
    board.handle(QByteArray::fromHex("020604"), 6s);
    const BoardResponse driven = board.handle(azIncrease, 6s);
    EXPECT_EQ(driven.ignored, CommandIgnored::No);
    EXPECT_EQ(driven.after.relays, kAzimuthIncrease);
}

} // namespace
} // namespace zenko::picnic
