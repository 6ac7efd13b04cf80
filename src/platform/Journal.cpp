#include "platform/Journal.h"

#include <QByteArray>
#include <QHostAddress>

namespace zenko::platform {

Q_LOGGING_CATEGORY(journalLink, "zenko.link", QtInfoMsg)
Q_LOGGING_CATEGORY(journalSetValue, "zenko.setvalue", QtInfoMsg)
Q_LOGGING_CATEGORY(journalConfig, "zenko.config", QtInfoMsg)

QString AddressText(std::uint32_t address) {
    return QHostAddress(address).toString();
}

QString EndpointText(std::uint32_t address, std::uint16_t port) {
    return AddressText(address) + u':' + QString::number(port);
}

QString DatagramJournalText(QStringView socketName, bool outgoing, std::uint32_t address,
                            std::uint16_t port, QByteArrayView bytes) {
    return socketName.toString() + (outgoing ? QStringLiteral(" to ") : QStringLiteral(" from ")) +
           EndpointText(address, port) + QStringLiteral(": ") +
           QString::fromLatin1(bytes.toByteArray().toHex(' '));
}

} // namespace zenko::platform
