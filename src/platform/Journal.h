#pragma once

#include <cstdint>

#include <QByteArrayView>
#include <QLoggingCategory>
#include <QString>
#include <QStringView>

// The controller's journal: Qt logging categories that write info and above by default, so that
// an unattended night leaves a trace of what happened; QT_LOGGING_RULES="zenko.*.debug=true"
// adds every datagram.
namespace zenko::platform {

Q_DECLARE_LOGGING_CATEGORY(journalLink)
Q_DECLARE_LOGGING_CATEGORY(journalSetValue)
Q_DECLARE_LOGGING_CATEGORY(journalConfig)

using JournalCategory = const QLoggingCategory& (*)();

// "127.0.0.1"; address in host byte order.
QString AddressText(std::uint32_t address);
// "127.0.0.1:10001"; address in host byte order.
QString EndpointText(std::uint32_t address, std::uint16_t port);

// "az-adc to 127.0.0.1:10001: 04 81 00", "bin from 127.0.0.1:40000: ..." for one datagram.
QString DatagramJournalText(QStringView socketName, bool outgoing, std::uint32_t address,
                            std::uint16_t port, QByteArrayView bytes);

} // namespace zenko::platform
