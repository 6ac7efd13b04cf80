#include <gtest/gtest.h>

#include "core/SetValueAllow.h"
#include "platform/ProfileFile.h"

using namespace zenko::core;

TEST(CheckSetValueAllow, RefusesStartNamingTheKeyAndTheEntry) {
    constexpr qsizetype kRead = zenko::platform::ProfileFile::kMaxTextLength;
    const auto ofLength = [](qsizetype length) {
        return QStringLiteral("10.0.0.1,").leftJustified(length, QLatin1Char('1'));
    };
    const struct {
        QString text;
        const char* failure;
    } cases[] = {
        {QString(), nullptr},
        {QStringLiteral("127.0.0.1, 192.168.10.0/24"), nullptr},
        {QStringLiteral(" station.example "),
         "SetValue_Allow entry 1 \"station.example\" is invalid !"},
        // The read may have cut a longer value, and its last address with it; one character
        // fewer when it would have split a surrogate pair.
        {ofLength(kRead), "SetValue_Allow is too long !"},
        {ofLength(kRead - 1), "SetValue_Allow is too long !"},
        {ofLength(kRead - 2), "SetValue_Allow entry 2 \"111"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.left(40).toStdString());
        const AllowCheck check = CheckSetValueAllow(c.text);
        if (c.failure == nullptr) {
            EXPECT_FALSE(check.failure);
        } else {
            ASSERT_TRUE(check.failure);
            EXPECT_TRUE(check.failure->startsWith(QString::fromUtf8(c.failure)))
                << check.failure->toStdString();
        }
    }
    EXPECT_EQ(CheckSetValueAllow(QStringLiteral("10.0.0.0/8")).list.networks().size(), 1u);
}
