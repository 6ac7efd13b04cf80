#pragma once

#include <chrono>
#include <optional>

#include <QString>

#include "picnic-sim/RotatorModel.h"

namespace zenko::picnic {

class PicnicSimulator;
class SimulatedBoard;

// The faults an axis can be given, by the names the command line and the commands use.
enum class FaultKind { Jam, Swap, Freeze };
bool AxisFaults::*FaultField(FaultKind kind);

// A restart's silence: longer than any demonstration needs, short enough to be a typing error.
inline constexpr double kLongestRestartSeconds = 3600.0;

// "az" or "el".
std::optional<Axis> ParseAxisName(const QString& text);

// One line of the commands a running simulator reads: "jam az on", "swap el off",
// "freeze az on" or "restart 8" (seconds of silence).
struct FaultCommand {
    enum class Action { Fault, Restart };
    Action action = Action::Fault;
    FaultKind fault = FaultKind::Jam;
    Axis axis = Axis::Azimuth;
    bool on = false;
    double seconds = 0.0;
};

struct FaultCommandOutcome {
    // Nothing for a blank line or a comment (from '#'), and for a refused one.
    std::optional<FaultCommand> command;
    // Why the line is refused; empty when it is not.
    QString refusal;
};
FaultCommandOutcome ParseFaultCommand(const QString& line);

void ApplyFaultCommand(PicnicSimulator& simulator, const FaultCommand& command);
// The same on a board in virtual time, at `at`.
void ApplyFaultCommand(SimulatedBoard& board, const FaultCommand& command,
                       std::chrono::nanoseconds at);

// What the simulator prints when a fault changes: "picnic-sim: azimuth jammed", "... free".
QString FaultChangeText(Axis axis, const AxisFaults& before, const AxisFaults& after);

} // namespace zenko::picnic
