#include "setvalue-send/SetValueSendCommandLine.h"
#include "setvalue-send/SetValueSendReply.h"

#include <limits>

#include <gtest/gtest.h>

#include "support/Arguments.h"

#include "setvalue/SetValueCodec.h"

namespace zenko::setvaluesend {
namespace {

using test::Arguments;

TEST(SetValueSendCommandLine, AcceptedCommandLines) {
    const struct {
        QStringList arguments;
        const char* requestHex;
        std::uint16_t port;
        ReplyFormat format;
    } cases[] = {
        {Arguments({"--binary", "123.456", "45"}), "00000000 0001e240 0000afc8", 10005,
         ReplyFormat::Binary},
        {Arguments({"--binary", "0", "0"}), "00000000 00000000 00000000", 10005,
         ReplyFormat::Binary},
        {Arguments({"--binary", "4294967.295", ".0005"}), "00000000 ffffffff 00000001", 10005,
         ReplyFormat::Binary},
        {Arguments({"--binary", "123.4565", "1.9994"}), "00000000 0001e241 000007cf", 10005,
         ReplyFormat::Binary},
        {Arguments({"--query-binary"}), "", 10005, ReplyFormat::Binary},
        {Arguments({"--ascii", "123.456", "45.25"}), "5a454e4b4f2c3132332e3435362c34352e3235",
         10006, ReplyFormat::Ascii},
        {Arguments({"--ascii", "-10", "+.5"}), "5a454e4b4f2c2d31302c2b2e35", 10006,
         ReplyFormat::Ascii},
        {Arguments({"--query-ascii"}), "3f", 10006, ReplyFormat::Ascii},
        {Arguments({"--text", "a,1"}), "612c31", 10006, ReplyFormat::Ascii},
        {Arguments({"--text=x=,y"}), "783d2c79", 10006, ReplyFormat::Ascii},
        {Arguments({"--text", "--binary"}), "2d2d62696e617279", 10006, ReplyFormat::Ascii},
        {Arguments({"--text", ""}), "", 10006, ReplyFormat::Ascii},
        {Arguments({"--hex", "00 0a\tFF", "--port", "9"}), "000aff", 9, ReplyFormat::Guess},
        {Arguments({"--port=1", "--hex="}), "", 1, ReplyFormat::Guess},
        {Arguments({"--port", "20000", "--binary", "1", "2"}), "00000000 000003e8 000007d0", 20000,
         ReplyFormat::Binary},
        {Arguments({"--port", "1", "--port", "65535", "--query-ascii"}), "3f", 65535,
         ReplyFormat::Ascii},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const CommandLineOutcome outcome = ParseCommandLine(c.arguments);
        ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Run) << outcome.message.toStdString();
        EXPECT_EQ(FormatHex(outcome.settings.request).remove(QLatin1Char(' ')),
                  QString::fromLatin1(c.requestHex).remove(QLatin1Char(' ')));
        EXPECT_EQ(outcome.settings.port, c.port);
        EXPECT_EQ(outcome.settings.replyFormat, c.format);
        EXPECT_EQ(outcome.settings.host, QStringLiteral("127.0.0.1"));
        EXPECT_EQ(outcome.settings.timeoutMs, 1000);
    }
}

TEST(SetValueSendCommandLine, HostAndTimeout) {
    const CommandLineOutcome outcome = ParseCommandLine(
        Arguments({"--host", "127.0.0.2", "--timeout=250", "--timeout", "1", "--query-ascii"}));
    ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Run) << outcome.message.toStdString();
    EXPECT_EQ(outcome.settings.host, QStringLiteral("127.0.0.2"));
    EXPECT_EQ(outcome.settings.timeoutMs, 1);
}

TEST(SetValueSendCommandLine, RefusedWithOneLineAndStatusTwo) {
    const struct {
        QStringList arguments;
        const char* reason;
    } cases[] = {
        {{}, "give one of"},
        {Arguments({"--binary", "1"}), "--binary needs two values"},
        {Arguments({"--binary", "-1", "2"}), "decimal degrees"},
        {Arguments({"--binary", "1", "1e3"}), "decimal degrees"},
        {Arguments({"--binary", "1,5", "2"}), "decimal degrees"},
        {Arguments({"--binary", "nan", "2"}), "decimal degrees"},
        {Arguments({"--binary", "4294967.2955", "0"}), "decimal degrees"},
        {Arguments({"--ascii", "12a", "3"}), "decimal numbers"},
        {Arguments({"--ascii", "1", ""}), "decimal numbers"},
        {Arguments({"--ascii", "1", "-"}), "decimal numbers"},
        {Arguments({"--hex", "abc", "--port", "1"}), "hexadecimal"},
        {Arguments({"--hex", "0x00", "--port", "1"}), "hexadecimal"},
        {Arguments({"--hex", "00"}), "--hex needs --port"},
        {Arguments({"--host", "localhost", "--query-ascii"}), "not a numeric IPv4"},
        {Arguments({"--host", "::1", "--query-ascii"}), "not a numeric IPv4"},
        {Arguments({"--host", "127.1", "--query-ascii"}), "not a numeric IPv4"},
        {Arguments({"--port", "0", "--query-ascii"}), "from 1 to 65535"},
        {Arguments({"--port", "65536", "--query-ascii"}), "from 1 to 65535"},
        {Arguments({"--port", "+5", "--query-ascii"}), "from 1 to 65535"},
        {Arguments({"--query-ascii", "--port"}), "--port needs a value"},
        {Arguments({"--timeout", "0", "--query-ascii"}), "milliseconds"},
        {Arguments({"--timeout", "1.5", "--query-ascii"}), "milliseconds"},
        {Arguments({"--query-ascii", "--query-binary"}), "one mode only"},
        {Arguments({"--query-ascii", "--query-ascii"}), "one mode only"},
        {Arguments({"--query-ascii", "--verbose"}), "unknown argument --verbose"},
        {Arguments({"--binary=1", "2"}), "unknown argument --binary=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const CommandLineOutcome outcome = ParseCommandLine(c.arguments);
        ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Fail);
        EXPECT_EQ(outcome.exitStatus, 2);
        EXPECT_TRUE(outcome.message.contains(QLatin1String(c.reason)))
            << outcome.message.toStdString();
        EXPECT_FALSE(outcome.message.contains(QLatin1Char('\n')));
    }
}

TEST(SetValueSendCommandLine, HelpDocumentsEveryOption) {
    const CommandLineOutcome outcome =
        ParseCommandLine(Arguments({"--query-ascii", "--help", "--bogus"}));
    ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Help);
    for (const char* word :
         {"--binary", "--ascii", "--query-binary", "--query-ascii", "--text", "--hex", "--host",
          "--port", "--timeout", "--version", "whole degrees", "10005", "10006", "Exit status"}) {
        EXPECT_TRUE(outcome.message.contains(QLatin1String(word))) << word;
    }
}

TEST(SetValueSendCommandLine, DegreesToThousandthsRoundsOnTheDigits) {
    constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
    const struct {
        const char* text;
        std::optional<std::uint32_t> thousandths;
    } cases[] = {
        {"0", 0u},
        {"1", 1000u},
        {"0.0005", 1u},
        {"0.00049999", 0u},
        {"123.456", 123456u},
        {"123.4564999", 123456u},
        {"123.4565", 123457u},
        {"0.9995", 1000u},
        {".5", 500u},
        {"7.", 7000u},
        {"00001.5", 1500u},
        {"4294967.295", kMax},
        {"4294967.2954", kMax},
        {"4294967.2955", std::nullopt},
        {"4294968", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {"", std::nullopt},
        {".", std::nullopt},
        {"1.2.3", std::nullopt},
        {" 1", std::nullopt},
        {"inf", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DegreesToThousandths(c.text), c.thousandths);
    }
}

// The requests the tool builds, as the controller's own parsers read them.
TEST(SetValueSendCommandLine, ControllerReadsTheRequests) {
    const struct {
        QStringList arguments;
        std::optional<double> azimuth;
        std::optional<double> elevation;
    } cases[] = {
        {Arguments({"--binary", "123.456", "45"}), 123.0, 45.0},
        {Arguments({"--binary", "359.9995", "0.9994"}), 360.0, 0.0},
        {Arguments({"--binary", "4294967.295", "0"}), 4294967.0, 0.0},
        {Arguments({"--query-binary"}), std::nullopt, std::nullopt},
        {Arguments({"--ascii", "-10.5", "45.25"}), -10.5, 45.25},
        {Arguments({"--query-ascii"}), std::nullopt, std::nullopt},
        {Arguments({"--text", "x,7.5"}), 7.5, std::nullopt},
        {Arguments({"--hex", "00000000 0001e240 0000afc8", "--port", "10005"}), 123.0, 45.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const CommandLineOutcome outcome = ParseCommandLine(c.arguments);
        ASSERT_EQ(outcome.action, CommandLineOutcome::Action::Run);
        const setvalue::SetValues values =
            outcome.settings.replyFormat == ReplyFormat::Ascii
                ? setvalue::ParseAsciiRequest(outcome.settings.request)
                : setvalue::ParseBinaryRequest(outcome.settings.request);
        EXPECT_EQ(values.azimuth, c.azimuth);
        EXPECT_EQ(values.elevation, c.elevation);
    }
}

TEST(SetValueSendReply, Decoding) {
    const setvalue::Position vector{123.456, 45.25, 2.5, 1.25};
    const QByteArray binaryVector = setvalue::BuildBinaryReply(vector);
    const QByteArray asciiVector = setvalue::BuildAsciiReply(vector);
    const char* const vectorReading =
        "azimuth 123.456 deg  elevation 45.250 deg  az 2.500 V  el 1.250 V";
    const struct {
        const char* name;
        QByteArray reply;
        ReplyFormat format;
        const char* reading;
        const char* note;
        const char* raw;
    } cases[] = {
        {"binary vector", binaryVector, ReplyFormat::Binary, vectorReading, "",
         "00000000 0001e240 0000b0c2 000009c4 000004e2"},
        {"binary guessed", binaryVector, ReplyFormat::Guess, vectorReading, "",
         "00000000 0001e240 0000b0c2 000009c4 000004e2"},
        {"binary negative and extreme",
         setvalue::BuildBinaryReply({-0.0015, -123.4005, 2147483.6475, -1e300}),
         ReplyFormat::Binary,
         "azimuth -0.001 deg  elevation -123.400 deg  az 2147483.647 V  el 0.000 V", "",
         "00000000 ffffffff fffe1df8 7fffffff 00000000"},
        {"binary first word not 0", QByteArray::fromHex("00000001") + binaryVector.sliced(4),
         ReplyFormat::Binary, vectorReading, "first word is not 0",
         "00000001 0001e240 0000b0c2 000009c4 000004e2"},
        {"binary short", binaryVector.first(19), ReplyFormat::Binary, "", "this one 19",
         "00000000 0001e240 0000b0c2 000009c4 000004"},
        {"binary long", binaryVector + '\0', ReplyFormat::Binary, "", "this one 21",
         "00000000 0001e240 0000b0c2 000009c4 000004e2 00"},
        {"empty guessed", QByteArray(), ReplyFormat::Guess, "", "this one 0", ""},
        {"ascii vector", asciiVector, ReplyFormat::Ascii,
         "azimuth 123.46 deg  elevation 45.25 deg  az 2.500 V  el 1.250 V", "",
         "\"       0,  123.46,   45.25,   2.500,   1.250,\""},
        {"ascii guessed", asciiVector, ReplyFormat::Guess,
         "azimuth 123.46 deg  elevation 45.25 deg  az 2.500 V  el 1.250 V", "",
         "\"       0,  123.46,   45.25,   2.500,   1.250,\""},
        {"ascii negative and wide", "       0,  -10.50,12345678.90,  -0.000,   5.000,",
         ReplyFormat::Ascii,
         "azimuth -10.50 deg  elevation 12345678.90 deg  az -0.000 V  el 5.000 V", "",
         "\"       0,  -10.50,12345678.90,  -0.000,   5.000,\""},
        {"ascii not finite", "       0,     nan,    -inf,    -nan,     inf,", ReplyFormat::Ascii,
         "azimuth nan deg  elevation -inf deg  az -nan V  el inf V", "",
         "\"       0,     nan,    -inf,    -nan,     inf,\""},
        {"ascii first field not 0", "       1,    1.00,    2.00,   3.000,   4.000,",
         ReplyFormat::Ascii, "azimuth 1.00 deg  elevation 2.00 deg  az 3.000 V  el 4.000 V",
         "first field is not 0", "\"       1,    1.00,    2.00,   3.000,   4.000,\""},
        {"ascii without the last comma", "       0,  123.46,   45.25,   2.500,   1.250",
         ReplyFormat::Ascii, "", "not decoded", "\"       0,  123.46,   45.25,   2.500,   1.250\""},
        {"ascii with a sixth field", "0,1,2,3,4,5,", ReplyFormat::Ascii, "", "not decoded",
         "\"0,1,2,3,4,5,\""},
        {"ascii with a word", "0,1,x,3,4,", ReplyFormat::Ascii, "", "not decoded",
         "\"0,1,x,3,4,\""},
        {"ascii with a trailing blank", "0,1,2 ,3,4,", ReplyFormat::Ascii, "", "not decoded",
         "\"0,1,2 ,3,4,\""},
        {"ascii escapes", QByteArray("a\"b\\c\n\0\xff", 8), ReplyFormat::Ascii, "", "not decoded",
         "\"a\\\"b\\\\c\\x0a\\x00\\xff\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedReply decoded = DecodeReply(c.reply, c.format);
        EXPECT_EQ(decoded.reading, QString::fromLatin1(c.reading));
        EXPECT_EQ(decoded.raw, QString::fromLatin1(c.raw));
        if (*c.note == '\0') {
            EXPECT_TRUE(decoded.note.isEmpty()) << decoded.note.toStdString();
        } else {
            EXPECT_TRUE(decoded.note.contains(QLatin1String(c.note))) << decoded.note.toStdString();
        }
    }
}

TEST(SetValueSendReply, Thousandths) {
    const struct {
        std::int32_t thousandths;
        const char* text;
    } cases[] = {
        {0, "0.000"},
        {1, "0.001"},
        {-1, "-0.001"},
        {-999, "-0.999"},
        {1000, "1.000"},
        {123456, "123.456"},
        {std::numeric_limits<std::int32_t>::max(), "2147483.647"},
        {std::numeric_limits<std::int32_t>::min(), "-2147483.648"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FormatThousandths(c.thousandths), QString::fromLatin1(c.text));
    }
}

} // namespace
} // namespace zenko::setvaluesend
