#include <gtest/gtest.h>

#include "support/Arguments.h"
#include "zenko-rotctld/RotctldCommandLine.h"

namespace zenko::rotctld {
namespace {

using test::Arguments;

TEST(RotctldSerialCommandLine, ProtocolPseudoTerminalAndIdlePark) {
    const struct {
        QStringList arguments;
        Protocol protocol;
        const char* pty;
        std::optional<double> parkAfter;
    } cases[] = {
        {{}, Protocol::Rotctld, "", std::nullopt},
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

TEST(RotctldSerialCommandLine, HelpDocumentsTheProtocolsAndTheirOptions) {
    const QString help = ParseCommandLine(Arguments({"--help"})).message;
    for (const char* text :
         {"--protocol", "--pty", "--park-after", "gs232a", "gs232b", "easycomm2", "rot2prog"}) {
        EXPECT_TRUE(help.contains(QLatin1String(text))) << text;
    }
}

} // namespace
} // namespace zenko::rotctld
