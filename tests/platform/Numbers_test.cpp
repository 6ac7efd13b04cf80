#include "platform/Formats.h"
#include "platform/Numbers.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <langinfo.h>
#include <limits>
#include <locale.h>
#include <optional>
#include <ostream>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "support/CaseNames.h"

namespace zenko::platform {
namespace {

// glibc's conversions bound to the C locale: an independent reference for the lenient parsers,
// whatever locale the suite runs under.
class CLocale {
public:
    CLocale() : m_locale(newlocale(LC_ALL_MASK, "C", nullptr)) {}
    ~CLocale() { freelocale(m_locale); }
    CLocale(const CLocale&) = delete;
    CLocale& operator=(const CLocale&) = delete;

    std::int32_t ToInt(const std::string& text) const {
        const long long value = strtoll_l(text.c_str(), nullptr, 10, m_locale);
        return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
    }

    // What atof would give if it clamped overflow to the largest finite value.
    double ToDouble(const std::string& text) const {
        const double value = strtod_l(text.c_str(), nullptr, m_locale);
        return std::isinf(value) ? std::copysign(DBL_MAX, value) : value;
    }

private:
    locale_t m_locale;
};

// Puts this thread in a locale whose decimal separator is a comma, as QApplication does for a
// German user, so that any conversion still bound to the C library's locale shows itself.
class ScopedCommaLocale {
public:
    ScopedCommaLocale() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", ""}) {
            m_locale = newlocale(LC_ALL_MASK, name, nullptr);
            if (m_locale != nullptr && *nl_langinfo_l(RADIXCHAR, m_locale) == ',') {
                m_previous = uselocale(m_locale);
                return;
            }
            if (m_locale != nullptr) {
                freelocale(m_locale);
                m_locale = nullptr;
            }
        }
    }
    ~ScopedCommaLocale() {
        if (m_locale != nullptr) {
            uselocale(m_previous);
            freelocale(m_locale);
        }
    }
    ScopedCommaLocale(const ScopedCommaLocale&) = delete;
    ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

    bool active() const { return m_locale != nullptr; }

private:
    locale_t m_locale = nullptr;
    locale_t m_previous = nullptr;
};

std::string Enumerated(std::string_view alphabet, std::size_t index, std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += alphabet[index % alphabet.size()];
        index /= alphabet.size();
    }
    return text;
}

// Every string up to `maxLength` characters over `alphabet`, passed to `check`.
template <typename Check>
void ForEachString(std::string_view alphabet, std::size_t maxLength, Check check) {
    std::size_t count = 1;
    for (std::size_t length = 0; length <= maxLength; ++length, count *= alphabet.size()) {
        for (std::size_t index = 0; index < count; ++index) {
            check(Enumerated(alphabet, index, length));
        }
    }
}

// Numbers with long mantissas, far exponents and trailing junk, near the edges of the double
// range where rounding, overflow and underflow are decided.
std::string RandomNumberText(std::mt19937_64& random) {
    auto pick = [&random](int count) {
        return static_cast<int>(random() % count);
    };
    auto digits = [&](int maxCount) {
        std::string text;
        for (int i = pick(maxCount + 1); i > 0; --i) {
            text += static_cast<char>('0' + pick(10));
        }
        return text;
    };
    constexpr std::string_view signs[] = {"", "+", "-"};
    std::string text = std::string(static_cast<std::size_t>(pick(3)), ' ');
    text += signs[pick(3)];
    text += digits(25);
    if (pick(2) != 0) {
        text += '.' + digits(25);
    }
    if (pick(4) != 0) {
        text += pick(2) != 0 ? 'e' : 'E';
        text += signs[pick(3)];
        text += std::to_string(pick(2) != 0 ? 280 + pick(70) : pick(400));
    }
    text += std::string_view("x.e 5").substr(static_cast<std::size_t>(pick(5)), 1);
    return text;
}

void ExpectSameDouble(double actual, double expected) {
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(std::signbit(actual), std::signbit(expected));
}

TEST(LenientToInt, Table) {
    const struct {
        std::string text;
        std::int32_t expected;
    } cases[] = {
        {"12abc", 12},
        {"abc", 0},
        {" -7", -7},
        {"\t\n\v\f\r 42", 42},
        {"3.5", 3},
        {"", 0},
        {"+", 0},
        {"-", 0},
        {"+15", 15},
        {"0x10", 0},
        {"- 5", 0},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"99999999999", INT32_MAX},
        {"-99999999999", INT32_MIN},
        {std::string(5000, '9'), INT32_MAX},
        {"-" + std::string(5000, '9'), INT32_MIN},
        {std::string(5000, '0') + "17", 17},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        EXPECT_EQ(LenientToInt(c.text), c.expected);
    }
}

TEST(LenientToInt, QStringTreatsNonAsciiAsNonDigit) {
    EXPECT_EQ(LenientToInt(QString::fromUtf8(" -12")), -12);
    EXPECT_EQ(LenientToInt(QString::fromUtf8("１２")), 0);
    EXPECT_EQ(LenientToInt(QString::fromUtf8("3１")), 3);
    EXPECT_EQ(LenientToInt(QString::fromUtf8("\u3000"
                                             "5")),
              0);
}

TEST(LenientToInt, MatchesCLibraryOnEveryShortText) {
    const CLocale c;
    ForEachString(" \t+-019.x", 5, [&](const std::string& text) {
        ASSERT_EQ(LenientToInt(text), c.ToInt(text)) << '"' << text << '"';
    });
}

TEST(LenientToDouble, Table) {
    const struct {
        std::string text;
        double expected;
    } cases[] = {
        {"4.5", 4.5},
        {"  -2.25V", -2.25},
        {".5", 0.5},
        {"5.", 5.0},
        {"+5.e1", 50.0},
        {"1e3x", 1000.0},
        {"1E-2", 0.01},
        {"1e", 1.0},
        {"1e+", 1.0},
        {"1e-x", 1.0},
        {"abc", 0.0},
        {"", 0.0},
        {"   ", 0.0},
        {"-", 0.0},
        {"-.e1", 0.0},
        {".", 0.0},
        {"inf", 0.0},
        {"nan", 0.0},
        {"-infinity", 0.0},
        {"0x1p3", 0.0},
        {"1e400", DBL_MAX},
        {"-1e400", -DBL_MAX},
        {"1.797693134862315808e308", DBL_MAX},
        {"1e99999999999999999999999", DBL_MAX},
        {"0.000001e99999999999999999999", DBL_MAX},
        {"1e-400", 0.0},
        {"100000e-99999999999999999999", 0.0},
        {"0e999999", 0.0},
        {"4.9406564584124654e-324", 4.9406564584124654e-324},
        {"0.1", 0.1},
        {"2.675", 2.675},
        {"1" + std::string(400, '0'), DBL_MAX},
        {"0." + std::string(400, '0') + "1", 0.0},
        {"0." + std::string(300, '0') + "1e300", 0.1},
        {std::string(2000, '0') + "1.5", 1.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        EXPECT_EQ(LenientToDouble(c.text), c.expected);
    }
}

TEST(LenientToDouble, KeepsSignOfZero) {
    ExpectSameDouble(LenientToDouble("-0"), -0.0);
    ExpectSameDouble(LenientToDouble("-1e-400"), -0.0);
    ExpectSameDouble(LenientToDouble("-x"), 0.0);
}

TEST(LenientToDouble, QStringTreatsNonAsciiAsNonDigit) {
    EXPECT_EQ(LenientToDouble(QString::fromUtf8("1.5°")), 1.5);
    EXPECT_EQ(LenientToDouble(QString::fromUtf8("１.５")), 0.0);
    EXPECT_EQ(LenientToDouble(QString::fromUtf8("2．5")), 2.0);
}

TEST(LenientToDouble, MatchesCLibraryOnEveryShortText) {
    const CLocale c;
    ForEachString(" +-09.eE", 5, [&](const std::string& text) {
        SCOPED_TRACE('"' + text + '"');
        ExpectSameDouble(LenientToDouble(text), c.ToDouble(text));
    });
}

TEST(LenientToDouble, MatchesCLibraryNearTheEdgesOfTheRange) {
    const CLocale c;
    std::mt19937_64 random(20240611);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = RandomNumberText(random);
        SCOPED_TRACE('"' + text + '"');
        ExpectSameDouble(LenientToDouble(text), c.ToDouble(text));
        if (HasFailure()) {
            return;
        }
    }
}

struct FieldCase {
    std::string text;
    FieldInteger kind;
    std::optional<std::int64_t> expected;
};

void PrintTo(const FieldCase& c, std::ostream* out) {
    *out << '"' << c.text.substr(0, 40) << "\" as kind " << static_cast<int>(c.kind);
}

std::string FieldCaseName(const ::testing::TestParamInfo<FieldCase>& info) {
    static constexpr const char* kKinds[] = {"Signed32", "Unsigned32", "Signed16"};
    return test::CaseName(info.index, info.param.text) + "_as_" +
           kKinds[static_cast<int>(info.param.kind)];
}

class ParseFieldIntegerTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ParseFieldIntegerTest, AcceptsOrRefuses) {
    const FieldCase& c = GetParam();
    EXPECT_EQ(ParseFieldInteger(c.text, c.kind), c.expected);
    EXPECT_EQ(ParseFieldInteger(QString::fromStdString(c.text), c.kind), c.expected);
}

constexpr auto S32 = FieldInteger::Signed32;
constexpr auto U32 = FieldInteger::Unsigned32;
constexpr auto S16 = FieldInteger::Signed16;
constexpr std::nullopt_t refused = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Fields, ParseFieldIntegerTest,
    ::testing::Values(
        FieldCase{"12", S32, 12}, FieldCase{" \t-12\t ", S32, -12}, FieldCase{"+7", S32, 7},
        FieldCase{"0", S32, 0}, FieldCase{" 00 ", S32, 0}, FieldCase{"000", S16, 0},
        FieldCase{"0", U32, 0}, FieldCase{"007", S32, 7}, FieldCase{"-007", S32, -7},
        FieldCase{"-0", S32, refused}, FieldCase{"+0", S32, refused},
        FieldCase{"+00", U32, refused}, FieldCase{"-0", S16, refused}, FieldCase{"", S32, refused},
        FieldCase{"  ", S32, refused}, FieldCase{"-", S32, refused}, FieldCase{"3.5", S32, refused},
        FieldCase{"12abc", S32, refused}, FieldCase{"1 2", S32, refused},
        FieldCase{"--1", S32, refused}, FieldCase{"+-1", S32, refused},
        FieldCase{"- 1", S32, refused}, FieldCase{"\n1", S32, refused},
        FieldCase{"1\r", S32, refused}, FieldCase{"0x10", S32, refused},
        FieldCase{"１２", S32, refused}, FieldCase{"\u30001", S32, refused},
        FieldCase{"2147483647", S32, 2147483647}, FieldCase{"2147483648", S32, 2147483647},
        FieldCase{"99999999999", S32, 2147483647}, FieldCase{"-2147483648", S32, -2147483648LL},
        FieldCase{"-99999999999", S32, -2147483648LL},
        FieldCase{std::string(3000, '9'), S32, 2147483647},
        FieldCase{"-" + std::string(3000, '9'), S32, -2147483648LL},
        FieldCase{std::string(3000, '0') + "5", S32, 5}, FieldCase{"+5", U32, 5},
        FieldCase{"-5", U32, refused}, FieldCase{"-0", U32, refused},
        FieldCase{"4294967295", U32, 4294967295LL}, FieldCase{"99999999999", U32, 4294967295LL},
        FieldCase{std::string(3000, '9'), U32, 4294967295LL}, FieldCase{"32767", S16, 32767},
        FieldCase{"-32768", S16, -32768}, FieldCase{"32768", S16, refused},
        FieldCase{"-32769", S16, refused}, FieldCase{"40000", S16, refused},
        FieldCase{"65535", S16, refused}, FieldCase{std::string(3000, '9'), S16, refused},
        FieldCase{" +300\t", S16, 300}),
    FieldCaseName);

TEST(LocaleIndependence, CommaDecimalLocaleChangesNothing) {
    const ScopedCommaLocale locale;
    if (!locale.active()) {
        GTEST_SKIP() << "no comma-decimal locale installed";
    }
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.2f", 1.5);
    ASSERT_STREQ(printed, "1,50") << "the locale did not take effect";

    EXPECT_EQ(LenientToDouble("1.5"), 1.5);
    EXPECT_EQ(LenientToDouble("1,5"), 1.0);
    EXPECT_EQ(LenientToDouble(QString::fromUtf8("-2.25e1")), -22.5);
    EXPECT_EQ(LenientToInt("1.234"), 1);
    EXPECT_EQ(ParseFieldInteger("1.234", FieldInteger::Signed32), std::nullopt);
    EXPECT_EQ(FormatFixed(1.5, 8, 2).toStdString(), "    1.50");
    EXPECT_EQ(FormatFixed(0.125, 8, 2).toStdString(), "    0.13");
    EXPECT_EQ(FormatInteger(1234567, 10).toStdString(), "   1234567");
}

TEST(TruncateToInt32, Table) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        std::int32_t expected;
    } cases[] = {
        {std::nan(""), 0},
        {-std::nan(""), 0},
        {0.0, 0},
        {-0.0, 0},
        {2.9, 2},
        {-2.9, -2},
        {0.999999, 0},
        {-0.999999, 0},
        {2147483647.0, INT32_MAX},
        {2147483647.9, INT32_MAX},
        {2147483648.0, INT32_MAX},
        {-2147483648.0, INT32_MIN},
        {-2147483648.9, INT32_MIN},
        {-2147483649.0, INT32_MIN},
        {1e300, INT32_MAX},
        {-1e300, INT32_MIN},
        {inf, INT32_MAX},
        {-inf, INT32_MIN},
        {DBL_MIN, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(TruncateToInt32(c.value), c.expected);
    }
}

} // namespace
} // namespace zenko::platform
