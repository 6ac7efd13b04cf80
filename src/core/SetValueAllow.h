#pragma once

#include <optional>

#include <QString>

#include "platform/AllowList.h"

namespace zenko::core {

struct AllowCheck {
    platform::AllowList list;
    // The message that refuses Start, in the style of the other Start checks.
    std::optional<QString> failure;
};

// SetValue_Allow as read from the file. A list that does not parse refuses Start rather than
// leaving the services open to everyone, and so does one long enough to have been cut short by
// the read (it could end in a shortened address that admits another host).
AllowCheck CheckSetValueAllow(const QString& text);

} // namespace zenko::core
