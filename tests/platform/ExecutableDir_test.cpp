#include "platform/ExecutableDir.h"

#include <ostream>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "support/CaseNames.h"

namespace zenko::platform {
namespace {

TEST(ExecutableDir, FindsThisTestBinary) {
    const QString path = ExecutablePath();
    EXPECT_TRUE(path.startsWith(QLatin1Char('/'))) << path.toStdString();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/unit_tests"))) << path.toStdString();
    EXPECT_TRUE(QFileInfo(path).isExecutable()) << path.toStdString();

    const QString directory = ExecutableDirectory();
    EXPECT_TRUE(directory.endsWith(QLatin1Char('/'))) << directory.toStdString();
    EXPECT_EQ(directory + QStringLiteral("unit_tests"), path);
    EXPECT_EQ(ExecutableBaseName(), QStringLiteral("unit_tests"));
}

TEST(ExecutableDir, DirectoryDoesNotDependOnTheWorkingDirectory) {
    const QString before = ExecutableDirectory();
    const QString saved = QDir::currentPath();
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    const QString after = ExecutableDirectory();
    QDir::setCurrent(saved);
    EXPECT_EQ(after, before);
}

struct BaseNameCase {
    const char* fileName;
    const char* expected;
};

void PrintTo(const BaseNameCase& c, std::ostream* out) {
    *out << '"' << c.fileName << "\" -> \"" << c.expected << '"';
}

class BaseNameWithoutExtensionTest : public ::testing::TestWithParam<BaseNameCase> {};

TEST_P(BaseNameWithoutExtensionTest, DropsTheLastExtensionOnly) {
    const BaseNameCase& c = GetParam();
    EXPECT_EQ(BaseNameWithoutExtension(QString::fromUtf8(c.fileName)).toStdString(),
              std::string(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, BaseNameWithoutExtensionTest,
    ::testing::Values(BaseNameCase{"zenko", "zenko"}, BaseNameCase{"zenko.exe", "zenko"},
                      BaseNameCase{"ZENKO.EXE", "ZENKO"}, BaseNameCase{"my.app.bin", "my.app"},
                      BaseNameCase{".hidden", ".hidden"}, BaseNameCase{"zenko.", "zenko"},
                      BaseNameCase{"", ""}, BaseNameCase{"/opt/v1.2/zenko", "zenko"},
                      BaseNameCase{"/opt/v1.2/zenko.bin", "zenko"},
                      BaseNameCase{"/opt/bin/.zenko", ".zenko"}, BaseNameCase{"全天.exe", "全天"}),
    [](const ::testing::TestParamInfo<BaseNameCase>& info) {
        return test::CaseName(info.index, info.param.fileName);
    });

class ResolveExecutablePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("real/bin")));
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("links")));
        m_real = path("real/bin/zenko");
        QFile file(m_real);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QString path(const QString& relative) const { return m_root.filePath(relative); }

    QTemporaryDir m_root;
    QString m_real;
};

TEST_F(ResolveExecutablePathTest, AbsoluteLinkLeadsToTheRealFile) {
    ASSERT_TRUE(QFile::link(m_real, path("links/zenko")));
    EXPECT_EQ(ResolveExecutablePath(path("links/zenko")), m_real);
}

// A relative target counts from the link's folder, not from the working directory.
TEST_F(ResolveExecutablePathTest, RelativeLinkCountsFromItsOwnFolder) {
    const QString link = path("links/zenko");
    ASSERT_EQ(::symlink("../real/bin/zenko", QFile::encodeName(link).constData()), 0);
    EXPECT_EQ(ResolveExecutablePath(link), m_real);
}

TEST_F(ResolveExecutablePathTest, ChainOfLinksIsFollowedToTheEnd) {
    ASSERT_TRUE(QFile::link(m_real, path("links/first")));
    ASSERT_EQ(::symlink("first", QFile::encodeName(path("links/second")).constData()), 0);
    ASSERT_TRUE(QFile::link(path("links/second"), path("third")));
    EXPECT_EQ(ResolveExecutablePath(path("third")), m_real);
}

TEST_F(ResolveExecutablePathTest, LongTargetIsReadInFull) {
    QString deep = QStringLiteral("real");
    for (int level = 0; level < 6; ++level) {
        deep += QLatin1Char('/') + QString(200, QLatin1Char('a' + level));
    }
    ASSERT_TRUE(QDir(m_root.path()).mkpath(deep));
    const QString target = path(deep + QStringLiteral("/zenko"));
    ASSERT_GT(target.size(), 1200);
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(target, path("links/deep")));
    EXPECT_EQ(ResolveExecutablePath(path("links/deep")), target);
}

// The kernel's name for a running executable that was replaced on disk: its folder still holds
// the INI, and its name is still the title.
TEST_F(ResolveExecutablePathTest, DeletedMarkIsDropped) {
    ASSERT_TRUE(QFile::link(m_real + QStringLiteral(" (deleted)"), path("links/zenko")));
    EXPECT_EQ(ResolveExecutablePath(path("links/zenko")), m_real);
}

TEST_F(ResolveExecutablePathTest, NotALinkGivesEmpty) {
    EXPECT_TRUE(ResolveExecutablePath(m_real).isEmpty());
    EXPECT_TRUE(ResolveExecutablePath(path("links/missing")).isEmpty());
}

TEST_F(ResolveExecutablePathTest, LoopOfLinksEnds) {
    ASSERT_TRUE(QFile::link(path("links/b"), path("links/a")));
    ASSERT_TRUE(QFile::link(path("links/a"), path("links/b")));
    const QString resolved = ResolveExecutablePath(path("links/a"));
    EXPECT_TRUE(resolved == path("links/a") || resolved == path("links/b"))
        << resolved.toStdString();
}

} // namespace
} // namespace zenko::platform
