#include "view/text_view_accessible.h"

#include "text/caret_stops.h"
#include "view/text_view.h"

#include <QTextBoundaryFinder>
#include <QWidget>

namespace view {

namespace {

QAccessibleInterface* makeInterface(const QString& className, QObject* object) {
    if (className == QLatin1String(TextView::staticMetaObject.className()) && object->isWidgetType())
        return new TextViewAccessible(static_cast<TextView*>(object));
    return nullptr;
}

} // namespace

void installTextViewAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(makeInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

TextViewAccessible::TextViewAccessible(TextView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

TextView* TextViewAccessible::view() const {
    return static_cast<TextView*>(widget());
}

void* TextViewAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString TextViewAccessible::text(QAccessible::Text type) const {
    if (type == QAccessible::Value) return text(0, characterCount());
    return QAccessibleWidget::text(type);
}

QAccessible::State TextViewAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.selectableText = true;
    s.multiLine = true;
    if (view()->isReadOnly())
        s.readOnly = true;
    else
        s.editable = true;
    return s;
}

void TextViewAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !view()->hasSelection()) return;
    *startOffset = int(view()->selectionStart());
    *endOffset = int(view()->selectionEnd());
}

int TextViewAccessible::selectionCount() const {
    return view()->hasSelection() ? 1 : 0;
}

void TextViewAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void TextViewAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0) view()->setCaret(view()->caret());
}

void TextViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0) view()->setSelection(startOffset, endOffset);
}

int TextViewAccessible::cursorPosition() const {
    return int(view()->caret());
}

void TextViewAccessible::setCursorPosition(int position) {
    view()->setCaret(position);
}

QString TextViewAccessible::text(int startOffset, int endOffset) const {
    const document::TextStore* store = view()->store();
    if (!store) return {};
    const qsizetype from = std::clamp<qsizetype>(startOffset, 0, store->size());
    const qsizetype to = std::clamp<qsizetype>(endOffset, from, store->size());
    return store->mid(from, to - from);
}

int TextViewAccessible::characterCount() const {
    return view()->store() ? int(view()->store()->size()) : 0;
}

std::pair<qsizetype, qsizetype> TextViewAccessible::around(qsizetype offset,
                                                           QAccessible::TextBoundaryType type) const {
    const document::TextStore& store = *view()->store();
    offset = std::clamp<qsizetype>(offset, 0, store.size());
    const qsizetype line = store.lineAt(offset);
    const qsizetype start = store.lineStart(line);
    const qsizetype length = store.lineLength(line);
    const qsizetype column = offset - start;
    switch (type) {
    case QAccessible::CharBoundary:
        if (offset == store.size()) return {offset, offset};
        if (column == length) return {offset, offset + 1};
        return {offset, caretStop(store, offset, text::nextGrapheme)};
    case QAccessible::WordBoundary:
        return wordAt(store, offset);
    case QAccessible::SentenceBoundary: {
        const LineWindow w = lineWindow(store, line, column);
        // The sentence within its line (and within reach of the offset), as the finder cuts it.
        QTextBoundaryFinder finder(QTextBoundaryFinder::Sentence, w.text);
        finder.setPosition(column - w.from);
        qsizetype first = column - w.from;
        if (!(finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem))
            first = finder.toPreviousBoundary();
        const qsizetype last = finder.toNextBoundary();
        return {start + w.from + std::max<qsizetype>(first, 0),
                last < 0 ? start + w.from + w.text.size() : start + w.from + last};
    }
    case QAccessible::LineBoundary:
        return view()->rowAround(offset);
    case QAccessible::ParagraphBoundary:
        return {start, start + length};
    case QAccessible::NoBoundary:
        return {0, store.size()};
    }
    return {offset, offset};
}

QString TextViewAccessible::textOf(std::pair<qsizetype, qsizetype> range, int* startOffset,
                                   int* endOffset) const {
    *startOffset = int(range.first);
    *endOffset = int(range.second);
    return text(*startOffset, *endOffset);
}

QString TextViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = -1;
    if (!view()->store()) return {};
    return textOf(around(offset, boundaryType), startOffset, endOffset);
}

QString TextViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = -1;
    if (!view()->store()) return {};
    return textOf(around(around(offset, boundaryType).first - 1, boundaryType), startOffset, endOffset);
}

QString TextViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = -1;
    if (!view()->store()) return {};
    return textOf(around(around(offset, boundaryType).second, boundaryType), startOffset, endOffset);
}

QRect TextViewAccessible::characterRect(int offset) const {
    const QRect r = view()->characterRect(offset);
    if (r.isNull()) return r;
    return QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
}

int TextViewAccessible::offsetAtPoint(const QPoint& point) const {
    return int(view()->positionAt(view()->viewport()->mapFromGlobal(point)));
}

void TextViewAccessible::scrollToSubstring(int startIndex, int) {
    if (!view()->store()) return;
    const qsizetype line =
        view()->store()->lineAt(std::clamp<qsizetype>(startIndex, 0, view()->store()->size()));
    if (line < view()->firstVisibleLine() || line > view()->lastVisibleLine()) view()->scrollToLine(line);
}

QString TextViewAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = offset;
    return {};
}

void TextViewAccessible::deleteText(int startOffset, int endOffset) {
    replaceText(startOffset, endOffset, {});
}

void TextViewAccessible::insertText(int offset, const QString& text) {
    replaceText(offset, offset, text);
}

void TextViewAccessible::replaceText(int startOffset, int endOffset, const QString& text) {
    if (view()->isReadOnly()) return;
    view()->setSelection(startOffset, endOffset);
    view()->insertText(text);
}

} // namespace view
