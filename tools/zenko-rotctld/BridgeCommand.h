#pragma once

#include <functional>
#include <optional>

#include <QByteArray>

#include "zenko-rotctld/RotctldProtocol.h"

// What a client asks of the controller and what it is told, in the same terms whatever protocol
// it speaks: each protocol's codec turns its bytes into these and formats its replies from them.
namespace zenko::rotctld {

enum class Action { None, SetPosition, GetPosition, Stop, Park, Quit };

enum class Axes { Both, Azimuth, Elevation };

struct BridgeCommand {
    Action action = Action::None;
    // SetPosition: the targets it sets, at least one of them.
    std::optional<double> azimuth;
    std::optional<double> elevation;
    // SetPosition: the azimuth is a position of the mechanics, such as a limit, that goes as it
    // is rather than as the equivalent in the overlap nearest to the antenna.
    bool mechanicalAzimuth = false;
    // Stop: the axes that stop; the others go on to their targets.
    Axes axes = Axes::Both;
};

struct Outcome {
    enum class Status {
        Done,
        // Outside the limits: nothing was sent.
        Refused,
        TimedOut,
        SendFailed,
        // The controller's reply did not carry two finite angles.
        BadReply,
    };
    Status status = Status::Done;
    // GetPosition and Stop, when done: where the controller last measured the antenna.
    Angles angles;
};

// One command of a client and how it is answered.
struct Exchange {
    BridgeCommand command;
    // The bytes the client gets once the command has run; without a function, or when it gives
    // nothing, the client gets no reply.
    std::function<QByteArray(const Outcome&)> reply;
    // The command as it came, for the journal.
    QByteArray received;
};

} // namespace zenko::rotctld
