#pragma once
// The colouring of the editor's own text view (text_view.h): a styler that gives each line the runs
// bibtex::readLine finds in it, in the look of colouring_rules.h, the brace, parenthesis or quote that
// matches the one at the caret as a selection, and a band under the caret's entry.
//
// Each line's reading state at its start is kept in the store's line table (document/line_state.h), with
// a flag saying the view was given the line's formats from that start. The states of the first
// knownLines() lines are what reading from the top gives; a change re-reads the lines it touched and the
// lines after them until a line starts in the state it started in before (at most kReadOnAfterChange
// lines past them), and the states further on are read when a line is laid out or in the background
// while the window is idle. Lines far below the known ones are coloured from a guess until then. A line
// given formats whose kept start changes later is laid out again (TextView::restyleLines).
#include "entry/entry_lines.h"
#include "view/colouring_rules.h"
#include "view/view_layout.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace view {

class TextView;

class StoreColouring : public QObject, public LineStyler {
    Q_OBJECT
public:
    // Colours `view` (and belongs to it) from now on, following whichever store it shows, until another
    // styler is set on it.
    explicit StoreColouring(TextView* view);
    ~StoreColouring() override;

    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }
    // While `busy` answers true (a large file being read), the background reading waits.
    void setBusy(std::function<bool()> busy) { busy_ = std::move(busy); }

    // Reads the states of the lines from the last known one to the end now, as the background does bit by
    // bit.
    void readToEnd();
    // The number of lines from the top whose start states are known.
    qsizetype knownLines() const { return knownLines_; }
    // The entry the caret stands in, the one its band marks (entry::entryAround); none found outside
    // every entry. Found with the colouring off as well, in the store the view shows.
    entry::EntryLines caretEntry() const;
    const ColouringLook& look() const { return look_; }
    // How often the matching pair and the band have been worked out: once per keystroke or click.
    int matchesShown() const { return matchesShown_; }

    QList<QTextLayout::FormatRange> formatsOf(qsizetype line, QStringView text, qsizetype from,
                                              qsizetype length) override;
    void textReplaced(const document::Replacement& replacement) override;
    void storeReplaced(document::TextStore* store) override;
    void detached() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void forget();
    bibtex::LineState startOf(qsizetype line) const;
    // Keeps `start` as the line's start; a line given formats from another start is to be restyled.
    void setStart(qsizetype line, bibtex::LineState start);
    // Reads line states from the last known one on until line `line` is known (or `deadlineNs` passes).
    void knowUntil(qsizetype line, qint64 deadlineNs = -1);
    // States for the lines around `line`, read from the nearest head line above it as if no entry were
    // open there.
    void guessAround(qsizetype line);
    void readInBackground();
    void readLater();
    // Lines [first, last] are to be laid out again: at once, or after the layout asking now is done.
    void restyle(qsizetype first, qsizetype last);
    void flushRestyle();
    entry::EntryLines entryAround(const document::TextStore& store, qsizetype line) const;
    // The matching pair at the caret and the caret's entry, shown in the view; followCaret() only where the
    // text, the caret or the selection changed since they were last shown.
    void showMatch();
    void followCaret();

    QPointer<TextView> view_;
    document::TextStore* store_ = nullptr;
    bool enabled_ = true;
    bool attached_ = false; // the view's styler
    std::function<bool()> busy_;
    qsizetype knownLines_ = 0;
    // The lines whose states the last guess set; none after a change.
    qsizetype guessedFrom_ = -1;
    qsizetype guessedTo_ = -1;
    QTimer background_;
    ColouringLook look_;
    qsizetype restyleFirst_ = -1;
    qsizetype restyleLast_ = -1;
    int layingOut_ = 0; // inside formatsOf: the view is laying a line out and may not be told to restyle
    bool flushQueued_ = false;
    // The last line's formats: a long line laid out in pieces asks for each piece.
    qsizetype cachedLine_ = -1;
    int cachedStart_ = -1;
    QList<QTextLayout::FormatRange> cachedFormats_;
    bool matchStale_ = true; // the text changed since the pair and the band were shown
    qsizetype shownCaret_ = -1;
    qsizetype shownAnchor_ = -1;
    int matchesShown_ = 0;
};

} // namespace view
