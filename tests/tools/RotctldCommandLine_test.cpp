#include "zenko-rotctld/RotctldCommandLine.h"

#include <gtest/gtest.h>

#include "support/Arguments.h"

namespace zenko::rotctld {
namespace {

using test::Arguments;

TEST(RotctldCommandLine, DefaultsServeLoopbackAndTheControllersAsciiPort) {
    const CommandLineOutcome outcome = ParseCommandLine({});
    ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Run) << outcome.message.toStdString();
    const BridgeSettings& settings = outcome.settings;
    EXPECT_EQ(settings.listenAddress, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(settings.listenPort, 4533);
    EXPECT_EQ(settings.controllerAddress, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(settings.controllerPort, 10006);
    EXPECT_EQ(settings.timeoutMs, 1000);
    EXPECT_EQ(settings.limits.minAzimuth, 0);
    EXPECT_EQ(settings.limits.maxAzimuth, 360);
    EXPECT_EQ(settings.limits.minElevation, 0);
    EXPECT_EQ(settings.limits.maxElevation, 90);
    EXPECT_EQ(settings.parkAzimuth, 0);
    EXPECT_EQ(settings.parkElevation, 0);
    EXPECT_EQ(settings.protocol, Protocol::Rotctld);
    EXPECT_TRUE(settings.ptyPath.isEmpty());
    EXPECT_FALSE(settings.parkAfterMinutes);
}

TEST(RotctldCommandLine, ProtocolPseudoTerminalAndIdlePark) {
    const struct {
        QStringList arguments;
        Protocol protocol;
        const char* pty;
        std::optional<double> parkAfter;
    } cases[] = {
        {Arguments({"--protocol", "gs232b", "--pty", "/run/zenko-rotctld/gs232b"}),
         Protocol::Gs232b, "/run/zenko-rotctld/gs232b", std::nullopt},
        {Arguments({"--protocol=gs232a", "--listen", "0.0.0.0", "--allow-non-loopback"}),
         Protocol::Gs232a, "", std::nullopt},
        {Arguments({"--protocol=easycomm2", "--park-after", "0,05"}), Protocol::Easycomm2, "",
         0.05},
        {Arguments({"--protocol", "rot2prog", "--pty=ttyRot", "--park-after=10080"}),
         Protocol::Rot2Prog, "ttyRot", 10080},
        {Arguments({"--protocol", "gs232a", "--protocol", "rotctld"}), Protocol::Rotctld, "",
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const CommandLineOutcome outcome = ParseCommandLine(c.arguments);
        ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Run) << outcome.message.toStdString();
        EXPECT_EQ(outcome.settings.protocol, c.protocol);
        EXPECT_EQ(outcome.settings.ptyPath, QString::fromUtf8(c.pty));
        EXPECT_EQ(outcome.settings.parkAfterMinutes, c.parkAfter);
    }
}

TEST(RotctldCommandLine, EveryOptionInBothSpellings) {
    const CommandLineOutcome outcome = ParseCommandLine(
        Arguments({"--listen", "127.0.0.2", "--port=14533", "--controller-host=192.0.2.7",
                   "--controller-port", "20006", "--timeout", "250", "--min-az=-180", "--max-az",
                   "450", "--min-el", "-5,5", "--max-el=180", "--park-az", "180", "--park-el=12.5",
                   "--port", "4534"}));
    ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Run) << outcome.message.toStdString();
    const BridgeSettings& settings = outcome.settings;
    EXPECT_EQ(settings.listenAddress, QHostAddress(QStringLiteral("127.0.0.2")));
    EXPECT_EQ(settings.listenPort, 4534);
    EXPECT_EQ(settings.controllerAddress, QHostAddress(QStringLiteral("192.0.2.7")));
    EXPECT_EQ(settings.controllerPort, 20006);
    EXPECT_EQ(settings.timeoutMs, 250);
    EXPECT_EQ(settings.limits.minAzimuth, -180);
    EXPECT_EQ(settings.limits.maxAzimuth, 450);
    EXPECT_EQ(settings.limits.minElevation, -5.5);
    EXPECT_EQ(settings.limits.maxElevation, 180);
    EXPECT_EQ(settings.parkAzimuth, 180);
    EXPECT_EQ(settings.parkElevation, 12.5);
}

TEST(RotctldCommandLine, NonLoopbackListeningOnlyWhenAllowed) {
    const struct {
        QStringList arguments;
        bool accepted;
    } cases[] = {
        {Arguments({"--listen", "0.0.0.0"}), false},
        {Arguments({"--listen", "192.0.2.1"}), false},
        {Arguments({"--listen", "::"}), false},
        {Arguments({"--listen", "0.0.0.0", "--allow-non-loopback"}), true},
        {Arguments({"--allow-non-loopback", "--listen=::"}), true},
        {Arguments({"--listen", "::1"}), true},
        {Arguments({"--listen", "localhost"}), true},
        {Arguments({"--listen", "127.255.0.9"}), true},
        {Arguments({"--listen", "0.0.0.0", "--allow", "192.0.2.0/24"}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const CommandLineOutcome outcome = ParseCommandLine(c.arguments);
        EXPECT_EQ(outcome.action,
                  c.accepted ? CommandLineOutcome::Action::Run : CommandLineOutcome::Action::Fail);
        if (!c.accepted) {
            EXPECT_TRUE(outcome.message.contains(QLatin1String("--allow-non-loopback")));
        }
    }
}

TEST(RotctldCommandLine, RefusedWithOneLine) {
    const struct {
        QStringList arguments;
        const char* reason;
    } cases[] = {
        {Arguments({"--bogus"}), "unknown argument --bogus"},
        {Arguments({"4533"}), "unknown argument 4533"},
        {Arguments({"--port"}), "--port needs a value"},
        {Arguments({"--port", "0"}), "--port 0: expects a port number"},
        {Arguments({"--port", "65536"}), "--port 65536: expects a port number"},
        {Arguments({"--controller-port=x"}), "--controller-port x: expects a port number"},
        {Arguments({"--timeout", "0"}), "--timeout 0: expects milliseconds"},
        {Arguments({"--timeout", "1.5"}), "--timeout 1.5: expects milliseconds"},
        {Arguments({"--listen", "127.1"}), "--listen 127.1: not a numeric IP address"},
        {Arguments({"--controller-host", "0177.0.0.1"}), "not a numeric IP address"},
        {Arguments({"--controller-host", "station.example"}), "not a numeric IP address"},
        {Arguments({"--min-az", "west"}), "--min-az west: expects degrees"},
        {Arguments({"--max-el", "nan"}), "--max-el nan: expects degrees"},
        {Arguments({"--min-az", "10", "--max-az", "5", "--park-az", "7"}),
         "--min-az 10.00 is above --max-az 5.00"},
        {Arguments({"--min-el", "30", "--max-el=20"}), "--min-el 30.00 is above --max-el 20.00"},
        {Arguments({"--park-az", "400"}), "the park position 400.00 0.00 is outside the limits"},
        {Arguments({"--min-el", "5"}), "the park position 0.00 0.00 is outside the limits"},
        {Arguments({"--allow-non-loopback=yes"}), "--allow-non-loopback takes no value"},
        {Arguments({"--protocol", "gs232"}),
         "--protocol gs232: expects one of rotctld|gs232a|gs232b|easycomm2|rot2prog"},
        {Arguments({"--pty="}), "--pty needs a path"},
        {Arguments({"--pty", "/tmp/gs", "--port", "4534"}),
         "--pty serves a pseudo-terminal instead of TCP: drop --port"},
        {Arguments({"--listen=127.0.0.1", "--pty", "/tmp/gs"}), "drop --listen"},
        {Arguments({"--pty", "/tmp/gs", "--allow", "127.0.0.1"}), "drop --allow"},
        {Arguments({"--park-after", "0"}), "--park-after 0: expects minutes above 0"},
        {Arguments({"--park-after", "-1"}), "--park-after -1: expects minutes"},
        {Arguments({"--park-after", "10081"}), "--park-after 10081: expects minutes"},
        {Arguments({"--park-after=soon"}), "--park-after soon: expects minutes"},
        {Arguments({"--allow", "127.0.0.1,,10.0.0.1"}),
         "--allow 127.0.0.1,,10.0.0.1: entry 2 is empty (two commas in a row"},
        {Arguments({"--allow=10.0.0.0/33"}), "--allow 10.0.0.0/33: entry 1 \"10.0.0.0/33\": the "
                                             "prefix"},
        {Arguments({"--allow", "192.168.10.5/24"}), "host bits are set"},
        {Arguments({"--allow", " "}), "--allow needs at least one address or network"},
        {Arguments({"--allow"}), "--allow needs a value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const CommandLineOutcome outcome = ParseCommandLine(c.arguments);
        EXPECT_EQ(outcome.action, CommandLineOutcome::Action::Fail);
        EXPECT_TRUE(outcome.message.contains(QLatin1String(c.reason)))
            << outcome.message.toStdString();
        EXPECT_FALSE(outcome.message.contains(QLatin1Char('\n')));
    }
}

TEST(RotctldCommandLine, HelpDocumentsEveryOption) {
    for (const char* flag : {"--help", "-h"}) {
        const CommandLineOutcome outcome = ParseCommandLine(Arguments({"--port", "x", flag}));
        ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Help);
        for (const char* option : {"--listen",
                                   "--port",
                                   "--allow-non-loopback",
                                   "--controller-host",
                                   "--controller-port",
                                   "--timeout",
                                   "--min-az",
                                   "--max-az",
                                   "--min-el",
                                   "--max-el",
                                   "--park-az",
                                   "--park-el",
                                   "--help",
                                   "--version",
                                   "--protocol",
                                   "--pty",
                                   "--park-after",
                                   "gs232a",
                                   "gs232b",
                                   "easycomm2",
                                   "rot2prog"}) {
            EXPECT_TRUE(outcome.message.contains(QLatin1String(option))) << option;
        }
    }
}

} // namespace
} // namespace zenko::rotctld
