// The main window's view of the text: the colouring of the lines shown (what each kind of run looks like,
// and that lines read after edits far above them match a reading from the top), 表示 > 色分け表示 and its
// setting, printing in black, 文献へ移動 and Ctrl+Down / Ctrl+Up.
#include "app/jump_box.h"
#include "bibtex/reader.h"
#include "document/label_matches.h"
#include "entry/entry_count.h"
#include "support/app_fixture.h"
#include "support/colouring_oracle.h"
#include "support/entry_lines_oracle.h"
#include "view/store_colouring.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextLayout>

namespace {

using namespace Qt::StringLiterals;
using bibtex::Token;

class ViewCommands : public AppFixture {
protected:
    view::StoreColouring& colouring() { return form1().colouring(); }
    QAction* highlightItem() { return form1().findChild<QAction*>(QStringLiteral("Highlight1")); }
    // The text opened as a file, the window shown and painted.
    void show(const QString& text) {
        form1().document().setModified(false);
        form1().FileOpen(writeFile(QStringLiteral("shown.bib"), text.toUtf8()));
        form1().show();
        settle();
    }
    // Painted, and what the view and the colouring set going by the event loop done.
    void settle() {
        QCoreApplication::processEvents();
        editor().viewport()->repaint();
        QCoreApplication::processEvents();
    }
    // The foreground line `line` shows at `column`; an invalid brush where it has no format of its own.
    QBrush shownAt(qsizetype line, qsizetype column) {
        QBrush brush;
        for (const QTextLayout::FormatRange& r : oracle::shownFormats(editor(), line))
            if (column >= r.start && column < r.start + r.length) brush = r.format.foreground();
        return brush;
    }
    QBrush brushOf(Token token) { return colouring().look().of(token).foreground(); }
    // The lines the view has laid out that show a format of the colouring.
    int linesWithColours() {
        int count = 0;
        for (qsizetype line = 0; line < store().lineCount(); ++line)
            if (editor().viewLayout().isCached(line) && !oracle::shownFormats(editor(), line).isEmpty())
                ++count;
        return count;
    }
    // Every line on the screen shows the colours a reading from the top gives it, the caret's matching pair
    // and entry as that reading finds them.
    void expectShownLinesAsReadFromTheTop(const char* when) {
        settle();
        ASSERT_EQ(oracle::colouringDifference(editor(), colouring()).toStdString(), "") << when;
    }
    void scrollToLine(qsizetype line) {
        editor().scrollToLine(line);
        settle();
    }
};

TEST_F(ViewCommands, EachKindOfRunShowsInItsOwnColourAndTheStateCarriesOverLines) {
    struct Row {
        const char16_t* text;
        int line;
        const char16_t* part;      // the first occurrence in that line
        std::optional<Token> kind; // none: shown in the editor's own text colour
    };
    const std::vector<Row> rows = {
        {u"@article{lab1,", 0, u"@", Token::At},
        {u"@article{lab1,", 0, u"article", Token::EntryType},
        {u"@article{lab1,", 0, u"lab1", Token::Label},
        {u"@article{lab1,", 0, u"{", std::nullopt},
        {u"@misc{k,\n  title = {A {B} c},", 1, u"title", Token::FieldName},
        {u"@misc{k,\n  title = {A {B} c},", 1, u"{A {B} c}", Token::Braced},
        {u"@misc{k,\n  title = {A {B} c},", 1, u"=", std::nullopt},
        {u"@misc{k, year = 2024}", 0, u"2024", Token::Number},
        {u"@misc{k, journal = jacs # \"x\"}", 0, u"jacs", Token::Abbreviation},
        {u"@misc{k, journal = jacs # \"x\"}", 0, u"\"x\"", Token::Quoted},
        {u"@string{jacs = \"J. Am.\"}", 0, u"string", Token::Command},
        {u"気になる文献 free text", 0, u"気になる文献 free text", Token::Comment},
        {u"@misc{k, note = {a\nb @article{x,\n}}}\nafter", 1, u"b @article{x,", Token::Braced},
        {u"@misc{k, note = {a\nb @article{x,\n}}}\nafter", 3, u"after", Token::Comment},
        {u"@misc{k, note = \"a\nstill \"}", 1, u"still \"", Token::Quoted},
        {u"@misc{k, title = \"a}\"}", 0, u"}", Token::Error},
    };
    for (const Row& row : rows) {
        const QString text = QString::fromUtf16(row.text);
        show(text);
        const QString part = QString::fromUtf16(row.part);
        const qsizetype at = store().line(row.line).indexOf(part);
        ASSERT_GE(at, 0) << text.toStdString();
        for (qsizetype c = at; c < at + part.size(); ++c)
            EXPECT_EQ(shownAt(row.line, c), row.kind ? brushOf(*row.kind) : QBrush())
                << text.toStdString() << " / " << part.toStdString() << " column " << c;
    }
    // Kinds that must stand apart from one another and from the text around them.
    const QColor text = editor().palette().color(QPalette::Text);
    for (Token t : {Token::At, Token::Label, Token::FieldName, Token::Braced, Token::Comment, Token::Error})
        EXPECT_NE(brushOf(t).color(), text) << int(t);
    EXPECT_NE(brushOf(Token::Label), brushOf(Token::FieldName));
    EXPECT_NE(brushOf(Token::FieldName), brushOf(Token::Braced));
    // Colour only: no kind changes the width of a character.
    for (int t = 0; t <= int(Token::Error); ++t) {
        const QTextCharFormat f = colouring().look().of(Token(t));
        EXPECT_FALSE(f.hasProperty(QTextFormat::FontWeight) || f.hasProperty(QTextFormat::FontItalic) ||
                     f.hasProperty(QTextFormat::FontPointSize) || f.hasProperty(QTextFormat::FontFamilies))
            << t;
    }
}

// A keystroke shows its line coloured as it now reads, and the lines around it as they read after it.
TEST_F(ViewCommands, AKeystrokeColoursItsLineAtOnce) {
    for (const bool colouringOn : {true, false}) {
        colouring().setEnabled(colouringOn);
        show(u"@misc{a,\n  title = {One},\n  note = {Two},\n  year = 2024,\n}\n"_s);
        editor().setCaret(store().lineStart(2) + 3); // inside "note"
        for (const Qt::Key key : {Qt::Key_X, Qt::Key_Backspace}) {
            QTest::keyClick(&editor(), key);
            editor().viewport()->repaint();
            const QString typed = store().line(2).toString();
            const qsizetype braced = typed.lastIndexOf(u'{');
            EXPECT_EQ(shownAt(2, braced + 1), colouringOn ? brushOf(Token::Braced) : QBrush())
                << "colouring " << colouringOn << ", key " << key << " " << typed.toStdString();
            EXPECT_EQ(oracle::colouringDifference(editor(), colouring()).toStdString(), "")
                << "colouring " << colouringOn << ", key " << key;
        }
    }
}

// Japanese is typed through an input method: while a word is composed, its line shows the input method's
// formats (which segment is being converted); the committed text is coloured.
TEST_F(ViewCommands, AWordBeingComposedShowsTheInputMethodsFormatsAndIsColouredOnceCommitted) {
    show(u"@misc{k,\n  title = {x},\n}\n"_s);
    editor().setCaret(store().lineStart(1) + 11); // after "{"
    QTextCharFormat segment;
    segment.setFontUnderline(true);
    segment.setBackground(Qt::gray);
    const QString preedit = u"にほんご"_s;
    QInputMethodEvent composing(preedit,
                                {{QInputMethodEvent::TextFormat, 0, int(preedit.size()), QVariant(segment)}});
    QCoreApplication::sendEvent(&editor(), &composing);
    settle();
    const QList<QTextLayout::FormatRange> shown = oracle::shownFormats(editor(), 1);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].start, 11);
    EXPECT_EQ(shown[0].length, preedit.size());
    EXPECT_TRUE(shown[0].format.fontUnderline());

    QInputMethodEvent commit;
    commit.setCommitString(u"日本語"_s);
    QCoreApplication::sendEvent(&editor(), &commit);
    settle();
    EXPECT_EQ(store().line(1), u"  title = {日本語x},"_s);
    EXPECT_EQ(shownAt(1, 11), brushOf(Token::Braced));
}

TEST_F(ViewCommands, OnlyTheLinesShownAreColouredAndEditsFarAboveReachTheLinesShownLater) {
    QString text;
    for (int i = 0; i < 1500; ++i)
        text += QStringLiteral("@article{k%1,\n  title = {T %1},\n  year = 2020\n}\n").arg(i);
    show(text);
    const int shownLines = linesWithColours();
    EXPECT_GT(shownLines, 5);
    EXPECT_LT(shownLines, 100);
    expectShownLinesAsReadFromTheTop("loaded");

    // An unclosed brace at the top takes in every line below it; the states beyond the re-read lines
    // are read when those lines are shown.
    edit(store().lineLength(0), 0, QStringLiteral(" note = ") + QString(2000, u'{')); // each "}" closes one
    scrollToLine(5000);
    expectShownLinesAsReadFromTheTop("brace opened at the top");
    EXPECT_EQ(shownAt(editor().firstVisibleLine(), 0), brushOf(Token::Braced));
    command("Undo1");
    scrollToLine(5800);
    expectShownLinesAsReadFromTheTop("undone");

    // Random edits of the characters that change how BibTeX reads, each followed by a look somewhere.
    QRandomGenerator random(21);
    const QStringList pieces = {QStringLiteral("{"),      QStringLiteral("}"),  QStringLiteral("\""),
                                QStringLiteral("@misc{"), QStringLiteral("\n"), QStringLiteral(","),
                                QStringLiteral(" = "),    QStringLiteral("#")};
    for (int i = 0; i < 60; ++i) {
        const qsizetype at = random.bounded(int(store().size()));
        if (random.bounded(3) == 0)
            edit(at, 1, QString());
        else
            edit(at, 0, pieces[random.bounded(int(pieces.size()))]);
        scrollToLine(random.bounded(int(store().lineCount())));
        expectShownLinesAsReadFromTheTop(qPrintable(QStringLiteral("edit %1").arg(i)));
    }
    EXPECT_LT(linesWithColours(), store().lineCount() / 4);
}

TEST_F(ViewCommands, LinesFarBelowTheKnownOnesShowAtOnceAndTheReadingFromTheTopCorrectsThem) {
    // A brace left open in the first line takes in every entry below (each closes what it opens).
    QString text = QStringLiteral("@misc{open, note = {\n");
    for (int i = 0; i < 9000; ++i)
        text += QStringLiteral("@article{k%1,\n  title = {T},\n}\n").arg(i);
    // The reading in the background waits, as during a load: on a quiet machine one slice of it would
    // read these few lines to the end before the screen is looked at.
    colouring().setBusy([] { return true; });
    show(text);
    scrollToLine(store().lineCount() - 1);
    const qsizetype shown = editor().firstVisibleLine();
    ASSERT_LT(colouring().knownLines(), shown); // not read down to here: guessed
    EXPECT_GT(linesWithColours(), 0);
    colouring().readToEnd(); // what the background reading does while the window is idle
    expectShownLinesAsReadFromTheTop("read to the end");
    EXPECT_EQ(shownAt(shown, 0), brushOf(Token::Braced));
}

TEST_F(ViewCommands, HighlightItemIsOnByDefaultTakesTheColoursAwayAndIsKeptAfterARestart) {
    ASSERT_TRUE(highlightItem()->isCheckable());
    EXPECT_TRUE(highlightItem()->isChecked());
    show(QStringLiteral("@article{a,\n title = {x}}\n"));
    EXPECT_GT(linesWithColours(), 0);
    highlightItem()->trigger();
    EXPECT_FALSE(colouring().isEnabled());
    EXPECT_EQ(linesWithColours(), 0);
    settle();
    EXPECT_EQ(linesWithColours(), 0);

    bool canClose = true;
    form1().FormCloseQuery(canClose);
    EXPECT_EQ(settings::SettingsBatch(settings).readString(QStringLiteral("Option/Highlight"), {}),
              QStringLiteral("0"));
    restart();
    EXPECT_FALSE(highlightItem()->isChecked());
    EXPECT_FALSE(colouring().isEnabled());
    highlightItem()->trigger();
    form1().FormCloseQuery(canClose);
    EXPECT_EQ(settings::SettingsBatch(settings).readString(QStringLiteral("Option/Highlight"), {}),
              QStringLiteral("1"));
    // A value that is neither 1 nor 0 leaves the colouring on.
    for (const QString& stored : {QStringLiteral("2"), QStringLiteral("yes")}) {
        {
            settings::SettingsBatch batch(settings);
            batch.write(QStringLiteral("Option/Highlight"), stored);
        }
        restart();
        EXPECT_TRUE(highlightItem()->isChecked()) << stored.toStdString();
    }
}

TEST_F(ViewCommands, PrintingStaysBlackWithTheColouringOn) {
    show(QStringLiteral("@article{lab1,\n  title = {T},\n  journal = jacs # \"x\"}\nfree text"));
    ASSERT_GT(linesWithColours(), 0);
    const QString pdf = path(QStringLiteral("out.pdf"));
    platform.expectPrint([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    });
    form1().Print1Click();
    platform.verify();
    // Every colour the pages set, in every content stream, is black (Qt writes them compressed).
    const QByteArray bytes = readFile(pdf);
    static const QRegularExpression stream(QStringLiteral("stream\\r?\\n"));
    static const QRegularExpression colour(QStringLiteral("([-0-9. ]+) (rg|RG|scn|SCN)\\b"));
    int colours = 0;
    for (qsizetype at = bytes.indexOf("stream\n"); at >= 0; at = bytes.indexOf("stream\n", at + 1)) {
        const qsizetype from = at + 7;
        const qsizetype to = bytes.indexOf("endstream", from);
        if (to < 0) break;
        QByteArray body = bytes.mid(from, to - from);
        const quint32 size = quint32(body.size()) * 64;
        body.prepend(char(size & 0xff))
            .prepend(char((size >> 8) & 0xff))
            .prepend(char((size >> 16) & 0xff))
            .prepend(char(size >> 24));
        const QString content = QString::fromLatin1(qUncompress(body));
        for (auto m = colour.globalMatch(content); m.hasNext();) {
            const auto match = m.next();
            ++colours;
            for (const QString& n : match.captured(1).split(u' ', Qt::SkipEmptyParts))
                EXPECT_EQ(n.toDouble(), 0.0) << match.captured(0).toStdString();
        }
    }
    EXPECT_GT(colours, 0); // the text's colour was found
}

TEST_F(ViewCommands, LabelMatchesBeginningWithTheTextComeFirstAnyLetterCaseAsWritten) {
    // The labels as the document's index keeps them from the head lines of a text.
    QString text;
    for (const char* label :
         {"yamada2020", "abe2019", "Oyama1999", "yama", "山田2021", "kim2020a", "Knuth:1986:CMT", "KIM2020A"})
        text += QStringLiteral("@misc{%1, title = {x}}\n").arg(QString::fromUtf8(label));
    document::LoadedDocument loaded;
    loaded.text = text;
    document::Document index;
    index.load(std::move(loaded));
    struct Row {
        QString typed;
        int most;
        QStringList expected;
    };
    const std::vector<Row> rows = {
        {u"YAMA"_s, 10, {u"yama"_s, u"yamada2020"_s, u"Oyama1999"_s}},
        {u"yamad"_s, 10, {u"yamada2020"_s}},
        {u"2020"_s, 10, {u"kim2020a"_s, u"KIM2020A"_s, u"yamada2020"_s}}, // each as written
        {u"山田"_s, 10, {u"山田2021"_s}},
        {u"knuth:1986"_s, 10, {u"Knuth:1986:CMT"_s}},
        {u"cmt"_s, 10, {u"Knuth:1986:CMT"_s}},
        {u"zz"_s, 10, {}},
        {QString(), 10, {}},
        {u"a"_s, 2, {u"abe2019"_s, u"kim2020a"_s}},
        {u"yama"_s, 1, {u"yama"_s}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(document::labelMatches(index.headLabels(), row.typed, row.most), row.expected)
            << row.typed.toStdString();
}

TEST_F(ViewCommands, JumpBoxMovesToTheEntryOrSaysItWasNotFound) {
    QString text;
    for (int i = 0; i < 300; ++i) // titles wrapped over several rows
        text += QStringLiteral("@Article{Key%1,\n  title = {%2},\n}\n\n")
                    .arg(i)
                    .arg(QStringLiteral("Wrapped words ").repeated(i % 3 * 20));
    show(text);
    auto* item = form1().findChild<QAction*>(QStringLiteral("Jump1"));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->shortcut(), QKeySequence(QStringLiteral("Ctrl+J")));
    item->trigger();
    app::JumpBox& box = form1().jumpBox();
    ASSERT_TRUE(box.isVisible());
    auto* edit = box.findChild<QLineEdit*>(QStringLiteral("JumpLabelEdit"));
    QTest::keyClicks(edit, QStringLiteral("KEY25"));
    const QStringList offered = box.offered();
    ASSERT_GE(offered.size(), 11);
    // As the heads write them.
    EXPECT_EQ(offered.mid(0, 3), QStringList({u"Key25"_s, u"Key250"_s, u"Key251"_s}));
    EXPECT_EQ(offered.size(), 11);

    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(caretLine(), 25 * 4);
    EXPECT_EQ(caretColumn(), 0);
    EXPECT_EQ(editor().firstVisibleLine(), 25 * 4);

    item->trigger();
    QTest::keyClicks(edit, QStringLiteral("key9999"));
    platform.expectMessage(QStringLiteral("見つかりませんでした"));
    QTest::keyClick(edit, Qt::Key_Return);
    platform.verify();
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(edit->text(), QStringLiteral("key9999"));
    QTest::keyClick(edit, Qt::Key_Escape);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(caretLine(), 25 * 4);

    // A click on 移動 while the list is open reaches the button.
    item->trigger();
    QTest::keyClicks(edit, QStringLiteral("key30"));
    QWidget* list = box.findChild<QCompleter*>()->popup();
    ASSERT_TRUE(list->isVisible());
    auto* jump = box.findChild<QPushButton*>(QStringLiteral("JumpButton"));
    QTest::mouseClick(box.windowHandle(), Qt::LeftButton, {}, jump->mapTo(&box, jump->rect().center()));
    EXPECT_FALSE(list->isVisible());
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(caretLine(), 30 * 4);
}

// An entry the index keeps no label for is found as the command line finds it.
TEST_F(ViewCommands, JumpBoxFindsEntriesInParenthesesAndLabelsWithoutAComma) {
    show(u"@article{a,\n}\n% k1 in a comment\n@misc(k1,\n title = {x})\n\n@misc{Bare}\n"_s);
    auto* item = form1().findChild<QAction*>(QStringLiteral("Jump1"));
    auto* edit = form1().jumpBox().findChild<QLineEdit*>(QStringLiteral("JumpLabelEdit"));
    const std::pair<QString, int> rows[] = {{u"K1"_s, 3}, {u"bare"_s, 6}, {u"a"_s, 0}};
    for (const auto& [label, line] : rows) {
        item->trigger();
        edit->clear();
        QTest::keyClicks(edit, label);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_FALSE(form1().jumpBox().isVisible()) << label.toStdString();
        EXPECT_EQ(caretLine(), line) << label.toStdString();
    }
}

TEST_F(ViewCommands, CtrlDownAndCtrlUpWalkTheEntryHeads) {
    const QString text =
        QStringLiteral("% notes\n@article{a,\n title = {x}}\n\n  @book{b,\n}\ntext\n@misc{c}\n");
    show(text);
    editor().setFocus();
    const QList<int> heads = entry::entryHeadLineNumbers(text);
    ASSERT_EQ(heads, QList<int>({1, 4, 7}));
    QList<qsizetype> down, up;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(&editor(), Qt::Key_Down, Qt::ControlModifier);
        down << caretLine();
    }
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(&editor(), Qt::Key_Up, Qt::ControlModifier);
        up << caretLine();
    }
    EXPECT_EQ(down, QList<qsizetype>({1, 4, 7, 7})); // the last head stays
    EXPECT_EQ(up, QList<qsizetype>({4, 1, 1, 1}));
    EXPECT_EQ(caretColumn(), 0);
}

} // namespace

namespace {

TEST_F(ViewCommands, TheBraceOrQuoteMatchingTheOneAtTheCaretIsMarked) {
    struct Row {
        QString text;
        int caret;
        QList<qsizetype> marked; // the two characters marked, or none
    };
    const QString nested = QStringLiteral("@misc{k, t = {a {b} c}}");
    const QString quoted = QStringLiteral("@misc{k, t = \"a {b}\"}");
    const QString lines = QStringLiteral("@misc(k,\n t = {x}\n)");
    const std::vector<Row> rows = {
        {nested, 13, {13, 21}}, // before "{a"
        {nested, 19, {18, 16}}, // after "b}": the "}" before the caret
        {nested, 5, {5, 22}},   // the entry's own braces
        {quoted, 13, {13, 19}}, // the quotes of a quoted value
        {quoted, 19, {19, 13}}, // the character after the caret goes first
        {lines, 5, {5, 18}},    // over lines
        {nested, 2, {}},        {QStringLiteral("@misc{k, t = {a"), 13, {}}, // nothing closes it
    };
    for (const Row& row : rows) {
        show(row.text);
        editor().setCaret(row.caret);
        QList<qsizetype> marked;
        for (const view::ExtraSelection& s : editor().extraSelections())
            marked << s.from;
        EXPECT_EQ(marked, row.marked) << row.text.toStdString() << " at " << row.caret;
    }
}

// A change of font lays every line out afresh: the colouring leaves nothing behind that the next edit
// would take for part of itself (the line ends of the lines a Backspace joins would be lost).
TEST_F(ViewCommands, AFontChangeBeforeAnEditLeavesWhatTheEditSavesAsItWas) {
    QByteArray bytes;
    for (int line = 0; line < 40; ++line) // one of them ending in LF
        bytes += line == 20 ? "text\n" : "text\r\n";
    const QString file = writeFile(u"mixed.bib"_s, bytes);
    const auto savedAfterABackspace = [&](bool fontChanged) {
        form1().FileOpen(file);
        form1().show();
        colouring().setEnabled(false); // no line coloured: the next paint would colour them
        colouring().setEnabled(true);
        if (fontChanged) editor().setFont(QFont(editor().font().family(), 17));
        caretOnLine(21);
        QTest::keyClick(&editor(), Qt::Key_Backspace); // joins the LF line and the next
        platform.expectSaveFile(path(u"saved.bib"_s));
        form1().SA1Click();
        return readFile(path(u"saved.bib"_s));
    };
    EXPECT_EQ(savedAfterABackspace(true), savedAfterABackspace(false));
}

// The entry the caret stands in is marked faintly, the whole width of its lines, from its head line to
// the line that closes it, under the text.
TEST_F(ViewCommands, TheEntryTheCaretStandsInIsMarkedFromItsHeadToItsEnd) {
    // A line shows the mark where its right end differs from the editor's background.
    const auto markedLines = [this] {
        const QImage shown = editor().viewport()->grab().toImage();
        const QColor base = editor().palette().color(QPalette::Base);
        QList<int> marked;
        for (qsizetype line = 0; line < store().lineCount(); ++line) {
            const int y = editor().caretRect(store().lineStart(line)).center().y();
            if (shown.pixelColor(shown.width() - 3, y) != base) marked << int(line);
        }
        return marked;
    };
    // With the colouring on, the band marks the entry; on or off (no state known), 文献の修正 takes it.
    for (const bool coloured : {true, false}) {
        colouring().setEnabled(coloured);
        for (const oracle::EntryPlaces& p : oracle::entryPlaces()) {
            show(p.text);
            for (int line = 0; line < p.lineCount(); ++line) {
                caretOnLine(line);
                const oracle::PlacedEntry* e = p.around(line);
                QList<int> marked;
                for (int l = e ? e->first : 0; coloured && e && l <= e->last; ++l)
                    marked << l;
                EXPECT_EQ(markedLines(), marked) << p.name << " at line " << line;
                const entry::EntryLines placed =
                    e ? entry::EntryLines{e->first, e->last, e->column} : entry::EntryLines{};
                EXPECT_EQ(colouring().caretEntry(), placed) << p.name << " at line " << line;
            }
        }
    }
}

} // namespace
