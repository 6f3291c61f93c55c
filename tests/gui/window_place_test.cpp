// Where a window that works beside the main window goes at its first showing: the side with room, then
// below, then over the main window's lower part; never off the screen.
#include "ui/window_place.h"

#include <gtest/gtest.h>

namespace {

enum class Side { Right, Left, Below, Over };

const char* nameOf(Side side) {
    static const char* const names[] = {"right", "left", "below", "over"};
    return names[int(side)];
}

TEST(WindowPlace, BesideWhereTheScreenHasRoomElseBelowElseOverTheMainWindowsLowerPart) {
    constexpr int kGap = 8;
    const QSize wanted(720, 400), least(360, 160);
    const struct {
        const char* what;
        QRect screen, main;
        Side side;
        bool narrowed; // no wider (higher) than the room, which is less than wanted
    } rows[] = {
        {"wide screen, main centred", {0, 0, 1920, 1050}, {655, 318, 610, 414}, Side::Right, true},
        {"wider screen", {0, 0, 2560, 1400}, {975, 493, 610, 414}, Side::Right, false},
        {"main at the right edge", {0, 0, 1920, 1050}, {1300, 100, 610, 414}, Side::Left, false},
        {"room on both sides, less than wanted", {0, 0, 1366, 740}, {378, 163, 610, 414}, Side::Right, true},
        {"more room on the left", {0, 0, 1366, 740}, {600, 100, 610, 414}, Side::Left, true},
        {"too narrow beside, room below", {0, 0, 1280, 1000}, {335, 100, 610, 414}, Side::Below, false},
        {"little room below", {0, 0, 1280, 800}, {335, 193, 610, 414}, Side::Below, true},
        {"maximised", {0, 0, 1280, 800}, {0, 0, 1280, 800}, Side::Over, false},
        {"a screen not at the origin", {1920, 24, 1920, 1056}, {2575, 342, 610, 414}, Side::Right, true},
        {"main hanging off the screen's left", {0, 0, 1280, 1000}, {-300, 100, 610, 414}, Side::Right, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const QRect at = ui::placeBeside(row.screen, row.main, wanted, least, kGap);
        EXPECT_TRUE(row.screen.contains(at))
            << at.x() << "," << at.y() << " " << at.width() << "x" << at.height();
        EXPECT_GE(at.width(), least.width());
        EXPECT_GE(at.height(), least.height());
        Side side = Side::Over;
        if (at.left() == row.main.right() + 1 + kGap)
            side = Side::Right;
        else if (at.right() + 1 + kGap == row.main.left())
            side = Side::Left;
        else if (at.top() == row.main.bottom() + 1 + kGap)
            side = Side::Below;
        EXPECT_EQ(nameOf(side), std::string(nameOf(row.side)));
        if (side == Side::Over) {
            // As low as the screen goes, so that the main window's upper part stays in sight.
            EXPECT_EQ(at.bottom(), row.screen.bottom());
            continue;
        }
        EXPECT_FALSE(at.intersects(row.main));
        if (side == Side::Below) {
            EXPECT_EQ(at.left(), std::max(row.main.left(), row.screen.left()));
            EXPECT_EQ(at.height() < wanted.height(), row.narrowed);
        } else {
            EXPECT_EQ(at.top(), row.main.top());
            EXPECT_EQ(at.width() < wanted.width(), row.narrowed);
        }
    }
}

} // namespace
