#include "common/CommandLineNumbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include <QByteArray>

namespace zenko::tools {

std::optional<std::uint16_t> ParsePort(const QString& text, PortZero zero) {
    const auto port = ParseInteger(text, zero == PortZero::AnyFreePort ? 0 : 1,
                                   std::numeric_limits<std::uint16_t>::max());
    if (!port) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*port);
}

std::optional<double> ParseFiniteNumber(std::string_view text) {
    double value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseDegrees(std::string_view text, DecimalComma comma) {
    // from_chars takes no '+', and a second sign after it would slip through.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            return std::nullopt;
        }
    }
    std::string number(text);
    const std::size_t commaAt = number.find(',');
    if (commaAt != std::string::npos) {
        if (comma == DecimalComma::Refused || number.find(',', commaAt + 1) != std::string::npos ||
            number.find('.') != std::string::npos) {
            return std::nullopt;
        }
        number[commaAt] = '.';
    }
    return ParseFiniteNumber(number);
}

std::optional<double> ParseDegrees(const QString& text, DecimalComma comma) {
    const QByteArray bytes = text.toUtf8();
    return ParseDegrees(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                        comma);
}

} // namespace zenko::tools
