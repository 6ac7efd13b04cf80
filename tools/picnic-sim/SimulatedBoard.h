#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include <QByteArray>

#include "picnic-sim/RotatorModel.h"

// What the board does with each datagram, apart from the network: the simulator serves it on a
// socket in real time, and the benchmarks run it in virtual time against the controller's rules.
namespace zenko::picnic {

// The state of the antenna right after a command was handled.
struct ModelSnapshot {
    double azimuth = 0.0;
    double elevation = 0.0;
    std::uint8_t relays = 0;
};

// What an ADC request was answered with.
struct AdcAnswer {
    Axis axis = Axis::Azimuth;
    int count = 0;
    double volts = 0.0;
};

// Why a datagram did nothing, when it did nothing.
enum class CommandIgnored { No, Restarting, IoDirectionsUnset };

struct BoardResponse {
    // For an ADC request that was answered; empty when silent or for an unknown channel.
    std::optional<AdcAnswer> answer;
    // What goes back to the request's source; empty when nothing does.
    QByteArray reply;
    CommandIgnored ignored = CommandIgnored::No;
    ModelSnapshot after;
};

class SimulatedBoard {
public:
    // The rotator stands at `start`; both axes answer ADC requests or neither.
    SimulatedBoard(const RotatorParameters& parameters, std::chrono::nanoseconds start,
                   bool answerAdc);

    // The model is advanced to `at` before the datagram acts.
    BoardResponse handle(const QByteArray& bytes, std::chrono::nanoseconds at);

    RotatorModel& model() { return m_model; }
    const RotatorModel& model() const { return m_model; }

    // An axis that does not answer lets its requests go unanswered, as a board whose input has
    // failed would, while the other goes on.
    bool answerAdc(Axis axis) const { return m_answerAdc[AxisIndex(axis)]; }
    void setAnswerAdc(Axis axis, bool answer) { m_answerAdc[AxisIndex(axis)] = answer; }

    // The board loses power at `at`: its relays drop at once, it ignores every datagram for
    // `seconds`, and then answers ADC requests with its I/O directions forgotten, so that a
    // relay does nothing until the I/O-direction command of its bit comes again. Restarting
    // while restarting starts the silence anew.
    void restart(std::chrono::nanoseconds at, double seconds);
    bool restarting(std::chrono::nanoseconds at) const { return at < m_restartEnd; }
    std::chrono::nanoseconds restartEnd() const { return m_restartEnd; }

private:
    RotatorModel m_model;
    // Azimuth, elevation.
    std::array<bool, 2> m_answerAdc;
    std::chrono::nanoseconds m_restartEnd{std::chrono::nanoseconds::min()};
    // The relay bits whose I/O direction is set; all four when the board is made.
    std::uint8_t m_outputBits;
};

} // namespace zenko::picnic
