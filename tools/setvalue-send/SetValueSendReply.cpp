#include "setvalue-send/SetValueSendReply.h"

#include <charconv>
#include <optional>
#include <string_view>

#include <QByteArrayList>

#include "platform/Formats.h"

namespace zenko::setvaluesend {

namespace {

constexpr qsizetype kBinaryReplySize = 20;
constexpr int kAsciiFieldCount = 5;

QString Reading(const QString& azAngle, const QString& elAngle, const QString& azVolt,
                const QString& elVolt) {
    return QStringLiteral("azimuth %1 deg  elevation %2 deg  az %3 V  el %4 V")
        .arg(azAngle, elAngle, azVolt, elVolt);
}

std::int32_t SignedWord(QByteArrayView bytes, qsizetype offset) {
    std::uint32_t word = 0;
    for (qsizetype i = 0; i < 4; ++i) {
        word = (word << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
    }
    return static_cast<std::int32_t>(word);
}

DecodedReply DecodeBinary(QByteArrayView reply) {
    DecodedReply decoded;
    decoded.raw = FormatHex(reply);
    if (reply.size() != kBinaryReplySize) {
        decoded.note = QStringLiteral("a binary reply has 20 bytes, this one %1: not decoded")
                           .arg(platform::FormatInteger(reply.size()));
        return decoded;
    }
    decoded.reading =
        Reading(FormatThousandths(SignedWord(reply, 4)), FormatThousandths(SignedWord(reply, 8)),
                FormatThousandths(SignedWord(reply, 12)), FormatThousandths(SignedWord(reply, 16)));
    if (SignedWord(reply, 0) != 0) {
        decoded.note = QStringLiteral("the first word is not 0");
    }
    return decoded;
}

// The field without its leading blanks when it is a number, the way the service prints them
// ("nan" and "inf" included); nothing otherwise.
std::optional<QString> NumberField(const QByteArray& field) {
    std::string_view text(field.constData(), static_cast<std::size_t>(field.size()));
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || stop != text.data() + text.size() ||
        (error != std::errc() && error != std::errc::result_out_of_range)) {
        return std::nullopt;
    }
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

DecodedReply DecodeAscii(QByteArrayView reply) {
    DecodedReply decoded;
    decoded.raw = QuoteText(reply);
    const QByteArrayList parts = reply.toByteArray().split(',');
    QStringList fields;
    if (parts.size() == kAsciiFieldCount + 1 && parts.back().isEmpty()) {
        for (qsizetype i = 0; i < kAsciiFieldCount; ++i) {
            if (const auto field = NumberField(parts[i])) {
                fields << *field;
            }
        }
    }
    if (fields.size() != kAsciiFieldCount) {
        decoded.note = QStringLiteral("an ASCII reply is five numbers, each followed by a comma; "
                                      "this one is not: not decoded");
        return decoded;
    }
    decoded.reading = Reading(fields[1], fields[2], fields[3], fields[4]);
    if (fields[0] != QLatin1String("0")) {
        decoded.note = QStringLiteral("the first field is not 0");
    }
    return decoded;
}

QString HexPair(char byte) {
    constexpr char kDigits[] = "0123456789abcdef";
    const auto value = static_cast<std::uint8_t>(byte);
    const char pair[] = {kDigits[value >> 4], kDigits[value & 0x0F]};
    return QString::fromLatin1(pair, 2);
}

bool IsPrintableText(QByteArrayView bytes) {
    if (bytes.isEmpty()) {
        return false;
    }
    for (char c : bytes) {
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

} // namespace

DecodedReply DecodeReply(QByteArrayView reply, ReplyFormat format) {
    if (format == ReplyFormat::Ascii || (format == ReplyFormat::Guess && IsPrintableText(reply))) {
        return DecodeAscii(reply);
    }
    return DecodeBinary(reply);
}

QString FormatThousandths(std::int32_t thousandths) {
    const std::int64_t value = thousandths;
    const std::int64_t magnitude = value < 0 ? -value : value;
    const QString fraction =
        platform::FormatInteger(magnitude % 1000).rightJustified(3, QLatin1Char('0'));
    return (value < 0 ? QStringLiteral("-") : QString()) +
           platform::FormatInteger(magnitude / 1000) + QLatin1Char('.') + fraction;
}

QString FormatHex(QByteArrayView bytes) {
    QString text;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % 4 == 0) {
            text += QLatin1Char(' ');
        }
        text += HexPair(bytes[i]);
    }
    return text;
}

QString QuoteText(QByteArrayView bytes) {
    QString text = QStringLiteral("\"");
    for (char c : bytes) {
        if (c == '"' || c == '\\') {
            text += QLatin1Char('\\');
            text += QLatin1Char(c);
        } else if (c >= 0x20 && c <= 0x7E) {
            text += QLatin1Char(c);
        } else {
            text += QStringLiteral("\\x") + HexPair(c);
        }
    }
    return text + QLatin1Char('"');
}

} // namespace zenko::setvaluesend
