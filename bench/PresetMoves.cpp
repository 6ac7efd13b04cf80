#include "PresetMoves.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QString>

#include "BenchSupport.h"

namespace zenko::bench {

namespace {

constexpr std::array<PresetMove, 4> kMoves{{
    {"az 10", 60, 70, 30, 30},
    {"az 90", 60, 150, 30, 30},
    {"az 270", 60, 330, 30, 30},
    {"el 45", 60, 60, 10, 55},
}};

QString Cell(const QString& text, int width) {
    return text.leftJustified(width);
}

MoveFigures EvaluateMove(const MoveRecord& record, double from, double target) {
    MoveFigures figures;
    figures.relayChanges = record.movingAxisChanges;
    figures.otherAxisChanges = record.otherAxisChanges;
    if (record.samples.empty()) {
        return figures;
    }
    const double direction = target > from ? 1.0 : -1.0;
    double lastOutside = -1.0;
    for (const MoveRecord::Sample& sample : record.samples) {
        figures.overshoot = std::max(figures.overshoot, (sample.angle - target) * direction);
        if (std::fabs(sample.angle - target) > kSettledWithin) {
            lastOutside = sample.seconds;
        }
    }
    figures.finalError = std::fabs(record.samples.back().angle - target);
    if (figures.finalError <= kSettledWithin) {
        figures.settleSeconds = std::max(0.0, lastOutside);
    }
    return figures;
}

} // namespace

std::span<const PresetMove> PresetMoves() {
    return kMoves;
}

std::optional<MoveTable> MeasureMoves(const MoveRun& run) {
    MoveTable table;
    for (const bool tracking : {false, true}) {
        for (const PresetMove& move : PresetMoves()) {
            const std::optional<MoveRecord> record = run(move, tracking);
            if (!record) {
                return std::nullopt;
            }
            (tracking ? table.tracking : table.designed)
                .push_back(EvaluateMove(*record, move.from(), move.to()));
        }
    }
    return table;
}

void PrintMoveTable(const MoveTable& table) {
    PrintLine(QStringLiteral("  move    law       final error  overshoot  settled within 1 deg"
                             "  relay changes (other axis)"));
    const std::span<const PresetMove> moves = PresetMoves();
    for (std::size_t i = 0; i < moves.size(); ++i) {
        for (const auto& [law, figures] :
             {std::pair{"designed", table.designed[i]}, std::pair{"tracking", table.tracking[i]}}) {
            const QString settle = figures.settleSeconds
                                       ? Fixed(*figures.settleSeconds, 1) + QStringLiteral(" s")
                                       : QStringLiteral("never");
            PrintLine(QStringLiteral("  ") + Cell(QString::fromLatin1(moves[i].name), 8) +
                      Cell(QString::fromLatin1(law), 10) +
                      Cell(Fixed(figures.finalError, 2) + QStringLiteral(" deg"), 13) +
                      Cell(Fixed(figures.overshoot, 2) + QStringLiteral(" deg"), 11) +
                      Cell(settle, 22) + QString::number(figures.relayChanges) +
                      QStringLiteral(" (") + QString::number(figures.otherAxisChanges) +
                      QLatin1Char(')'));
        }
    }
}

} // namespace zenko::bench
