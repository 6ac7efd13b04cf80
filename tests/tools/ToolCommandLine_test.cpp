#include "common/CommandLineNumbers.h"
#include "common/Ipv4Text.h"

#include <functional>

#include <QRegularExpression>
#include <gtest/gtest.h>

#include "picnic-sim/PicnicCommandLine.h"
#include "setvalue-send/SetValueSendCommandLine.h"
#include "support/Arguments.h"
#include "zenko-rotctld/RotctldCommandLine.h"

namespace zenko::tools {
namespace {

TEST(ToolCommandLine, DegreesWithAPointOrWhereAcceptedAComma) {
    const struct {
        const char* text;
        std::optional<double> withPoint;
        std::optional<double> withComma;
    } cases[] = {
        {"12.5", 12.5, 12.5},
        {"12,5", std::nullopt, 12.5},
        {"-0,25", std::nullopt, -0.25},
        {"+3", 3.0, 3.0},
        {"-0", -0.0, -0.0},
        {".5", 0.5, 0.5},
        {"1e+2", 100.0, 100.0},
        {"2,5e1", std::nullopt, 25.0},
        {"", std::nullopt, std::nullopt},
        {"+", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {",", std::nullopt, std::nullopt},
        {"+-1", std::nullopt, std::nullopt},
        {"1e", std::nullopt, std::nullopt},
        {"1..2", std::nullopt, std::nullopt},
        {"1.2,3", std::nullopt, std::nullopt},
        {"1,2,3", std::nullopt, std::nullopt},
        {" 1", std::nullopt, std::nullopt},
        {"1 ", std::nullopt, std::nullopt},
        {"-inf", std::nullopt, std::nullopt},
        {"infinity", std::nullopt, std::nullopt},
        {"NaN", std::nullopt, std::nullopt},
        {"1e400", std::nullopt, std::nullopt},
        {"0x1A", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseDegrees(std::string_view(c.text), DecimalComma::Refused), c.withPoint);
        EXPECT_EQ(ParseDegrees(QString::fromUtf8(c.text), DecimalComma::Accepted), c.withComma);
    }
}

TEST(ToolCommandLine, IntegersAndPortsWithinTheirBounds) {
    const struct {
        const char* text;
        std::optional<std::uint16_t> port;
        std::optional<std::uint16_t> portOrAnyFree;
    } cases[] = {
        {"1", 1, 1},
        {"65535", 65535, 65535},
        {"0", std::nullopt, 0},
        {"65536", {}, {}},
        {"-1", {}, {}},
        {"+1", {}, {}},
        {"", {}, {}},
        {"10001x", {}, {}},
        {" 1", {}, {}},
        {"1.0", {}, {}},
        {"99999999999999999999999", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(ParsePort(text, PortZero::Refused), c.port);
        EXPECT_EQ(ParsePort(text, PortZero::AnyFreePort), c.portOrAnyFree);
    }
    EXPECT_EQ(ParseInteger(QStringLiteral("-5"), -5, -5), -5);
}

TEST(ToolCommandLine, Ipv4AddressesAreDottedDecimal) {
    const struct {
        const char* text;
        std::optional<std::uint32_t> address;
    } cases[] = {
        {"127.0.0.1", 0x7F000001u},       {"0.0.0.0", 0u},
        {"255.255.255.255", 0xFFFFFFFFu}, {"192.0.2.10", 0xC000020Au},
        {"256.0.0.1", std::nullopt},      {"127.0.0.01", std::nullopt},
        {"0177.0.0.1", std::nullopt},     {"127.1", std::nullopt},
        {"127.0.0", std::nullopt},        {"127.0.0.1.", std::nullopt},
        {"127..0.1", std::nullopt},       {"127.0.0.1 ", std::nullopt},
        {"+127.0.0.1", std::nullopt},     {"127.-0.0.1", std::nullopt},
        {"0x7f.0.0.1", std::nullopt},     {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseIpv4(QString::fromUtf8(c.text)), c.address);
    }
}

TEST(ToolCommandLine, NumericAddressesAndTheLoopbackNet) {
    const struct {
        const char* text;
        bool numeric;
        bool ipv4Loopback;
    } cases[] = {
        {"127.255.0.9", true, true}, {"126.255.255.255", true, false},
        {"128.0.0.1", true, false},  {"::1", true, false},
        {"::", true, false},         {"::ffff:127.0.0.1", true, false},
        {"127.1", false, false},     {"localhost", false, false},
        {"1:2", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QHostAddress address = ParseNumericAddress(QString::fromUtf8(c.text));
        EXPECT_EQ(!address.isNull(), c.numeric);
        EXPECT_EQ(IsIpv4Loopback(address), c.ipv4Loopback);
    }
}

// help2man takes each manual page's name and version from this line, whatever else is asked.
TEST(ToolCommandLine, VersionIsTheNameAndTheVersion) {
    const struct {
        const char* tool;
        std::function<CommandLineAnswer(const QStringList&)> parse;
        QStringList arguments;
    } cases[] = {
        {"picnic-sim", picnic::ParseCommandLine, test::Arguments({"--quiet", "--version"})},
        {"setvalue-send", setvaluesend::ParseCommandLine,
         test::Arguments({"--query-ascii", "--version"})},
        {"zenko-rotctld", rotctld::ParseCommandLine, test::Arguments({"--port", "x", "--version"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tool);
        const CommandLineAnswer answer = c.parse(c.arguments);
        ASSERT_EQ(answer.action, CommandLineAnswer::Action::Version);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^%1 \\d+\\.\\d+\\.\\d+\n$").arg(c.tool))
                        .match(answer.message)
                        .hasMatch())
            << answer.message.toStdString();
    }
}

} // namespace
} // namespace zenko::tools
