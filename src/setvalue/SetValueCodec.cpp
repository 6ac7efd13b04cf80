#include "setvalue/SetValueCodec.h"

#include <cmath>

#include "platform/Formats.h"
#include "platform/Numbers.h"

namespace zenko::setvalue {

namespace {

std::uint32_t ReadWord(QByteArrayView bytes, qsizetype offset) {
    std::uint32_t word = 0;
    for (qsizetype i = 0; i < 4; ++i) {
        word = (word << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
    }
    return word;
}

void AppendWord(QByteArray& bytes, std::uint32_t word) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.append(static_cast<char>((word >> shift) & 0xFF));
    }
}

} // namespace

SetValues ParseBinaryRequest(QByteArrayView request) {
    if (request.size() < kBinaryRequestSize) {
        return {};
    }
    return {static_cast<double>(ReadWord(request, 4) / 1000u),
            static_cast<double>(ReadWord(request, 8) / 1000u)};
}

std::int32_t EncodeThousandths(double value) {
    const double scaled = std::trunc(value * 1000.0);
    std::int64_t whole = 0;
    if (std::isnan(scaled)) {
        whole = 0;
    } else if (scaled >= 9223372036854775808.0) {
        whole = INT64_MAX;
    } else if (scaled < -9223372036854775808.0) {
        whole = INT64_MIN;
    } else {
        whole = static_cast<std::int64_t>(scaled);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

QByteArray BuildBinaryReply(const Position& position) {
    QByteArray reply;
    reply.reserve(kBinaryReplySize);
    AppendWord(reply, 0);
    for (double value : {position.azAngle, position.elAngle, position.azVolt, position.elVolt}) {
        AppendWord(reply, static_cast<std::uint32_t>(EncodeThousandths(value)));
    }
    return reply;
}

SetValues ParseAsciiRequest(QByteArrayView request) {
    const qsizetype end = request.indexOf('\0');
    const QByteArrayView text = end < 0 ? request : request.first(end);
    SetValues values;
    int field = 0;
    qsizetype start = 0;
    while (start <= text.size() && field < 3) {
        qsizetype comma = text.indexOf(',', start);
        if (comma < 0) {
            comma = text.size();
        }
        const QByteArrayView content = text.sliced(start, comma - start);
        if (!content.isEmpty()) {
            ++field;
            const std::string_view digits(content.data(), static_cast<std::size_t>(content.size()));
            if (field == 2) {
                values.azimuth = platform::LenientToDouble(digits);
            } else if (field == 3) {
                values.elevation = platform::LenientToDouble(digits);
            }
        }
        start = comma + 1;
    }
    return values;
}

QByteArray BuildAsciiReply(const Position& position) {
    const QString reply =
        platform::FormatInteger(0, 8) + u',' + platform::FormatAngle(position.azAngle) + u',' +
        platform::FormatAngle(position.elAngle) + u',' + platform::FormatVolts(position.azVolt) +
        u',' + platform::FormatVolts(position.elVolt) + u',';
    return reply.toLatin1();
}

} // namespace zenko::setvalue
