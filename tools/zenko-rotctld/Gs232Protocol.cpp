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

Exchange SetAzimuth(double azimuth, bool mechanical) {
    BridgeCommand command;
    command.action = Action::SetPosition;
    command.azimuth = azimuth;
    command.mechanicalAzimuth = mechanical;
    return Carried(command);
}

Exchange SetElevation(double elevation) {
    BridgeCommand command;
    command.action = Action::SetPosition;
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
    if (!azimuth || !elevation) {
        return Refusal();
    }
    BridgeCommand command;
    command.action = Action::SetPosition;
    command.azimuth = azimuth;
    command.elevation = elevation;
    return Carried(command);
}

Exchange ExchangeFor(Gs232Codec::Model model, const Limits& limits, QByteArrayView text) {
    const QByteArray line = TrimBlanks(text).toByteArray().toUpper();
    if (line.isEmpty()) {
        return Refusal();
    }
    const QByteArrayView arguments = TrimBlanks(QByteArrayView(line).sliced(1));
    switch (line.front()) {
    case 'W':
        return SetBoth(arguments);
    case 'M': {
        // "Maaa"; with more numbers it is the timed tracking of the interface's own memory.
        const auto azimuth = ParseUnsignedDecimal(arguments);
        return azimuth ? SetAzimuth(*azimuth, false) : Refusal();
    }
    default:
        break;
    }
    const struct {
        const char* text;
        Exchange (*make)(Gs232Codec::Model, const Limits&);
    } fixed[] = {
        {"C",
         [](Gs232Codec::Model m, const Limits&) {
             return Query(m, Axes::Azimuth);
         }},
        {"B",
         [](Gs232Codec::Model m, const Limits&) {
             return Query(m, Axes::Elevation);
         }},
        {"C2",
         [](Gs232Codec::Model m, const Limits&) {
             return Query(m, Axes::Both);
         }},
        {"S",
         [](Gs232Codec::Model, const Limits&) {
             return Stop(Axes::Both);
         }},
        {"A",
         [](Gs232Codec::Model, const Limits&) {
             return Stop(Axes::Azimuth);
         }},
        {"E",
         [](Gs232Codec::Model, const Limits&) {
             return Stop(Axes::Elevation);
         }},
        // The manual motions turn towards the end of the axis, there to stop unless stopped.
        {"R",
         [](Gs232Codec::Model, const Limits& l) {
             return SetAzimuth(l.maxAzimuth, true);
         }},
        {"L",
         [](Gs232Codec::Model, const Limits& l) {
             return SetAzimuth(l.minAzimuth, true);
         }},
        {"U",
         [](Gs232Codec::Model, const Limits& l) {
             return SetElevation(l.maxElevation);
         }},
        {"D",
         [](Gs232Codec::Model, const Limits& l) {
             return SetElevation(l.minElevation);
         }},
    };
    for (const auto& entry : fixed) {
        if (line == entry.text) {
            return entry.make(model, limits);
        }
    }
    return Refusal();
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
