#pragma once

#include <functional>
#include <optional>
#include <span>
#include <vector>

// Moves from rest to rest, as an operator's new preset or a scheduler's new target asks for
// them, for weighing the two drive laws against each other where a satellite pass does not
// tell: how far off an axis comes to rest, how far it runs past its target, how long it takes
// to stay within a degree, and how often its relays switch.
namespace zenko::bench {

struct PresetMove {
    const char* name;
    // Whole degrees, as the Local set values hold them; the axis that does not move stands on
    // its target from the start.
    int azimuthFrom, azimuthTo;
    int elevationFrom, elevationTo;
    bool movesAzimuth() const { return azimuthFrom != azimuthTo; }
    // The moving axis's start and target.
    int from() const { return movesAzimuth() ? azimuthFrom : elevationFrom; }
    int to() const { return movesAzimuth() ? azimuthTo : elevationTo; }
};

// Slews of 10, 90 and 270 degrees of azimuth and one of 45 degrees of elevation. The azimuth's
// potentiometer must span the 270 degrees: see kPresetAzimuthSpan.
std::span<const PresetMove> PresetMoves();

// Degrees of azimuth over 0..4.5 V for these moves, the model's line and the controller's
// calibration alike (the demo's).
inline constexpr double kPresetAzimuthSpan = 450.0;
// Within this of its target the axis counts as there: both laws' dead band.
inline constexpr double kSettledWithin = 1.0;

// What a run saw of the moving axis after the new target: its true angle at times counted from
// the target, and the relay state changes of both axes.
struct MoveRecord {
    struct Sample {
        double seconds;
        double angle;
    };
    std::vector<Sample> samples;
    int movingAxisChanges = 0;
    int otherAxisChanges = 0;
};

struct MoveFigures {
    // |angle - target| at the last sample.
    double finalError = 0;
    // How far the axis ran past its target, in the direction of the move; 0 if never.
    double overshoot = 0;
    // From the target to the last time the axis was more than kSettledWithin off; nullopt when
    // it ended outside.
    std::optional<double> settleSeconds;
    int relayChanges = 0;
    int otherAxisChanges = 0;
};

// Every move's figures in the order of PresetMoves(), under each law.
struct MoveTable {
    std::vector<MoveFigures> designed;
    std::vector<MoveFigures> tracking;
};

// Every move under the designed law and then under the tracking drive, each recorded by `run`;
// nothing as soon as a run could not be made.
using MoveRun = std::function<std::optional<MoveRecord>(const PresetMove& move, bool tracking)>;
std::optional<MoveTable> MeasureMoves(const MoveRun& run);

// The table of both laws, one row per move and law, on standard output.
void PrintMoveTable(const MoveTable& table);

} // namespace zenko::bench
