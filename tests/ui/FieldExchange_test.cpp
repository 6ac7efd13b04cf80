#include <gtest/gtest.h>

#include "ui/DialogBuilder.h"
#include "ui/FieldExchange.h"

using namespace zenko::ui;

TEST(MatchingComboEntry, SelectsOnlyAnEqualEntry) {
    const QStringList entries{QStringLiteral("127.0.0.12"), QStringLiteral("127.0.0.13"),
                              QStringLiteral("Board-A")};
    const struct {
        const char* held;
        int index;
    } cases[] = {
        {"127.0.0.12", 0},
        {"127.0.0.13", 1},
        {"board-a", 2},
        {"BOARD-A", 2},
        // A beginning of an entry is not that entry.
        {"127.0.0.1", -1},
        {"127.0.0.", -1},
        {"", -1},
        {"127.0.0.123", -1},
        {" 127.0.0.12", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.held);
        EXPECT_EQ(MatchingComboEntry(entries, QString::fromUtf8(c.held)), c.index);
    }
    EXPECT_EQ(MatchingComboEntry({}, QStringLiteral("x")), -1);
}

TEST(DialogUnits, ConvertsWithTheFontBaseUnits) {
    // A 9-point dialog font at 96 dpi: base units 7 x 13 pixels.
    const DialogUnits units(7, 13);
    EXPECT_EQ(units.toPixelsX(4), 7);
    EXPECT_EQ(units.toPixelsY(8), 13);
    EXPECT_EQ(units.toPixelsX(426), 746);
    EXPECT_EQ(units.toPixelsY(267), 434);
    // Adjacent controls share their edge whatever the rounding.
    const QRect left = units.toPixels(102, 175, 42, 12);
    const QRect right = units.toPixels(144, 175, 10, 12);
    EXPECT_EQ(left.right() + 1, right.left());
    EXPECT_EQ(left.height(), units.toPixelsY(187) - units.toPixelsY(175));
}
