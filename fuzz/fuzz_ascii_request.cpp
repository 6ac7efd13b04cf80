#include <charconv>
#include <cstdint>
#include <string_view>

#include <QByteArrayList>

#include "FuzzCheck.h"
#include "setvalue/SetValueCodec.h"

using namespace zenko;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

double ReadBack(const QByteArray& field) {
    std::string_view text(field.constData(), static_cast<std::size_t>(field.size()));
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    fuzz::Require(error == std::errc() && stop == text.data() + text.size(),
                  "every reply field reads back as a number");
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const setvalue::SetValues values = setvalue::ParseAsciiRequest(fuzz::Bytes(data, size));
    fuzz::Require(values.azimuth.has_value() || !values.elevation.has_value(),
                  "elevation comes only after azimuth");
    const double azimuth = values.azimuth.value_or(0.0);
    const double elevation = values.elevation.value_or(0.0);
    fuzz::Require(std::isfinite(azimuth) && std::isfinite(elevation),
                  "converted set values are finite");

    const setvalue::Position position{azimuth, elevation, azimuth, elevation};
    const QByteArray reply = setvalue::BuildAsciiReply(position);
    fuzz::Require(reply.size() >= 45 && reply.endsWith(','), "reply is five fields and commas");
    for (const char c : reply) {
        fuzz::Require(c >= 0x20 && c <= 0x7E, "reply is printable ASCII");
    }
    const QByteArrayList fields = reply.split(',');
    fuzz::Require(fields.size() == 6 && fields[5].isEmpty(), "reply has exactly five fields");
    fuzz::Require(fields[0] == "       0", "first field is a zero in eight places");
    fuzz::Require(fuzz::ShownWithin(ReadBack(fields[1]), azimuth, 2) &&
                      fuzz::ShownWithin(ReadBack(fields[2]), elevation, 2),
                  "angles shown to the nearest hundredth");
    fuzz::Require(fuzz::ShownWithin(ReadBack(fields[3]), azimuth, 3) &&
                      fuzz::ShownWithin(ReadBack(fields[4]), elevation, 3),
                  "voltages shown to the nearest thousandth");
    return 0;
}
