#include "picnic-sim/FaultCommand.h"

#include <QStringList>

#include "common/CommandLineNumbers.h"
#include "picnic-sim/PicnicSimulator.h"
#include "picnic-sim/SimulatedBoard.h"

namespace zenko::picnic {

namespace {

struct FaultName {
    const char* command;
    FaultKind kind;
    bool AxisFaults::*field;
    const char* on;
    const char* off;
};

constexpr FaultName kFaultNames[] = {
    {"jam", FaultKind::Jam, &AxisFaults::jammed, "jammed", "free"},
    {"swap", FaultKind::Swap, &AxisFaults::relaysSwapped, "relays swapped", "relays as wired"},
    {"freeze", FaultKind::Freeze, &AxisFaults::readingFrozen, "reading frozen",
     "reading follows the angle"},
};

} // namespace

bool AxisFaults::*FaultField(FaultKind kind) {
    for (const FaultName& name : kFaultNames) {
        if (name.kind == kind) {
            return name.field;
        }
    }
    return &AxisFaults::jammed;
}

std::optional<Axis> ParseAxisName(const QString& text) {
    if (text == QLatin1String("az")) {
        return Axis::Azimuth;
    }
    if (text == QLatin1String("el")) {
        return Axis::Elevation;
    }
    return std::nullopt;
}

FaultCommandOutcome ParseFaultCommand(const QString& line) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) {
        return {};
    }
    const QStringList words = trimmed.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words[0] == QLatin1String("restart")) {
        const auto seconds = words.size() == 2
                                 ? tools::ParseDegrees(words[1], tools::DecimalComma::Refused)
                                 : std::nullopt;
        if (!seconds || *seconds < 0.0 || *seconds > kLongestRestartSeconds) {
            return {std::nullopt, QStringLiteral("restart expects seconds from 0 to 3600")};
        }
        FaultCommand command;
        command.action = FaultCommand::Action::Restart;
        command.seconds = *seconds;
        return {command, {}};
    }
    for (const FaultName& name : kFaultNames) {
        if (words[0] != QLatin1String(name.command)) {
            continue;
        }
        const auto axis = words.size() == 3 ? ParseAxisName(words[1]) : std::nullopt;
        const bool on = words.size() == 3 && words[2] == QLatin1String("on");
        if (!axis || (!on && words[2] != QLatin1String("off"))) {
            return {std::nullopt,
                    QLatin1String(name.command) + QStringLiteral(" expects az|el on|off")};
        }
        FaultCommand command;
        command.fault = name.kind;
        command.axis = *axis;
        command.on = on;
        return {command, {}};
    }
    return {std::nullopt,
            QStringLiteral("unknown command %1 (jam, swap, freeze, restart)").arg(words[0])};
}

void ApplyFaultCommand(PicnicSimulator& simulator, const FaultCommand& command) {
    if (command.action == FaultCommand::Action::Restart) {
        simulator.restart(command.seconds);
        return;
    }
    AxisFaults faults = simulator.faults(command.axis);
    faults.*FaultField(command.fault) = command.on;
    simulator.setFaults(command.axis, faults);
}

void ApplyFaultCommand(SimulatedBoard& board, const FaultCommand& command,
                       std::chrono::nanoseconds at) {
    if (command.action == FaultCommand::Action::Restart) {
        board.restart(at, command.seconds);
        return;
    }
    board.model().advanceTo(at);
    AxisFaults faults = board.model().faults(command.axis);
    faults.*FaultField(command.fault) = command.on;
    board.model().setFaults(command.axis, faults);
}

QString FaultChangeText(Axis axis, const AxisFaults& before, const AxisFaults& after) {
    QStringList changes;
    for (const FaultName& name : kFaultNames) {
        if (before.*name.field != after.*name.field) {
            changes << QLatin1String(after.*name.field ? name.on : name.off);
        }
    }
    return QLatin1String("picnic-sim: ") +
           QLatin1String(axis == Axis::Azimuth ? "azimuth " : "elevation ") +
           changes.join(QLatin1String(", "));
}

} // namespace zenko::picnic
