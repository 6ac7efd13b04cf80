#include <gtest/gtest.h>

#include "core/StartChecks.h"

using namespace zenko::core;

namespace {

LinkSettings Valid() {
    return {10005, 10006, QStringLiteral("127.0.0.1"), 10001, 2};
}

} // namespace

TEST(CheckLinkSettings, FirstFailingCheckGivesItsMessage) {
    const struct {
        const char* name;
        LinkSettings settings;
        const char* message;
    } cases[] = {
        {"valid", Valid(), nullptr},
        {"negative binary port",
         {-1, 10006, "127.0.0.1", 10001, 2},
         "Binary Set Value Receiving Port is invalid !"},
        {"negative ascii port",
         {10005, -25536, "127.0.0.1", 10001, 2},
         "Ascii Set Value Receiving Port is invalid !"},
        {"both receivers closed",
         {0, 0, "127.0.0.1", 10001, 2},
         "Both Receiving Ports are zero  !"},
        {"binary closed only", {0, 10006, "127.0.0.1", 10001, 2}, nullptr},
        {"host name", {10005, 10006, "localhost", 10001, 2}, "PICNIC IP is invalid !"},
        {"broadcast equals the error value",
         {10005, 10006, "255.255.255.255", 10001, 2},
         "PICNIC IP is invalid !"},
        {"empty address", {10005, 10006, "", 10001, 2}, "PICNIC IP is invalid !"},
        {"board port zero", {10005, 10006, "127.0.0.1", 0, 2}, "PICNIC Pararel Port is invalid !"},
        {"board port negative",
         {10005, 10006, "127.0.0.1", -1, 2},
         "PICNIC Pararel Port is invalid !"},
        {"interval zero", {10005, 10006, "127.0.0.1", 10001, 0}, "Control Interval is invalid !"},
        // Only the first failure is told.
        {"bad port and bad address",
         {-1, 10006, "nowhere", 10001, 0},
         "Binary Set Value Receiving Port is invalid !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const StartCheck check = CheckLinkSettings(c.settings);
        if (c.message == nullptr) {
            EXPECT_FALSE(check.failure);
        } else {
            ASSERT_TRUE(check.failure);
            EXPECT_EQ(check.failure->toStdString(), c.message);
        }
    }
    EXPECT_EQ(CheckLinkSettings(Valid()).picnicIp, 0x7F000001u);
}

TEST(ParseIpv4Address, ReadsTheClassicForms) {
    const struct {
        const char* text;
        std::optional<std::uint32_t> address;
    } cases[] = {
        {"127.0.0.1", 0x7F000001},
        {"127.1", 0x7F000001},
        {"127.0.1", 0x7F000001},
        {"2130706433", 0x7F000001},
        {"0x7f.0.0.1", 0x7F000001},
        {"0177.0.0.01", 0x7F000001},
        {"0.0.0.0", 0},
        {"255.255.255.255", 0xFFFFFFFF},
        {"1.2.3.4", 0x01020304},
        {"256.0.0.1", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1..2", std::nullopt},
        {"1.2.3.", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"1.2.3.4 ", std::nullopt},
        {"08.0.0.1", std::nullopt},
        {"0x", std::nullopt},
        {"a.b.c.d", std::nullopt},
        {"4294967296", std::nullopt},
        {"1.16777216", std::nullopt},
        {"1.16777215", 0x01FFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseIpv4Address(QString::fromUtf8(c.text)), c.address);
    }
}

TEST(ControlTimerPeriod, HalvesTheIntervalInWrappingUnsignedArithmetic) {
    EXPECT_EQ(ControlTimerPeriod(1), 500u);
    EXPECT_EQ(ControlTimerPeriod(2), 1000u);
    EXPECT_EQ(ControlTimerPeriod(3), 1500u);
    EXPECT_EQ(ControlTimerPeriod(4294968), 352u); // 4294968000 mod 2^32 = 704
    EXPECT_EQ(ControlTimerPeriod(4294967295u), 2147483148u);
}
