#include "platform/Formats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <string_view>

#include <QVarLengthArray>

namespace zenko::platform {

namespace {

// Sign, the 309 integer digits of the largest double and the point; the fraction comes on top.
constexpr std::size_t fixedOverhead = 1 + 309 + 1;
// Enough for every format the readouts use without touching the heap.
constexpr std::size_t stackCharacters = fixedOverhead + 64;
// A double's exact expansion has at most 1074 fraction digits, so a tie (a value whose exact
// expansion ends in a 5 at digit precision + 1) cannot occur beyond this precision.
constexpr int lastTiePrecision = 1073;

// printf's padding: blanks on the left up to `width`, or on the right for a negative width.
QString Padded(std::string_view characters, int width) {
    const auto length = static_cast<qsizetype>(characters.size());
    const auto wanted = static_cast<qsizetype>(width < 0 ? -static_cast<qint64>(width) : width);
    const qsizetype total = std::max(length, wanted);
    QString result(total, Qt::Uninitialized);
    QChar* out = result.data();
    const qsizetype padding = total - length;
    if (width >= 0) {
        std::fill_n(out, padding, QLatin1Char(' '));
        out += padding;
    }
    for (const char c : characters) {
        *out++ = QLatin1Char(c);
    }
    if (width < 0) {
        std::fill_n(out, padding, QLatin1Char(' '));
    }
    return result;
}

// True when the exact value of |value| lies halfway between two outputs with `precision`
// fraction digits. value * 10^p ends in exactly .5 when 2 * value * 10^p is odd; with 5^p odd
// that is when value * 2^(p + 1) is an odd integer, which ldexp and fmod compute exactly.
bool IsTie(double value, int precision) {
    if (precision > lastTiePrecision) {
        return false;
    }
    return std::fmod(std::ldexp(std::fabs(value), precision + 1), 2.0) == 1.0;
}

// A tie has an exact expansion of precision + 1 fraction digits ending in 5; dropping the 5 and
// adding one unit to what is left rounds it away from zero. Writes at most two characters
// before `digits` (a carried 1 and the sign), which the caller reserves.
std::string_view RoundTieAway(char* digits, char* end, int precision, bool negative) {
    // At precision 0 the point before the 5 goes too.
    char* const kept = end - (precision == 0 ? 2 : 1);
    char* first = digits;
    for (char* q = kept;;) {
        if (q == digits) {
            *--first = '1';
            break;
        }
        --q;
        if (*q == '.') {
            continue;
        }
        if (*q != '9') {
            ++*q;
            break;
        }
        *q = '0';
    }
    if (negative) {
        *--first = '-';
    }
    return std::string_view(first, static_cast<std::size_t>(kept - first));
}

} // namespace

QString FormatFixed(double value, int width, int precision) {
    if (precision < 0) {
        precision = 6;
    }
    QVarLengthArray<char, stackCharacters> buffer(
        static_cast<qsizetype>(fixedOverhead + 3 + static_cast<std::size_t>(precision)));
    char* const bufferEnd = buffer.data() + buffer.size();
    // to_chars, like glibc's printf, rounds a tie to even; the readouts always rounded it away
    // from zero, so ties are rounded here from their exact expansion.
    if (std::isfinite(value) && IsTie(value, precision)) {
        char* const digits = buffer.data() + 2;
        const auto written = std::to_chars(digits, bufferEnd, std::fabs(value),
                                           std::chars_format::fixed, precision + 1);
        return Padded(RoundTieAway(digits, written.ptr, precision, std::signbit(value)), width);
    }
    const auto written =
        std::to_chars(buffer.data(), bufferEnd, value, std::chars_format::fixed, precision);
    return Padded(
        std::string_view(buffer.data(), static_cast<std::size_t>(written.ptr - buffer.data())),
        width);
}

QString FormatInteger(std::int64_t value, int width) {
    char buffer[24];
    const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value);
    return Padded(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), width);
}

} // namespace zenko::platform
