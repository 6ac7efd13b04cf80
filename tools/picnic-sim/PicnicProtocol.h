#pragma once

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QString>

#include "picnic-sim/RotatorModel.h"

// The board's datagrams as the controller uses them. Multi-byte fields are big-endian.
namespace zenko::picnic {

enum class CommandKind { IoDirection, Relay, AdcRequest, Unknown };

// 04 CHANNEL xx is an ADC request; every other 3-byte datagram sets I/O directions (the board
// takes them at any value); 03 06 01 MASK VALUE writes the output byte; anything else is unknown.
CommandKind ClassifyDatagram(const QByteArray& bytes);
QString CommandKindName(CommandKind kind);

// The I/O-direction command 02 06 0N makes bit N (4 to 7, the relay bits) of the relay port an
// output; nothing for every other datagram.
std::optional<int> ParseOutputDirection(const QByteArray& bytes);

struct RelayCommand {
    std::uint8_t mask = 0;
    std::uint8_t value = 0;
};
std::optional<RelayCommand> ParseRelayCommand(const QByteArray& bytes);
QByteArray BuildRelayCommand(RelayCommand command);

// The channel of an ADC request.
std::optional<std::uint8_t> ParseAdcRequest(const QByteArray& bytes);
QByteArray BuildAdcRequest(std::uint8_t channel);

inline constexpr std::uint8_t kAzimuthChannel = 0x81;
inline constexpr std::uint8_t kElevationChannel = 0x89;
std::optional<Axis> ChannelAxis(std::uint8_t channel);

// Six bytes: the request's 04 CHANNEL echoed and two zeros (the controller reads none of them),
// then the count as a signed 16-bit big-endian number.
inline constexpr int kAdcReplySize = 6;
QByteArray BuildAdcReply(std::uint8_t channel, std::int16_t count);
// The count of a reply of exactly six bytes.
std::optional<std::int16_t> ParseAdcReplyCount(const QByteArray& bytes);

// "03 06 01 cf 10": lower-case pairs separated by blanks.
QString HexBytes(const QByteArray& bytes);
// "0x81"
QString HexByte(std::uint8_t byte);

// What a relay command switches, for the operator: "relay az: increase ON", "relay el: OFF",
// "relay az: decrease ON, el: increase ON", with any other bits it writes as "bits 0x0f=0x01".
QString DescribeRelayCommand(RelayCommand command);

} // namespace zenko::picnic
