#include "zenko-rotctld/Gs232Protocol.h"

#include <cstdio>

namespace zenko::rotctld {

namespace {

// Three characters hold the angles a rotator reports; beyond them the number would widen the
// reply that clients read by position.
constexpr long kLowest = -99;
constexpr long kHighest = 999;

QByteArray ThreeDigits(double degrees) {
    char text[8];
    std::snprintf(text, sizeof text, "%03ld", RoundDegrees(degrees, kLowest, kHighest));
    return text;
}

Exchange Refusal() {
    Exchange exchange;
    exchange.reply = [](const Outcome&) {
        return QByteArray(kGs232Refusal);
    };
    return exchange;
}

Exchange Carried(const BridgeCommand& command) {
    Exchange exchange;
    exchange.command = command;
    exchange.reply = [](const Outcome& outcome) {
        return outcome.status == Outcome::Status::Refused ? QByteArray(kGs232Refusal)
                                                          : QByteArray();
    };
    return exchange;
}

Exchange Query(Gs232Codec::Model model, Axes axes) {
    Exchange exchange;
    exchange.command.action = Action::GetPosition;
    exchange.reply = [model, axes](const Outcome& outcome) {
        // A controller that does not answer leaves the client to its own time-out, as a silent
        // serial line would.
        return outcome.status == Outcome::Status::Done
                   ? FormatGs232Position(model, axes, outcome.angles)
                   : QByteArray();
    };
    return exchange;
}

Exchange Stop(Axes axes) {
    BridgeCommand command;
    command.action = Action::Stop;
    command.axes = axes;
    return Carried(command);
}

Exchange Target(std::optional<double> azimuth, std::optional<double> elevation) {
    BridgeCommand command;
    command.action = Action::SetPosition;
    command.azimuth = azimuth;
    command.elevation = elevation;
    return Carried(command);
}

// "Waaa eee": the two numbers after the letter, blanks between them.
Exchange SetBoth(QByteArrayView arguments) {
    const qsizetype blank = arguments.indexOf(' ');
    if (blank < 0) {
        return Refusal();
    }
    const auto azimuth = ParseUnsignedDecimal(TrimBlanks(arguments.first(blank)));
    const auto elevation = ParseUnsignedDecimal(TrimBlanks(arguments.sliced(blank)));
    return azimuth && elevation ? Target(azimuth, elevation) : Refusal();
}

Exchange ExchangeFor(Gs232Codec::Model model, const Limits& limits, QByteArrayView text) {
    const QByteArray line = TrimBlanks(text).toByteArray().toUpper();
    if (line.isEmpty()) {
        return Refusal();
    }
    const char letter = line.front();
    const QByteArrayView arguments = TrimBlanks(QByteArrayView(line).sliced(1));
    if (letter == 'W') {
        return SetBoth(arguments);
    }
    if (letter == 'M') {
        // "Maaa"; with more numbers it is the timed tracking of the interface's own memory.
        const auto azimuth = ParseUnsignedDecimal(arguments);
        return azimuth ? Target(azimuth, std::nullopt) : Refusal();
    }
    if (line == "C2") {
        return Query(model, Axes::Both);
    }
    if (line.size() > 1) {
        return Refusal();
    }
    switch (letter) {
    case 'C':
        return Query(model, Axes::Azimuth);
    case 'B':
        return Query(model, Axes::Elevation);
    case 'S':
        return Stop(Axes::Both);
    case 'A':
        return Stop(Axes::Azimuth);
    case 'E':
        return Stop(Axes::Elevation);
    case 'R':
    case 'L':
    case 'U':
    case 'D':
        return Carried(TowardsLimit(letter, limits));
    default:
        return Refusal();
    }
}

} // namespace

QByteArray FormatGs232Position(Gs232Codec::Model model, Axes axes, const Angles& angles) {
    const bool a = model == Gs232Codec::Model::A;
    QByteArray reply;
    if (axes != Axes::Elevation) {
        reply += (a ? "+0" : "AZ=") + ThreeDigits(angles.azimuth);
    }
    if (axes == Axes::Both && !a) {
        reply += "  ";
    }
    if (axes != Axes::Azimuth) {
        reply += (a ? "+0" : "EL=") + ThreeDigits(angles.elevation);
    }
    return reply + "\r\n";
}

std::optional<Exchange> Gs232Codec::next() {
    while (const auto line = m_lines.next()) {
        // An empty line is the stray carriage return that some clients send after a command.
        if (!line->overlong && TrimBlanks(line->text).isEmpty()) {
            continue;
        }
        Exchange exchange = line->overlong ? Refusal() : ExchangeFor(m_model, m_limits, line->text);
        exchange.received = line->text;
        return exchange;
    }
    return std::nullopt;
}

} // namespace zenko::rotctld
