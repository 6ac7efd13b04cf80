#include "zenko-rotctld/EasycommProtocol.h"

#include <vector>

namespace zenko::rotctld {

namespace {

enum class Group { Set, Stop, Query, Single };

struct Pending {
    Group group = Group::Single;
    BridgeCommand command;
    bool azimuth = false;
    bool elevation = false;
    // The angles asked for, 'A' and 'E', in their order.
    QByteArray order;
};

} // namespace

QByteArray FormatEasycommAngles(QByteArrayView order, const Angles& angles, QByteArrayView end) {
    QByteArray reply;
    for (const char axis : order) {
        if (!reply.isEmpty()) {
            reply += ' ';
        }
        reply += axis == 'A' ? "AZ" + FormatFixed(angles.azimuth, 1)
                             : "EL" + FormatFixed(angles.elevation, 1);
    }
    return reply + end.toByteArray();
}

std::optional<Exchange> EasycommCodec::next() {
    while (m_ready.empty()) {
        const auto line = m_lines.next();
        if (!line) {
            return std::nullopt;
        }
        if (!line->overlong) {
            readLine(*line);
        }
    }
    Exchange exchange = std::move(m_ready.front());
    m_ready.pop_front();
    return exchange;
}

void EasycommCodec::readLine(const LineReader::Line& line) {
    std::vector<Pending> pending;
    // Where each group of the line stands in `pending`, once it has begun.
    const auto joined = [&pending](Group group) -> Pending& {
        for (Pending& entry : pending) {
            if (entry.group == group) {
                return entry;
            }
        }
        pending.push_back(Pending{group, {}, false, false, {}});
        return pending.back();
    };
    for (const QByteArrayView word : SplitWords(line.text, " \t")) {
        const QByteArray upper = word.toByteArray().toUpper();
        if (upper == "PARK") {
            Pending park;
            park.command.action = Action::Park;
            pending.push_back(park);
            continue;
        }
        if (upper.size() < 2) {
            continue;
        }
        const QByteArray name = upper.left(2);
        const QByteArrayView value = QByteArrayView(upper).sliced(2);
        const bool axisName = name == "AZ" || name == "EL";
        if (axisName && value.isEmpty()) {
            Pending& query = joined(Group::Query);
            const char axis = name == "AZ" ? 'A' : 'E';
            if (!query.order.contains(axis)) {
                query.order += axis;
            }
        } else if (axisName) {
            const auto degrees = ParseSignedDecimal(value);
            if (!degrees) {
                continue;
            }
            Pending& set = joined(Group::Set);
            (name == "AZ" ? set.command.azimuth : set.command.elevation) = *degrees;
        } else if (name == "SA" || name == "SE") {
            Pending& stop = joined(Group::Stop);
            (name == "SA" ? stop.azimuth : stop.elevation) = true;
        } else if (name[0] == 'M' && QByteArrayView("LRUD").contains(name[1]) && value.isEmpty()) {
            Pending motion;
            motion.command = TowardsLimit(name[1], m_limits);
            pending.push_back(motion);
        }
        // Every other command of the protocol (frequencies, modes, inputs, outputs, time)
        // concerns no rotator and is let pass.
    }
    for (Pending& entry : pending) {
        Exchange exchange;
        exchange.received = line.text;
        exchange.command = entry.command;
        switch (entry.group) {
        case Group::Set:
            exchange.command.action = Action::SetPosition;
            break;
        case Group::Stop:
            exchange.command.action = Action::Stop;
            exchange.command.axes = entry.azimuth && entry.elevation ? Axes::Both
                                    : entry.azimuth                  ? Axes::Azimuth
                                                                     : Axes::Elevation;
            break;
        case Group::Query:
            exchange.command.action = Action::GetPosition;
            exchange.reply = [order = entry.order, end = line.end](const Outcome& outcome) {
                return outcome.status == Outcome::Status::Done
                           ? FormatEasycommAngles(order, outcome.angles, *end)
                           : QByteArray();
            };
            break;
        case Group::Single:
            break;
        }
        m_ready.push_back(std::move(exchange));
    }
}

} // namespace zenko::rotctld
