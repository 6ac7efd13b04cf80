#include "platform/SingleInstance.h"

#include <csignal>
#include <memory>
#include <optional>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QString>

extern char** environ;

namespace zenko::platform {
namespace {

// Names carry the test's name and the pid, so parallel runs and a real running program that
// holds "ZENKO" never meet these locks.
QString UniqueName(const char* suffix = "") {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return QStringLiteral("test-%1-%2-%3")
        .arg(QString::number(::getpid()), QString::fromUtf8(test->name()),
             QString::fromUtf8(suffix));
}

TEST(SingleInstance, SecondHolderInTheSameProcessIsRefused) {
    const QString name = UniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.acquired());
    SingleInstance second(name);
    EXPECT_FALSE(second.acquired());
    EXPECT_TRUE(first.acquired());
}

TEST(SingleInstance, DifferentNamesAreIndependent) {
    SingleInstance first(UniqueName("a"));
    SingleInstance second(UniqueName("b"));
    // A name that is a prefix of another must not collide with it.
    SingleInstance prefix(UniqueName(""));
    EXPECT_TRUE(first.acquired());
    EXPECT_TRUE(second.acquired());
    EXPECT_TRUE(prefix.acquired());
}

TEST(SingleInstance, NameIsFreeAgainOnceTheHolderIsGone) {
    const QString name = UniqueName();
    auto first = std::make_unique<SingleInstance>(name);
    ASSERT_TRUE(first->acquired());
    first.reset();
    SingleInstance again(name);
    EXPECT_TRUE(again.acquired());
}

TEST(SingleInstance, NonAsciiNamesWork) {
    const QString name = UniqueName() + QStringLiteral("-方位角");
    SingleInstance first(name);
    ASSERT_TRUE(first.acquired());
    EXPECT_FALSE(SingleInstance(name).acquired());
    EXPECT_TRUE(SingleInstance(UniqueName() + QStringLiteral("-仰角")).acquired());
}

// The lock must die with a process that is killed outright, with no chance to clean up.
TEST(SingleInstance, LockHeldByAnotherProcessIsReleasedByKillNine) {
    const QString name = UniqueName();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        SingleInstance held(name);
        const char report = held.acquired() ? '1' : '0';
        if (::write(ready[1], &report, 1) != 1 || report != '1') {
            ::_exit(1);
        }
        for (;;) {
            ::pause();
        }
    }
    ::close(ready[1]);
    char report = 0;
    const ssize_t got = ::read(ready[0], &report, 1);
    ::close(ready[0]);

    std::optional<bool> refusedWhileHeld;
    if (got == 1 && report == '1') {
        refusedWhileHeld = !SingleInstance(name).acquired();
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);

    ASSERT_EQ(got, 1);
    ASSERT_EQ(report, '1') << "the child could not take the lock";
    EXPECT_TRUE(refusedWhileHeld.value_or(false));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_TRUE(SingleInstance(name).acquired());
}

// A program started from the controller must not keep the name after the controller exits.
TEST(SingleInstance, LockIsNotInheritedByStartedPrograms) {
    const QString name = UniqueName();
    auto held = std::make_unique<SingleInstance>(name);
    ASSERT_TRUE(held->acquired());

    char program[] = "sleep";
    char seconds[] = "30";
    char* arguments[] = {program, seconds, nullptr};
    pid_t sleeper = -1;
    ASSERT_EQ(::posix_spawnp(&sleeper, program, nullptr, nullptr, arguments, environ), 0);

    held.reset();
    const bool freed = SingleInstance(name).acquired();
    ::kill(sleeper, SIGKILL);
    ::waitpid(sleeper, nullptr, 0);
    EXPECT_TRUE(freed);
}

} // namespace
} // namespace zenko::platform
