#include "platform/Formats.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace zenko::platform {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

// The readouts' rounding worked out on the exact decimal expansion of the double (a double has
// at most 1074 fraction digits, so 1100 digits are exact): a dropped part of one half or more
// rounds the magnitude up, that is, a tie goes away from zero.
std::string ReferenceFixed(double value, int precision, int width) {
    std::string exact(1500, '\0');
    const auto end = std::to_chars(exact.data(), exact.data() + exact.size(), std::fabs(value),
                                   std::chars_format::fixed, 1100)
                         .ptr;
    exact.resize(static_cast<std::size_t>(end - exact.data()));
    const auto point = exact.find('.');
    std::string digits = exact.substr(0, point) + exact.substr(point + 1, precision);
    if (exact[point + 1 + precision] >= '5') {
        auto i = digits.size();
        while (i > 0 && digits[i - 1] == '9') {
            digits[--i] = '0';
        }
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }
    if (precision > 0) {
        digits.insert(digits.size() - precision, 1, '.');
    }
    if (std::signbit(value)) {
        digits.insert(digits.begin(), '-');
    }
    if (digits.size() < static_cast<std::size_t>(width)) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), ' ');
    }
    return digits;
}

TEST(FormatFixed, Table) {
    const struct {
        double value;
        int width;
        int precision;
        std::string expected;
    } cases[] = {
        {0.125, 8, 2, "    0.13"},
        {-0.125, 8, 2, "   -0.13"},
        {0.375, 8, 2, "    0.38"},
        {0.3125, 8, 3, "   0.313"},
        {-0.3125, 8, 3, "  -0.313"},
        {180, 8, 2, "  180.00"},
        {180, 8, 3, " 180.000"},
        {0, 8, 2, "    0.00"},
        {12345.678, 8, 2, "12345.68"},
        {123456.0, 8, 2, "123456.00"},
        {2.675, 8, 2, "    2.67"},
        {1.005, 8, 2, "    1.00"},
        {2.5, 8, 0, "       3"},
        {0.5, 8, 0, "       1"},
        {-2.5, 8, 0, "      -3"},
        {1.5, 8, 0, "       2"},
        {9.995, 8, 2, "    9.99"},
        {9.96875, 8, 4, "  9.9688"},
        {99.5, 0, 0, "100"},
        {2251799813685248.5, 0, 0, "2251799813685249"},
        {-0x1.041d73da67979p+49, 0, 2, "-571999041933103.13"},
        {9.5, 0, 0, "10"},
        {-99.995, 0, 2, "-100.00"},
        {-0.001, 8, 2, "   -0.00"},
        {-0.0, 8, 2, "   -0.00"},
        {-0.005, 8, 2, "   -0.01"},
        {std::nan(""), 8, 2, "     nan"},
        {-std::nan(""), 8, 2, "    -nan"},
        {inf, 8, 2, "     inf"},
        {-inf, 8, 3, "    -inf"},
        {inf, 0, 2, "inf"},
        {1.5, -8, 2, "1.50    "},
        {-1.5, -8, 2, "-1.50   "},
        {0.1, 0, -1, "0.100000"},
        {1e22, 0, 0, "10000000000000000000000"},
        {0.1, 0, 30, "0.100000000000000005551115123126"},
        {5e-324, 0, 3, "0.000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.value << " width " << c.width << " precision " << c.precision);
        EXPECT_EQ(FormatFixed(c.value, c.width, c.precision).toStdString(), c.expected);
    }
}

TEST(FormatFixed, ReadoutShortcuts) {
    EXPECT_EQ(FormatAngle(-45.125).toStdString(), "  -45.13");
    EXPECT_EQ(FormatVolts(2.0625).toStdString(), "   2.063");
}

TEST(FormatFixed, HugeValuesPrintEveryDigit) {
    const std::string text = FormatFixed(1e300, 8, 2).toStdString();
    EXPECT_EQ(text, ReferenceFixed(1e300, 2, 8));
    EXPECT_EQ(text.size(), 301u + 3u);
    EXPECT_EQ(FormatFixed(-DBL_MAX, 0, 0).toStdString(), ReferenceFixed(-DBL_MAX, 0, 0));
}

TEST(FormatFixed, LongPrecisionMatchesExactExpansion) {
    for (const double value : {0.1, -2.675, 5e-324, 1.0 / 3.0, 123456.789}) {
        for (const int precision : {70, 400, 1073, 1074}) {
            SCOPED_TRACE(testing::Message() << value << " precision " << precision);
            EXPECT_EQ(FormatFixed(value, 0, precision).toStdString(),
                      ReferenceFixed(value, precision, 0));
        }
    }
}

// Dyadic fractions hold every tie the readouts can meet; thousandths and thirds are the values
// an operator types, which are never exact in binary.
TEST(FormatFixed, MatchesExactReferenceOnFractions) {
    for (const double denominator : {8.0, 16.0, 64.0, 1000.0, 3.0}) {
        for (int k = -4000; k <= 4000; ++k) {
            const double value = k / denominator;
            for (int precision = 0; precision <= 4; ++precision) {
                ASSERT_EQ(FormatFixed(value, 8, precision).toStdString(),
                          ReferenceFixed(value, precision, 8))
                    << k << '/' << denominator << " precision " << precision;
            }
        }
    }
}

TEST(FormatFixed, MatchesExactReferenceOnRandomValues) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> exponent(-12.0, 18.0);
    for (int i = 0; i < 20000; ++i) {
        double value = std::pow(10.0, exponent(random));
        if (random() % 2 != 0) {
            value = -value;
        }
        // Snapping some values to a coarse binary grid produces ties at every magnitude.
        if (random() % 3 == 0) {
            value = std::ldexp(std::round(std::ldexp(value, 4)), -4);
        }
        for (int precision = 0; precision <= 6; ++precision) {
            ASSERT_EQ(FormatFixed(value, 8, precision).toStdString(),
                      ReferenceFixed(value, precision, 8))
                << std::hexfloat << value << " precision " << precision;
        }
    }
}

TEST(FormatInteger, Table) {
    const struct {
        std::int64_t value;
        int width;
        std::string expected;
    } cases[] = {
        {0, 0, "0"},
        {0, 8, "       0"},
        {-42, 8, "     -42"},
        {1234, 2, "1234"},
        {-42, -5, "-42  "},
        {std::numeric_limits<std::int64_t>::max(), 0, "9223372036854775807"},
        {std::numeric_limits<std::int64_t>::min(), 21, " -9223372036854775808"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " width " << c.width);
        EXPECT_EQ(FormatInteger(c.value, c.width).toStdString(), c.expected);
    }
}

} // namespace
} // namespace zenko::platform
