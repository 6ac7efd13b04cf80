#pragma once

#include "zenko-rotctld/ProtocolCodec.h"
#include "zenko-rotctld/SerialLines.h"

namespace zenko::rotctld {

// The command set of the GS-232A and GS-232B computer control interfaces: one command a line,
// ended by a carriage return, in either case; no echo. The two differ in the form of the position
// replies. A set, stop or motion command is answered by nothing, as Hamlib's drivers for both
// models expect: a reply would stand in front of the next position reply. Commands that the
// bridge does not carry out, and targets outside the limits, get the interfaces' "?>".
class Gs232Codec final : public ProtocolCodec {
public:
    enum class Model { A, B };
    Gs232Codec(Model model, const Limits& limits) : m_model(model), m_limits(limits) {}
    void append(QByteArrayView bytes) override { m_lines.append(bytes); }
    std::optional<Exchange> next() override;

private:
    Model m_model;
    Limits m_limits;
    LineReader m_lines{LineReader::Ends::CarriageReturnOrLineFeed, kMaxSerialLine};
};

// The replies of C (azimuth), B (elevation) and C2 (both), with their line end: for the A
// "+0aaa", "+0eee" and "+0aaa+0eee", for the B "AZ=aaa", "EL=eee" and "AZ=aaa  EL=eee", each
// angle in whole degrees, three digits or a '-' and two.
QByteArray FormatGs232Position(Gs232Codec::Model model, Axes axes, const Angles& angles);

inline constexpr char kGs232Refusal[] = "?>\r\n";

} // namespace zenko::rotctld
