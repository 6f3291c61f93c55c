#include "ui/window_place.h"

#include <algorithm>

namespace ui {

namespace {

// `r` moved into `screen`, as far as it fits; a side larger than the screen is cut to it.
QRect within(const QRect& screen, QRect r) {
    r.setSize(r.size().boundedTo(screen.size()));
    r.moveLeft(std::clamp(r.left(), screen.left(), screen.right() + 1 - r.width()));
    r.moveTop(std::clamp(r.top(), screen.top(), screen.bottom() + 1 - r.height()));
    return r;
}

} // namespace

QRect placeBeside(const QRect& screen, const QRect& main, QSize wanted, QSize least, int gap) {
    const QSize size = wanted.boundedTo(screen.size());
    const int right = screen.right() - main.right() - gap; // the room on each side
    const int left = main.left() - gap - screen.left();
    if (std::max(right, left) >= least.width()) {
        const bool toRight = right >= size.width() || (left < size.width() && right >= left);
        const int width = std::min(size.width(), toRight ? right : left);
        const int x = toRight ? main.right() + 1 + gap : main.left() - gap - width;
        return within(screen, QRect(x, main.top(), width, size.height()));
    }
    const int below = screen.bottom() - main.bottom() - gap;
    if (below >= least.height())
        return within(screen, QRect(main.left(), main.bottom() + 1 + gap, size.width(),
                                    std::min(size.height(), below)));
    return within(screen,
                  QRect(main.left(), screen.bottom() + 1 - size.height(), size.width(), size.height()));
}

} // namespace ui
