#pragma once
// Where a jump leaves the editor's view (a finding, the next or previous entry head, a match of 次を検索):
// a caret that is well in view stays where it is on the screen; otherwise its row comes about a third from
// the top, so that what follows it (the rest of its entry) shows below it rather than under the bottom edge.
#include <QtGlobal>

namespace view {
class TextView;
}

namespace app {

// Selects from `anchor` to `caret` in the view and scrolls as said. "Well in view": on the screen before
// the jump, above its lowest quarter. The caret's row counts (a wrapped line shows as several rows).
void showFound(view::TextView& view, qsizetype anchor, qsizetype caret);

// The part of the screen from the top at which a jump that scrolls puts the caret's row.
constexpr int kFoundRowFraction = 3;

} // namespace app
