#pragma once
// A line's state as the line table keeps it, for the colouring. -1 is a line a change made, which nothing
// has read yet. Otherwise bit 0 marks a line seen (kept as it is by withStart), bit 1 says that
// the line's colours are applied, and the bits above hold the reading state at the line's start as the
// colouring last knew it (bibtex::LineState::packed()).

namespace document::line_state {

constexpr int kMade = -1;
constexpr int kSeenBit = 1;
constexpr int kColouredBit = 2;
constexpr int kStartShift = 2;
// The largest packed reading state a block can hold.
constexpr int kLargestStart = 0x7fffffff >> kStartShift;

constexpr bool seenByIndex(int state) {
    return state >= 0 && (state & kSeenBit) != 0;
}
constexpr int seen(int state) {
    return state < 0 ? kSeenBit : state | kSeenBit;
}
constexpr bool coloured(int state) {
    return state >= 0 && (state & kColouredBit) != 0;
}
constexpr int packedStart(int state) {
    return state < 0 ? 0 : state >> kStartShift;
}
// The state of a line whose text changed: its start is still known, its colours are not.
constexpr int uncoloured(int state) {
    return state < 0 ? state : state & ~kColouredBit;
}
constexpr int withStart(int state, int packed, bool isColoured) {
    return (packed << kStartShift) | (state >= 0 ? state & kSeenBit : 0) | (isColoured ? kColouredBit : 0);
}

} // namespace document::line_state
