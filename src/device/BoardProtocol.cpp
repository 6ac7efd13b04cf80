#include "device/BoardProtocol.h"

namespace zenko::device {

namespace {

QByteArray Bytes(std::initializer_list<std::uint8_t> bytes) {
    QByteArray datagram;
    datagram.reserve(static_cast<qsizetype>(bytes.size()));
    for (std::uint8_t byte : bytes) {
        datagram.append(static_cast<char>(byte));
    }
    return datagram;
}

} // namespace

QByteArray BuildIoDirectionCommand(std::uint8_t first, std::uint8_t second, std::uint8_t third) {
    return Bytes({first, second, third});
}

std::optional<QByteArray> BuildRelayCommand(std::int32_t axis, std::uint8_t increaseOn,
                                            std::uint8_t decreaseOn) {
    const AxisRelays* relays = axis == 1 ? &kAzRelays : axis == 2 ? &kElRelays : nullptr;
    if (relays == nullptr) {
        return std::nullopt;
    }
    std::uint8_t value = 0;
    if (increaseOn != 0) {
        value |= relays->increaseBit;
    }
    if (decreaseOn != 0) {
        value |= relays->decreaseBit;
    }
    return Bytes({0x03, 0x06, 0x01, relays->mask, value});
}

QByteArray BuildAdcRequest(std::uint8_t channel, std::uint8_t third) {
    return Bytes({0x04, channel, third});
}

std::optional<std::int16_t> ParseAdcReply(QByteArrayView reply) {
    constexpr qsizetype kCountOffset = 4;
    if (reply.size() < kCountOffset + 2) {
        return std::nullopt;
    }
    const auto high = static_cast<std::uint8_t>(reply[kCountOffset]);
    const auto low = static_cast<std::uint8_t>(reply[kCountOffset + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((high << 8) | low));
}

double CountToVolts(std::int16_t count) {
    return count * kVoltsPerCount;
}

} // namespace zenko::device
