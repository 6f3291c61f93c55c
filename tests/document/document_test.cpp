// The document over its text store and edit history, with no view: what a load adopts and when it says so,
// the modified flag and the long-line rule through every kind of change, a command's edits as one step,
// the label questions and the search over the store, and the bytes of a file coming back as they were.
#include "document/document.h"
#include "entry/entry_count.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace Qt::StringLiterals;
using document::Document;
using document::EditKind;

document::PreparedDocument prepared(const QString& text, const text::LineEnds& ends = {}) {
    document::LoadedDocument loaded;
    loaded.text = text;
    loaded.lineEnds = ends;
    return document::prepareDocument(std::move(loaded));
}

TEST(Document, LoadAdoptsThePreparedStoreAndSaysSo) {
    Document document;
    document.history().edit(0, 0, u"typed"_s, EditKind::Typing);
    QSignalSpy replaced(&document, &Document::storeReplaced);
    // A view of the previous store: it goes only once the signal has been heard.
    struct View final : document::TextObserver {
        void textReplaced(const document::Replacement&) override {}
        void textStoreDestroyed() override { gone = true; }
        bool gone = false;
    } view;
    document.store().addObserver(&view);
    // Whoever hears of it finds the new store and the new history already in place.
    const document::TextStore* heard = nullptr;
    const QMetaObject::Connection hearing = QObject::connect(&document, &Document::storeReplaced, [&] {
        heard = &document.store();
        EXPECT_FALSE(document.history().canUndo());
        EXPECT_FALSE(view.gone);
    });

    document::LoadedDocument loaded = document::decodeDocument("@book{a,\n}\n");
    const QChar* characters = loaded.text.constData();
    document::PreparedDocument ready = document::prepareDocument(std::move(loaded));
    const document::TextStore* store = ready.store.get();
    ready.format.text.encoding = text::Encoding::Utf8;
    document.load(std::move(ready));

    EXPECT_EQ(replaced.size(), 1);
    EXPECT_TRUE(view.gone);
    EXPECT_EQ(&document.store(), store);
    EXPECT_EQ(heard, store);
    EXPECT_EQ(document.store().text().data(), characters); // the decoder's string, not a copy
    EXPECT_EQ(document.text(), u"@book{a,\n}\n"_s);
    EXPECT_EQ(document.entryCount(), 1);
    EXPECT_EQ(document.format().text.encoding, text::Encoding::Utf8);
    EXPECT_FALSE(document.isModified());
    EXPECT_FALSE(document.history().canUndo());

    QObject::disconnect(hearing);
    document.clear();
    EXPECT_EQ(replaced.size(), 2);
    EXPECT_TRUE(document.isEmpty());
    EXPECT_EQ(document.format().text.encoding, document::DocumentFormat{}.text.encoding);
    EXPECT_EQ(document.entryCount(), 0);
}

// The modified flag after each action of a row, from a loaded text "ab"; and the signals it gave.
TEST(Document, EveryChangeSetsTheModifiedFlagAndOnlyLoadClearAndSaveClearIt) {
    enum Action { Type, Undo, Redo, Save, Load, Clear, Append, Edits };
    const struct {
        const char* name;
        std::vector<Action> actions;
        bool modified;
        int heard;
    } rows[] = {
        {"typing", {Type}, true, 1},
        {"typing, saved", {Type, Save}, false, 2},
        {"typing undone back to the text as loaded", {Type, Undo}, true, 1},
        {"saved, then undone back before the save", {Type, Save, Undo}, true, 3},
        {"undone, saved, redone", {Type, Undo, Save, Redo}, true, 3},
        {"a load after typing", {Type, Load}, false, 2},
        {"a clear after typing", {Type, Clear}, false, 2},
        {"lines appended", {Append}, true, 1},
        {"edits made", {Edits}, true, 1},
        {"a save with nothing changed", {Save}, false, 0},
    };
    for (const auto& row : rows) {
        Document document;
        document.load(prepared(u"ab"_s));
        QSignalSpy changed(&document, &Document::modificationChanged);
        for (Action action : row.actions) {
            switch (action) {
            case Type:
                document.history().edit(1, 0, u"x"_s, EditKind::Typing);
                break;
            case Undo:
                document.history().undo();
                break;
            case Redo:
                document.history().redo();
                break;
            case Save:
                document.setModified(false);
                break;
            case Load:
                document.load(prepared(u"cd"_s));
                break;
            case Clear:
                document.clear();
                break;
            case Append:
                document.appendLines({u"@misc{a,"_s, u"}"_s});
                break;
            case Edits:
                document.applyEdits({{0, 1, u"A"_s}});
                break;
            }
        }
        EXPECT_EQ(document.isModified(), row.modified) << row.name;
        EXPECT_EQ(changed.size(), row.heard) << row.name;
    }
}

// A save ends the grouping of typing: what is typed after it is taken back alone.
TEST(Document, ASaveStartsANewUndoStep) {
    Document document;
    document.history().edit(0, 0, u"ab"_s, EditKind::Typing);
    document.setModified(false);
    document.history().edit(2, 0, u"c"_s, EditKind::Typing);
    document.history().undo();
    EXPECT_EQ(document.text(), u"ab"_s);
}

TEST(Document, ALongLineIsFoundOnLoadAndWhenAChangeMakesOne) {
    const qsizetype n = document::kLongLine;
    const QString shortLine(n - 1, u'a');
    const struct {
        const char* name;
        QString loaded;
        // An edit (position, length, text) after the load; none when the position is -1.
        qsizetype at, length;
        QString typed;
        bool longLine;
        int heard;
    } rows[] = {
        {"loaded one short of it", u"x\n"_s + shortLine + u"\ny"_s, -1, 0, {}, false, 0},
        {"loaded with one", u"x\n"_s + shortLine + u"a\ny"_s, -1, 0, {}, true, 1},
        {"loaded as the last line", u"x\n"_s + shortLine + u"a"_s, -1, 0, {}, true, 1},
        {"a character typed at its end", u"x\n"_s + shortLine + u"\ny"_s, 2 + n - 1, 0, u"b"_s, true, 1},
        {"a line break taken out between two lines", shortLine + u"\nb"_s, n - 1, 1, {}, true, 1},
        {"a long line pasted in several lines", u"x"_s, 1, 0, u"\n\n"_s + shortLine + u"ab\nc"_s, true, 1},
        {"a short line typed", u"x\n"_s + shortLine, 0, 0, u"b"_s, false, 0},
        {"a line shortened", u"x\n"_s + shortLine + u"a"_s, 3, 5, {}, true, 1},
    };
    for (const auto& row : rows) {
        Document document;
        QSignalSpy changed(&document, &Document::longLineChanged);
        document.load(prepared(row.loaded));
        if (row.at >= 0) document.history().edit(row.at, row.length, row.typed, EditKind::Command);
        EXPECT_EQ(document.hasLongLine(), row.longLine) << row.name;
        EXPECT_EQ(changed.size(), row.heard) << row.name;
        // Only a load or a clear takes it back.
        document.clear();
        EXPECT_FALSE(document.hasLongLine()) << row.name;
    }
}

TEST(Document, AppendedLinesAreOneStepOfTheirOwn) {
    const struct {
        QString before;
        QString after;
    } rows[] = {
        {u""_s, u"@misc{a,\n}\n\n"_s},
        {u"% note"_s, u"% note\n@misc{a,\n}\n\n"_s}, // the last line gets its break first
        {u"x\n"_s, u"x\n@misc{a,\n}\n\n"_s},
    };
    for (const auto& row : rows) {
        Document document;
        document.load(prepared(row.before));
        document.appendLines({u"@misc{a,"_s, u"}"_s, QString()});
        EXPECT_EQ(document.text(), row.after);
        EXPECT_EQ(document.entryCount(), 1);
        // Typing right after them is a step apart.
        document.history().edit(document.store().size(), 0, u"y"_s, EditKind::Typing);
        EXPECT_EQ(document.history().undoSteps(), 2);
        document.history().undo();
        EXPECT_EQ(document.history().undo(), row.before.size()); // where the appended text began
        EXPECT_EQ(document.text(), row.before);
        EXPECT_EQ(document.entryCount(), 0);
    }
}

// Edits far apart are one step: its undo puts back every character and line end and leaves the caret where
// the first edit begins; a line an edit adds takes the end of the line it was split from.
TEST(Document, EditsAreOneStepKeepingEveryLineEnd) {
    const QByteArray bytes = "x a\r\nb a\nc\r\nd\r\ne a\r\n";
    const struct {
        QList<text::TextEdit> edits;
        QByteArray edited;
        qsizetype caret;
    } rows[] = {
        {{{2, 1, u"1"_s}, {6, 1, u"2\n3"_s}, {14, 1, u"4"_s}}, "x 1\r\nb 2\n3\nc\r\nd\r\ne 4\r\n", 2},
        {{{0, 0, u"@"_s}, {8, 4, QString()}}, "@x a\r\nb a\ne a\r\n", 0},
        {{{4, 4, u"B\nB"_s}}, "x a\r\nB\r\nBc\r\nd\r\ne a\r\n", 8}, // one edit: after the text put back
    };
    for (const auto& row : rows) {
        Document document;
        document.load(document::decodeDocument(bytes));
        const auto saved = [&] { return document.encode(document.format()).bytes; };
        document.applyEdits(row.edits);
        EXPECT_EQ(saved(), row.edited);
        EXPECT_EQ(document.history().undoSteps(), 1);
        EXPECT_EQ(document.history().undo(), row.caret) << row.edited.constData();
        EXPECT_EQ(saved(), bytes);
        document.history().redo();
        EXPECT_EQ(saved(), row.edited);
    }
}

TEST(Document, AnswersLabelQuestionsFromItsIndexAndText) {
    // Line 0 a comment, 1 a head written in upper case, 3 a head in parentheses, 5 a label without ",",
    // 6 a second head with the first one's label.
    Document document;
    document.load(prepared(u"% {c,\n@Book{AbC,\n}\n@misc(paren,\n)\n@misc{nocomma\n@article{abc,\n"_s));
    const struct {
        QString label;
        bool inUse;
        qsizetype head;
    } rows[] = {
        {u"abc"_s, true, 1},      // through the index, A-Z and a-z alike
        {u"ABC"_s, true, 1},      //
        {u"c"_s, true, -1},       // a key on a line that is no head
        {u"paren"_s, false, 3},   // no "{": through the text, as the command line finds it
        {u"PAREN"_s, false, 3},   //
        {u"nocomma"_s, false, 5}, // no "," after it on its line: through the text
        {u"zz"_s, false, -1},     // nowhere at all
        {u"a,b"_s, false, -1},    // no key for it: the label check reads the text
        {QString(), false, -1},   //
    };
    for (const auto& row : rows) {
        EXPECT_EQ(document.labelInUse(row.label), row.inUse) << row.label.toStdString();
        EXPECT_EQ(document.entryHead(row.label), row.head) << row.label.toStdString();
    }
    EXPECT_TRUE(document.isEntryHead(1));
    EXPECT_FALSE(document.isEntryHead(2));

    // The jump box's labels, as written, each head once; then after an edit renames one.
    const auto shown = [&] {
        QStringList labels;
        for (auto it = document.headLabels().cbegin(); it != document.headLabels().cend(); ++it)
            for (int n = 0; n < it.value(); ++n)
                labels.append(it.key().shown());
        return labels;
    };
    QStringList labels = shown();
    labels.sort();
    EXPECT_EQ(labels, QStringList({u"AbC"_s, u"abc"_s})); // none for the head in parentheses
    document.history().edit(document.store().lineStart(1) + 6, 3, u"XyZ"_s, EditKind::Typing);
    EXPECT_TRUE(shown().contains(u"XyZ"_s));
    EXPECT_EQ(document.entryHead(u"xyz"_s), 1);
    EXPECT_EQ(document.entryHead(u"abc"_s), 6);
}

// The search reads the store where its gap is: after an edit in the middle as on a text just loaded.
TEST(Document, FindsNextInTheStoreWithOrWithoutALineBreak) {
    const struct {
        const char* needle;
        qsizetype from;
        qsizetype found;
    } rows[] = {
        {"beta", 0, 6},   {"BETA", 7, 17},         {"a\ngam", 0, 9},        {"a\nGAMMA\nbeta", 0, 9},
        {"\n", 5, 5},     {"alpha", 1, -1},        {"delta", 0, -1},        {"", 0, -1},
        {"beta\n", 6, 6}, {"gamma\nbeta", 11, 11}, {"gamma\nbeta", 12, -1}, {"beta", 18, -1},
    };
    for (bool edited : {false, true}) {
        Document document;
        document.load(prepared(edited ? u"alpha\nbeta\nXgamma\nbeta"_s : u"alpha\nbeta\ngamma\nbeta"_s));
        // Taking out the "X" leaves the gap in the middle of the text.
        if (edited) document.history().edit(11, 1, {}, EditKind::Erasing);
        for (const auto& row : rows)
            EXPECT_EQ(document.findNext(QString::fromUtf8(row.needle), row.from), row.found)
                << row.needle << " from " << row.from << (edited ? " edited" : "");
    }
}

// A file read and written again comes back byte for byte, each line with its own line end, edited or not.
TEST(Document, EncodesAndSnapshotsByteForByte) {
    const QByteArray files[] = {
        "@book{a,\r\n title = {x},\n}\r% \xe6\x97\xa5\xe6\x9c\xac\r\n\r\nend",
        "a\nb\r\nc\rd\n",
        "",
        "\r\n\r\n",
    };
    for (const QByteArray& bytes : files) {
        Document document;
        const document::LoadedDocument loaded = document::decodeDocument(bytes);
        document.load(loaded);
        EXPECT_EQ(document.encode(document.format()).bytes, bytes) << bytes.constData();
        const Document::Snapshot snapshot = document.snapshot();
        EXPECT_EQ(snapshot.text, loaded.text);
        EXPECT_EQ(snapshot.lineEnds, loaded.lineEnds);
        EXPECT_EQ(document::encodeDocument(snapshot.text, document.format(), snapshot.lineEnds).bytes, bytes);
        // Typed and taken back: the same bytes.
        document.history().edit(0, 0, u"x\n"_s, EditKind::Command);
        document.history().undo();
        EXPECT_EQ(document.encode(document.format()).bytes, bytes) << bytes.constData();
    }
}

TEST(Document, AdoptsAStorePreparedInAnotherThread) {
    QString text;
    for (int i = 0; i < 2000; ++i)
        text += u"@article{ref%1,\n title = {第%1報},\n}\n"_s.arg(i);
    text += QString(document::kLongLine, u'z');
    const text::LineEnds ends = {{3, text::LineBreak::Lf}, {100, text::LineBreak::Cr}};
    document::PreparedDocument ready;
    std::thread reader([&] { ready = prepared(text, ends); });
    reader.join();

    Document document;
    QSignalSpy longLine(&document, &Document::longLineChanged);
    document.load(std::move(ready));
    EXPECT_EQ(document.text(), text);
    EXPECT_EQ(document.entryCount(), 2000);
    EXPECT_EQ(document.snapshot().lineEnds, ends);
    EXPECT_EQ(document.entryHead(u"REF1999"_s), 1999 * 3);
    EXPECT_TRUE(document.hasLongLine());
    EXPECT_EQ(longLine.size(), 1);
    // The store is the document's own from now on: it follows its changes.
    document.history().edit(0, 0, u"@misc{new,\n"_s, EditKind::Command);
    EXPECT_EQ(document.entryCount(), 2001);
    EXPECT_TRUE(document.isModified());
}

// The caption follows the path: a signal for each change, none for the same path again.
TEST(DocumentPath, SignalledWhenItChanges) {
    Document document;
    QStringList signalled;
    QObject::connect(&document, &Document::pathChanged, [&](const QString& path) { signalled.append(path); });
    for (const char* path : {"/a.bib", "/a.bib", "/b.bib", ""})
        document.setPath(QString::fromLatin1(path));
    EXPECT_EQ(signalled, QStringList({u"/a.bib"_s, u"/b.bib"_s, QString()}));
    EXPECT_EQ(document.path(), QString());
}

} // namespace
