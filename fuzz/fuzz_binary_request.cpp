#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "setvalue/SetValueCodec.h"

using namespace zenko;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::int32_t ReplyWord(const QByteArray& reply, qsizetype offset) {
    std::uint32_t word = 0;
    for (qsizetype i = 0; i < 4; ++i) {
        word = (word << 8) | static_cast<std::uint8_t>(reply[offset + i]);
    }
    return static_cast<std::int32_t>(word);
}

// Every value goes out as its thousandths truncated toward zero while they fit in 32 bits;
// beyond that only the word's presence is defined here, NaN gives 0.
void CheckReply(const setvalue::Position& position) {
    const QByteArray reply = setvalue::BuildBinaryReply(position);
    fuzz::Require(reply.size() == setvalue::kBinaryReplySize, "binary reply is 20 bytes");
    fuzz::Require(ReplyWord(reply, 0) == 0, "first reply word is 0");
    const double values[] = {position.azAngle, position.elAngle, position.azVolt, position.elVolt};
    for (int i = 0; i < 4; ++i) {
        const double value = values[i];
        const double word = ReplyWord(reply, 4 + 4 * i);
        if (std::isnan(value)) {
            fuzz::Require(word == 0, "NaN is sent as 0");
        } else if (std::fabs(value) < 2147483.0) {
            fuzz::Require(std::fabs(word) <= std::fabs(value * 1000.0) &&
                              std::fabs(value * 1000.0 - word) < 1.0,
                          "thousandths truncated toward zero");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView request = fuzz::Bytes(data, size);
    const setvalue::SetValues values = setvalue::ParseBinaryRequest(request);
    const bool complete = request.size() >= setvalue::kBinaryRequestSize;
    fuzz::Require(values.azimuth.has_value() == complete &&
                      values.elevation.has_value() == complete,
                  "a request sets both values exactly when it has 12 bytes");
    if (complete) {
        for (const double degrees : {*values.azimuth, *values.elevation}) {
            fuzz::Require(degrees == std::floor(degrees) && degrees >= 0.0 && degrees <= 4294967.0,
                          "set values are whole degrees of an unsigned word");
        }
        CheckReply({*values.azimuth, *values.elevation, *values.azimuth, *values.elevation});
    }
    // The bytes after the request as four raw doubles reach NaN, infinities and values beyond
    // every integer range, which the controller's own values never do.
    constexpr std::size_t kDoubles = 4 * sizeof(double);
    if (size >= static_cast<std::size_t>(setvalue::kBinaryRequestSize) + kDoubles) {
        double raw[4];
        std::memcpy(raw, data + setvalue::kBinaryRequestSize, kDoubles);
        CheckReply({raw[0], raw[1], raw[2], raw[3]});
    }
    return 0;
}
