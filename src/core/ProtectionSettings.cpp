#include "core/ProtectionSettings.h"

#include <limits>

namespace zenko::core {

std::optional<std::int32_t> ParseConfigInteger(const QString& text) {
    qsizetype position = 0;
    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+')) {
        position = 1;
    }
    if (position == text.size()) {
        return std::nullopt;
    }
    // The magnitude of the most negative value is one more than the largest positive one.
    const std::int64_t limit =
        std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0);
    std::int64_t magnitude = 0;
    for (; position < text.size(); ++position) {
        const char16_t character = text[position].unicode();
        if (character < u'0' || character > u'9') {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + (character - u'0');
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

ProtectionSettings ReadProtectionSettings(const std::array<KeyText, 5>& keys) {
    ProtectionSettings settings;
    std::array<std::optional<std::int32_t>, 5> values{};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (!keys[i].value) {
            continue;
        }
        settings.present = true;
        values[i] = ParseConfigInteger(*keys[i].value);
        if (!values[i] && !settings.refusal) {
            settings.refusal = keys[i].name + QStringLiteral(" is invalid !");
        }
    }
    settings.stallTimeoutSeconds = values[0].value_or(0);
    settings.limits = {LimitsFrom(values[1], values[2]), LimitsFrom(values[3], values[4])};
    return settings;
}

} // namespace zenko::core
