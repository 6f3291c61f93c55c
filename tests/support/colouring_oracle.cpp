#include "colouring_oracle.h"

#include "entry/entry_lines.h"
#include "view/colouring_rules.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <vector>

namespace oracle {

namespace {

using namespace Qt::StringLiterals;

QString describe(const QList<QTextLayout::FormatRange>& ranges) {
    QStringList parts;
    for (const QTextLayout::FormatRange& r : ranges)
        parts << u"%1+%2 %3/%4"_s.arg(r.start).arg(r.length).arg(r.format.foreground().color().name(),
                                                                 r.format.background().color().name());
    return parts.join(u", ");
}

QList<QTextLayout::FormatRange> withoutEmpty(QList<QTextLayout::FormatRange> ranges) {
    ranges.removeIf([](const QTextLayout::FormatRange& r) { return r.length == 0; });
    return ranges;
}

// The text's lines, each with the state reading from the top gives it at its start.
struct FromTheTop {
    QStringList texts;
    std::vector<bibtex::LineState> starts;

    explicit FromTheTop(const document::TextStore& store, qsizetype upTo) {
        bibtex::LineState state;
        for (qsizetype line = 0; line < store.lineCount() && line <= upTo; ++line) {
            texts << store.line(line).toString();
            starts.push_back(state);
            state = view::keptState(bibtex::readLine(texts.back(), state));
        }
    }
    qsizetype previous(qsizetype l) const { return l - 1; }
    qsizetype next(qsizetype l) const { return l + 1; }
    bool isValid(qsizetype l) const { return l >= 0 && l < texts.size(); }
    QString text(qsizetype l) const { return texts[l]; }
    std::optional<bibtex::LineState> knownStart(qsizetype l) const { return starts[std::size_t(l)]; }
    bibtex::LineState start(qsizetype l) const { return starts[std::size_t(l)]; }
    qsizetype position(qsizetype l) const {
        qsizetype p = 0;
        for (qsizetype i = 0; i < l; ++i)
            p += texts[i].size() + 1;
        return p;
    }
};

} // namespace

QList<QTextLayout::FormatRange> shownFormats(view::TextView& view, qsizetype line) {
    QList<QTextLayout::FormatRange> shown;
    const view::ViewLayout::Line& l = view.viewLayout().line(line);
    for (int k = 0; k < int(l.pieces.size()); ++k) {
        const view::ViewLayout::Piece& p = view.viewLayout().laidPiece(line, k);
        for (QTextLayout::FormatRange f : p.layout->formats()) {
            f.start += int(p.start);
            shown.append(f);
        }
    }
    return withoutEmpty(shown);
}

QList<QTextLayout::FormatRange> formatsFromTheTop(view::TextView& view, const view::StoreColouring& colouring,
                                                  qsizetype line) {
    if (!colouring.isEnabled()) return {};
    const FromTheTop top(*view.store(), line);
    return withoutEmpty(view::lineFormats(top.text(line), top.start(line), colouring.look()));
}

QString colouringDifference(view::TextView& view, const view::StoreColouring& colouring) {
    const document::TextStore& store = *view.store();
    const qsizetype first = view.firstVisibleLine();
    const qsizetype last = view.lastVisibleLine();
    if (last < first) return u"no line shown (%1 to %2)"_s.arg(first).arg(last);
    const qsizetype caretLine = store.lineAt(view.caret());
    // The lines a matching brace may be on: the whole of a text this oracle is used with.
    const FromTheTop top(store, store.lineCount());
    for (qsizetype line = first; line <= last; ++line) {
        const QList<QTextLayout::FormatRange> is = shownFormats(view, line);
        const QList<QTextLayout::FormatRange> truth =
            colouring.isEnabled()
                ? withoutEmpty(view::lineFormats(top.text(line), top.start(line), colouring.look()))
                : QList<QTextLayout::FormatRange>{};
        if (is != truth)
            return u"line %1 \"%2\": formats %3, from the top %4"_s.arg(line).arg(
                top.text(line), describe(is), describe(truth));
    }
    QList<std::pair<qsizetype, qsizetype>> expected, shown;
    if (colouring.isEnabled() && !view.hasSelection()) {
        const qsizetype column = view.caret() - store.lineStart(caretLine);
        if (const auto pair = view::matchAtCaret(caretLine, column, top))
            expected = {{pair->at, 1}, {pair->match, 1}};
    }
    for (const view::ExtraSelection& s : view.extraSelections())
        shown.append({s.from, s.length});
    if (expected != shown) {
        auto list = [](const QList<std::pair<qsizetype, qsizetype>>& m) {
            QStringList parts;
            for (const auto& [from, length] : m)
                parts << u"%1+%2"_s.arg(from).arg(length);
            return parts.join(u", ");
        };
        return u"matching pair at caret %1: %2, from the top %3"_s.arg(view.caret())
            .arg(list(shown), list(expected));
    }
    // Without the colouring no band is painted.
    view::LineBand band;
    if (colouring.isEnabled())
        if (const auto entry = entry::entryAround(caretLine, top)) band = {entry->first, entry->last, {}};
    if (band.first != view.band().first || band.last != view.band().last)
        return u"band at caret %1: %2-%3, from the top %4-%5"_s.arg(view.caret())
            .arg(view.band().first)
            .arg(view.band().last)
            .arg(band.first)
            .arg(band.last);
    return {};
}

ColouredView::ColouredView(const QString& text, int width, int height) : store(text), history(store) {
    view.setBuffer(&store, &history);
    view.setFont(QFont(u"Noto Sans Mono CJK JP"_s, 10));
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.resize(width, height);
    view.show();
    colouring = new view::StoreColouring(&view);
    exposed = QTest::qWaitForWindowExposed(&view);
    settle();
}

void ColouredView::key(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(&view, Qt::Key(key), modifiers);
}

void ColouredView::type(const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(&view, &press);
}

void ColouredView::paste(const QString& text) {
    QApplication::clipboard()->setText(text);
    view.paste();
}

void ColouredView::moveCaret(qsizetype position) {
    view.setCaret(position);
    view.ensureCaretVisible();
}

void ColouredView::select(qsizetype anchor, qsizetype caret) {
    view.setSelection(anchor, caret);
}

void ColouredView::settle() {
    QCoreApplication::processEvents();
    view.viewport()->repaint();
    QCoreApplication::processEvents();
}

} // namespace oracle
