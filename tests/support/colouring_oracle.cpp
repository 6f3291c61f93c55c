#include "colouring_oracle.h"

#include "view/colouring_rules.h"
#include "view/line_layout.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextBlock>

#include <vector>

namespace oracle {

namespace {

using namespace Qt::StringLiterals;

struct OldAccess : QPlainTextEdit {
    using QPlainTextEdit::firstVisibleBlock;
};

QString describe(const QList<QTextLayout::FormatRange>& ranges) {
    QStringList parts;
    for (const QTextLayout::FormatRange& r : ranges)
        parts << u"%1+%2 %3/%4"_s.arg(r.start).arg(r.length).arg(r.format.foreground().color().name(),
                                                                 r.format.background().color().name());
    return parts.join(u", ");
}

// The ranges that show: an empty one (an error where a line begins) changes nothing.
QList<QTextLayout::FormatRange> shown(QList<QTextLayout::FormatRange> ranges) {
    ranges.removeIf([](const QTextLayout::FormatRange& r) { return r.length == 0; });
    return ranges;
}

} // namespace

ColouringPair::ColouringPair(const QString& text, int width, int height) : store(text), history(store) {
    QTextDocument* document = view::newTextDocument(&old);
    document->setPlainText(text);
    old.setDocument(document);
    view.setBuffer(&store, &history);
    for (QAbstractScrollArea* w :
         {static_cast<QAbstractScrollArea*>(&old), static_cast<QAbstractScrollArea*>(&view)}) {
        w->setFont(QFont(u"Noto Sans Mono CJK JP"_s, 10));
        w->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        w->resize(width, height);
        w->show();
    }
    oldColouring = new view::Colouring(&old);
    colouring = new view::StoreColouring(&view);
    exposed = QTest::qWaitForWindowExposed(&old) && QTest::qWaitForWindowExposed(&view);
    settle();
}

void ColouringPair::key(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(&old, Qt::Key(key), modifiers);
    QTest::keyClick(&view, Qt::Key(key), modifiers);
}

void ColouringPair::type(const QString& text) {
    for (QWidget* w : {static_cast<QWidget*>(&old), static_cast<QWidget*>(&view)}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(w, &press);
    }
}

void ColouringPair::paste(const QString& text) {
    QApplication::clipboard()->setText(text);
    old.paste();
    view.paste();
}

void ColouringPair::moveCaret(qsizetype position) {
    QTextCursor c(old.document());
    c.setPosition(int(position));
    old.setTextCursor(c);
    old.ensureCursorVisible();
    view.setCaret(position);
    view.ensureCaretVisible();
}

void ColouringPair::select(qsizetype anchor, qsizetype caret) {
    QTextCursor c(old.document());
    c.setPosition(int(anchor));
    c.setPosition(int(caret), QTextCursor::KeepAnchor);
    old.setTextCursor(c);
    view.setSelection(anchor, caret);
}

void ColouringPair::settle() {
    QCoreApplication::processEvents();
    old.viewport()->repaint();
    view.viewport()->repaint();
    QCoreApplication::processEvents();
}

QString ColouringPair::difference() {
    if (old.toPlainText() != store.toString()) return u"text"_s;
    // The lines both show.
    const int oldFirst = (old.*(&OldAccess::firstVisibleBlock))().blockNumber();
    const qsizetype first = std::max<qsizetype>(oldFirst, view.firstVisibleLine());
    // The old widget's last line shown, as its colouring finds it.
    qsizetype oldLast = oldFirst;
    qreal filled = 0;
    for (QTextBlock block = (old.*(&OldAccess::firstVisibleBlock))();
         block.isValid() && filled < old.viewport()->height(); block = block.next()) {
        oldLast = block.blockNumber();
        filled += old.document()->documentLayout()->blockBoundingRect(block).height();
    }
    const qsizetype last = std::min(oldLast, view.lastVisibleLine());
    if (last < first)
        return u"no line shown by both (old from %1, view %2 to %3)"_s.arg(oldFirst).arg(first).arg(last);
    std::vector<bibtex::LineState> starts{bibtex::LineState()};
    for (qsizetype line = 0; line < last; ++line)
        starts.push_back(view::keptState(bibtex::readLine(store.line(line), starts.back())));
    for (qsizetype line = first; line <= last; ++line) {
        const QTextBlock block = old.document()->findBlockByNumber(int(line));
        if (!block.isValid()) break;
        // Turned off, the old colouring leaves its colours on a line whose start changed while it was off
        // the screen: only the view is held to showing none.
        const QList<QTextLayout::FormatRange> was =
            oldColouring->isEnabled() ? shown(block.layout()->formats()) : QList<QTextLayout::FormatRange>{};
        QList<QTextLayout::FormatRange> is;
        const view::ViewLayout::Line& l = view.viewLayout().line(line);
        for (int k = 0; k < int(l.pieces.size()); ++k) {
            const view::ViewLayout::Piece& p = view.viewLayout().laidPiece(line, k);
            for (QTextLayout::FormatRange f : p.layout->formats()) {
                f.start += int(p.start);
                is.append(f);
            }
        }
        is = shown(is);
        // Both as reading from the top gives: the old colouring has been wrong where the view was right.
        const QList<QTextLayout::FormatRange> truth =
            !colouring->isEnabled()
                ? QList<QTextLayout::FormatRange>{}
                : shown(view::lineFormats(store.line(line), starts[std::size_t(line)], colouring->look()));
        if (was != truth || is != truth)
            return u"line %1 \"%2\": formats %3 / %4, from the top %5"_s.arg(line).arg(
                block.text(), describe(was), describe(is), describe(truth));
    }
    QList<std::pair<qsizetype, qsizetype>> oldMatch, newMatch;
    for (const QTextEdit::ExtraSelection& s : old.extraSelections())
        if (s.cursor.hasSelection())
            oldMatch.append({s.cursor.selectionStart(), s.cursor.selectionEnd() - s.cursor.selectionStart()});
    for (const view::ExtraSelection& s : view.extraSelections())
        newMatch.append({s.from, s.length});
    if (oldMatch != newMatch) {
        auto show = [](const QList<std::pair<qsizetype, qsizetype>>& m) {
            QStringList parts;
            for (const auto& [from, length] : m)
                parts << u"%1+%2"_s.arg(from).arg(length);
            return parts.join(u", ");
        };
        return u"matching pair at caret %1: %2 / %3"_s.arg(view.caret()).arg(show(oldMatch), show(newMatch));
    }
    // Without the colouring the old widget paints no band, but finds the caret's entry all the same.
    const entry::EntryLines entry =
        oldColouring->isEnabled() ? oldColouring->caretEntry() : entry::EntryLines{};
    const view::LineBand& band = view.band();
    if (entry.first != band.first || entry.last != band.last)
        return u"band at caret %1: %2-%3 / %4-%5"_s.arg(view.caret())
            .arg(entry.first)
            .arg(entry.last)
            .arg(band.first)
            .arg(band.last);
    return {};
}

} // namespace oracle
