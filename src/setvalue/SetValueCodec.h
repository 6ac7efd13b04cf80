#pragma once

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>

// The two set-value services' datagrams: a peer sends the remote azimuth and elevation set
// values and gets the current angles and voltages back. Both codecs take only what arrived:
// a request that carries one set value or none changes only what it carries, so a short
// request is a read-only position query.
namespace zenko::setvalue {

struct SetValues {
    std::optional<double> azimuth;
    std::optional<double> elevation;
};

struct Position {
    double azAngle = 0;
    double elAngle = 0;
    double azVolt = 0;
    double elVolt = 0;
};

inline constexpr qsizetype kBinaryRequestSize = 12;
inline constexpr qsizetype kBinaryReplySize = 20;

// Words at offsets 4 and 8: unsigned thousandths of a degree, integer-divided by 1000, so the
// binary service sets whole degrees. A request shorter than 12 bytes sets nothing.
SetValues ParseBinaryRequest(QByteArrayView request);

// 0, then the four values x 1000, each truncated toward zero, saturated to the signed 64-bit
// range (NaN gives 0), of which the low 32 bits are sent big-endian.
QByteArray BuildBinaryReply(const Position& position);
std::int32_t EncodeThousandths(double value);

// Text up to the first NUL; comma-separated fields with empty ones dropped; the first field is
// ignored, the second is azimuth and the third elevation, each converted as by atof.
SetValues ParseAsciiRequest(QByteArrayView request);

// "%8d" of 0 and the angles with "%8.2f" and the voltages with "%8.3f", each followed by a
// comma; no NUL, no line break.
QByteArray BuildAsciiReply(const Position& position);

} // namespace zenko::setvalue
