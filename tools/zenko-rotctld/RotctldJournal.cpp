#include "zenko-rotctld/RotctldJournal.h"

namespace zenko::rotctld {

// Info is on without any logging rule: an operator who starts the bridge by hand or as a service
// sees who connected and when the controller went silent.
Q_LOGGING_CATEGORY(lcRotctld, "zenko.rotctld", QtInfoMsg)

QString ClientRefusedText(const QString& address) {
    return QStringLiteral("client ") + address + QStringLiteral(" refused, not in --allow");
}

QString ClientRefusedLimitText(std::size_t limit) {
    return QString::number(limit) +
           QStringLiteral(" refused clients seen; further ones are not journaled");
}

QString OpenToEveryoneText(const QString& listening) {
    return QStringLiteral("listening on ") + listening +
           QStringLiteral(" without --allow: anyone who reaches this port can move the antenna");
}

} // namespace zenko::rotctld
