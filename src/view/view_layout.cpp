#include "view/view_layout.h"

#include "text/caret_stops.h"

#include <QFontMetricsF>
#include <QTextLine>

#include <algorithm>
#include <cmath>

namespace view {

namespace {

// A piece shorter than half its length is not cut off the end of a line: the line's last piece takes it.
constexpr qsizetype kLastPieceSlack = ViewLayout::kPieceLength / 2;
// How far past its nominal end a piece looks for a blank to end after.
constexpr qsizetype kCutReach = ViewLayout::kPieceLength / 4;

} // namespace

LineWindow lineWindow(const document::TextStore& store, qsizetype line, qsizetype column) {
    const qsizetype length = store.lineLength(line);
    const qsizetype from = std::max<qsizetype>(0, column - text::kReach);
    const qsizetype to = std::min(length, column + text::kReach);
    return {store.mid(store.lineStart(line) + from, to - from), from};
}

qsizetype caretStop(const document::TextStore& store, qsizetype position,
                    qsizetype (*rule)(QStringView line, qsizetype column)) {
    const qsizetype line = store.lineAt(position);
    const qsizetype start = store.lineStart(line);
    const LineWindow w = lineWindow(store, line, position - start);
    return start + w.from + rule(w.text, position - start - w.from);
}

std::pair<qsizetype, qsizetype> wordAt(const document::TextStore& store, qsizetype position) {
    const qsizetype line = store.lineAt(position);
    const qsizetype start = store.lineStart(line);
    const LineWindow w = lineWindow(store, line, position - start);
    const auto [a, b] = text::wordAround(w.text, position - start - w.from);
    return {start + w.from + a, start + w.from + b};
}

ViewLayout::ViewLayout(document::TextStore* store) : store_(store) {
    setFont(QFont());
}

void ViewLayout::setStore(document::TextStore* store) {
    store_ = store;
    lines_.clear();
}

void ViewLayout::setFont(const QFont& font) {
    font_ = font;
    // The height of a row of this font as QTextLine gives it, leading included.
    QTextLayout probe(QStringLiteral("x"), font_);
    probe.beginLayout();
    QTextLine line = probe.createLine();
    line.setLeadingIncluded(true);
    probe.endLayout();
    rowHeight_ = line.height() + (line.leading() < 0 ? std::ceil(line.leading()) : 0);
    averageWidth_ = std::max<qreal>(1, QFontMetricsF(font_).averageCharWidth());
    lines_.clear();
}

void ViewLayout::setWidth(int width) {
    if (width == width_) return;
    width_ = width;
    lines_.clear();
}

void ViewLayout::setWrapMode(QTextOption::WrapMode mode) {
    if (mode == wrapMode_) return;
    wrapMode_ = mode;
    lines_.clear();
}

void ViewLayout::setStyler(LineStyler* styler) {
    styler_ = styler;
    lines_.clear();
}

void ViewLayout::setPreedit(const Preedit& preedit) {
    // The line that shows the composition now, and the one that showed it before, are laid out afresh.
    if (store_ && preedit_.position >= 0 && preedit_.position <= store_->size())
        lines_.erase(store_->lineAt(preedit_.position));
    preedit_ = preedit;
    if (store_ && preedit_.position >= 0 && preedit_.position <= store_->size())
        lines_.erase(store_->lineAt(preedit_.position));
}

int ViewLayout::estimatedRows(qsizetype length) const {
    const qreal available = width_ - 2 * kMargin;
    if (available <= 0) return 1;
    return std::max(1, int(std::ceil(qreal(length) * averageWidth_ / available)));
}

qsizetype ViewLayout::cutNear(qsizetype line, qsizetype nominal) const {
    // Characters are read one by one: the store's gap stays where the typing is.
    const qsizetype start = store_->lineStart(line);
    const qsizetype length = store_->lineLength(line);
    auto at = [&](qsizetype i) { return QChar(store_->at(start + i)); };
    // After a blank where the text wraps between words, so that the piece ends where a row may end anyway.
    if (wrapMode_ != QTextOption::WrapAnywhere) {
        const qsizetype reach = std::min(length, nominal + kCutReach);
        for (qsizetype i = nominal; i < reach; ++i)
            if (at(i - 1).isSpace() && !at(i).isSpace()) return i;
    }
    // Else between two graphemes (near enough: never inside a surrogate pair or before a combining mark).
    qsizetype i = nominal;
    while (i < length && (at(i).isLowSurrogate() || at(i).isMark()))
        ++i;
    return i;
}

std::vector<ViewLayout::Piece> ViewLayout::cut(qsizetype line, qsizetype from) const {
    const qsizetype length = store_->lineLength(line);
    std::vector<Piece> pieces;
    qsizetype start = from;
    do {
        const qsizetype end =
            length - start <= kPieceLength + kLastPieceSlack ? length : cutNear(line, start + kPieceLength);
        Piece p;
        p.start = start;
        p.length = end - start;
        p.rows = estimatedRows(p.length);
        p.height = p.rows * rowHeight_;
        pieces.push_back(std::move(p));
        start = end;
    } while (start < length);
    return pieces;
}

void ViewLayout::countRows(qsizetype line, Line& l) {
    l.rows = 0;
    l.height = 0;
    for (const Piece& p : l.pieces) {
        l.rows += p.rows;
        l.height += p.height;
    }
    store_->lines().setRows(line, l.rows);
}

ViewLayout::Line& ViewLayout::line(qsizetype line) {
    if (const auto it = lines_.find(line); it != lines_.end()) return it->second;
    Line& l = lines_[line];
    l.pieces = cut(line, 0);
    if (l.pieces.size() == 1) layOut(line, l, l.pieces.front());
    countRows(line, l);
    return l;
}

ViewLayout::Piece& ViewLayout::laidPiece(qsizetype line, int k) {
    Line& l = this->line(line);
    Piece& p = l.pieces[size_t(k)];
    if (!p.layout) {
        layOut(line, l, p);
        countRows(line, l);
    }
    return p;
}

void ViewLayout::layOut(qsizetype line, Line& l, Piece& p) {
    const int k = int(&p - l.pieces.data());
    const qsizetype lineStart = store_->lineStart(line);
    const qsizetype lineLength = store_->lineLength(line);
    p.layout = std::make_unique<QTextLayout>(store_->mid(lineStart + p.start, p.length), font_);
    p.layout->setCacheEnabled(true);
    QTextOption option;
    option.setWrapMode(wrapMode_);
    p.layout->setTextOption(option);
    QList<QTextLayout::FormatRange> formats;
    const qsizetype column = preedit_.position - lineStart;
    if (!preedit_.isEmpty() && preedit_.position >= lineStart && column <= lineLength &&
        pieceOf(l, column) == k) {
        // The composition shows in the input method's formats alone; the line is coloured once it is
        // committed.
        p.layout->setPreeditArea(int(column - p.start), preedit_.text);
        for (QTextLayout::FormatRange f : preedit_.formats) {
            f.start += int(column - p.start);
            formats.append(f);
        }
    } else if (styler_) {
        // (The styler reads the whole line: its view moves the store's gap out of the line.)
        for (QTextLayout::FormatRange f : styler_->formatsOf(line, store_->line(line), p.start, p.length)) {
            const qsizetype from = std::max<qsizetype>(f.start, p.start);
            const qsizetype to = std::min<qsizetype>(qsizetype(f.start) + f.length, p.start + p.length);
            if (from >= to) continue;
            f.start = int(from - p.start);
            f.length = int(to - from);
            formats.append(f);
        }
    }
    p.layout->setFormats(formats);
    // As the editor has always laid a line out: leading included, kMargin from the left edge.
    const qreal available = width_ > 2 * kMargin ? qreal(width_ - 2 * kMargin) : qreal(INT_MAX);
    qreal height = 0;
    int rows = 0;
    p.layout->beginLayout();
    for (QTextLine row = p.layout->createLine(); row.isValid(); row = p.layout->createLine()) {
        row.setLeadingIncluded(true);
        row.setLineWidth(available);
        row.setPosition(QPointF(kMargin, height));
        height += row.height();
        if (row.leading() < 0) height += std::ceil(row.leading());
        ++rows;
    }
    p.layout->endLayout();
    p.rows = std::max(rows, 1);
    p.height = height;
}

int ViewLayout::pieceOf(const Line& line, qsizetype column) {
    const auto it = std::upper_bound(line.pieces.begin(), line.pieces.end(), column,
                                     [](qsizetype c, const Piece& p) { return c < p.start; });
    return std::max(0, int(it - line.pieces.begin()) - 1);
}

std::pair<int, int> ViewLayout::pieceRow(const Line& line, int row) {
    int k = 0;
    for (; k + 1 < int(line.pieces.size()) && row >= line.pieces[size_t(k)].rows; ++k)
        row -= line.pieces[size_t(k)].rows;
    return {k, std::clamp(row, 0, line.pieces[size_t(k)].rows - 1)};
}

int ViewLayout::firstRowOfPiece(const Line& line, int k) {
    int row = 0;
    for (int i = 0; i < k; ++i)
        row += line.pieces[size_t(i)].rows;
    return row;
}

qreal ViewLayout::pieceTop(const Line& line, int k) {
    qreal top = 0;
    for (int i = 0; i < k; ++i)
        top += line.pieces[size_t(i)].height;
    return top;
}

qreal ViewLayout::rowTop(qsizetype line, int row) {
    auto [k, r] = pieceRow(this->line(line), row);
    const Piece& p = laidPiece(line, k);
    const Line& l = this->line(line);
    r = std::min(r, p.rows - 1);
    return pieceTop(l, k) + p.layout->lineAt(r).y();
}

qreal ViewLayout::rowHeight(qsizetype line, int row) {
    auto [k, r] = pieceRow(this->line(line), row);
    const Piece& p = laidPiece(line, k);
    r = std::min(r, p.rows - 1);
    const qreal top = p.layout->lineAt(r).y();
    return (r + 1 < p.layout->lineCount() ? p.layout->lineAt(r + 1).y() : p.height) - top;
}

int ViewLayout::firstRowFrom(qsizetype line, qreal y) {
    Line& l = this->line(line);
    qreal top = 0;
    for (int k = 0; k < int(l.pieces.size()); top += l.pieces[size_t(k)].height, ++k) {
        if (top + l.pieces[size_t(k)].height <= y) continue; // every row of it begins above y
        const Piece& p = laidPiece(line, k);
        top = pieceTop(l, k);
        for (int r = 0; r < p.rows; ++r)
            if (top + p.layout->lineAt(r).y() >= y) return firstRowOfPiece(l, k) + r;
    }
    return l.rows;
}

int ViewLayout::firstRowEndingBelow(qsizetype line, qreal y) {
    Line& l = this->line(line);
    qreal top = 0;
    for (int k = 0; k < int(l.pieces.size()); top += l.pieces[size_t(k)].height, ++k) {
        if (top + l.pieces[size_t(k)].height <= y && k + 1 < int(l.pieces.size())) continue;
        const Piece& p = laidPiece(line, k);
        top = pieceTop(l, k);
        for (int r = 0; r < p.rows; ++r)
            if (top + p.layout->lineAt(r).naturalTextRect().bottom() > y) return firstRowOfPiece(l, k) + r;
    }
    return l.rows - 1;
}

qreal ViewLayout::rowNaturalHeight(qsizetype line, int row) {
    auto [k, r] = pieceRow(this->line(line), row);
    const Piece& p = laidPiece(line, k);
    return p.layout->lineAt(std::min(r, p.rows - 1)).naturalTextRect().height();
}

qreal ViewLayout::knownHeight(qsizetype line) const {
    if (const auto it = lines_.find(line); it != lines_.end()) return it->second.height;
    return store_->lines().rows(line) * rowHeight_;
}

void ViewLayout::textReplaced(const document::Replacement& r) {
    const qsizetype first = r.firstLine;
    const qsizetype last = first + r.linesRemoved();
    const qsizetype delta = r.linesAdded() - r.linesRemoved();
    const auto it = lines_.find(first);
    if (delta == 0 && last == first && it != lines_.end() && it->second.pieces.size() > 1) {
        // Inside one long line: the pieces before the change keep their layouts, and so do those after
        // it when the piece it fell in ends where it did, moved by the change.
        Line& l = it->second;
        const qsizetype length = store_->lineLength(first);
        const qsizetype column = r.from - store_->lineStart(first);
        const qsizetype shift = r.inserted.size() - r.removed.size();
        const int k = pieceOf(l, std::max<qsizetype>(0, column - 1));
        Piece& p = l.pieces[size_t(k)];
        const qsizetype oldEnd = p.start + p.length;
        const bool inside = oldEnd >= column + r.removed.size() && size_t(k) + 1 < l.pieces.size();
        const qsizetype end = inside ? (length - p.start <= kPieceLength + kLastPieceSlack
                                            ? length
                                            : cutNear(first, p.start + kPieceLength))
                                     : -1;
        if (inside && end == oldEnd + shift && end < length) {
            p.length = end - p.start;
            p.layout.reset();
            p.rows = estimatedRows(p.length);
            p.height = p.rows * rowHeight_;
            for (size_t i = size_t(k) + 1; i < l.pieces.size(); ++i)
                l.pieces[i].start += shift;
        } else {
            const qsizetype from = p.start;
            l.pieces.resize(size_t(k));
            for (Piece& made : cut(first, from))
                l.pieces.push_back(std::move(made));
        }
        if (l.pieces.size() == 1) {
            lines_.erase(it);
            return;
        }
        countRows(first, l);
        return;
    }
    lines_.erase(lines_.lower_bound(first), lines_.upper_bound(last));
    if (delta == 0) return;
    std::vector<std::pair<qsizetype, Line>> moved;
    for (auto at = lines_.upper_bound(last); at != lines_.end();) {
        moved.emplace_back(at->first + delta, std::move(at->second));
        at = lines_.erase(at);
    }
    for (auto& [line, l] : moved)
        lines_.emplace(line, std::move(l));
}

void ViewLayout::restyle(qsizetype first, qsizetype last) {
    lines_.erase(lines_.lower_bound(first), lines_.upper_bound(last));
}

void ViewLayout::clear() {
    lines_.clear();
}

void ViewLayout::trim(qsizetype first, qsizetype last) {
    if (lines_.size() <= kCachedLines) return;
    const qsizetype keep = qsizetype(kCachedLines / 4);
    lines_.erase(lines_.begin(), lines_.lower_bound(first - keep));
    lines_.erase(lines_.upper_bound(last + keep), lines_.end());
}

} // namespace view
