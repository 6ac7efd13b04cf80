#pragma once

namespace zenko::platform {

// One pattern for every program's journal on standard error, so that lines from the controller
// and its tools read alike, sort by time and can be told apart by their category.
inline constexpr char kJournalPattern[] =
    "%{time yyyy-MM-dd hh:mm:ss.zzz} %{category} %{if-debug}debug%{endif}%{if-info}info%{endif}"
    "%{if-warning}warning%{endif}%{if-critical}critical%{endif}%{if-fatal}fatal%{endif}: "
    "%{message}";

} // namespace zenko::platform
