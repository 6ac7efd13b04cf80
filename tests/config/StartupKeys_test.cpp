#include <gtest/gtest.h>

#include "config/StartupKeys.h"

using namespace zenko::config;

TEST(ChooseLanguage, EnglishOnlyWhenAskedForOrFollowingALocaleThatIsNotJapanese) {
    const struct {
        const char* value;
        QLocale::Language locale;
        Language shown;
    } cases[] = {
        {"en", QLocale::Japanese, Language::English},
        {"EN", QLocale::German, Language::English},
        {"ja", QLocale::English, Language::Japanese},
        {"", QLocale::English, Language::Japanese},
        {"english", QLocale::English, Language::Japanese},
        {"en_US", QLocale::English, Language::Japanese},
        {"system", QLocale::Japanese, Language::Japanese},
        {"system", QLocale::English, Language::English},
        {"System", QLocale::German, Language::English},
        {"system", QLocale::C, Language::English},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ChooseLanguage(QString::fromUtf8(c.value), c.locale), c.shown);
    }
}

TEST(CheckInstanceName, LettersDigitsDashAndUnderscoreUpToThirtyTwo) {
    const QString longest(kInstanceNameMaxLength, u'x');
    const struct {
        QString value;
        bool accepted;
    } cases[] = {
        {QString(), true},
        {QStringLiteral("dish"), true},
        {QStringLiteral("VHF-UHF_2"), true},
        {longest, true},
        {longest + u'x', false},
        {QStringLiteral("dish 2"), false},
        {QStringLiteral("a/b"), false},
        {QStringLiteral("50%"), false},
        {QStringLiteral("アンテナ"), false},
        {QStringLiteral("caf\u00e9"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        const std::optional<QString> name = CheckInstanceName(c.value);
        EXPECT_EQ(name.has_value(), c.accepted);
        if (name) {
            EXPECT_EQ(*name, c.value);
        }
    }
}

// The unnamed copy keeps the lock it always had; no name can take it or another name's.
TEST(SingleInstanceName, UnnamedIsZenkoAndNamesNeverMeet) {
    EXPECT_EQ(SingleInstanceName(QString()), QStringLiteral("ZENKO"));
    EXPECT_NE(SingleInstanceName(QStringLiteral("a")), SingleInstanceName(QString()));
    EXPECT_NE(SingleInstanceName(QStringLiteral("a")), SingleInstanceName(QStringLiteral("a_")));
}
