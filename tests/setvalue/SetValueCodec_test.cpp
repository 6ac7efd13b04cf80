#include <limits>

#include <gtest/gtest.h>

#include "setvalue/SetValueCodec.h"

using namespace zenko::setvalue;

namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

const Position kPosition{123.456, 45.25, 2.5, 1.25};

} // namespace

TEST(BinaryRequest, SetsWholeDegreesFromUnsignedThousandths) {
    const struct {
        const char* request;
        std::optional<double> az, el;
    } cases[] = {
        {"00000000"
         "0001e240"
         "0000afc8",
         123.0, 45.0},
        {"ffffffff"
         "000003e7"
         "000003e8",
         0.0, 1.0},
        {"12345678"
         "000007cf"
         "00000000",
         1.0, 0.0},
        // A peer's negative angle is a large unsigned word.
        {"00000000"
         "fffffc18"
         "ffffffff",
         4294966.0, 4294967.0},
        // Bytes after the twelfth are not read.
        {"00000000"
         "0001e240"
         "0000afc8"
         "deadbeef",
         123.0, 45.0},
        // Shorter requests carry no set values: a read-only position query.
        {"", std::nullopt, std::nullopt},
        {"00000000"
         "0001e240",
         std::nullopt, std::nullopt},
        {"00000000"
         "0001e240"
         "0000af",
         std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request);
        const SetValues values = ParseBinaryRequest(Hex(c.request));
        EXPECT_EQ(values.azimuth, c.az);
        EXPECT_EQ(values.elevation, c.el);
    }
}

TEST(BinaryReply, TwentyBytesOfTruncatedThousandths) {
    EXPECT_EQ(BuildBinaryReply(kPosition), Hex("00000000"
                                               "0001e240"
                                               "0000b0c2"
                                               "000009c4"
                                               "000004e2"));
    EXPECT_EQ(BuildBinaryReply({}).size(), 20);
}

TEST(BinaryReply, EveryValueHasADefinedWord) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        std::uint32_t word;
    } cases[] = {
        {-12.3456, 0xFFFFCFC7},
        {0.0048828125, 4},
        {-0.0005, 0},
        {2147483.647, 0x7FFFFFFF},
        {2147483.648, 0x80000000}, // low 32 bits beyond the range
        {4294967.296, 0},
        {-2147483.648, 0x80000000},
        // Saturated to the signed 64-bit range, then the low 32 bits; NaN sends 0.
        {nan, 0},
        {inf, 0xFFFFFFFF},
        {-inf, 0},
        {1e300, 0xFFFFFFFF},
        {-1e300, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(static_cast<std::uint32_t>(EncodeThousandths(c.value)), c.word);
    }
}

TEST(AsciiRequest, FieldsAfterTheFirstNonEmptyOneAreTheSetValues) {
    const struct {
        QByteArray request;
        std::optional<double> az, el;
    } cases[] = {
        {"x,123.456,45.5", 123.456, 45.5},
        {"x,,10,,20", 10.0, 20.0},
        {"x, 10 ,2e1", 10.0, 20.0},
        {"x,abc,7.5deg", 0.0, 7.5},
        {"x,1,2,3,4", 1.0, 2.0},
        {",10,20", 20.0, std::nullopt},
        {"x,1,2", 1.0, 2.0},
        {",,,x,,,-5.5,,,1e400,", -5.5, std::numeric_limits<double>::max()},
        {QByteArray("x,1,2\0,3,4", 10), 1.0, 2.0},
        {QByteArray("x,1\0,2", 6), 1.0, std::nullopt},
        // Fewer than three fields set only what they carry.
        {"?", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {",,,", std::nullopt, std::nullopt},
        {QByteArray("\0x,1,2", 6), std::nullopt, std::nullopt},
        {"x,12", 12.0, std::nullopt},
        {"x,0x10,inf", 0.0, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request.toStdString());
        const SetValues values = ParseAsciiRequest(c.request);
        EXPECT_EQ(values.azimuth, c.az);
        EXPECT_EQ(values.elevation, c.el);
    }
}

TEST(AsciiReply, FiveFieldsEachFollowedByAComma) {
    const struct {
        Position position;
        const char* reply;
    } cases[] = {
        {kPosition, "       0,  123.46,   45.25,   2.500,   1.250,"},
        {{}, "       0,    0.00,    0.00,   0.000,   0.000,"},
        {{-1234.567, 12345.678, 0.3125, -0.3125}, "       0,-1234.57,12345.68,   0.313,  -0.313,"},
        {{-12345.678, 0, 0, 0}, "       0,-12345.68,    0.00,   0.000,   0.000,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(BuildAsciiReply(c.position), QByteArray(c.reply));
    }
    EXPECT_EQ(BuildAsciiReply(kPosition).size(), 45);
}
