#include "core/ProtectionSettings.h"

#include <limits>

#include "platform/Numbers.h"

namespace zenko::core {

std::optional<std::int32_t> ParseConfigInteger(const QString& text) {
    // A '+' is taken as well as a '-', but not both.
    const bool plus = text.startsWith(u'+') && !text.startsWith(QLatin1String("+-"));
    const auto value =
        platform::ParseInteger(plus ? text.mid(1) : text, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max());
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
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
