#pragma once
// Where a window that works beside the main window goes at its first showing: beside it where the screen
// has room, else below it, so that the line a jump selects in the editor stays in sight. Rectangles are
// outer ones (frames included), in the coordinates of the screen's free area.
#include <QRect>
#include <QSize>

namespace ui {

// The place of a window of `wanted` outer size beside `main` on `screen`. To the right of main (where
// `wanted` fits there), else to its left (where it fits there), else on the side with more room, as long
// as that room is at least `least` wide: no wider than the room, its top at main's top. Else below main,
// its left at main's left, where the room is at least `least` high: no higher than the room. Else at the
// bottom of the screen over main's lower part. Always within `screen`, `gap` pixels from main.
QRect placeBeside(const QRect& screen, const QRect& main, QSize wanted, QSize least, int gap);

} // namespace ui
