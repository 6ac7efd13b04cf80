#include <gtest/gtest.h>

#include <QStringList>

#include "config/ConfigKeys.h"

using namespace zenko::config;

TEST(LowSigned16, KeepsTheLowSixteenBitsAsSigned) {
    const struct {
        std::int32_t read;
        std::int16_t held;
    } cases[] = {{10005, 10005},  {0, 0},          {32767, 32767},   {32768, -32768},
                 {40000, -25536}, {65535, -1},     {65536, 0},       {65537, 1},
                 {-1, -1},        {-32769, 32767}, {2147483647, -1}, {-2147483647 - 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.read);
        EXPECT_EQ(LowSigned16(c.read), c.held);
    }
}

TEST(OutputFlag, OnlyExactlyOneEnables) {
    EXPECT_EQ(OutputFlag(1), 1);
    for (std::int32_t value : {0, 2, -1, 11, 2147483647}) {
        EXPECT_EQ(OutputFlag(value), 0) << value;
    }
}

TEST(Defaults, TheBoardAddressesAreThreeConsecutiveHosts) {
    const QStringList addresses{defaults::PicnicIp1, defaults::PicnicIp2, defaults::PicnicIp3};
    for (int i = 1; i < 3; ++i) {
        const QString previous = addresses[i - 1].section(QLatin1Char('.'), 0, 2);
        EXPECT_EQ(addresses[i].section(QLatin1Char('.'), 0, 2), previous);
        EXPECT_EQ(addresses[i].section(QLatin1Char('.'), 3).toInt(),
                  addresses[i - 1].section(QLatin1Char('.'), 3).toInt() + 1);
    }
    // None is a prefix of another, so a typed first address can never show as a later one.
    EXPECT_FALSE(defaults::PicnicIp2.startsWith(defaults::PicnicIp1));
}
