#pragma once

#include "zenko-rotctld/ProtocolCodec.h"
#include "zenko-rotctld/RotctldProtocol.h"
#include "zenko-rotctld/SerialLines.h"

namespace zenko::rotctld {

// The text of get_info.
inline constexpr char kInfo[] = "ZENKO rotator bridge";

// The rotctld status number that reports an outcome: RPRT 0, or the code Hamlib's rotctld gives
// for the same failure.
int StatusNumber(Outcome::Status status);

// Hamlib's rotctld line protocol over the parser and formats of RotctldProtocol.h.
class RotctldCodec final : public ProtocolCodec {
public:
    explicit RotctldCodec(const Limits& limits) : m_limits(limits) {}
    void append(QByteArrayView bytes) override { m_reader.append(bytes); }
    std::optional<Exchange> next() override;

private:
    Limits m_limits;
    LineReader m_reader{LineReader::Ends::LineFeed, kMaxLineLength};
};

} // namespace zenko::rotctld
