// The text store against the plain model (support/text_model.h): thousands of random edits, grouped
// steps, undos and redos, and after each one the text, every line's start and line end, the entry count,
// the labels, the line states and rows, and a set of anchors compared. Then files through the store: the
// bytes saved are the bytes read, edited or not.
#include "document/anchors.h"
#include "document/document_file.h"
#include "document/edit_history.h"
#include "document/line_state.h"
#include "document/text_store.h"
#include "support/text_model.h"
#include "text/text_file.h"

#include <QDir>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <ostream>

namespace {

using namespace Qt::StringLiterals;
using document::LineEnding;
using text::LineBreak;

// What the random edits put in: line breaks of every kind, Japanese text, entry heads and labels.
const QString kPieces[] = {u"@article{a,\n"_s,
                           u"@Book{B,"_s,
                           u"@misc{aB,\n"_s,
                           u"\r\n"_s,
                           u"\n"_s,
                           u"\r"_s,
                           u"\u2029"_s,
                           u"x\uFDD0y\uFDD1"_s,
                           u" title = \"日本語\",\r\n"_s,
                           u"@"_s,
                           u"misc{"_s,
                           u"  @ in proceedings {c,\n"_s,
                           u"}\n\n"_s,
                           u"\t@book{t,\r"_s,
                           u"山田 太郎\n"_s,
                           u"{A,"_s,
                           u"{Ab, {x{a,"_s,
                           u"𠮷"_s,
                           u"abc"_s};
const QString kLabels[] = {u"a"_s, u"ab"_s, u"x{a"_s, u"b"_s, u"AB"_s, u"c"_s, u"t"_s};

// A decoded file as the store adopts it: '\n' between lines, the line ends of their own listed.
const QString kStart = u"@book{a,\n title = \"x\",\n}\n\n% 日本語\n@misc{b,\n}"_s;
const text::LineEnds kStartEnds{
    {0, LineBreak::Lf}, {2, LineBreak::Cr}, {4, LineBreak::Char2029}, {6, LineBreak::Lf}};

class Checker {
public:
    Checker(const document::TextStore& store, const model::TextModel& model, int step)
        : store_(store), model_(model), step_(step) {}

    // Everything the store says of its text against the model's answer.
    void compare() {
        SCOPED_TRACE(step_);
        ASSERT_EQ(store_.toString(), model_.qtext());
        ASSERT_EQ(store_.text(), model_.qtext());
        const std::vector<qsizetype> starts = model_.lineStarts();
        ASSERT_EQ(store_.lineCount(), qsizetype(starts.size()));
        for (size_t line = 0; line < starts.size(); ++line) {
            ASSERT_EQ(store_.lineStart(qsizetype(line)), starts[line]) << "line " << line;
            ASSERT_EQ(store_.lineEnd(qsizetype(line)), model_.lineEnd(line)) << "line " << line;
            const qsizetype next = line + 1 < starts.size() ? starts[line + 1] - 1 : store_.size();
            ASSERT_EQ(store_.lineLength(qsizetype(line)), next - starts[line]);
            for (qsizetype p : {starts[line], next})
                ASSERT_EQ(store_.lineAt(p), qsizetype(line)) << "position " << p;
        }
        qsizetype longest = 0;
        for (size_t line = 0; line < starts.size(); ++line)
            longest = std::max(longest, store_.lineLength(qsizetype(line)));
        ASSERT_EQ(store_.lines().longestLine(), longest);
        ASSERT_EQ(store_.lineEnds(), model_.lineEnds());
        ASSERT_EQ(store_.entryCount(), model_.entryCount());
        for (const QString& label : kLabels)
            ASSERT_EQ(store_.index().hasLabelKey(entry::labelKey(label)), model_.labelInUse(label))
                << label.toStdString();
        ASSERT_EQ(model::counted(store_.index().headLabels()), model_.headLabels());
        ASSERT_EQ(store_.index().keyCount(), model_.keyCount());
    }
    // The line states and rows, and rows counted to lines and back.
    void compareLines(model::TextModel& model) {
        SCOPED_TRACE(step_);
        const document::LineTable& lines = store_.lines();
        qsizetype row = 0;
        for (qsizetype line = 0; line < lines.lineCount(); ++line) {
            ASSERT_EQ(lines.state(line), model.states()[size_t(line)]) << "line " << line;
            ASSERT_EQ(lines.rows(line), model.rows()[size_t(line)]) << "line " << line;
            ASSERT_EQ(lines.firstRowOf(line), row);
            ASSERT_EQ(lines.lineAtRow(row + model.rows()[size_t(line)] - 1), line);
            row += model.rows()[size_t(line)];
        }
        ASSERT_EQ(lines.rowCount(), row);
    }

private:
    const document::TextStore& store_;
    const model::TextModel& model_;
    int step_;
};

struct RandomRun {
    const char* what;
    int chunkLines;
    int steps;
    quint32 seed;
    qsizetype chunksReached; // the run is to have cut the text into at least this many chunks at some step
};

void PrintTo(const RandomRun& run, std::ostream* out) {
    *out << run.what;
}

class RandomEdits : public ::testing::TestWithParam<RandomRun> {};

TEST_P(RandomEdits, AgreeWithThePlainModelStepByStep) {
    const RandomRun run = GetParam();
    QRandomGenerator random(run.seed);
    document::TextStore store(kStart, kStartEnds, run.chunkLines);
    document::EditHistory history(store);
    model::TextModel model(kStart, kStartEnds);
    // The model's texts before each step done and after each undone: an undo must give back the first
    // exactly, line ends and all, and a redo the second.
    std::vector<model::TextModel> done, undone;
    QList<qsizetype> anchorsModel;
    for (int i = 0; i < 24; ++i)
        anchorsModel.append(random.bounded(int(store.size()) + 1));
    document::AnchorSet anchors(store, anchorsModel);

    const auto randomEdit = [&](bool grouped) {
        const qsizetype size = store.size();
        const qsizetype from = random.bounded(int(size) + 1);
        qsizetype length = 0;
        QString text;
        switch (random.bounded(4)) {
        case 0: // a deletion, larger where the text has grown long
            length = std::min<qsizetype>(size - from, 1 + random.bounded(size > 2000 ? 400 : 12));
            break;
        case 1: // a replacement
            length = std::min<qsizetype>(size - from, random.bounded(12));
            [[fallthrough]];
        default:
            text = kPieces[random.bounded(int(std::size(kPieces)))];
        }
        if (length == 0 && text.isEmpty()) text = u"z"_s;
        if (!grouped) {
            done.push_back(model);
            undone.clear();
        }
        const qsizetype firstLine = model.qtext().left(from).count(u'\n');
        const QString removed = model.qtext().mid(from, length);
        const document::Replacement r = history.edit(from, length, text, document::EditKind::Command);
        const qsizetype added = qsizetype(model.replace(size_t(from), size_t(length), text.toStdU16String()));
        for (qsizetype& a : anchorsModel)
            a = model::followed(a, from, length, added);
        EXPECT_EQ(r.removed, removed);
        EXPECT_EQ(r.inserted.size(), added);
        EXPECT_EQ(r.firstLine, firstLine);
        EXPECT_EQ(r.linesRemoved(), removed.count(u'\n'));
        EXPECT_EQ(r.linesAdded(), r.inserted.count(u'\n'));
    };
    // After an undo or redo the states, rows and anchors are taken from the store: an undo is made of
    // replacements, whose effect on them the plain edits check.
    const auto takeLinesAndAnchors = [&] {
        for (qsizetype line = 0; line < store.lineCount(); ++line) {
            model.states()[size_t(line)] = store.lines().state(line);
            model.rows()[size_t(line)] = store.lines().rows(line);
        }
        anchorsModel = anchors.positions();
    };

    qsizetype mostChunks = 0;
    for (int step = 0; step < run.steps; ++step) {
        switch (random.bounded(10)) {
        case 0: // a step of several edits
            history.beginStep();
            done.push_back(model);
            undone.clear();
            for (int n = 1 + random.bounded(3); n > 0; --n)
                randomEdit(true);
            history.endStep();
            break;
        case 1:
            if (history.canUndo()) {
                history.undo();
                undone.push_back(model);
                model = done.back();
                done.pop_back();
                takeLinesAndAnchors();
            }
            break;
        case 2:
            if (history.canRedo()) {
                history.redo();
                done.push_back(model);
                model = undone.back();
                undone.pop_back();
                takeLinesAndAnchors();
            }
            break;
        case 3: { // the colouring and the view say what they know of a line
            const qsizetype line = random.bounded(int(store.lineCount()));
            const int state =
                document::line_state::withStart(random.bounded(2) == 0 ? document::line_state::kMade : 1,
                                                random.bounded(50), random.bounded(2) == 0);
            store.lines().setState(line, state);
            model.states()[size_t(line)] = state;
            const int rows = 1 + random.bounded(3);
            store.lines().setRows(line, rows);
            model.rows()[size_t(line)] = rows;
            break;
        }
        default:
            randomEdit(false);
        }
        Checker checker(store, model, step);
        checker.compare();
        checker.compareLines(model);
        ASSERT_EQ(anchors.positions(), anchorsModel) << "step " << step;
        if (HasFatalFailure()) return;
        mostChunks = std::max(mostChunks, store.lines().chunkCount());
    }
    EXPECT_GE(mostChunks, run.chunksReached);
}

INSTANTIATE_TEST_SUITE_P(
    TextStore, RandomEdits,
    ::testing::Values(RandomRun{"chunks of three lines: edits cross chunks", 3, 4000, 20261208, 50},
                      RandomRun{"chunks of eight lines", 8, 3000, 7, 30},
                      RandomRun{"the chunks the editor uses", document::LineTable::kChunkLines, 3000, 42, 1}),
    [](const auto& info) { return std::to_string(info.index); });

// The bytes a file is saved as, from the store's text and line ends.
QByteArray saved(const document::TextStore& store, const document::DocumentFormat& format) {
    return document::encodeDocument(store.text(), format, store.lineEnds()).bytes;
}

// Files with line ends of every kind come back byte for byte: adopted, then after edits and their undo.
TEST(TextStore, GivesTheFileBytesBackAfterEditsAndTheirUndo) {
    const QByteArray files[] = {
        "@book{a,\r\n title = {x},\r\n}\r\n",
        "a\nb\r\nc\rd\r\n\r\n",
        "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe2\x80\xa9@misc{b,\n}",
        "no break at all",
        "\r\r\n\n\r",
    };
    for (const QByteArray& bytes : files) {
        SCOPED_TRACE(bytes.toStdString());
        document::LoadedDocument loaded = document::decodeDocument(bytes);
        const document::DocumentFormat format = loaded.format;
        document::TextStore store(std::move(loaded.text), loaded.lineEnds);
        EXPECT_EQ(saved(store, format), bytes);
        document::EditHistory history(store);
        QRandomGenerator random(bytes.size());
        for (int i = 0; i < 40; ++i) {
            const qsizetype from = random.bounded(int(store.size()) + 1);
            const qsizetype length = std::min<qsizetype>(store.size() - from, random.bounded(4));
            history.edit(from, length, kPieces[random.bounded(int(std::size(kPieces)))],
                         document::EditKind::Command);
        }
        while (history.canUndo())
            history.undo();
        EXPECT_EQ(saved(store, format), bytes);
    }
}

// The real files of the shared corpus, each adopted, edited at every hundredth line and undone.
TEST(TextStore, GivesTheCorpusFilesBackByteForByte) {
    const QDir corpus(QStringLiteral(LORVANE_CORPUS_DIR));
    const QStringList files = corpus.entryList({QStringLiteral("*.bib")}, QDir::Files);
    if (files.isEmpty()) GTEST_SKIP() << "no corpus";
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = text::readFileBytes(corpus.filePath(name));
        document::LoadedDocument loaded = document::decodeDocument(bytes);
        if (loaded.reencodingDiffers || loaded.rewrittenCharacters > 0) continue;
        const document::DocumentFormat format = loaded.format;
        const int count = entry::countEntries(loaded.text);
        document::TextStore store(std::move(loaded.text), loaded.lineEnds);
        EXPECT_EQ(store.entryCount(), count);
        document::EditHistory history(store);
        for (qsizetype line = store.lineCount() - 1; line >= 0; line -= 100)
            history.edit(store.lineStart(line), std::min<qsizetype>(3, store.lineLength(line)),
                         u"@misc{x,\r\n"_s, document::EditKind::Command);
        while (history.canUndo())
            history.undo();
        EXPECT_EQ(saved(store, format), bytes);
    }
}

// Opening makes no second copy of the text: the store's text is the decoder's string.
TEST(TextStore, AdoptsTheDecodedStringWithoutACopy) {
    document::LoadedDocument loaded = document::decodeDocument("@book{a,\r\n}\r\n");
    const QChar* characters = loaded.text.constData();
    document::TextStore store(std::move(loaded.text), loaded.lineEnds);
    EXPECT_EQ(store.text().data(), characters);
    EXPECT_EQ(store.entryCount(), 1);
}

// The jump box's head: the first head line whose first label key is the one asked for, A-Z and a-z alike.
TEST(TextStore, FindsTheHeadLineOfALabel) {
    const document::TextStore store(u"% {ab, in a comment\n@misc{x, {ab,\n@book{AB,\n@book{ab,\n@misc{c"_s);
    const struct {
        QString key;
        qsizetype line;
    } cases[] = {
        {u"{ab,"_s, 2},  // line 0 holds it outside a head, line 1 as its second key
        {u"{x,"_s, 1},   //
        {u"{c,"_s, -1},  // no comma: no key
        {u"{zz,"_s, -1}, //
    };
    for (const auto& c : cases)
        EXPECT_EQ(store.headLineOf(c.key), c.line) << c.key.toStdString();
}

} // namespace

namespace {

// Heads of labels in an order unlike the keys', added, renamed and taken out through the store, against
// the plain model: enough labels that the index cuts its labels into many chunks and empties some again.
TEST(EntryIndexLabels, AgreeWithThePlainModelAcrossManyChunks) {
    struct Run {
        const char* what;
        int labels;
        bool adopted; // the text as a file opened brings it, or typed in head by head
    };
    for (const Run run : {Run{"typed", 1500, false}, Run{"adopted", 1500, true}}) {
        SCOPED_TRACE(run.what);
        QRandomGenerator random(7);
        QString text;
        for (int i = 0; i < run.labels; ++i) // every third written in capitals, some twice over
            text += QStringLiteral("@misc{%1%2,\n")
                        .arg(i % 3 == 0 ? u"Ref"_s : u"ref"_s)
                        .arg(random.bounded(900));
        document::TextStore store(run.adopted ? text : QString());
        model::TextModel model(run.adopted ? text : QString(), {});
        if (!run.adopted) {
            store.replace(0, 0, text);
            model.replace(0, 0, text.toStdU16String());
        }
        Checker(store, model, 0).compare();
        for (int step = 1; step <= 300; ++step) {
            // A head taken out, or its label's case or digits changed.
            const qsizetype line = random.bounded(int(store.lineCount()));
            const qsizetype from = store.lineStart(line), length = store.lineLength(line);
            const QString now = random.bounded(3) == 0 ? QString()
                                                       : QStringLiteral("@misc{%1%2,")
                                                             .arg(random.bounded(2) ? u"REF"_s : u"ref"_s)
                                                             .arg(random.bounded(900));
            store.replace(from, length, now);
            model.replace(size_t(from), size_t(length), now.toStdU16String());
            if (step % 50 == 0) Checker(store, model, step).compare();
        }
        // Every label taken out leaves no key behind.
        store.replace(0, store.size(), {});
        EXPECT_EQ(store.index().keyCount(), 0);
        EXPECT_EQ(store.index().headLabels().cbegin(), store.index().headLabels().cend());
    }
}

} // namespace
