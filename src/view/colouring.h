#pragma once
// The editor's colouring: the runs bibtex::readLine finds in a line, shown in the colours of their kind,
// and the brace, parenthesis or quote that matches the one at the caret.
//
// Only the lines about to be shown are coloured, just before the editor paints them; nothing colours the
// whole document, neither at a load nor at a change. Each line keeps the reading state at its start in
// its block state (app/line_state.h). The states of the first `knownLines_` lines are known to be what
// reading from the top gives; a change re-reads the lines it touched and the lines after them until a
// line starts in the state it started in before, and the states further on are read when they are needed
// (to colour a line) or in the background while the window is idle. A line's colours hold as long as its
// text and its stored start state are those they were made from.
#include "entry/entry_lines.h"
#include "view/colouring_rules.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <QTimer>

#include <functional>

class QPaintEvent;
class QPlainTextEdit;
class QTextBlock;
class QTextDocument;

namespace view {

class LineLayout;

class Colouring : public QObject {
    Q_OBJECT
public:
    explicit Colouring(QPlainTextEdit* editor);
    ~Colouring() override;

    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }
    // While `busy` answers true (a load in pieces), the background reading waits.
    void setBusy(std::function<bool()> busy) { busy_ = std::move(busy); }

    // Colours the lines on the screen now, as the editor's next paint would.
    void colourShownLines();
    // Reads the states of the lines from the last known one to the end now, as the background does bit by
    // bit.
    void readToEnd();
    // The number of lines from the top whose start states are known.
    int knownLines() const { return knownLines_; }
    // The entry the caret stands in, the one its band marks (entry::entryAround): its first and last line
    // (block numbers) and the column of its "@"; none found outside every entry.
    entry::EntryLines caretEntry();
    // The format a kind of run is shown in (bibtex::Token as a number), for tests.
    QTextCharFormat formatOf(int token) const { return look_.formats[std::size_t(token)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();
    void onContentsChange(int from, int charsRemoved, int charsAdded);
    void makeFormats();
    // Reads line states from the last known one on until line `line` is known (or `deadline` passes).
    void knowUntil(int line, qint64 deadlineNs = -1);
    // Sets the line's colours; `tell`: and tells the layout (not while it is laying the line out itself).
    void colour(QTextBlock& block, bool tell = true);
    LineLayout* lineLayout() const;
    void formatsChanged(const QTextBlock& block);
    void guessFrom(const QTextBlock& first, const QTextBlock& last);
    void uncolourAll();
    void readInBackground();
    // The entry `line` stands in, in block numbers.
    entry::EntryLines entryAround(const QTextBlock& line) const;
    // Marks the brace, parenthesis or quote that matches the one at the caret, and the caret's entry.
    void showMatch();
    // Paints the mark of the caret's entry: a faint band the whole width of its lines.
    void paintEntryMark(const QPaintEvent& event);

    QPlainTextEdit* editor_;
    QPointer<QTextDocument> document_;
    QMetaObject::Connection changeConnection_;
    bool enabled_ = true;
    std::function<bool()> busy_;
    int knownLines_ = 0;
    int blockCount_ = 1;
    QTimer background_;
    ColouringLook look_;
    entry::EntryLines markedEntry_; // the entry marked, as last painted
    struct CaretEntry {
        int line = -1; // the caret's line (block number) it was found for
        int knownLines = -1;
        entry::EntryLines entry;
    } caretEntry_;             // the caret's entry as last found, while the colouring follows the changes
    bool textChanged_ = false; // contentsChange announced an edit the layout has not yet been told of
};

} // namespace view
