#pragma once

#include <initializer_list>

#include <QString>
#include <QStringList>

namespace zenko::test {

// A command line as the tools' parsers receive it, without the program's name.
inline QStringList Arguments(std::initializer_list<const char*> texts) {
    QStringList arguments;
    for (const char* text : texts) {
        arguments << QString::fromUtf8(text);
    }
    return arguments;
}

} // namespace zenko::test
