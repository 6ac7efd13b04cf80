#include "core/SetValueAllow.h"

#include "platform/ProfileFile.h"

namespace zenko::core {

AllowCheck CheckSetValueAllow(const QString& text) {
    AllowCheck check;
    // The message names the key as the operator finds it in ZENKO.ini.
    const QString key = QStringLiteral("SetValue_Allow");
    if (text.size() >= platform::ProfileFile::kMaxTextLength - 1) {
        check.failure = key + QStringLiteral(" is too long !");
        return check;
    }
    platform::AllowListParse parse = platform::ParseAllowList(text);
    if (!parse.error) {
        check.list = std::move(parse.list);
        return check;
    }
    const QString entry = key + QStringLiteral(" entry ") + QString::number(parse.error->entry);
    check.failure =
        parse.error->fault == platform::AllowListFault::EmptyEntry
            ? entry + QStringLiteral(" is empty !")
            : entry + QStringLiteral(" \"") + parse.error->text + QStringLiteral("\" is invalid !");
    return check;
}

} // namespace zenko::core
