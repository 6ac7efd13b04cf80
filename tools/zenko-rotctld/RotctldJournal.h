#pragma once

#include <QLoggingCategory>

namespace zenko::rotctld {

// The bridge's journal: at the default level its life and its clients' comings and goings, and
// the controller's silences; with QT_LOGGING_RULES="zenko.*.debug=true" also every line a client
// sends, every reply and every datagram exchanged with the controller.
Q_DECLARE_LOGGING_CATEGORY(lcRotctld)

} // namespace zenko::rotctld
