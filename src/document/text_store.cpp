#include "document/text_store.h"

#include "document/anchors.h"
#include "entry/entry_count.h"
#include "text/ascii.h"

#include <algorithm>

namespace document {

namespace {

// `text` with each of its line breaks (CR LF, CR, LF, U+2029, U+FDD0, U+FDD1) as one '\n', in `storage`
// when it had others than '\n'; the offsets of the breaks go to `breaks`.
QStringView editorLines(QStringView text, QString& storage, std::vector<qsizetype>& breaks) {
    if (text.contains(u'\r') || text.contains(u'\u2029') || text.contains(u'\uFDD0') ||
        text.contains(u'\uFDD1')) {
        storage.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue; // the LF follows
            storage.append(c == u'\r' || c == u'\u2029' || c == u'\uFDD0' || c == u'\uFDD1' ? u'\n' : c);
        }
        text = storage;
    }
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', at + 1))
        breaks.push_back(at);
    return text;
}

} // namespace

TextStore::TextStore(int chunkLines) : table_(chunkLines) {}

TextStore::TextStore(QString text, const text::LineEnds& lineEnds, int chunkLines)
    : buffer_(std::move(text)), table_(chunkLines) {
    const QStringView whole = buffer_.view();
    table_.reset(whole, lineEnds);
    index_.addLines(whole);
}

TextStore::~TextStore() {
    for (AnchorSet* anchors : anchors_)
        anchors->store_ = nullptr;
    for (TextObserver* observer : std::vector(observers_))
        observer->textStoreDestroyed();
}

bool TextStore::isHeadLine(qsizetype line) const {
    return entry::isEntryHeadLine(this->line(line));
}

qsizetype TextStore::headLineOf(const QString& key) const {
    // However the heads write the label, they are the stretch of the index that has its key.
    if (!index_.headLabels().hasHead(key)) return -1;
    const QStringView whole = text();
    for (qsizetype at = text::indexOfAsciiCaseless(whole, key); at >= 0;
         at = text::indexOfAsciiCaseless(whole, key, at + 1)) {
        const qsizetype l = lineAt(at);
        const QStringView line = whole.sliced(lineStart(l), lineLength(l));
        if (!entry::isEntryHeadLine(line)) continue;
        if (const QStringList keys = entry::labelKeys(line); !keys.isEmpty() && keys.first() == key) return l;
    }
    return -1;
}

Replacement TextStore::replace(qsizetype from, qsizetype length, QStringView text,
                               std::span<const LineEnding> ends) {
    from = std::clamp<qsizetype>(from, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - from);
    // Text taken from this store would move with the gap.
    QString copy;
    if (buffer_.holds(text)) {
        copy = text.toString();
        text = copy;
    }
    Replacement r;
    r.from = from;
    std::vector<qsizetype> breaks;
    QString normalised;
    const QStringView in = editorLines(text, normalised, breaks);

    const qsizetype to = from + length;
    const qsizetype first = table_.lineAt(from);
    const qsizetype last = table_.lineAt(to);
    const qsizetype start = table_.lineStart(first);
    const qsizetype oldEnd = table_.lineStart(last) + table_.lineLength(last);
    r.firstLine = first;
    r.removed = buffer_.mid(from, length);
    table_.appendLineEnds(first, last, r.removedEnds);
    const LineEnding inherited = table_.lineEnd(last);
    r.insertedEnds.reserve(breaks.size());
    for (size_t m = 0; m < breaks.size(); ++m)
        r.insertedEnds.push_back(m < ends.size() ? ends[m] : inherited);

    // The lines touched leave the index as they were and come back as they are.
    index_.removeLines(buffer_.view(start, oldEnd - start));
    buffer_.replace(from, length, in);
    table_.replace(from, length, in.size(), breaks, r.insertedEnds);
    index_.addLines(buffer_.view(start, oldEnd - start + in.size() - length));
    for (AnchorSet* anchors : anchors_)
        anchors->follow(from, length, in.size());
    r.inserted = normalised.isNull() ? in.toString() : std::move(normalised);
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->textReplaced(r);
    return r;
}

} // namespace document
