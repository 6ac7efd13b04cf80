#include "platform/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include <QByteArray>

namespace zenko::platform {

namespace {

// The white space of isspace() in the C locale; the user's locale must not widen it.
bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Saturating accumulation: once the magnitude reaches the cap it stays there, so a digit run of
// any length can be scanned without overflowing.
std::int64_t AppendDigit(std::int64_t magnitude, char digit, std::int64_t cap) {
    return std::min<std::int64_t>(magnitude * 10 + (digit - '0'), cap);
}

// Decimal order of magnitude of a number whose parts are known to hold a non-zero digit: the
// power of ten of its first significant digit. Only used to tell an overflow from an underflow,
// so the exponent is clamped far beyond the double range to keep the arithmetic defined.
std::int64_t DecimalMagnitude(std::string_view integerDigits, std::string_view fractionDigits,
                              std::string_view exponentText) {
    constexpr std::int64_t exponentCap = 1'000'000'000;
    std::int64_t exponent = 0;
    bool exponentNegative = false;
    std::size_t i = 0;
    if (i < exponentText.size() && (exponentText[i] == '+' || exponentText[i] == '-')) {
        exponentNegative = exponentText[i] == '-';
        ++i;
    }
    for (; i < exponentText.size(); ++i) {
        exponent = AppendDigit(exponent, exponentText[i], exponentCap);
    }
    if (exponentNegative) {
        exponent = -exponent;
    }
    const auto firstInteger = integerDigits.find_first_not_of('0');
    if (firstInteger != std::string_view::npos) {
        return static_cast<std::int64_t>(integerDigits.size() - firstInteger) - 1 + exponent;
    }
    const auto firstFraction = fractionDigits.find_first_not_of('0');
    return -static_cast<std::int64_t>(firstFraction) - 1 + exponent;
}

} // namespace

std::int32_t LenientToInt(std::string_view text) {
    constexpr std::int64_t cap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = AppendDigit(magnitude, text[i], cap);
    }
    if (negative) {
        return static_cast<std::int32_t>(-magnitude);
    }
    return static_cast<std::int32_t>(std::min(magnitude, cap - 1));
}

std::int32_t LenientToInt(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return LenientToInt(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

double LenientToDouble(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && IsCSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // from_chars takes no '+' and, in general format, would also take "inf", "nan" and
    // hexadecimal-looking words; so the numeric prefix is delimited here and the sign applied
    // afterwards.
    const char* const integerBegin = p;
    while (p != end && IsDigit(*p)) {
        ++p;
    }
    const char* const integerEnd = p;
    const char* fractionBegin = p;
    const char* fractionEnd = p;
    if (p != end && *p == '.') {
        fractionBegin = p + 1;
        fractionEnd = fractionBegin;
        while (fractionEnd != end && IsDigit(*fractionEnd)) {
            ++fractionEnd;
        }
        p = fractionEnd;
    }
    if (integerBegin == integerEnd && fractionBegin == fractionEnd) {
        return 0.0;
    }
    const char* exponentBegin = p;
    const char* exponentEnd = p;
    if (p != end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        if (q != end && (*q == '+' || *q == '-')) {
            ++q;
        }
        const char* const digits = q;
        while (q != end && IsDigit(*q)) {
            ++q;
        }
        if (q != digits) {
            exponentBegin = p + 1;
            exponentEnd = q;
        }
    }
    double value = 0.0;
    const auto [stop, error] =
        std::from_chars(integerBegin, exponentEnd, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        const auto magnitude = DecimalMagnitude(
            std::string_view(integerBegin, static_cast<std::size_t>(integerEnd - integerBegin)),
            std::string_view(fractionBegin, static_cast<std::size_t>(fractionEnd - fractionBegin)),
            std::string_view(exponentBegin, static_cast<std::size_t>(exponentEnd - exponentBegin)));
        value = magnitude >= 0 ? std::numeric_limits<double>::max() : 0.0;
    } else if (error != std::errc() || stop != exponentEnd) {
        return 0.0;
    }
    return negative ? -value : value;
}

double LenientToDouble(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return LenientToDouble(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

std::optional<std::int64_t> ParseFieldInteger(std::string_view text, FieldInteger kind) {
    // Far beyond every kind's range, yet small enough that one more digit cannot overflow.
    constexpr std::int64_t cap = std::int64_t{1} << 40;
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool hasSign = false;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        if (negative && kind == FieldInteger::Unsigned32) {
            return std::nullopt;
        }
        hasSign = true;
        ++i;
    }
    const std::size_t digitsBegin = i;
    std::int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = AppendDigit(magnitude, text[i], cap);
    }
    if (i == digitsBegin) {
        return std::nullopt;
    }
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    // The field check has always taken a zero result as "not a number" unless the text itself
    // starts with the digit 0, which is why "-0" and "+0" are refused.
    if (magnitude == 0 && hasSign) {
        return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    switch (kind) {
    case FieldInteger::Signed16:
        if (value < std::numeric_limits<std::int16_t>::min() ||
            value > std::numeric_limits<std::int16_t>::max()) {
            return std::nullopt;
        }
        return value;
    case FieldInteger::Signed32:
        return std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                        std::numeric_limits<std::int32_t>::max());
    case FieldInteger::Unsigned32:
        return std::min<std::int64_t>(value, std::numeric_limits<std::uint32_t>::max());
    }
    return std::nullopt;
}

std::optional<std::int64_t> ParseFieldInteger(const QString& text, FieldInteger kind) {
    const QByteArray utf8 = text.toUtf8();
    return ParseFieldInteger(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), kind);
}

std::optional<long long> ParseInteger(const QString& text, long long lowest, long long highest) {
    const QByteArray bytes = text.toUtf8();
    long long value = 0;
    const char* const end = bytes.constData() + bytes.size();
    const auto [stop, error] = std::from_chars(bytes.constData(), end, value);
    if (bytes.isEmpty() || error != std::errc() || stop != end || value < lowest ||
        value > highest) {
        return std::nullopt;
    }
    return value;
}

std::int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    // Bounds one past the range on each side: every double strictly between them truncates to
    // a representable value, so the cast below is always defined.
    constexpr double above = 2147483648.0;
    constexpr double below = -2147483649.0;
    if (value >= above) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value <= below) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

} // namespace zenko::platform
