#pragma once

#include <cstdint>

#include <QByteArrayView>
#include <QString>

#include "setvalue-send/SetValueSendCommandLine.h"

// Reading the services' replies for a person: the values, the bytes, and what is odd about them.
namespace zenko::setvaluesend {

struct DecodedReply {
    // "azimuth 123.456 deg  elevation 45.250 deg  az 2.500 V  el 1.250 V"; empty when the reply
    // has not the form of its format.
    QString reading;
    // Why the reply is not decoded, or what is unusual in a decoded one; empty otherwise.
    QString note;
    // Hexadecimal for a binary reply, quoted text for an ASCII one.
    QString raw;
};

// A binary reply is decoded only at exactly 20 bytes, its values shown as the thousandths sent.
// An ASCII reply is decoded when it is five comma-terminated numbers, each shown as received
// without its leading blanks.
DecodedReply DecodeReply(QByteArrayView reply, ReplyFormat format);

// Thousandths as a decimal with three places: 123456 -> "123.456", -1 -> "-0.001".
QString FormatThousandths(std::int32_t thousandths);
// Lower-case pairs, a blank after every four bytes: "00000000 0001e240 0000afc8".
QString FormatHex(QByteArrayView bytes);
// In double quotes; quote, backslash and every byte outside printable ASCII escaped (\", \\,
// \xHH), so that a reply with a NUL or a line break still prints as one line.
QString QuoteText(QByteArrayView bytes);

} // namespace zenko::setvaluesend
