#pragma once

#include <deque>

#include "zenko-rotctld/ProtocolCodec.h"
#include "zenko-rotctld/SerialLines.h"

namespace zenko::rotctld {

// Easycomm II: commands of two letters and an optional value, separated by blanks or line ends.
// AZ and EL with a number set a target, without one they ask for the angle; SA and SE stop an
// axis; ML, MR, MU and MD move an axis towards its end. The commands of one line go together: a
// target for each axis makes one set position, and the angles asked for come in one reply,
// "AZ123.4 EL45.6" in the order asked, ended as the line was. The protocol has no error reply:
// a target outside the limits is dropped without an answer. PARK, which Hamlib's driver sends
// for a park, parks.
class EasycommCodec final : public ProtocolCodec {
public:
    explicit EasycommCodec(const Limits& limits) : m_limits(limits) {}
    void append(QByteArrayView bytes) override { m_lines.append(bytes); }
    std::optional<Exchange> next() override;

private:
    void readLine(const LineReader::Line& line);

    Limits m_limits;
    LineReader m_lines{LineReader::Ends::CarriageReturnOrLineFeed, kMaxSerialLine};
    std::deque<Exchange> m_ready;
};

// The reply to the angles asked for, with one decimal, in that order ("AE": azimuth first).
QByteArray FormatEasycommAngles(QByteArrayView order, const Angles& angles, QByteArrayView end);

} // namespace zenko::rotctld
