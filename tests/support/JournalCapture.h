#pragma once

#include <algorithm>

#include <QLoggingCategory>
#include <QStringList>

#include "platform/JournalFormat.h"

namespace zenko::test {

// The journal's lines as the program formats them, collected while it lives.
struct JournalCapture {
    JournalCapture() {
        s_lines.clear();
        qSetMessagePattern(QString::fromLatin1(platform::kJournalPattern));
        m_previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
                s_lines << qFormatLogMessage(type, context, text);
            });
    }
    ~JournalCapture() {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules({});
    }
    JournalCapture(const JournalCapture&) = delete;
    JournalCapture& operator=(const JournalCapture&) = delete;

    static qsizetype count(const QString& part) {
        return std::count_if(s_lines.begin(), s_lines.end(),
                             [&](const QString& line) { return line.contains(part); });
    }
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

} // namespace zenko::test
