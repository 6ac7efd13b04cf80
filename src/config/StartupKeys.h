#pragma once

#include <optional>

#include <QLocale>
#include <QString>

#include "config/ConfigKeys.h"

// The two keys the application reads before the single-instance check and before any window:
// the operator's language and the name that lets copies for several rotators run side by side.
namespace zenko::config {

enum class Language { Japanese, English };

// "en": English. "system": English unless the user's locale is Japanese. "ja", an empty or
// absent value and anything else: Japanese, as designed. Letters are compared without regard to
// case.
inline Language ChooseLanguage(const QString& value, QLocale::Language systemLanguage) {
    if (value.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0) {
        return Language::English;
    }
    if (value.compare(QLatin1String("system"), Qt::CaseInsensitive) == 0) {
        return systemLanguage == QLocale::Japanese ? Language::Japanese : Language::English;
    }
    return Language::Japanese;
}

inline constexpr qsizetype kInstanceNameMaxLength = 32;

// The name as it may stand in a lock's name, a window title, a journal line and a file name:
// 1 to 32 ASCII letters, digits, '-' and '_'. An empty value is no name (the copy runs as the
// one unnamed copy); nullopt is a value the program refuses to start with.
inline std::optional<QString> CheckInstanceName(const QString& value) {
    if (value.size() > kInstanceNameMaxLength) {
        return std::nullopt;
    }
    for (const QChar character : value) {
        const char16_t c = character.unicode();
        const bool allowed = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                             (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
        if (!allowed) {
            return std::nullopt;
        }
    }
    return value;
}

// The single-instance lock of a copy: the section's name "ZENKO" without a name, as always; a
// named copy's lock cannot be any other copy's, since '/' is in no name.
inline QString SingleInstanceName(const QString& instanceName) {
    return instanceName.isEmpty() ? kSection : kSection + QLatin1Char('/') + instanceName;
}

} // namespace zenko::config
