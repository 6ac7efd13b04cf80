#include <gtest/gtest.h>

#include "device/BoardProtocol.h"

using namespace zenko::device;

namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

} // namespace

TEST(BoardProtocol, RelayCommandCarriesBothRelaysOfOneAxisUnderItsMask) {
    const struct {
        std::int32_t axis;
        std::uint8_t increase, decrease;
        const char* bytes;
    } cases[] = {
        {1, 1, 0, "030601cf10"},
        {1, 0, 1, "030601cf20"},
        {2, 1, 0, "0306013f40"},
        {2, 0, 1, "0306013f80"},
        {1, 0, 0, "030601cf00"},
        {2, 0, 0, "0306013f00"},
        // Any non-zero flag counts as on.
        {1, 7, 0, "030601cf10"},
        {2, 0, 255, "0306013f80"},
        {1, 1, 1, "030601cf30"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(BuildRelayCommand(c.axis, c.increase, c.decrease), Hex(c.bytes));
    }
    for (std::int32_t axis : {0, 3, -1}) {
        EXPECT_FALSE(BuildRelayCommand(axis, 1, 0)) << axis;
    }
}

TEST(BoardProtocol, IoDirectionAndAdcRequestsAreTheirThreeBytes) {
    EXPECT_EQ(BuildIoDirectionCommand(2, 6, 7), Hex("020607"));
    EXPECT_EQ(BuildAdcRequest(kAzAdcChannel, 0), Hex("048100"));
    EXPECT_EQ(BuildAdcRequest(kElAdcChannel, 0), Hex("048900"));
}

TEST(BoardProtocol, AdcReplyCountIsSignedBigEndianAtOffsetFour) {
    const struct {
        const char* reply;
        double volts;
    } cases[] = {
        {"000000000200", 2.5},
        {"0000000003ff", 4.9951171875},
        {"00000000ffff", -0.0048828125},
        {"000000008000", -160.0},
        {"000000007fff", 159.9951171875},
        {"ffffffff0000", 0.0},
        {"0000000002000102030405", 2.5}, // bytes after the count are not read
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        const auto count = ParseAdcReply(Hex(c.reply));
        ASSERT_TRUE(count);
        EXPECT_EQ(CountToVolts(*count), c.volts);
    }
}

TEST(BoardProtocol, AdcReplyTooShortToCarryACountGivesNone) {
    for (const char* reply : {"", "00", "0000000002"}) {
        EXPECT_FALSE(ParseAdcReply(Hex(reply))) << reply;
    }
}
