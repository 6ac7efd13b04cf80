#include "zenko-rotctld/RotctldCodec.h"

namespace zenko::rotctld {

namespace {

Exchange Answer(const QByteArray& reply) {
    Exchange exchange;
    exchange.reply = [reply](const Outcome&) {
        return reply;
    };
    return exchange;
}

Exchange Run(Action action, const Request& request) {
    Exchange exchange;
    exchange.command.action = action;
    exchange.reply = [request](const Outcome& outcome) {
        return FormatStatus(request, StatusNumber(outcome.status));
    };
    return exchange;
}

Exchange ExchangeFor(const Request& request, const Limits& limits) {
    switch (request.command) {
    case Command::SetPosition: {
        if (request.status != kOk) {
            return Answer(FormatStatus(request, request.status));
        }
        Exchange exchange = Run(Action::SetPosition, request);
        exchange.command.azimuth = request.azimuth;
        exchange.command.elevation = request.elevation;
        return exchange;
    }
    case Command::GetPosition: {
        Exchange exchange;
        exchange.command.action = Action::GetPosition;
        exchange.reply = [request](const Outcome& outcome) {
            return outcome.status == Outcome::Status::Done
                       ? FormatPosition(request, outcome.angles.azimuth, outcome.angles.elevation)
                       : FormatStatus(request, StatusNumber(outcome.status));
        };
        return exchange;
    }
    case Command::Stop:
        return Run(Action::Stop, request);
    case Command::Park:
        return Run(Action::Park, request);
    case Command::GetInfo:
        return Answer(FormatInfo(request, kInfo));
    case Command::DumpState:
        return Answer(FormatDumpState(request, limits));
    case Command::Quit: {
        Exchange exchange;
        exchange.command.action = Action::Quit;
        return exchange;
    }
    case Command::Unknown:
        break;
    }
    // An overlong line arrives as an unknown command already refused.
    return Answer(FormatStatus(request, request.status != kOk ? request.status : kNotAvailable));
}

} // namespace

int StatusNumber(Outcome::Status status) {
    switch (status) {
    case Outcome::Status::Done:
        return kOk;
    case Outcome::Status::Refused:
        return kInvalidParameter;
    case Outcome::Status::TimedOut:
        return kTimedOut;
    case Outcome::Status::SendFailed:
        return kInputOutputError;
    case Outcome::Status::BadReply:
        return kProtocolError;
    }
    return kProtocolError;
}

std::optional<Exchange> RotctldCodec::next() {
    while (const auto event = m_reader.next()) {
        Request request;
        if (event->overlong) {
            request.status = kInvalidParameter;
        } else if (const auto parsed = ParseLine(event->text)) {
            request = *parsed;
        } else {
            continue;
        }
        Exchange exchange = ExchangeFor(request, m_limits);
        exchange.received = event->text;
        return exchange;
    }
    return std::nullopt;
}

} // namespace zenko::rotctld
