#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "common/CommandLineOutcome.h"

// The command line of setvalue-send: which datagram goes where, and how its reply is read.
namespace zenko::setvaluesend {

// How a reply is decoded: the binary service's 20 bytes, the ASCII service's text, or, for raw
// bytes whose target is unknown, text when every byte is printable ASCII and binary otherwise.
enum class ReplyFormat { Binary, Ascii, Guess };

inline constexpr std::uint16_t kDefaultBinaryPort = 10005;
inline constexpr std::uint16_t kDefaultAsciiPort = 10006;
inline constexpr int kDefaultTimeoutMs = 1000;

struct SendSettings {
    QString host = QStringLiteral("127.0.0.1");
    std::uint16_t port = 0;
    int timeoutMs = kDefaultTimeoutMs;
    QByteArray request;
    ReplyFormat replyFormat = ReplyFormat::Binary;
};

// Run sends the datagram.
using CommandLineOutcome = tools::CommandLineOutcome<SendSettings>;

// Exactly one mode option; --host, --port and --timeout also take "--name=value". The last of a
// repeated option wins. Numbers are read in the C locale's form whatever the user's locale.
CommandLineOutcome ParseCommandLine(const QStringList& arguments);
QString HelpText();
// One line, "setvalue-send" and the version, as help2man reads it for the manual page.
QString VersionText();

// Digits with an optional fraction ("12", "12.", "12.5", ".5"), optionally signed when
// `allowSign`; no exponent, no "inf" or "nan", no blanks.
bool IsDecimalNumber(std::string_view text, bool allowSign);

// Unsigned degrees to thousandths of a degree, rounded to nearest with halves up, decided on
// the decimal digits so that 0.0005 gives 1; nothing for a text that is not an unsigned
// decimal number or whose thousandths exceed 32 bits (4294967.295 degrees).
std::optional<std::uint32_t> DegreesToThousandths(std::string_view text);

// Pairs of hexadecimal digits, blanks anywhere ignored; an empty text is an empty datagram.
std::optional<QByteArray> ParseHexBytes(std::string_view text);

// The 12-byte binary request: word 0 is 0, then the two set values in thousandths, big-endian.
QByteArray BuildBinaryRequest(std::uint32_t azimuthThousandths, std::uint32_t elevationThousandths);

} // namespace zenko::setvaluesend
