#include <gtest/gtest.h>

#include <QFile>
#include <QTranslator>

// A copy of the executable runs anywhere: what it shows comes from inside it.
TEST(Resources, IconAndJapaneseQtStringsAreCompiledIn) {
    for (const char* path : {":/zenko/zenko-16.png", ":/zenko/zenko-32.png"}) {
        EXPECT_TRUE(QFile::exists(QString::fromLatin1(path))) << path;
    }

    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(":/zenko/translations/qtbase_ja.qm")));
    const QString copy = translator.translate("QLineEdit", "&Copy");
    EXPECT_FALSE(copy.isEmpty());
    EXPECT_NE(copy, QStringLiteral("&Copy"));
}
