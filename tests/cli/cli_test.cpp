// lorvane-cli: its commands, their refusals and exit codes, and the same bytes as the entry form and the
// CSV dialogs for the same input.
#include "base/app_info.h"
#include "cli/cli.h"
#include "csv/csv_export.h"
#include "csv/csv_export_form.h"
#include "csv/csv_import_form.h"
#include "csv/field_chooser.h"
#include "support/app_fixture.h"
#include "support/entry_form_controls.h"
#include "view/text_view.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QListWidget>
#include <QStringEncoder>

namespace {

QByteArray cp932(const QString& text) {
    return QStringEncoder("windows-31j").encode(text);
}

class Cli : public AppFixture {
protected:
    int run(const QStringList& args) {
        QBuffer o, e;
        o.open(QIODevice::WriteOnly);
        e.open(QIODevice::WriteOnly);
        const int code = cli::run(args, o, e);
        out = o.data();
        err = QString::fromUtf8(e.data());
        return code;
    }
    QString write(const QString& name, const QByteArray& bytes) { return writeFile(name, bytes); }
    QString outText() const { return QString::fromUtf8(out); }

    // The chooser of a CSV dialog with these names in DstList, in this order.
    static void choose(QDialog& d, const QStringList& names) {
        auto* chooser = d.findChild<csv::FieldChooser*>();
        for (const QString& name : names) {
            chooser->srcList()->clearSelection();
            chooser->srcList()->findItems(name, Qt::MatchExactly).first()->setSelected(true);
            chooser->IncludeBtnClick();
        }
    }
    // Opens `file` in the editor, or starts untitled when it does not exist.
    void openOrNew(const QString& file) {
        if (QFile::exists(file)) form1().FileOpen(file);
    }
    // Saves the document under `file`, through the save dialog when it is untitled.
    void save(const QString& file) {
        if (form1().documentName() == base::kUntitledName) platform.expectSaveFile(file);
        form1().Save1Click();
        platform.verify();
    }

    QByteArray out;
    QString err;
};

TEST_F(Cli, AddAppendsTheFormsEntryInTheFilesEncoding) {
    const QString file =
        write(QStringLiteral("refs.bib"), "% \x93\xfa\x96\x7b"); // CP932 "日本", no final line break
    ASSERT_EQ(run({QStringLiteral("add"), file, QStringLiteral("--category"), QStringLiteral("1"),
                   QStringLiteral("--label"), QStringLiteral("k1"), QStringLiteral("--editor"),
                   QStringLiteral("E"), QStringLiteral("--title"), QStringLiteral("T"),
                   QStringLiteral("--publisher"), QStringLiteral("P"), QStringLiteral("--year"),
                   QStringLiteral("2000"), QStringLiteral("--volume"), QStringLiteral("3")}),
              0)
        << err.toStdString();
    EXPECT_EQ(
        readFile(file),
        QByteArray("% \x93\xfa\x96\x7b\r\n@book{k1,\r\n editor    = \"E\",\r\n title     = \"T\",\r\n"
                   " publisher = \"P\",\r\n year      = \"2000\",\r\n volume    = \"3\",\r\n}\r\n\r\n"));
    EXPECT_EQ(outText(), file + QStringLiteral(": 1\n"));

    EXPECT_EQ(run({QStringLiteral("count"), file, file}), 0);
    EXPECT_EQ(outText(), file + QStringLiteral(": 1\n") + file + QStringLiteral(": 1\n"));
}

TEST_F(Cli, RefusesALabelInUseAnIncompleteEntryAndAnUnencodableOne) {
    const QByteArray before("@misc{ABC,\r\n}\r\n");
    const QString file = write(QStringLiteral("refs.bib"), before);
    const QStringList misc{QStringLiteral("add"), file, QStringLiteral("--category"), QStringLiteral("misc")};
    EXPECT_EQ(run(misc + QStringList{QStringLiteral("--label"), QStringLiteral("abc")}), 1);
    EXPECT_EQ(err, QStringLiteral("入力した文献ラベルは既に使われています\n別のラベルを指定してください\n"));
    EXPECT_EQ(run({QStringLiteral("add"), file, QStringLiteral("--category"), QStringLiteral("0"),
                   QStringLiteral("--label"), QStringLiteral("new"), QStringLiteral("--title"),
                   QStringLiteral("T")}),
              1);
    EXPECT_EQ(err, QStringLiteral("category 0 (article) needs --author, --journal, --year\n"));
    EXPECT_EQ(run(misc + QStringList{QStringLiteral("--label"), QString()}), 1);
    EXPECT_EQ(err, QStringLiteral("category 12 (misc) needs --label\n"));
    EXPECT_EQ(run(misc + QStringList{QStringLiteral("--label"), QStringLiteral("new"),
                                     QStringLiteral("--author"), QStringLiteral("ü")}),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("ü"))) << err.toStdString();
    EXPECT_EQ(readFile(file), before);

    EXPECT_EQ(
        run(misc + QStringList{QStringLiteral("--label"), QStringLiteral("new"), QStringLiteral("--author"),
                               QStringLiteral("ü"), QStringLiteral("--utf8")}),
        0);
    EXPECT_EQ(readFile(file), before + QByteArray("@misc{new,\r\n author    = \"\xc3\xbc\",\r\n}\r\n\r\n"));
}

TEST_F(Cli, AddTakesTheCategorysFieldsAndEitherNameOfAChoice) {
    const QString file = path(QStringLiteral("new.bib"));
    const QStringList inbook{QStringLiteral("add"),         file,
                             QStringLiteral("--category"),  QStringLiteral("INBOOK"),
                             QStringLiteral("--label"),     QStringLiteral("k"),
                             QStringLiteral("--title"),     QStringLiteral("T"),
                             QStringLiteral("--publisher"), QStringLiteral("P"),
                             QStringLiteral("--year"),      QStringLiteral("1")};
    EXPECT_EQ(
        run(inbook + QStringList{QStringLiteral("--author"), QStringLiteral("A"), QStringLiteral("--pages"),
                                 QStringLiteral("5"), QStringLiteral("--journal"), QStringLiteral("J")}),
        1);
    EXPECT_EQ(err, QStringLiteral("category 4 (inbook) has no field journal\n"));
    EXPECT_EQ(
        run(inbook + QStringList{QStringLiteral("--author"), QStringLiteral("A"), QStringLiteral("--editor"),
                                 QStringLiteral("E"), QStringLiteral("--pages"), QStringLiteral("5")}),
        1);
    EXPECT_EQ(err, QStringLiteral("--author and --editor write the same input; give one of them\n"));
    EXPECT_EQ(run(inbook + QStringList{QStringLiteral("--editor"), QStringLiteral("E")}), 1);
    EXPECT_EQ(err, QStringLiteral("category 4 (inbook) needs --chapter (or --pages)\n"));
    EXPECT_FALSE(QFile::exists(file));

    ASSERT_EQ(
        run(inbook + QStringList{QStringLiteral("--editor"), QStringLiteral("E"), QStringLiteral("--pages"),
                                 QStringLiteral("5"), QStringLiteral("--number"), QStringLiteral("2")}),
        0)
        << err.toStdString();
    EXPECT_EQ(readFile(file),
              QByteArray("@inbook{k,\r\n editor    = \"E\",\r\n title     = \"T\",\r\n"
                         " pages     = \"5\",\r\n publisher = \"P\",\r\n year      = \"1\",\r\n"
                         " number    = \"2\",\r\n}\r\n\r\n"));
}

TEST_F(Cli, ReportsUsageAndFileErrors) {
    EXPECT_EQ(run({}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("usage")));
    EXPECT_EQ(run({QStringLiteral("--help")}), 0);
    for (const char* command : {"count", "add", "edit", "export", "import"})
        EXPECT_TRUE(outText().contains(QStringLiteral("  %1 ").arg(QLatin1String(command)))) << command;
    const struct {
        const char* args;
        int exit;
        const char* said; // on standard output for 0, on standard error otherwise
    } cases[] = {
        {"add --help", 0, "usage: lorvane-cli add FILE --category C --label LABEL [--FIELD VALUE]..."},
        {"import -h", 0, "--labels <MODE>"},
        {"export --help", 0, "-o, --output <OUT>"},
        {"count", 2, "give at least one FILE"},
        {"frobnicate x", 2, "unknown command \"frobnicate\""},
        {"add x.bib --category 13 --label k", 2, "unknown category \"13\""},
        {"add x.bib --category 0", 2, "--label is missing"},
        {"add x.bib --category 0 --label k --colour red", 2, "Unknown option 'colour'."},
        {"add x.bib y.bib --category 12 --label k", 2, "give exactly one FILE"},
        {"export x.bib", 2, "--fields is missing"},
        {"edit x.bib --title T", 2, "--label is missing"},
        {"edit x.bib --label k --remove colour", 2, "--remove names no field \"colour\""},
        {"edit x.bib --label k --title T --remove title", 2,
         "--title and --remove title contradict each other"},
        {"edit missing.bib --label k --title T", 3,
         "missing.bib: cannot be read (No such file or directory)"},
        {"import x.csv --category 0 --fields author --labels some", 2, "--labels is manual, auto or column"},
        {"count missing.bib", 3, "missing.bib: cannot be read (No such file or directory)"},
        {"export missing.bib --fields year", 3, "missing.bib: cannot be read (No such file or directory)"},
        {"import missing.csv --category 0 --fields author", 3,
         "missing.csv: cannot be read (No such file or directory)"},
        {"count /dev/zero", 3, "/dev/zero: cannot be read (it is not a regular file)"}, // a device never ends
        {"add no/such/folder.bib --category 12 --label k --title T", 3,
         "no/such/folder.bib: cannot be written ("},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        EXPECT_EQ(run(QString::fromLatin1(c.args).split(u' ')), c.exit);
        EXPECT_TRUE((c.exit == 0 ? outText() : err).contains(QString::fromUtf8(c.said)))
            << outText().toStdString() << err.toStdString();
        if (c.exit == 2) {
            EXPECT_TRUE(err.contains(QStringLiteral("usage: lorvane-cli"))) << err.toStdString();
        }
    }
}

// ---- edit ----------------------------------------------------------------------------------------------

// A Shift-JIS file with CR LF; the article's last field has no ",".
QByteArray editFixture() {
    return cp932(QStringLiteral("@article{Yamada1991,\r\n  author = {山田 太郎},\r\n  title = {表題},\r\n"
                                "  journal = {情報処理},\r\n  year = 1991\r\n}\r\n\r\n"
                                "@misc{broken, title = {x} year = 1}\r\n@misc{other,\r\n}\r\n"));
}

TEST_F(Cli, EditAddsAFieldInPlaceKeepingEveryOtherByteAndTheLineBreaks) {
    const QString file = write(QStringLiteral("refs.bib"), editFixture());
    ASSERT_EQ(run({QStringLiteral("edit"), file, QStringLiteral("--label"), QStringLiteral("yamada1991"),
                   QStringLiteral("--yomi"), QStringLiteral("やまだ たろう")}),
              0)
        << err.toStdString();
    EXPECT_EQ(outText(), file + QStringLiteral(": Yamada1991 changed\n"));
    EXPECT_EQ(
        readFile(file),
        cp932(QStringLiteral("@article{Yamada1991,\r\n  author = {山田 太郎},\r\n  title = {表題},\r\n"
                             "  journal = {情報処理},\r\n  year = 1991,\r\n yomi    = \"やまだ たろう\",\r\n"
                             "}\r\n\r\n@misc{broken, title = {x} year = 1}\r\n@misc{other,\r\n}\r\n")));

    ASSERT_EQ(run({QStringLiteral("edit"), file, QStringLiteral("--label"), QStringLiteral("Yamada1991"),
                   QStringLiteral("--category"), QStringLiteral("misc"), QStringLiteral("--remove"),
                   QStringLiteral("yomi"), QStringLiteral("--remove"), QStringLiteral("month"),
                   QStringLiteral("--new-label"), QStringLiteral("y91")}),
              0)
        << err.toStdString();
    EXPECT_EQ(readFile(file),
              cp932(QStringLiteral("@misc{y91,\r\n  author = {山田 太郎},\r\n  title = {表題},\r\n"
                                   "  journal = {情報処理},\r\n  year = 1991,\r\n}\r\n\r\n"
                                   "@misc{broken, title = {x} year = 1}\r\n@misc{other,\r\n}\r\n")));
}

TEST_F(Cli, EditWritesWhatTheFormsChangeAndTheEditorsSaveWrite) {
    const QString viaCli = write(QStringLiteral("cli.bib"), editFixture());
    const QString viaForm = write(QStringLiteral("form.bib"), editFixture());
    ASSERT_EQ(run({QStringLiteral("edit"), viaCli, QStringLiteral("--label"), QStringLiteral("yamada1991"),
                   QStringLiteral("--title"), QStringLiteral("新しい表題"), QStringLiteral("--yomi"),
                   QStringLiteral("やまだ"), QStringLiteral("--author"), QString()}),
              1); // the author is required
    ASSERT_EQ(run({QStringLiteral("edit"), viaCli, QStringLiteral("--label"), QStringLiteral("yamada1991"),
                   QStringLiteral("--title"), QStringLiteral("新しい表題"), QStringLiteral("--yomi"),
                   QStringLiteral("やまだ")}),
              0)
        << err.toStdString();

    form1().FileOpen(viaForm);
    caretOnLine(2);
    platform.expectModal(QStringLiteral("TForm2"), [](QDialog& d) {
        const Form f{d};
        f.edit(3).setText(QStringLiteral("新しい表題"));
        f.edit(11).setText(QStringLiteral("やまだ"));
        f.add();
    });
    command("Modify1");
    save(viaForm);
    EXPECT_EQ(readFile(viaCli), readFile(viaForm));
    EXPECT_NE(readFile(viaCli), editFixture());
}

// Every entry the editor's 文献の修正 reaches: in parentheses, with no "," after its label, after another on
// its line, of a style's other type name (whose word stays); a type of no category is refused.
TEST_F(Cli, EditFindsTheEntriesBibTeXReads) {
    const QString text =
        QStringLiteral("@article(p1,\r\n  author = {A},\r\n  title = {T},\r\n"
                       "  journal = {J},\r\n  year = 1990\r\n)\r\n"
                       "@misc{x} @MastersThesis{m1, author = {M}, title = {T}, school = {S}, "
                       "year = 2001}\r\n"
                       "@online{o1,\r\n}\r\n");
    struct Case {
        const char* args; // after "edit FILE"
        int exit;
        const char16_t* from; // the text changed (exit 0), or what standard error says
        const char16_t* to;
    };
    const Case cases[] = {
        {"--label P1 --title U", 0, u"  title = {T},\r\n", u" title   = \"U\",\r\n"},
        {"--label x --title U", 0, u"@misc{x}", u"@misc{x, title = \"U\"}"},
        {"--label m1 --year 2002", 0, u"year = 2001}", u"year = \"2002\"}"},
        {"--label o1 --title U", 1, u"refs.bib:8: the type @online is none of the thirteen categories",
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const QString file = write(QStringLiteral("refs.bib"), cp932(text));
        EXPECT_EQ(run(QStringList{QStringLiteral("edit"), file} + QString::fromUtf8(c.args).split(u' ')),
                  c.exit);
        if (c.exit != 0) {
            EXPECT_TRUE(err.contains(QString::fromUtf16(c.from))) << err.toStdString();
            EXPECT_EQ(readFile(file), cp932(text));
            continue;
        }
        QString expected = text;
        ASSERT_EQ(expected.count(QString::fromUtf16(c.from)), 1);
        expected.replace(QString::fromUtf16(c.from), QString::fromUtf16(c.to));
        EXPECT_EQ(readFile(file), cp932(expected)) << err.toStdString();
    }
}

TEST_F(Cli, EditWritesNothingWhenNothingChangesOrItRefuses) {
    const QByteArray before = editFixture();
    const QString file = write(QStringLiteral("refs.bib"), before);
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    const struct {
        const char* args; // after "edit FILE"
        int exit;
        const char16_t* said; // on standard output for 0, on standard error otherwise
    } cases[] = {
        {"--label yamada1991 --title 表題 --year 1991", 0, u": Yamada1991 unchanged"},
        {"--label nobody --title T", 1, u"no entry has the label \"nobody\""},
        {"--label yamada1991 --new-label OTHER", 1, u"入力した文献ラベルは既に使われています"},
        {"--label broken --title T", 1,
         u"refs.bib:8: error: \",\" missing between fields in \"broken\"; the entry can be changed once that "
         u"is "
         u"mended"},
        {"--label yamada1991 --remove title", 1, u"category 0 (article) needs --title"},
        {"--label other --journal J", 1, u"category 12 (misc) has no field journal"},
        {"--label yamada1991 --title ü", 1, u"cannot hold ü"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        EXPECT_EQ(run(QStringList{QStringLiteral("edit"), file} + QString::fromUtf8(c.args).split(u' ')),
                  c.exit);
        EXPECT_TRUE((c.exit == 0 ? outText() : err).contains(QString::fromUtf16(c.said)))
            << outText().toStdString() << err.toStdString();
        EXPECT_EQ(readFile(file), before);
        EXPECT_EQ(QFileInfo(file).lastModified(), old);
    }
}

// An output that takes nothing (a full disk behind a redirection): the command fails as a file that cannot be
// written does.
TEST_F(Cli, OutputThatCannotBeWrittenIsAFileError) {
    struct Full final : QIODevice {
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char*, qint64) override { return -1; }
    } full;
    full.open(QIODevice::WriteOnly);
    QBuffer e;
    e.open(QIODevice::WriteOnly);
    const QString file = write(QStringLiteral("a.bib"), "@book{a,\r\n}\r\n");
    EXPECT_EQ(cli::run({QStringLiteral("count"), file}, full, e), 3);
    EXPECT_TRUE(QString::fromUtf8(e.data()).contains(u"standard output cannot be written"));
}

// ---- the same bytes as the windows ----------------------------------------------------------------------

TEST_F(Cli, AddWritesWhatTheEntryFormAddsAndTheEditorSaves) {
    const struct {
        const char* what;
        const char* file;
        QByteArray bytes; // nullptr: no such file yet
    } cases[] = {
        {"CP932 without a final line break", "a.bib", cp932(QStringLiteral("% 文献\r\n@misc{x,\r\n}"))},
        {"UTF-8 with a byte-order mark and LF", "b.bib",
         "\xEF\xBB\xBF" + QStringLiteral("% 文献\n@misc{x,\n}\n\n").toUtf8()},
        {"mixed line ends", "c.bib", QByteArray("% a\r\n% b\n% c\r\n")},
        {"a new file", "d.bib", QByteArray()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString viaCli = path(QStringLiteral("cli-") + QLatin1String(c.file));
        const QString viaForm = path(QStringLiteral("form-") + QLatin1String(c.file));
        if (!c.bytes.isNull()) {
            write(QStringLiteral("cli-") + QLatin1String(c.file), c.bytes);
            write(QStringLiteral("form-") + QLatin1String(c.file), c.bytes);
        }
        ASSERT_EQ(run({QStringLiteral("add"),         viaCli,
                       QStringLiteral("--category"),  QStringLiteral("4"),
                       QStringLiteral("--label"),     QStringLiteral("k9"),
                       QStringLiteral("--editor"),    QStringLiteral("編者"),
                       QStringLiteral("--title"),     QStringLiteral("表題"),
                       QStringLiteral("--pages"),     QStringLiteral("1--10"),
                       QStringLiteral("--publisher"), QStringLiteral("岩波書店"),
                       QStringLiteral("--year"),      QStringLiteral("2024"),
                       QStringLiteral("--number"),    QStringLiteral("3"),
                       QStringLiteral("--yomi"),      QStringLiteral("よみ")}),
                  0)
            << err.toStdString();

        form1().New1Click();
        openOrNew(viaForm);
        auto form = newForm();
        const Form f{*form};
        f.pick(4);
        QTest::mouseClick(&f.radio(2), Qt::LeftButton);  // editor
        QTest::mouseClick(&f.radio(4), Qt::LeftButton);  // pages
        QTest::mouseClick(&f.radio(12), Qt::LeftButton); // number
        f.edit(1).setText(QStringLiteral("k9"));
        f.edit(2).setText(QStringLiteral("編者"));
        f.edit(3).setText(QStringLiteral("表題"));
        f.edit(4).setText(QStringLiteral("1--10"));
        f.combo(3).setEditText(QStringLiteral("岩波書店"));
        f.edit(6).setText(QStringLiteral("2024"));
        f.edit(8).setText(QStringLiteral("3"));
        f.edit(14).setText(QStringLiteral("よみ"));
        f.add();
        save(viaForm);
        EXPECT_EQ(readFile(viaCli), readFile(viaForm));
        EXPECT_EQ(readFile(viaCli).count("@inbook{k9,"), 1);
        if (!c.bytes.isNull()) {
            EXPECT_TRUE(readFile(viaCli).startsWith(c.bytes));
        }
    }
}

const QString kDocument =
    QStringLiteral("@article{a1,\n author  = \"山田 太郎\",\n title   = \"文献, 管理\",\n"
                   " year    = \"2000\",\n}\n\n@misc{m1,\n\tnote\t= {Deep \"x\" Learning},\n"
                   "\ttitle\t= {Wrapped\n\t\tover two lines},\n}\n");

TEST_F(Cli, ExportWritesWhatTheExportDialogWrites) {
    const struct {
        const char* what;
        QByteArray document;
    } cases[] = {
        {"CP932 with CR LF", cp932(QString(kDocument).replace(u'\n', QStringLiteral("\r\n")))},
        {"UTF-8 with LF", kDocument.toUtf8()},
    };
    const QString fields = QStringLiteral("title,author,note,year");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString document = write(QStringLiteral("refs.bib"), c.document);
        ASSERT_EQ(run({QStringLiteral("export"), document, QStringLiteral("--fields"), fields}), 0)
            << err.toStdString();
        EXPECT_EQ(outText(), path(QStringLiteral("refs.Csv")) + QStringLiteral(": 2\n"));
        const QByteArray viaCli = readFile(path(QStringLiteral("refs.Csv")));
        ASSERT_EQ(run({QStringLiteral("export"), document, QStringLiteral("--fields"), fields,
                       QStringLiteral("-o"), QStringLiteral("-")}),
                  0);
        EXPECT_EQ(out, viaCli);

        form1().FileOpen(document);
        csv::TForm4 dialog(platform, form1().csvDocument(), &form1());
        dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(path(QStringLiteral("dialog.csv")));
        choose(dialog, fields.split(u','));
        platform.expectMessage(QStringLiteral("完了しました"));
        dialog.OKBtnClick();
        platform.verify();
        EXPECT_EQ(readFile(path(QStringLiteral("dialog.csv"))), viaCli);
    }

    // A .Csv document proposes its own name: nothing is written over it.
    const QByteArray csvDocument("@misc{a,\r\n year = 1,\r\n}\r\n");
    const QString own = write(QStringLiteral("data.Csv"), csvDocument);
    EXPECT_EQ(run({QStringLiteral("export"), own, QStringLiteral("--fields"), QStringLiteral("year")}), 1);
    EXPECT_EQ(err, csv::exportOntoDocumentMessage(own).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) +
                       u'\n');
    EXPECT_EQ(readFile(own), csvDocument);
    EXPECT_EQ(run({QStringLiteral("export"), own, QStringLiteral("--fields"), QStringLiteral("year,color")}),
              1);
    EXPECT_TRUE(err.startsWith(QStringLiteral("the export offers no field \"color\""))) << err.toStdString();
    EXPECT_EQ(run({QStringLiteral("export"), own, QStringLiteral("--fields"), QStringLiteral("year,YEAR")}),
              1);
    EXPECT_EQ(err, QStringLiteral("field \"year\" given twice\n"));
}

TEST_F(Cli, ImportMakesWhatTheImportDialogAppendsAndTheEditorSaves) {
    // As a spreadsheet program writes it: UTF-8 with a byte-order mark, CR LF.
    const QString csvFile =
        write(QStringLiteral("in.csv"),
              "\xEF\xBB\xBF" + QStringLiteral("k1,山田 太郎,\"深層, 学習\"\r\nk2,鈴木\r\n").toUtf8());
    const struct {
        const char* what;
        const char* labels;
        int mode;
        const char* fields;
        QByteArray target; // nullptr: no such file yet
    } cases[] = {
        {"manual labels onto a CP932 file", "manual", 0, "note,author,title",
         cp932(QStringLiteral("% 文献\r\n"))},
        {"automatic labels onto a new file", "auto", 1, "note,author,title,year", QByteArray()},
        {"labels from the first column onto a UTF-8 file", "column", 2, "author,title",
         QStringLiteral("% 文献\n").toUtf8()},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString viaCli = path(QStringLiteral("cli%1.bib").arg(n));
        const QString viaDialog = path(QStringLiteral("dialog%1.bib").arg(n++));
        if (!c.target.isNull()) {
            write(QFileInfo(viaCli).fileName(), c.target);
            write(QFileInfo(viaDialog).fileName(), c.target);
        }
        const QStringList args{QStringLiteral("import"),     csvFile,
                               QStringLiteral("--category"), QStringLiteral("misc"),
                               QStringLiteral("--fields"),   QString::fromLatin1(c.fields),
                               QStringLiteral("--labels"),   QString::fromLatin1(c.labels)};
        ASSERT_EQ(run(args + QStringList{QStringLiteral("--to"), viaCli}), 0) << err.toStdString();

        form1().New1Click();
        openOrNew(viaDialog);
        csv::TForm5 dialog(platform, form1().csvDocument(), &form1());
        platform.expectOpenFile(csvFile);
        dialog.BitBtn1Click();
        dialog.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(12);
        dialog.findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item%1").arg(c.mode))->click();
        choose(dialog, QString::fromLatin1(c.fields).split(u','));
        dialog.OKBtnClick();
        save(viaDialog);
        EXPECT_EQ(readFile(viaCli), readFile(viaDialog));
        EXPECT_EQ(readFile(viaCli).count("@misc{"), 2);
        if (!c.target.isNull()) {
            EXPECT_TRUE(readFile(viaCli).startsWith(c.target));
        }

        // Without --to: the entries alone, in CP932 with CR LF, as a new file gets them.
        ASSERT_EQ(run(args), 0);
        if (c.target.isNull()) {
            EXPECT_EQ(out, readFile(viaCli));
        }
        EXPECT_TRUE(out.startsWith(cp932(QStringLiteral("@misc{"))));
    }

    const struct {
        const char* fields;
        const char* labels;
        const char* said;
    } refusals[] = {
        {"author,title", "auto", "in.csv has 3 columns: --fields must name at least 3 fields, not 2\n"},
        {"author", "column",
         "in.csv has 3 columns (the first holds the labels): --fields must name at least 2 "
         "fields, not 1\n"},
        {"author,journal,title", "auto", "category 12 (misc) offers no field \"journal\""},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.fields);
        EXPECT_EQ(run({QStringLiteral("import"), csvFile, QStringLiteral("--category"), QStringLiteral("12"),
                       QStringLiteral("--fields"), QString::fromLatin1(r.fields), QStringLiteral("--labels"),
                       QString::fromLatin1(r.labels)}),
                  1);
        EXPECT_TRUE(err.contains(QString::fromLatin1(r.said))) << err.toStdString();
        EXPECT_TRUE(out.isEmpty());
    }
}

} // namespace

TEST_F(Cli, CheckPrintsOneFindingALineAndExitsByTheWorstKind) {
    // The label check ignores letter case and names both lines; warnings alone end with 0, a file that
    // cannot be read with 3 and the reason (the others are checked all the same).
    const QString faulty = write(QStringLiteral("refs.bib"), "@misc{yamada2024, author={A}, pages={1-2}}\r\n"
                                                             "@article{Yamada2024, author={B}}\r\n");
    const QString warned =
        write(QStringLiteral("warned.bib"), "@article{a, author={A}, title={T}, year=2000}\n");
    const QString missing = write(QStringLiteral("none.bib"), "") + QStringLiteral("x");
    const QString folder = QFileInfo(warned).path();
    const struct {
        QStringList arguments;
        int exit;
        QString out;
        QString err;
    } cases[] = {
        {{faulty},
         1,
         faulty + QStringLiteral(":1: error: label \"yamada2024\" is also used at line 2\n") + faulty +
             QStringLiteral(":1: note: page range \"1-2\" in \"yamada2024\" has one hyphen; write \"--\"\n") +
             faulty + QStringLiteral(":2: error: label \"Yamada2024\" is also used at line 1\n"),
         QString()},
        {{QStringLiteral("--no-notes"), faulty},
         1,
         faulty + QStringLiteral(":1: error: label \"yamada2024\" is also used at line 2\n") + faulty +
             QStringLiteral(":2: error: label \"Yamada2024\" is also used at line 1\n"),
         QString()},
        {{warned},
         0,
         warned + QStringLiteral(":1: warning: empty journal in \"a\" (@article needs it)\n"),
         QString()},
        {{missing, warned},
         3,
         warned + QStringLiteral(":1: warning: empty journal in \"a\" (@article needs it)\n"),
         missing + QStringLiteral(": cannot be read (No such file or directory)\n")},
        {{folder}, 3, QString(), folder + QStringLiteral(": cannot be read (it is a folder)\n")},
        {{}, 2, QString(), QString()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(QStringList{QStringLiteral("check")} + c.arguments), c.exit)
            << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(outText(), c.out);
        if (!c.err.isNull()) {
            EXPECT_EQ(err, c.err);
        }
    }
}
