#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>

// The datagrams exchanged with the PICNIC board. Multi-byte fields are big-endian.
namespace zenko::device {

inline constexpr std::uint8_t kAzAdcChannel = 0x81;
inline constexpr std::uint8_t kElAdcChannel = 0x89;

// The relay bits of one output byte and the mask that keeps the other axis's bits untouched.
struct AxisRelays {
    std::uint8_t mask;
    std::uint8_t increaseBit;
    std::uint8_t decreaseBit;
};
inline constexpr AxisRelays kAzRelays{0xCF, 0x10, 0x20};
inline constexpr AxisRelays kElRelays{0x3F, 0x40, 0x80};

// 5/1024 volt per count, exact in binary floating point.
inline constexpr double kVoltsPerCount = 0.0048828125;

// The six commands that set the board's I/O directions, in the order they are sent; the third
// bytes 4 to 7 of the last four are the bit positions of the four relay bits.
inline constexpr std::uint8_t kIoDirections[6][3] = {{1, 5, 0}, {1, 5, 1}, {2, 6, 4},
                                                     {2, 6, 5}, {2, 6, 6}, {2, 6, 7}};

QByteArray BuildIoDirectionCommand(std::uint8_t first, std::uint8_t second, std::uint8_t third);
// Nothing for an axis other than 1 or 2. Any non-zero flag switches its relay on.
std::optional<QByteArray> BuildRelayCommand(std::int32_t axis, std::uint8_t increaseOn,
                                            std::uint8_t decreaseOn);
QByteArray BuildAdcRequest(std::uint8_t channel, std::uint8_t third);

// The signed count at offsets 4 and 5; nothing when the reply is too short to carry it.
std::optional<std::int16_t> ParseAdcReply(QByteArrayView reply);
double CountToVolts(std::int16_t count);

} // namespace zenko::device
