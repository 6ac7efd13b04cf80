#include "picnic-sim/PicnicProtocol.h"
#include "picnic-sim/PicnicReport.h"

#include <string>

#include <gtest/gtest.h>

namespace zenko::picnic {
namespace {

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (const int value : values) {
        bytes.append(static_cast<char>(value));
    }
    return bytes;
}

TEST(PicnicProtocol, ClassifiesDatagrams) {
    const struct {
        const char* name;
        QByteArray bytes;
        CommandKind kind;
    } cases[] = {
        {"direction 01 05 00", Bytes({0x01, 0x05, 0x00}), CommandKind::IoDirection},
        {"direction 02 06 07", Bytes({0x02, 0x06, 0x07}), CommandKind::IoDirection},
        {"any other three bytes", Bytes({0xFF, 0x00, 0x12}), CommandKind::IoDirection},
        {"three bytes that begin like a relay command", Bytes({0x03, 0x06, 0x01}),
         CommandKind::IoDirection},
        {"adc azimuth", Bytes({0x04, 0x81, 0x00}), CommandKind::AdcRequest},
        {"adc elevation", Bytes({0x04, 0x89, 0x00}), CommandKind::AdcRequest},
        {"adc on another channel", Bytes({0x04, 0x85, 0x00}), CommandKind::AdcRequest},
        {"relay az", Bytes({0x03, 0x06, 0x01, 0xCF, 0x10}), CommandKind::Relay},
        {"relay el", Bytes({0x03, 0x06, 0x01, 0x3F, 0x80}), CommandKind::Relay},
        {"relay with another port byte", Bytes({0x03, 0x06, 0x02, 0xCF, 0x10}),
         CommandKind::Unknown},
        {"relay with another command byte", Bytes({0x03, 0x07, 0x01, 0xCF, 0x10}),
         CommandKind::Unknown},
        {"relay cut short", Bytes({0x03, 0x06, 0x01, 0xCF}), CommandKind::Unknown},
        {"relay with a trailing byte", Bytes({0x03, 0x06, 0x01, 0xCF, 0x10, 0x00}),
         CommandKind::Unknown},
        {"adc request with a trailing byte", Bytes({0x04, 0x81, 0x00, 0x00}), CommandKind::Unknown},
        {"two bytes", Bytes({0x04, 0x81}), CommandKind::Unknown},
        {"empty", QByteArray(), CommandKind::Unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ClassifyDatagram(c.bytes), c.kind);
    }
}

TEST(PicnicProtocol, RelayAndAdcRequestFieldsRoundTrip) {
    const auto relay = ParseRelayCommand(Bytes({0x03, 0x06, 0x01, 0x3F, 0x40}));
    ASSERT_TRUE(relay);
    EXPECT_EQ(relay->mask, 0x3F);
    EXPECT_EQ(relay->value, 0x40);
    EXPECT_EQ(BuildRelayCommand({0xCF, 0x20}), Bytes({0x03, 0x06, 0x01, 0xCF, 0x20}));
    EXPECT_EQ(ParseAdcRequest(Bytes({0x04, 0x89, 0x00})), std::optional<std::uint8_t>(0x89));
    EXPECT_EQ(BuildAdcRequest(0x81), Bytes({0x04, 0x81, 0x00}));
    EXPECT_EQ(ChannelAxis(0x81), Axis::Azimuth);
    EXPECT_EQ(ChannelAxis(0x89), Axis::Elevation);
    EXPECT_FALSE(ChannelAxis(0x01));
    EXPECT_FALSE(ChannelAxis(0x80));
}

TEST(PicnicProtocol, AdcReplyCarriesTheCountBigEndianSigned) {
    const struct {
        std::int16_t count;
        QByteArray bytes;
    } cases[] = {
        {0, Bytes({0x04, 0x81, 0, 0, 0x00, 0x00})},
        {1, Bytes({0x04, 0x81, 0, 0, 0x00, 0x01})},
        {512, Bytes({0x04, 0x81, 0, 0, 0x02, 0x00})},
        {1023, Bytes({0x04, 0x81, 0, 0, 0x03, 0xFF})},
        {0x1234, Bytes({0x04, 0x81, 0, 0, 0x12, 0x34})},
        {-1, Bytes({0x04, 0x81, 0, 0, 0xFF, 0xFF})},
        {-32768, Bytes({0x04, 0x81, 0, 0, 0x80, 0x00})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(BuildAdcReply(kAzimuthChannel, c.count), c.bytes);
        EXPECT_EQ(ParseAdcReplyCount(c.bytes), c.count);
    }
    EXPECT_FALSE(ParseAdcReplyCount(Bytes({0, 0, 0, 0, 0})));
    EXPECT_EQ(BuildAdcReply(kElevationChannel, 7).at(1), static_cast<char>(0x89));
}

TEST(PicnicProtocol, DescribesRelayCommands) {
    const struct {
        std::uint8_t mask;
        std::uint8_t value;
        const char* text;
    } cases[] = {
        {0xCF, 0x10, "relay az: increase ON"},
        {0xCF, 0x20, "relay az: decrease ON"},
        {0xCF, 0x00, "relay az: OFF"},
        {0xCF, 0x30, "relay az: increase+decrease ON"},
        {0xCF, 0xC0, "relay az: OFF"},
        {0x3F, 0x40, "relay el: increase ON"},
        {0x3F, 0x80, "relay el: decrease ON"},
        {0x3F, 0x30, "relay el: OFF"},
        {0x0F, 0x90, "relay az: increase ON, el: decrease ON"},
        {0xEF, 0x00, "relay az: increase OFF"},
        {0x7F, 0x80, "relay el: decrease ON"},
        {0xF0, 0x05, "relay bits 0x0f=0x05"},
        {0xFF, 0x30, "relay: nothing written (mask 0xff)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DescribeRelayCommand({c.mask, c.value}).toStdString(), c.text);
    }
}

ReceivedCommand Command(const QByteArray& bytes, std::optional<AdcAnswer> answer = {}) {
    ReceivedCommand command;
    command.monotonicNs = 5'001'234'567'890;
    command.sourceAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    command.sourcePort = 40211;
    command.bytes = bytes;
    command.kind = ClassifyDatagram(bytes);
    command.answer = answer;
    command.after = {12.344, 5.0, 0x10};
    return command;
}

TEST(PicnicReport, DescribesEachKind) {
    const struct {
        const char* name;
        ReceivedCommand command;
        const char* text;
    } cases[] = {
        {"io direction", Command(Bytes({0x02, 0x06, 0x04})), "io direction"},
        {"relay", Command(Bytes({0x03, 0x06, 0x01, 0x3F, 0x00})), "relay el: OFF"},
        {"adc answered", Command(BuildAdcRequest(0x81), AdcAnswer{Axis::Azimuth, 512, 2.5}),
         "adc az: count 512 = 2.500 V"},
        {"adc silent", Command(BuildAdcRequest(0x89)), "adc el: not answered (silent)"},
        {"adc unknown channel", Command(BuildAdcRequest(0x85)),
         "adc channel 0x85: unknown channel, not answered"},
        {"unknown", Command(Bytes({1, 2, 3, 4})), "unknown (4 bytes)"},
        {"one byte", Command(Bytes({9})), "unknown (1 byte)"},
        {"empty", Command(QByteArray()), "unknown (0 bytes)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DescribeCommand(c.command).toStdString(), c.text);
    }
}

TEST(PicnicReport, CommandLineHasTimesSourceBytesAndMeaning) {
    const QTime wall(19, 52, 1, 123);
    EXPECT_EQ(
        FormatCommandLine(Command(Bytes({0x03, 0x06, 0x01, 0xCF, 0x10})), wall, 5'000'000'000'000)
            .toStdString(),
        "19:52:01.123 +1234.568 127.0.0.1:40211 03 06 01 cf 10  relay az: increase ON  "
        "(az 12.34 deg, el 5.00 deg)");
    ReceivedCommand mapped = Command(BuildAdcRequest(0x81), AdcAnswer{Axis::Azimuth, 1023, 4.995});
    mapped.sourceAddress = QHostAddress(QStringLiteral("::ffff:127.0.0.2"));
    EXPECT_EQ(FormatCommandLine(mapped, QTime(0, 0, 0, 5), 5'001'234'567'890).toStdString(),
              "00:00:00.005 +0.000 127.0.0.2:40211 04 81 00  adc az: count 1023 = 4.995 V  "
              "(az 12.34 deg, el 5.00 deg)");
}

TEST(PicnicReport, ClockAndElapsedFormats) {
    EXPECT_EQ(FormatWallClock(QTime(7, 5, 9, 42)).toStdString(), "07:05:09.042");
    EXPECT_EQ(FormatWallClock(QTime(23, 59, 59, 999)).toStdString(), "23:59:59.999");
    EXPECT_EQ(FormatSinceStart(0).toStdString(), "+0.000");
    EXPECT_EQ(FormatSinceStart(1'500).toStdString(), "+0.002");
    EXPECT_EQ(FormatSinceStart(86'400'000'000'000).toStdString(), "+86400000.000");
    EXPECT_EQ(FormatSinceStart(-2'000'000).toStdString(), "-2.000");
}

TEST(PicnicReport, StatusLineShowsBothAxes) {
    RotatorParameters parameters;
    parameters.azimuth.startAngle = 100;
    parameters.elevation.startAngle = 45;
    RotatorModel model(parameters, std::chrono::milliseconds(2500));
    model.setRelayByte(kAzimuthIncrease | kElevationIncrease | kElevationDecrease);
    EXPECT_EQ(FormatStatusLine(model, QTime(1, 2, 3, 4), 500'000'000).toStdString(),
              "01:02:03.004 +2000.000 status  az 100.00 deg 2.500 V count 512 increasing  "
              "el 45.00 deg 2.250 V count 461 standing");
}

} // namespace
} // namespace zenko::picnic
