#include <gtest/gtest.h>

#include "support/Arguments.h"
#include "zenko-rotctld/RotctldCommandLine.h"

namespace zenko::rotctld {
namespace {

TEST(OpenToEveryone, ListeningBeyondLoopbackWithoutAnAllowList) {
    const struct {
        const char* listen;
        const char* allow;
        bool open;
    } cases[] = {
        {"127.0.0.1", nullptr, false}, {"::1", nullptr, false},
        {"0.0.0.0", nullptr, true},    {"::", nullptr, true},
        {"192.0.2.1", nullptr, true},  {"0.0.0.0", "192.0.2.0/24", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.listen);
        QStringList arguments = test::Arguments({"--listen", c.listen, "--allow-non-loopback"});
        if (c.allow != nullptr) {
            arguments << QStringLiteral("--allow") << QString::fromLatin1(c.allow);
        }
        const CommandLineOutcome outcome = ParseCommandLine(arguments);
        ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Run);
        EXPECT_EQ(OpenToEveryone(outcome.settings), c.open);
    }
}

} // namespace
} // namespace zenko::rotctld
