#pragma once

#include <QString>

namespace zenko::platform {

// One pattern for every program's journal on standard error, so that lines from the controller
// and its tools read alike, sort by time and can be told apart by their category.
inline constexpr char kJournalPattern[] =
    "%{time yyyy-MM-dd hh:mm:ss.zzz} %{category} %{if-debug}debug%{endif}%{if-info}info%{endif}"
    "%{if-warning}warning%{endif}%{if-critical}critical%{endif}%{if-fatal}fatal%{endif}: "
    "%{message}";

// The pattern of a named copy: its name in brackets after the time, on every line, so that the
// journals of two copies side by side can be told apart. The name's characters (letters, digits,
// '-', '_') mean nothing to the pattern.
inline QString JournalPattern(const QString& instanceName) {
    QString pattern = QString::fromLatin1(kJournalPattern);
    if (!instanceName.isEmpty()) {
        const qsizetype afterTime = pattern.indexOf(QLatin1String("} ")) + 2;
        pattern.insert(afterTime, QLatin1Char('[') + instanceName + QLatin1String("] "));
    }
    return pattern;
}

} // namespace zenko::platform
