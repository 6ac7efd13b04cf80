#pragma once

#include <cstddef>

#include <QLoggingCategory>
#include <QString>

namespace zenko::rotctld {

// The bridge's journal: at the default level its life and its clients' comings and goings, and
// the controller's silences; with QT_LOGGING_RULES="zenko.*.debug=true" also every line a client
// sends, every reply and every datagram exchanged with the controller.
Q_DECLARE_LOGGING_CATEGORY(lcRotctld)

// Warnings at the default level: a client outside --allow (once per address, within the bound
// of `limit` addresses), and a port beyond loopback that --allow does not restrict.
QString ClientRefusedText(const QString& address);
QString ClientRefusedLimitText(std::size_t limit);
QString OpenToEveryoneText(const QString& listening);

} // namespace zenko::rotctld
