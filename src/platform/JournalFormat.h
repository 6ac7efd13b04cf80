#pragma once
// One line per event, with the time, so that a terminal or systemd's journal shows when each happened.
namespace zenko::platform {
inline constexpr char kJournalPattern[] =
    "%{time yyyy-MM-dd hh:mm:ss.zzz} %{category} %{if-debug}debug%{endif}%{if-info}info%{endif}"
    "%{if-warning}warning%{endif}%{if-critical}critical%{endif}%{if-fatal}fatal%{endif}: %{message}";
} // namespace zenko::platform
