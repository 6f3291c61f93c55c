#pragma once
// What the document knows line by line, kept up to date so that no keystroke rescans it: the number of
// entry heads, the label keys (see entry::labelKeys), and the lines that end otherwise than the file's
// usual line end. Every line with a head, a key or a line end of its own carries a mark; a change
// re-examines only the lines it touched, and a mark takes its share out of the index when its line goes.
#include "document/label_matches.h"
#include "text/encoding.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QScopeGuard>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QTextBlock;
class QTextDocument;

namespace document {

class DocumentIndex : public QObject {
    Q_OBJECT
public:
    struct Contents {
        int entryCount = 0;
        QHash<QString, int> labelKeys; // key -> number of occurrences
        // The label of each head line (its first key, and the label as written) -> number of heads; in
        // order, so that the labels beginning with a text are one stretch of it.
        HeadLabels headLabels;
        int ownLineEnds = 0; // marks with a line end of their own
        // The marks a change of the document's took away with their lines, in the order they went (line
        // ends of their own, or none), while the index is not marking itself.
        std::vector<std::optional<text::LineBreak>> lost;
        bool marking = false;
    };

    explicit DocumentIndex(QTextDocument* document);
    ~DocumentIndex() override;

    // A line this long (characters) without a break opportunity would cost seconds a keystroke under word
    // wrapping (Qt's line breaking is quadratic in such a run); the editor wraps such a document anywhere.
    static constexpr int kLongLine = 100000;
    // Whether a line of this many characters (its line end not counted) is longer than kLongLine.
    static constexpr bool isLongLine(qsizetype characters) { return characters > kLongLine; }

    int entryCount() const { return contents_->entryCount; }
    bool hasLabelKey(const QString& key) const { return contents_->labelKeys.contains(key); }
    // The labels of the entry heads, in the order of their keys ("{" + label + ",").
    const HeadLabels& headLabels() const { return contents_->headLabels; }
    // The first head line with this label key; an invalid block when there is none.
    QTextBlock headOf(const QString& labelKey) const;
    static bool isHeadLine(const QTextBlock& block);
    // The lines that end otherwise than the usual line end, in order. A line the user adds takes the line
    // end of the line it was split from.
    text::LineEnds lineEnds() const;

    // Replaces the whole text through `setText` (which must set exactly `text`); the marks then come
    // from one pass over the plain text instead of a walk over every line of the document.
    template <typename SetText>
    void replaceText(const QString& text, const text::LineEnds& lineEnds, SetText&& setText) {
        withoutMarking(setText);
        markAll(text, lineEnds);
    }
    // Makes changes through `change` that the index does not follow: whoever makes them marks the lines
    // (markLines) as the text arrives.
    template <typename Change> void withoutMarking(Change&& change) {
        suspended_ = true;
        const auto resume = qScopeGuard([this] { suspended_ = false; });
        change();
    }
    // Marks `lines` ('\n' between them), the document's whole lines from line `firstLine` on, from the
    // plain text; `lineEnds` lists the line ends of the whole text that differ from the usual one.
    // Returns the number of lines.
    int markLines(QStringView lines, int firstLine, const text::LineEnds& lineEnds);

    // The document's raw text (QTextDocument::toRawText()), read once for as long as the text stays as it
    // is: Find Next pressed again goes on from where it stopped without reading the document again.
    const QString& rawText() const;

    // A stretch of the text as it stands after a change: [from, to].
    struct Stretch {
        int from;
        int to;
    };
    // Makes one change through `edit` (one edit block) that touched only `stretches`. The document reports
    // such a change as one stretch from the first edit to the last; only the stretches are examined.
    template <typename Edit> void changeStretches(QList<Stretch> stretches, Edit&& edit) {
        stretches_ = std::move(stretches);
        const auto reset = qScopeGuard([this] { stretches_.clear(); });
        edit();
    }

Q_SIGNALS:
    // A change made a line longer than kLongLine.
    void longLineMade();

private:
    void onContentsChange(int from, int charsRemoved, int charsAdded);
    void markAll(const QString& text, const text::LineEnds& lineEnds);
    void markRange(int from, int to);

    QTextDocument* document_;
    std::shared_ptr<Contents> contents_;
    bool suspended_ = false;
    QList<Stretch> stretches_;
    int blockCount_ = 1;                     // as it was after the last change
    mutable std::optional<QString> rawText_; // until the next change
};

} // namespace document
