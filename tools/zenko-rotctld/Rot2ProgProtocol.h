#pragma once

#include "zenko-rotctld/ProtocolCodec.h"

namespace zenko::rotctld {

// The frames of the Rot2Prog controller: 13 bytes from the client, 'W', the azimuth as four ASCII
// digits, its resolution in pulses per degree, the elevation likewise, the command (0x0F stop,
// 0x1F status, 0x2F set) and a blank. A set frame's angle is its number of pulses at its own
// resolution less 360 degrees, and gets no reply; stop and status are answered by a 12-byte status
// frame. Bytes that do not begin a frame are skipped until one begins.
class Rot2ProgCodec final : public ProtocolCodec {
public:
    void append(QByteArrayView bytes) override { m_buffer.append(bytes); }
    std::optional<Exchange> next() override;

private:
    QByteArray m_buffer;
};

inline constexpr qsizetype kRot2ProgFrame = 13;
// The resolution the status frames report, the finest the controller offers: a client that
// takes its set frames' resolution from them sends quarter degrees.
inline constexpr char kRot2ProgResolution = 4;

// 'W', the azimuth in tenths of a degree plus 3600 as four digit values (not ASCII), the
// resolution, the elevation likewise, the resolution, a blank.
QByteArray FormatRot2ProgStatus(const Angles& angles);

} // namespace zenko::rotctld
