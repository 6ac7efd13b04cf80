#include "picnic-sim/SimulatedBoard.h"

#include <algorithm>

#include "picnic-sim/PicnicProtocol.h"

namespace zenko::picnic {

namespace {

constexpr std::uint8_t kRelayBits =
    kAzimuthIncrease | kAzimuthDecrease | kElevationIncrease | kElevationDecrease;

} // namespace

SimulatedBoard::SimulatedBoard(const RotatorParameters& parameters, std::chrono::nanoseconds start,
                               bool answerAdc)
    : m_model(parameters, start), m_answerAdc{answerAdc, answerAdc}, m_outputBits(kRelayBits) {}

BoardResponse SimulatedBoard::handle(const QByteArray& bytes, std::chrono::nanoseconds at) {
    m_model.advanceTo(at);
    BoardResponse response;
    if (restarting(at)) {
        response.ignored = CommandIgnored::Restarting;
    } else if (const auto relay = ParseRelayCommand(bytes)) {
        // A relay bit whose direction is not set is an input: what is written to it drives
        // nothing. The other four bits drive nothing anyway and keep what is written.
        const auto unset = static_cast<std::uint8_t>(~m_outputBits & kRelayBits);
        if ((~relay->mask & unset) != 0) {
            response.ignored = CommandIgnored::IoDirectionsUnset;
        }
        m_model.applyRelayCommand(relay->mask | unset, relay->value);
    } else if (const auto bit = ParseOutputDirection(bytes)) {
        m_outputBits |= static_cast<std::uint8_t>(1u << *bit);
    } else if (const auto channel = ParseAdcRequest(bytes)) {
        const auto axis = ChannelAxis(*channel);
        if (axis && answerAdc(*axis)) {
            const int count = m_model.readCount(*axis);
            response.answer = AdcAnswer{*axis, count, count * kAdcFullScaleVolts / kAdcSteps};
            response.reply = BuildAdcReply(*channel, static_cast<std::int16_t>(count));
        }
    }
    response.after = {m_model.angle(Axis::Azimuth), m_model.angle(Axis::Elevation),
                      m_model.relayByte()};
    return response;
}

void SimulatedBoard::restart(std::chrono::nanoseconds at, double seconds) {
    m_model.advanceTo(at);
    m_model.setRelayByte(0);
    m_outputBits = 0;
    m_restartEnd = at + std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::duration<double>(std::max(0.0, seconds)));
}

} // namespace zenko::picnic
