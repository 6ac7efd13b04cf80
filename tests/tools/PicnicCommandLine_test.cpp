#include "picnic-sim/PicnicCommandLine.h"

#include <functional>

#include <gtest/gtest.h>

#include "support/Arguments.h"

namespace zenko::picnic {
namespace {

using test::Arguments;

TEST(PicnicCommandLine, DefaultsMatchTheControllersDefaults) {
    const CommandLineOutcome outcome = ParseCommandLine({});
    ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Run);
    const PicnicSettings& settings = outcome.settings;
    EXPECT_EQ(settings.simulator.bindAddress, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(settings.simulator.port, 10001);
    EXPECT_TRUE(settings.simulator.replyFromAddress.isEmpty());
    EXPECT_TRUE(settings.simulator.answerAdc);
    EXPECT_FALSE(settings.quiet);
    EXPECT_FALSE(settings.view);
    EXPECT_EQ(settings.statusIntervalMs, 0);
    const RotatorParameters& model = settings.simulator.model;
    EXPECT_EQ(model.azimuth.speed, 10.0);
    EXPECT_EQ(model.elevation.speed, 5.0);
    EXPECT_EQ(model.azimuth.startAngle, 0.0);
    EXPECT_EQ(model.elevation.line.angle2, 90.0);
    EXPECT_EQ(model.elevation.line.volts2, 4.5);
}

struct AcceptedCase {
    const char* name;
    QStringList arguments;
    std::function<bool(const PicnicSettings&)> holds;
};

// A row a call, so that a row's check stands beside its command line.
AcceptedCase Accepted(const char* name, const QStringList& arguments,
                      std::function<bool(const PicnicSettings&)> holds) {
    return {name, arguments, std::move(holds)};
}

TEST(PicnicCommandLine, AcceptsEveryOption) {
    const AcceptedCase cases[] = {
        Accepted("port 0", Arguments({"--port", "0"}),
                 [](const PicnicSettings& s) { return s.simulator.port == 0; }),
        Accepted("port with equals", Arguments({"--port=65535"}),
                 [](const PicnicSettings& s) { return s.simulator.port == 65535; }),
        Accepted("another loopback address", Arguments({"--bind", "127.1.2.3"}),
                 [](const PicnicSettings& s) { return s.simulator.bindAddress == "127.1.2.3"; }),
        Accepted("non-loopback allowed", Arguments({"--bind", "192.0.2.1", "--allow-non-loopback"}),
                 [](const PicnicSettings& s) { return s.simulator.bindAddress == "192.0.2.1"; }),
        Accepted("any address allowed before it",
                 Arguments({"--allow-non-loopback", "--bind=0.0.0.0"}),
                 [](const PicnicSettings& s) { return s.simulator.bindAddress == "0.0.0.0"; }),
        Accepted(
            "reply from", Arguments({"--reply-from", "127.0.0.2"}),
            [](const PicnicSettings& s) { return s.simulator.replyFromAddress == "127.0.0.2"; }),
        Accepted("silent", Arguments({"--silent"}),
                 [](const PicnicSettings& s) { return !s.simulator.answerAdc; }),
        Accepted("quiet", Arguments({"--quiet"}), [](const PicnicSettings& s) { return s.quiet; }),
        Accepted("status interval", Arguments({"--status-interval", "250"}),
                 [](const PicnicSettings& s) { return s.statusIntervalMs == 250; }),
        Accepted("starts", Arguments({"--az-start", "-12.5", "--el-start=+7.25"}),
                 [](const PicnicSettings& s) {
                     return s.simulator.model.azimuth.startAngle == -12.5 &&
                            s.simulator.model.elevation.startAngle == 7.25;
                 }),
        Accepted("speeds", Arguments({"--az-speed", "2.5", "--el-speed", "0"}),
                 [](const PicnicSettings& s) {
                     return s.simulator.model.azimuth.speed == 2.5 &&
                            s.simulator.model.elevation.speed == 0.0;
                 }),
        Accepted("az line", Arguments({"--az-line", "0:0.5,360:4.5"}),
                 [](const PicnicSettings& s) {
                     const PotentiometerLine& line = s.simulator.model.azimuth.line;
                     return line.angle1 == 0 && line.volts1 == 0.5 && line.angle2 == 360 &&
                            line.volts2 == 4.5;
                 }),
        Accepted("el line descending", Arguments({"--el-line=-10:4.8,90:0.3"}),
                 [](const PicnicSettings& s) {
                     const PotentiometerLine& line = s.simulator.model.elevation.line;
                     return line.angle1 == -10 && line.volts1 == 4.8 && line.angle2 == 90 &&
                            line.volts2 == 0.3;
                 }),
        Accepted("stops", Arguments({"--az-stops", "-180:540", "--el-stops", "-10:100"}),
                 [](const PicnicSettings& s) {
                     return s.simulator.model.azimuth.lowerStop == -180.0 &&
                            s.simulator.model.azimuth.upperStop == 540.0 &&
                            s.simulator.model.elevation.lowerStop == -10.0 &&
                            s.simulator.model.elevation.upperStop == 100.0;
                 }),
        Accepted("run-up, coast and noise on both axes",
                 Arguments({"--run-up", "0.15", "--coast=0.2", "--noise", "0.25", "--seed", "42"}),
                 [](const PicnicSettings& s) {
                     const RotatorParameters& m = s.simulator.model;
                     return m.azimuth.runUpSeconds == 0.15 && m.elevation.runUpSeconds == 0.15 &&
                            m.azimuth.coastSeconds == 0.2 && m.elevation.coastSeconds == 0.2 &&
                            m.azimuth.noiseDegrees == 0.25 && m.elevation.noiseDegrees == 0.25 &&
                            m.noiseSeed == 42;
                 }),
        Accepted("view", Arguments({"--view"}), [](const PicnicSettings& s) { return s.view; }),
        Accepted("history", Arguments({"--history", "0"}),
                 [](const PicnicSettings& s) { return s.simulator.historyLimit == 0; }),
        Accepted("the last of a repeated option wins", Arguments({"--port", "1", "--port", "2"}),
                 [](const PicnicSettings& s) { return s.simulator.port == 2; }),
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandLineOutcome outcome = ParseCommandLine(c.arguments);
        ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Run) << outcome.message.toStdString();
        EXPECT_TRUE(c.holds(outcome.settings));
    }
}

TEST(PicnicCommandLine, RefusesWithOneLineAndStatusTwo) {
    const struct {
        const char* name;
        QStringList arguments;
        const char* reasonContains;
    } cases[] = {
        {"non-loopback bind", Arguments({"--bind", "192.0.2.1"}), "not a loopback address"},
        {"any address", Arguments({"--bind", "0.0.0.0"}), "not a loopback address"},
        {"IPv6 loopback is not 127/8", Arguments({"--bind", "::1"}), "not a loopback address"},
        {"host name", Arguments({"--bind", "localhost"}), "not a numeric IP address"},
        {"host name even when allowed", Arguments({"--allow-non-loopback", "--bind", "x"}),
         "not a numeric IP address"},
        {"reply from elsewhere", Arguments({"--reply-from", "192.0.2.1"}),
         "not a loopback address"},
        {"reply from elsewhere stays refused",
         Arguments({"--reply-from", "192.0.2.1", "--allow-non-loopback"}),
         "not a loopback address"},
        {"port too large", Arguments({"--port", "65536"}), "port number"},
        {"negative port", Arguments({"--port", "-1"}), "port number"},
        {"port with junk", Arguments({"--port", "10001x"}), "port number"},
        {"empty port", Arguments({"--port="}), "port number"},
        {"missing value", Arguments({"--port"}), "needs a value"},
        {"negative speed", Arguments({"--az-speed", "-1"}), "at least 0"},
        {"speed not a number", Arguments({"--el-speed", "nan"}), "at least 0"},
        {"infinite start", Arguments({"--az-start", "inf"}), "expects a number"},
        {"comma decimal", Arguments({"--az-start", "1,5"}), "expects a number"},
        {"line with one point", Arguments({"--az-line", "0:0"}), "ANGLE1:VOLTS1"},
        {"line missing a volt", Arguments({"--az-line", "0:0,180"}), "ANGLE1:VOLTS1"},
        {"flat line", Arguments({"--el-line", "0:1,90:1"}), "different voltages"},
        {"vertical line", Arguments({"--el-line", "5:1,5:4"}), "different angles"},
        {"stops reversed", Arguments({"--az-stops", "10:5"}), "LOWER below UPPER"},
        {"stops equal", Arguments({"--az-stops", "5:5"}), "LOWER below UPPER"},
        {"negative interval", Arguments({"--status-interval", "-5"}), "milliseconds"},
        {"negative run-up", Arguments({"--run-up", "-0.1"}), "at least 0"},
        {"seed too large", Arguments({"--seed", "4294967296"}), "whole number"},
        {"negative history", Arguments({"--history", "-1"}), "whole number"},
        {"unknown option", Arguments({"--frobnicate"}), "unknown argument --frobnicate"},
        {"stray value", Arguments({"10001"}), "unknown argument 10001"},
        {"a switch with a value", Arguments({"--view=1"}), "unknown argument --view=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandLineOutcome outcome = ParseCommandLine(c.arguments);
        ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Fail);
        EXPECT_EQ(outcome.exitStatus, 2);
        EXPECT_TRUE(outcome.message.contains(QLatin1String(c.reasonContains)))
            << outcome.message.toStdString();
        EXPECT_FALSE(outcome.message.contains(QLatin1Char('\n')));
    }
}

TEST(PicnicCommandLine, HelpNamesEveryOption) {
    const CommandLineOutcome outcome = ParseCommandLine(Arguments({"--port", "1", "--help"}));
    ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Help);
    const QString named = QStringLiteral(
        "--bind --allow-non-loopback --port --reply-from --silent --az-start --el-start --az-speed "
        "--el-speed --az-line --el-line --az-stops --el-stops --run-up --coast --noise --seed "
        "--history --quiet --status-interval --view SIGUSR1 SIGUSR2 --help --version");
    for (const QString& option : named.split(QLatin1Char(' '))) {
        EXPECT_TRUE(outcome.message.contains(option)) << option.toStdString();
    }
    EXPECT_EQ(ParseCommandLine(Arguments({"-h"})).action, CommandLineOutcome::Action::Help);
}

} // namespace
} // namespace zenko::picnic
