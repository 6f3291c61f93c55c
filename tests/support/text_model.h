#pragma once
// The oracle of the text store: the text as a plain string in which every '\n' carries the line end it
// has in its file, changed by the rules stated as simply as they can be, and the per-line facts worked
// out from scratch (line starts, the entry count and labels by a full recount). Header only, so that the
// store's fuzz target uses the same oracle.
#include "document/label_matches.h"
#include "document/line_state.h"
#include "document/line_table.h"
#include "entry/entry_count.h"
#include "support/head_label_oracle.h"

#include <QMap>
#include <QSet>
#include <QString>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

namespace model {

using document::LineEnding;

class TextModel {
public:
    TextModel() = default;
    // A text as the decoder gives it: '\n' between lines, `lineEnds` the lines that end otherwise.
    TextModel(const QString& text, const text::LineEnds& lineEnds)
        : text_(text.toStdU16String()), breakEnds_(size_t(text.count(u'\n'))) {
        for (const text::LineEnd& e : lineEnds) {
            if (size_t(e.line) < breakEnds_.size())
                breakEnds_[size_t(e.line)] = e.lineBreak;
            else if (size_t(e.line) == breakEnds_.size())
                lastEnd_ = e.lineBreak;
        }
        states_.assign(breakEnds_.size() + 1, document::line_state::kMade);
        rows_.assign(breakEnds_.size() + 1, 1);
    }

    // [from, from + length) replaced by `inserted`, whose breaks (CR LF, CR, LF, U+2029, U+FDD0, U+FDD1)
    // become '\n' and end as `ends` says, or as the line broken ended; the breaks taken out go with their
    // ends. The first line touched keeps its state (uncoloured) and rows; every line made starts afresh.
    // Returns the length of the text put in.
    size_t replace(size_t from, size_t length, std::u16string_view inserted,
                   std::span<const LineEnding> ends = {}) {
        std::u16string in;
        for (size_t i = 0; i < inserted.size(); ++i) {
            const char16_t c = inserted[i];
            if (c == u'\r' && i + 1 < inserted.size() && inserted[i + 1] == u'\n') continue;
            in += c == u'\r' || c == u'\u2029' || c == u'\uFDD0' || c == u'\uFDD1' ? u'\n' : c;
        }
        const size_t firstBreak = breaksBefore(from);
        const size_t lastBreak = breaksBefore(from + length);
        const LineEnding inherited = lastBreak < breakEnds_.size() ? breakEnds_[lastBreak] : lastEnd_;
        std::vector<LineEnding> made;
        for (char16_t c : in)
            if (c == u'\n') made.push_back(made.size() < ends.size() ? ends[made.size()] : inherited);
        breakEnds_.erase(breakEnds_.begin() + long(firstBreak), breakEnds_.begin() + long(lastBreak));
        breakEnds_.insert(breakEnds_.begin() + long(firstBreak), made.begin(), made.end());
        // Line `firstBreak` is the first touched; lines firstBreak + 1 .. lastBreak went.
        const int keptState = document::line_state::uncoloured(states_[firstBreak]);
        states_.erase(states_.begin() + long(firstBreak) + 1, states_.begin() + long(lastBreak) + 1);
        states_[firstBreak] = keptState;
        states_.insert(states_.begin() + long(firstBreak) + 1, made.size(), document::line_state::kMade);
        rows_.erase(rows_.begin() + long(firstBreak) + 1, rows_.begin() + long(lastBreak) + 1);
        rows_.insert(rows_.begin() + long(firstBreak) + 1, made.size(), 1);
        text_.replace(from, length, in);
        return in.size();
    }

    const std::u16string& text() const { return text_; }
    // Character for character (QString::fromStdU16String would drop a U+FEFF at the start).
    QString qtext() const {
        return QString(reinterpret_cast<const QChar*>(text_.data()), qsizetype(text_.size()));
    }
    size_t lineCount() const { return breakEnds_.size() + 1; }
    std::vector<qsizetype> lineStarts() const {
        std::vector<qsizetype> starts{0};
        for (size_t i = 0; i < text_.size(); ++i)
            if (text_[i] == u'\n') starts.push_back(qsizetype(i + 1));
        return starts;
    }
    LineEnding lineEnd(size_t line) const { return line < breakEnds_.size() ? breakEnds_[line] : lastEnd_; }
    text::LineEnds lineEnds() const {
        text::LineEnds out;
        for (size_t line = 0; line < lineCount(); ++line)
            if (const LineEnding e = lineEnd(line)) out.append({int(line), *e});
        return out;
    }
    std::vector<int>& states() { return states_; }
    std::vector<int>& rows() { return rows_; }

    int entryCount() const { return entry::countEntries(qtext()); }
    bool labelInUse(const QString& label) const { return entry::labelInUse(qtext(), label); }
    // The label of every head line, counted: its first key, and the label as written (oracle) where that
    // differs from the key's.
    QMap<document::HeadLabel, int> headLabels() const {
        QMap<document::HeadLabel, int> labels;
        const QString whole = qtext();
        const QStringList lines = whole.split(u'\n');
        for (int line : entry::entryHeadLineNumbers(whole)) {
            const QStringList keys = entry::labelKeys(lines[line]);
            if (keys.isEmpty()) continue;
            const QStringList written = oracle::headLabelsAsWritten(lines[line]);
            const QString label = written.isEmpty() ? QString() : written.first();
            ++labels[{keys.first(), label == QStringView(keys.first()).sliced(1, keys.first().size() - 2)
                                        ? QString()
                                        : label}];
        }
        return labels;
    }
    // The number of distinct label keys in the lines.
    qsizetype keyCount() const {
        QSet<QString> keys;
        for (const QString& line : qtext().split(u'\n'))
            for (const QString& key : entry::labelKeys(line))
                keys.insert(key);
        return keys.size();
    }

private:
    size_t breaksBefore(size_t position) const {
        return size_t(std::count(text_.begin(), text_.begin() + long(position), u'\n'));
    }

    std::u16string text_;
    std::vector<LineEnding> breakEnds_; // one per '\n', in order
    LineEnding lastEnd_;                // what a break typed at the end of the last line takes
    std::vector<int> states_;           // one per line
    std::vector<int> rows_;
};

// Where an anchor goes when [from, from + removed) is replaced by `added` characters.
inline qsizetype followed(qsizetype anchor, qsizetype from, qsizetype removed, qsizetype added) {
    if (anchor < from) return anchor;
    if (anchor <= from + removed) return from + added;
    return anchor + added - removed;
}

// The head labels an index keeps, in its order, as the model counts them.
inline QMap<document::HeadLabel, int> counted(const document::HeadLabels& labels) {
    QMap<document::HeadLabel, int> map;
    for (auto it = labels.cbegin(); it != labels.cend(); ++it)
        map.insert(it.key(), it.value());
    return map;
}

} // namespace model
