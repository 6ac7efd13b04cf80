#include "zenko-rotctld/Rot2ProgProtocol.h"

#include <algorithm>
#include <cmath>

namespace zenko::rotctld {

namespace {

constexpr char kStart = 'W';
constexpr char kEnd = ' ';
constexpr char kStop = 0x0F;
constexpr char kStatus = 0x1F;
constexpr char kSet = 0x2F;
// The frames count from 360 degrees below zero.
constexpr double kOffset = 360;

// Four ASCII digits at `at`, in pulses.
std::optional<int> Pulses(QByteArrayView frame, qsizetype at) {
    int pulses = 0;
    for (const char digit : frame.sliced(at, 4)) {
        if (digit < '0' || digit > '9') {
            return std::nullopt;
        }
        pulses = pulses * 10 + (digit - '0');
    }
    return pulses;
}

QByteArray Digits(double degrees) {
    const long tenths = std::lround(std::clamp((degrees + kOffset) * 10, 0.0, 9999.0));
    const char digits[] = {char(tenths / 1000), char(tenths / 100 % 10), char(tenths / 10 % 10),
                           char(tenths % 10)};
    return QByteArray(digits, sizeof digits);
}

std::optional<Exchange> ExchangeFor(QByteArrayView frame) {
    Exchange exchange;
    exchange.received = frame.toByteArray();
    const auto status = [](const Outcome& outcome) {
        return outcome.status == Outcome::Status::Done ? FormatRot2ProgStatus(outcome.angles)
                                                       : QByteArray();
    };
    switch (frame[11]) {
    case kStatus:
        exchange.command.action = Action::GetPosition;
        exchange.reply = status;
        return exchange;
    case kStop:
        exchange.command.action = Action::Stop;
        exchange.reply = status;
        return exchange;
    case kSet: {
        const auto azimuth = Pulses(frame, 1);
        const auto elevation = Pulses(frame, 6);
        const int azimuthResolution = static_cast<unsigned char>(frame[5]);
        const int elevationResolution = static_cast<unsigned char>(frame[10]);
        if (!azimuth || !elevation || azimuthResolution == 0 || elevationResolution == 0) {
            return std::nullopt;
        }
        exchange.command.action = Action::SetPosition;
        exchange.command.azimuth = double(*azimuth) / azimuthResolution - kOffset;
        exchange.command.elevation = double(*elevation) / elevationResolution - kOffset;
        return exchange;
    }
    default:
        return std::nullopt;
    }
}

} // namespace

QByteArray FormatRot2ProgStatus(const Angles& angles) {
    return kStart + Digits(angles.azimuth) + kRot2ProgResolution + Digits(angles.elevation) +
           kRot2ProgResolution + kEnd;
}

std::optional<Exchange> Rot2ProgCodec::next() {
    while (m_buffer.size() >= kRot2ProgFrame) {
        if (m_buffer[0] != kStart || m_buffer[kRot2ProgFrame - 1] != kEnd) {
            m_buffer.remove(0, 1);
            continue;
        }
        const QByteArray frame = m_buffer.left(kRot2ProgFrame);
        m_buffer.remove(0, kRot2ProgFrame);
        if (auto exchange = ExchangeFor(frame)) {
            return exchange;
        }
    }
    return std::nullopt;
}

} // namespace zenko::rotctld
