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
    for (const QString& name :
         {QString(), QStringLiteral("dish"), QStringLiteral("VHF-UHF_2"), longest}) {
        EXPECT_EQ(CheckInstanceName(name), name) << name.toStdString();
    }
    for (const QString& name :
         {longest + u'x', QStringLiteral("dish 2"), QStringLiteral("a/b"), QStringLiteral("50%"),
          QStringLiteral("アンテナ"), QStringLiteral("caf\u00e9")}) {
        EXPECT_FALSE(CheckInstanceName(name)) << name.toStdString();
    }
}

// The unnamed copy keeps the lock it always had; no name can take it or another name's.
TEST(SingleInstanceName, UnnamedIsZenkoAndNamesNeverMeet) {
    EXPECT_EQ(SingleInstanceName(QString()), QStringLiteral("ZENKO"));
    EXPECT_NE(SingleInstanceName(QStringLiteral("a")), SingleInstanceName(QString()));
    EXPECT_NE(SingleInstanceName(QStringLiteral("a")), SingleInstanceName(QStringLiteral("a_")));
}
