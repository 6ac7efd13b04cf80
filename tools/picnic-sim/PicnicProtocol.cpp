#include "picnic-sim/PicnicProtocol.h"

#include <QStringList>

namespace zenko::picnic {

namespace {

constexpr std::uint8_t kIoDirectionSize = 3;
constexpr std::uint8_t kAdcRequestSize = 3;
constexpr std::uint8_t kAdcRequestCode = 0x04;
constexpr std::uint8_t kRelayCommandSize = 5;
constexpr std::uint8_t kRelayHeader[] = {0x03, 0x06, 0x01};

std::uint8_t ByteAt(const QByteArray& bytes, qsizetype index) {
    return static_cast<std::uint8_t>(bytes.at(index));
}

// The relay bits this command writes, for one axis.
QString DescribeAxisBits(const char* name, std::uint8_t increaseBit, std::uint8_t decreaseBit,
                         RelayCommand command) {
    const auto open = static_cast<std::uint8_t>(~command.mask);
    const bool writesIncrease = (open & increaseBit) != 0;
    const bool writesDecrease = (open & decreaseBit) != 0;
    const bool increase = (command.value & increaseBit) != 0;
    const bool decrease = (command.value & decreaseBit) != 0;
    QString text = QLatin1String(name) + QLatin1String(": ");
    if (writesIncrease && writesDecrease) {
        if (increase && decrease) {
            return text + QLatin1String("increase+decrease ON");
        }
        if (increase) {
            return text + QLatin1String("increase ON");
        }
        if (decrease) {
            return text + QLatin1String("decrease ON");
        }
        return text + QLatin1String("OFF");
    }
    if (writesIncrease) {
        return text + (increase ? QLatin1String("increase ON") : QLatin1String("increase OFF"));
    }
    return text + (decrease ? QLatin1String("decrease ON") : QLatin1String("decrease OFF"));
}

} // namespace

CommandKind ClassifyDatagram(const QByteArray& bytes) {
    if (ParseAdcRequest(bytes)) {
        return CommandKind::AdcRequest;
    }
    if (bytes.size() == kIoDirectionSize) {
        return CommandKind::IoDirection;
    }
    if (ParseRelayCommand(bytes)) {
        return CommandKind::Relay;
    }
    return CommandKind::Unknown;
}

std::optional<int> ParseOutputDirection(const QByteArray& bytes) {
    constexpr int kLowestRelayBit = 4;
    constexpr int kHighestRelayBit = 7;
    if (bytes.size() != kIoDirectionSize || bytes[0] != 0x02 || bytes[1] != 0x06 ||
        bytes[2] < kLowestRelayBit || bytes[2] > kHighestRelayBit) {
        return std::nullopt;
    }
    return static_cast<int>(bytes[2]);
}

QString CommandKindName(CommandKind kind) {
    switch (kind) {
    case CommandKind::IoDirection:
        return QStringLiteral("io direction");
    case CommandKind::Relay:
        return QStringLiteral("relay");
    case CommandKind::AdcRequest:
        return QStringLiteral("adc request");
    case CommandKind::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

std::optional<RelayCommand> ParseRelayCommand(const QByteArray& bytes) {
    if (bytes.size() != kRelayCommandSize) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < qsizetype(sizeof kRelayHeader); ++i) {
        if (ByteAt(bytes, i) != kRelayHeader[i]) {
            return std::nullopt;
        }
    }
    return RelayCommand{ByteAt(bytes, 3), ByteAt(bytes, 4)};
}

QByteArray BuildRelayCommand(RelayCommand command) {
    QByteArray bytes(reinterpret_cast<const char*>(kRelayHeader), sizeof kRelayHeader);
    bytes.append(static_cast<char>(command.mask));
    bytes.append(static_cast<char>(command.value));
    return bytes;
}

std::optional<std::uint8_t> ParseAdcRequest(const QByteArray& bytes) {
    if (bytes.size() != kAdcRequestSize || ByteAt(bytes, 0) != kAdcRequestCode) {
        return std::nullopt;
    }
    return ByteAt(bytes, 1);
}

QByteArray BuildAdcRequest(std::uint8_t channel) {
    QByteArray bytes(kAdcRequestSize, '\0');
    bytes[0] = static_cast<char>(kAdcRequestCode);
    bytes[1] = static_cast<char>(channel);
    return bytes;
}

std::optional<Axis> ChannelAxis(std::uint8_t channel) {
    switch (channel) {
    case kAzimuthChannel:
        return Axis::Azimuth;
    case kElevationChannel:
        return Axis::Elevation;
    default:
        return std::nullopt;
    }
}

QByteArray BuildAdcReply(std::uint8_t channel, std::int16_t count) {
    const auto raw = static_cast<std::uint16_t>(count);
    QByteArray bytes(kAdcReplySize, '\0');
    bytes[0] = static_cast<char>(kAdcRequestCode);
    bytes[1] = static_cast<char>(channel);
    bytes[4] = static_cast<char>(raw >> 8);
    bytes[5] = static_cast<char>(raw & 0xFF);
    return bytes;
}

std::optional<std::int16_t> ParseAdcReplyCount(const QByteArray& bytes) {
    if (bytes.size() != kAdcReplySize) {
        return std::nullopt;
    }
    const auto raw = static_cast<std::uint16_t>((ByteAt(bytes, 4) << 8) | ByteAt(bytes, 5));
    return static_cast<std::int16_t>(raw);
}

QString HexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' '));
}

QString HexByte(std::uint8_t byte) {
    return QLatin1String("0x") + HexBytes(QByteArray(1, static_cast<char>(byte)));
}

QString DescribeRelayCommand(RelayCommand command) {
    const auto open = static_cast<std::uint8_t>(~command.mask);
    QStringList parts;
    if ((open & (kAzimuthIncrease | kAzimuthDecrease)) != 0) {
        parts << DescribeAxisBits("az", kAzimuthIncrease, kAzimuthDecrease, command);
    }
    if ((open & (kElevationIncrease | kElevationDecrease)) != 0) {
        parts << DescribeAxisBits("el", kElevationIncrease, kElevationDecrease, command);
    }
    constexpr std::uint8_t otherBits = 0x0F;
    if ((open & otherBits) != 0) {
        const auto written = static_cast<std::uint8_t>(open & otherBits);
        parts << QLatin1String("bits ") + HexByte(written) + QLatin1Char('=') +
                     HexByte(static_cast<std::uint8_t>(command.value & written));
    }
    if (parts.isEmpty()) {
        return QLatin1String("relay: nothing written (mask ") + HexByte(command.mask) +
               QLatin1Char(')');
    }
    return QLatin1String("relay ") + parts.join(QLatin1String(", "));
}

} // namespace zenko::picnic
