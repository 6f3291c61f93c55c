// The CSV export dialog TForm4 and the CSV import dialog TForm5 on a running program: layout, the OK
// rules, the files they write and read, and what they do to the document.
#include "base/app_info.h"
#include "csv/csv_export.h"
#include "csv/csv_export_form.h"
#include "csv/csv_format.h"
#include "csv/csv_import_form.h"
#include "csv/field_chooser.h"
#include "csv/fields.h"
#include "entry/entry_count.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStringEncoder>
#include <QTest>
#include <stdexcept>

namespace {

QByteArray cp932(const QString& text) {
    return QStringEncoder("windows-31j").encode(text);
}

// The controls of one dialog, found by their names.
struct Controls {
    QDialog& d;
    template <typename W> W& get(const char* name) const {
        W* control = d.findChild<W*>(QString::fromLatin1(name));
        if (!control) throw std::runtime_error(std::string("no control ") + name);
        return *control;
    }
    QLineEdit& edit() const { return get<QLineEdit>("Edit1"); }
    QPushButton& button(const char* name) const { return get<QPushButton>(name); }
    bool okEnabled() const { return button("OKBtn").isEnabled(); }
    QListWidget& src() const { return get<QListWidget>("SrcList"); }
    QListWidget& dst() const { return get<QListWidget>("DstList"); }
    // Moves the names into DstList one at a time, in this order.
    void choose(const QStringList& names) const {
        auto& chooser = get<csv::FieldChooser>("FieldChooser");
        for (const QString& name : names) {
            src().clearSelection();
            src().findItems(name, Qt::MatchExactly).first()->setSelected(true);
            chooser.IncludeBtnClick();
        }
    }
    QStringList srcNames() const {
        QStringList names;
        for (int i = 0; i < src().count(); ++i)
            names << src().item(i)->text();
        return names;
    }
    // Where a control stands in the dialog's client area.
    QRect place(const char* name) const {
        const QWidget& w = get<QWidget>(name);
        return {w.mapTo(&d, QPoint()), w.size()};
    }
    // The tab stops from SrcList on, by name.
    QStringList tabOrder(int count) const {
        QStringList names;
        QWidget* w = &src();
        while (names.size() < count) {
            if (w->focusPolicy() & Qt::TabFocus) names << w->objectName();
            w = w->nextInFocusChain();
            if (w == &src()) break;
        }
        return names;
    }
};

QStringList fields(const char* joined) {
    return QString::fromLatin1(joined).split(u',');
}

const QString kDocument = QStringLiteral("@article{a1,\n"
                                         " author  = \"山田 太郎\",\n"
                                         " title   = \"文献, 管理\",\n"
                                         " year    = \"2000\",\n"
                                         "}\n"
                                         "\n"
                                         "@book{b1,\n"
                                         "  title = {Deep Learning},\n"
                                         "  author = \"鈴木\"\n"
                                         "}\n");

class CsvDialogs : public AppFixture {
protected:
    // Opens a document file written in CP932 with CR LF.
    QString openDocument(const QString& name, const QString& text) {
        const QString file = writeFile(name, cp932(QString(text).replace(u'\n', QStringLiteral("\r\n"))));
        form1().FileOpen(file);
        return file;
    }
    std::unique_ptr<csv::TForm4> exportDialog() {
        auto d = std::make_unique<csv::TForm4>(platform, form1().csvDocument(), &form1());
        d->show();
        return d;
    }
    std::unique_ptr<csv::TForm5> importDialog() {
        auto d = std::make_unique<csv::TForm5>(platform, form1().csvDocument(), &form1());
        d->show();
        return d;
    }
    // 読込み with the open dialog answering `file`.
    void read(csv::TForm5& d, const QString& file) {
        platform.expectOpenFile(file);
        QTest::mouseClick(&Controls{d}.button("BitBtn1"), Qt::LeftButton);
    }
};

// ---- export ------------------------------------------------------------------------------------------

TEST_F(CsvDialogs, ExportDialogLayout) {
    auto d = exportDialog();
    const Controls c{*d};
    EXPECT_EQ(d->size(), QSize(345, 290));
    EXPECT_EQ(d->windowTitle(), QStringLiteral("CSVファイルへの書出し"));
    const std::pair<const char*, QRect> places[] = {
        {"Edit1", {115, 10, 221, 20}},     {"SrcList", {8, 59, 144, 185}},   {"DstList", {192, 59, 144, 185}},
        {"IncludeBtn", {160, 67, 24, 24}}, {"ExAllBtn", {160, 163, 24, 24}}, {"OKBtn", {101, 255, 75, 25}},
        {"CancelBtn", {181, 255, 75, 25}}, {"HelpBtn", {261, 255, 75, 25}},
    };
    for (const auto& [name, place] : places)
        EXPECT_EQ(c.place(name), place) << name;
    const std::pair<const char*, QPoint> labels[] = {
        {"Label1", {8, 15}}, {"SrcLabel", {8, 43}}, {"DstLabel", {192, 43}}};
    for (const auto& [name, at] : labels)
        EXPECT_EQ(c.place(name).topLeft(), at) << name;
    EXPECT_EQ(c.get<QLabel>("Label1").text(), QStringLiteral("保存するファイル名"));
    EXPECT_EQ(c.get<QLabel>("SrcLabel").text(), QStringLiteral("転送元ﾘｽﾄ :"));
    EXPECT_EQ(c.get<QLabel>("DstLabel").text(), QStringLiteral("転送先ﾘｽﾄ :"));
    EXPECT_EQ(c.button("CancelBtn").text(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_EQ(c.button("HelpBtn").text(), QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    EXPECT_TRUE(c.button("OKBtn").isDefault());
    EXPECT_EQ(c.srcNames(), csv::bibtexFieldNames());
    EXPECT_EQ(c.tabOrder(10),
              fields("SrcList,IncludeBtn,IncAllBtn,ExcludeBtn,ExAllBtn,DstList,OKBtn,CancelBtn,"
                     "HelpBtn,Edit1"));
}

TEST_F(CsvDialogs, ExportProposesANameAndEnablesOkForANameAndAField) {
    {
        auto d = exportDialog();
        const Controls c{*d};
        EXPECT_EQ(c.edit().text(), form1().lastDir() + QStringLiteral("/NewFile.Csv"));
        EXPECT_FALSE(c.okEnabled());
        c.choose({QStringLiteral("year")});
        EXPECT_TRUE(c.okEnabled());
        c.edit().clear();
        EXPECT_FALSE(c.okEnabled());
        QTest::keyClicks(&c.edit(), QStringLiteral("x"));
        EXPECT_TRUE(c.okEnabled());
        c.get<csv::FieldChooser>("FieldChooser").ExcAllBtnClick();
        EXPECT_FALSE(c.okEnabled());
    }
    const QString file = openDocument(QStringLiteral("refs.bib"), kDocument);
    auto d = exportDialog();
    EXPECT_EQ(Controls{*d}.edit().text(), path(QStringLiteral("refs.Csv")));
}

TEST_F(CsvDialogs, ExportWritesTheTableInTheDocumentsEncodingAndSaysSo) {
    const struct {
        const char* what;
        QByteArray document;
        const char16_t* typed; // typed at the end of the document first
        QByteArray csv;
        const char16_t* message;
    } cases[] = {
        {"a CP932 document", cp932(QString(kDocument).replace(u'\n', QStringLiteral("\r\n"))), u"",
         cp932(QStringLiteral(
             "author,title,year\r\n\"山田 太郎\",\"文献, 管理\",2000\r\n鈴木,\"{Deep Learning}\",\r\n")),
         u"完了しました"},
        {"a UTF-8 document", kDocument.toUtf8(), u"",
         "\xEF\xBB\xBF" +
             QStringLiteral(
                 "author,title,year\r\n\"山田 太郎\",\"文献, 管理\",2000\r\n鈴木,\"{Deep Learning}\",\r\n")
                 .toUtf8(),
         u"完了しました"},
        {"a CP932 document with a character CP932 lacks", QByteArray("@misc{x,\r\n"),
         u" author = {Müller},\n}\n",
         "\xEF\xBB\xBF" + QStringLiteral("author,title,year\r\n{Müller},,\r\n").toUtf8(),
         u"完了しました\r\nShift-JIS で書けない文字 ü があるため、UTF-8 (BOM付き) で書き出しました"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form1().FileOpen(writeFile(QStringLiteral("doc.bib"), c.document));
        type(QString::fromUtf16(c.typed));
        auto d = exportDialog();
        const Controls controls{*d};
        controls.choose(fields("author,title,year"));
        platform.expectMessage(QString::fromUtf16(c.message));
        QTest::mouseClick(&controls.button("OKBtn"), Qt::LeftButton);
        platform.verify();
        EXPECT_EQ(readFile(path(QStringLiteral("doc.Csv"))), c.csv);
        EXPECT_EQ(d->result(), QDialog::Accepted);
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(platform.busyDepth(), 0);
    }
}

TEST_F(CsvDialogs, ExportNeverWritesOntoTheDocumentsOwnFile) {
    const QByteArray bytes = cp932(QStringLiteral("@misc{a,\r\n note = {x},\r\n}\r\n"));
    const QString file = writeFile(QStringLiteral("data.Csv"), bytes);
    ASSERT_TRUE(QFile::link(file, path(QStringLiteral("link.csv"))));
    form1().FileOpen(file);
    for (const QString& target : {file, path(QStringLiteral("link.csv"))}) {
        auto d = exportDialog();
        const Controls c{*d};
        c.edit().setText(target);
        c.choose({QStringLiteral("note")});
        platform.expectMessage(csv::exportOntoDocumentMessage(target));
        QTest::mouseClick(&c.button("OKBtn"), Qt::LeftButton);
        platform.verify();
        EXPECT_EQ(readFile(file), bytes);
        // Still open, to take another name.
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(c.dst().count(), 1);
    }
}

TEST_F(CsvDialogs, ExportFailureIsReportedAndClosesTheDialog) {
    auto d = exportDialog();
    const Controls c{*d};
    const QString target = path(QStringLiteral("no/such/folder.csv"));
    c.edit().setText(target);
    c.choose({QStringLiteral("year")});
    platform.expectError(QStringLiteral("ファイル %1 を作成できません.").arg(target));
    QTest::mouseClick(&c.button("OKBtn"), Qt::LeftButton);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(platform.busyDepth(), 0);

    auto cancelled = exportDialog();
    const Controls k{*cancelled};
    k.choose({QStringLiteral("year")});
    QTest::mouseClick(&k.button("CancelBtn"), Qt::LeftButton);
    EXPECT_EQ(cancelled->result(), QDialog::Rejected);
    EXPECT_FALSE(QFile::exists(k.edit().text()));

    platform.expectHelp(base::kHelpFile, QStringLiteral("csv_export"));
    QTest::mouseClick(&Controls{*exportDialog()}.button("HelpBtn"), Qt::LeftButton);
}

// Enter presses the focused button, as Space does; the default button OK takes Enter only from a control
// that is no button.
TEST_F(CsvDialogs, EnterOnAFocusedButtonPressesThatButtonOnly) {
    openDocument(QStringLiteral("refs.bib"), kDocument);
    const QString csvFile = path(QStringLiteral("refs.Csv"));
    const struct {
        const char* focus;
        bool writes;
        bool stays; // the dialog stays open
    } cases[] = {{"CancelBtn", false, false}, {"HelpBtn", false, true},    {"OKBtn", true, false},
                 {"Edit1", true, false},      {"ExcludeBtn", false, true}, {"SrcList", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus);
        QFile::remove(csvFile);
        auto d = exportDialog();
        const Controls controls{*d};
        controls.choose(fields("author,title"));
        if (c.writes) platform.expectMessage(QStringLiteral("完了しました"));
        if (c.focus == std::string("HelpBtn"))
            platform.expectHelp(base::kHelpFile, QStringLiteral("csv_export"));
        QWidget& focused = controls.get<QWidget>(c.focus);
        focused.setFocus();
        QTest::keyClick(&focused, Qt::Key_Return);
        platform.verify();
        EXPECT_EQ(QFile::exists(csvFile), c.writes);
        EXPECT_EQ(d->isVisible(), c.stays);
    }

    const QString before = form1().documentText();
    const QString csvIn = writeFile(QStringLiteral("in.csv"), cp932(QStringLiteral("山田\r\n")));
    const struct {
        const char* focus;
        bool appends;
    } imports[] = {{"BitBtn1", false}, {"CancelBtn", false}, {"HelpBtn", false}, {"OKBtn", true}};
    for (const auto& c : imports) {
        SCOPED_TRACE(c.focus);
        auto d = importDialog();
        const Controls controls{*d};
        read(*d, csvIn);
        controls.choose(fields("author"));
        if (c.focus == std::string("BitBtn1")) platform.expectOpenFile(std::nullopt);
        if (c.focus == std::string("HelpBtn"))
            platform.expectHelp(base::kHelpFile, QStringLiteral("csv_import"));
        QWidget& focused = controls.get<QWidget>(c.focus);
        focused.setFocus();
        QTest::keyClick(&focused, Qt::Key_Enter, Qt::KeypadModifier);
        platform.verify();
        EXPECT_EQ(form1().documentText() != before, c.appends);
    }
}

// The export from the menu to the file with the keyboard alone: arrows and Enter in the lists choose the
// columns (Enter there never presses OK), Shift+Tab reaches the file name, and Enter there is OK.
TEST_F(CsvDialogs, AnExportIsMadeWithKeyPressesAlone) {
    openDocument(QStringLiteral("refs.bib"), kDocument);
    const QString csvFile = path(QStringLiteral("refs.Csv"));
    platform.expectModal(QStringLiteral("TForm4"), [&](QDialog& d) {
        d.show();
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &d; }));
        const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        };
        const Controls c{d};
        EXPECT_EQ(QApplication::focusWidget(), &c.src());
        for (Qt::Key key : {Qt::Key_Home, Qt::Key_Down, Qt::Key_Return}) // the second name: author
            press(key);
        for (Qt::Key key :
             {Qt::Key_End, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Return}) // title
            press(key);
        EXPECT_EQ(c.dst().count(), 2);
        EXPECT_TRUE(d.isVisible());
        EXPECT_FALSE(QFile::exists(csvFile));
        press(Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), &c.edit());
        platform.expectMessage(QStringLiteral("完了しました"));
        press(Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
    });
    command("CSVO1");
    platform.verify();
    EXPECT_EQ(readFile(csvFile),
              cp932(QStringLiteral(
                  "author,title\r\n\"山田 太郎\",\"文献, 管理\"\r\n鈴木,\"{Deep Learning}\"\r\n")));
}

// ---- import ------------------------------------------------------------------------------------------

TEST_F(CsvDialogs, ImportDialogLayout) {
    auto d = importDialog();
    const Controls c{*d};
    EXPECT_EQ(d->size(), QSize(345, 344));
    EXPECT_EQ(d->windowTitle(), QStringLiteral("CSVファイル形式から変換"));
    const std::pair<const char*, QRect> places[] = {
        {"Edit1", {8, 24, 249, 20}},         {"BitBtn1", {263, 22, 73, 25}},
        {"RadioGroup1", {162, 56, 174, 38}}, {"SrcList", {8, 120, 144, 185}},
        {"DstList", {192, 120, 144, 185}},   {"IncludeBtn", {160, 128, 24, 24}},
        {"ExAllBtn", {160, 224, 24, 24}},    {"OKBtn", {101, 316, 75, 25}},
        {"CancelBtn", {181, 316, 75, 25}},   {"HelpBtn", {261, 316, 75, 25}},
    };
    for (const auto& [name, place] : places)
        EXPECT_EQ(c.place(name), place) << name;
    EXPECT_EQ(c.place("ComboBox1").topLeft(), QPoint(8, 72));
    EXPECT_EQ(c.place("ComboBox1").width(), 145);
    const std::pair<const char*, QPoint> labels[] = {
        {"Label1", {8, 8}}, {"Label2", {8, 56}}, {"SrcLabel", {8, 104}}, {"DstLabel", {192, 104}}};
    for (const auto& [name, at] : labels)
        EXPECT_EQ(c.place(name).topLeft(), at) << name;
    EXPECT_EQ(c.get<QLabel>("Label1").text(), QStringLiteral("CSVファイル名"));
    EXPECT_EQ(c.get<QLabel>("Label2").text(), QStringLiteral("文献カテゴリの選択"));
    EXPECT_EQ(c.get<QLabel>("SrcLabel").text(), QStringLiteral("転送元リスト :"));
    EXPECT_EQ(c.get<QLabel>("DstLabel").text(), QStringLiteral("転送先リスト :"));
    EXPECT_EQ(c.button("BitBtn1").text(), QStringLiteral("読込み"));
    EXPECT_EQ(c.button("CancelBtn").text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(c.button("HelpBtn").text(), QStringLiteral("ヘルプ(&H)"));
    EXPECT_EQ(c.get<QGroupBox>("RadioGroup1").title(), QStringLiteral("文献ラベルの挿入方法"));
    const char16_t* modes[] = {u"手動", u"自動", u"挿入済"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(c.get<QRadioButton>(QStringLiteral("RadioGroup1Item%1").arg(i).toLatin1()).text(),
                  QString::fromUtf16(modes[i]));
    EXPECT_TRUE(c.get<QRadioButton>("RadioGroup1Item0").isChecked());
    QComboBox& categories = c.get<QComboBox>("ComboBox1");
    ASSERT_EQ(categories.count(), 13);
    EXPECT_EQ(categories.itemText(0), QStringLiteral("論文誌の論文"));
    EXPECT_EQ(categories.itemText(12), QStringLiteral("その他"));
    EXPECT_EQ(c.src().font().pixelSize(), 13);
    EXPECT_EQ(c.srcNames(), csv::offeredFields(0));
    EXPECT_FALSE(c.okEnabled());
    EXPECT_EQ(c.tabOrder(13),
              fields("SrcList,IncludeBtn,IncAllBtn,ExcludeBtn,ExAllBtn,DstList,OKBtn,CancelBtn,"
                     "HelpBtn,ComboBox1,Edit1,BitBtn1,RadioGroup1Item0"));
    platform.expectHelp(base::kHelpFile, QStringLiteral("csv_import"));
    QTest::mouseClick(&c.button("HelpBtn"), Qt::LeftButton);
    QTest::mouseClick(&c.button("CancelBtn"), Qt::LeftButton);
    EXPECT_EQ(d->result(), QDialog::Rejected);
}

TEST_F(CsvDialogs, ImportReadsThroughTheMainWindowsOpenDialog) {
    QDir(dir.path()).mkdir(QStringLiteral("in"));
    const QString csvFile =
        writeFile(QStringLiteral("in/a.csv"), cp932(QStringLiteral("山田,深層学習,2000\r\nb\r\n")));
    auto d = importDialog();
    const Controls c{*d};
    read(*d, csvFile);
    EXPECT_EQ(platform.lastOpenDialog().filterIndex, 2);
    EXPECT_EQ(form1().openDialog().fileName, csvFile);
    EXPECT_EQ(QDir::currentPath(), path(QStringLiteral("in")));
    EXPECT_EQ(c.edit().text(), csvFile);
    EXPECT_EQ(d->csvColumnCount(), 3);

    // Cancelling the next 読込み, and a file that cannot be read, keep what was read.
    platform.expectOpenFile(std::nullopt);
    QTest::mouseClick(&c.button("BitBtn1"), Qt::LeftButton);
    const QString unreadable = path(QStringLiteral("unreadable.csv"));
    if (makeUnreadableFile(unreadable)) {
        platform.expectOpenFile(unreadable)
            .expectError(QStringLiteral("ファイル %1 は開けません.").arg(unreadable));
        QTest::mouseClick(&c.button("BitBtn1"), Qt::LeftButton);
    }
    EXPECT_EQ(d->csvFileName(), csvFile);
    EXPECT_EQ(c.edit().text(), csvFile);
    EXPECT_EQ(d->csvColumnCount(), 3);
    EXPECT_EQ(platform.busyDepth(), 0);
    c.choose(fields("author,title,year"));
    QTest::mouseClick(&c.button("OKBtn"), Qt::LeftButton);
    EXPECT_EQ(form1().documentText(),
              QStringLiteral("@article{,\n author      = \"山田\",\n title       = \"深層学習\",\n"
                             " year        = \"2000\",\n}\n\n@article{,\n"
                             " author      = \"b\",\n title       = \"\",\n"
                             " year        = \"\",\n}\n\n"));
}

TEST_F(CsvDialogs, ImportOkNeedsAFieldForEveryColumn) {
    auto d = importDialog();
    const Controls c{*d};
    auto mode = [&](int i) {
        QTest::mouseClick(&c.get<QRadioButton>(QStringLiteral("RadioGroup1Item%1").arg(i).toLatin1()),
                          Qt::LeftButton);
    };
    c.choose(fields("author,title"));
    EXPECT_FALSE(c.okEnabled()); // no file read yet
    read(*d, writeFile(QStringLiteral("three.csv"), "a,b,c\r\n"));
    EXPECT_FALSE(c.okEnabled());
    mode(2);
    EXPECT_TRUE(c.okEnabled()); // the first column holds the labels
    mode(1);
    EXPECT_FALSE(c.okEnabled());
    c.choose({QStringLiteral("year")});
    EXPECT_TRUE(c.okEnabled());
    c.choose({QStringLiteral("note")}); // more names than columns
    EXPECT_TRUE(c.okEnabled());

    // A category change returns the names and so disables OK, unless the one column holds the labels.
    c.get<QComboBox>("ComboBox1").setCurrentIndex(11);
    EXPECT_EQ(c.dst().count(), 0);
    EXPECT_EQ(c.srcNames(), csv::offeredFields(11));
    EXPECT_TRUE(c.button("IncludeBtn").isEnabled());
    EXPECT_FALSE(c.button("ExAllBtn").isEnabled());
    EXPECT_FALSE(c.okEnabled());
    read(*d, writeFile(QStringLiteral("one.csv"), "k1\r\n"));
    mode(2);
    EXPECT_TRUE(c.okEnabled());
    c.choose({QStringLiteral("note")});
    c.get<QComboBox>("ComboBox1").setCurrentIndex(5);
    EXPECT_EQ(c.dst().count(), 0);
    EXPECT_TRUE(c.okEnabled());
}

TEST_F(CsvDialogs, ImportAppendsEveryEntryAsOneEditAndCountsThem) {
    openDocument(QStringLiteral("refs.bib"), kDocument);
    const QString before = form1().documentText();
    const struct {
        const char* what;
        QByteArray csv;
        int category, mode;
        const char* fields;
        const char16_t* appended;
    } cases[] = {
        {"UTF-8 with a byte-order mark, automatic labels",
         "\xEF\xBB\xBF" + QStringLiteral("山田 太郎,\"A, B\"\n鈴木\n").toUtf8(), 12, 1, "author,title",
         u"@misc{ref1,\n author      = \"山田 太郎\",\n title       = \"A, B\",\n}\n\n"
         u"@misc{ref2,\n author      = \"鈴木\",\n title       = \"\",\n}\n\n"},
        {"labels from the first column", cp932(QStringLiteral("k1,深層学習\r\n")), 10, 2,
         "title,institution,note",
         u"@techreport{k1,\n title       = \"深層学習\",\n institution = \"\",\n note        = \"\",\n}\n\n"},
        {"an empty file gives one empty entry", "\r\n \r\n", 5, 0, "school",
         u"@masterthesis{,\n school      = \"\",\n}\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto d = importDialog();
        const Controls controls{*d};
        read(*d, writeFile(QStringLiteral("in.csv"), c.csv));
        controls.get<QComboBox>("ComboBox1").setCurrentIndex(c.category);
        QTest::mouseClick(
            &controls.get<QRadioButton>(QStringLiteral("RadioGroup1Item%1").arg(c.mode).toLatin1()),
            Qt::LeftButton);
        controls.choose(fields(c.fields));
        QTest::mouseClick(&controls.button("OKBtn"), Qt::LeftButton);
        EXPECT_EQ(form1().documentText(), before + QString::fromUtf16(c.appended));
        EXPECT_EQ(d->result(), QDialog::Accepted);
        EXPECT_EQ(statusText(), entry::entryCountText(entry::countEntries(form1().documentText())));
        EXPECT_EQ(platform.busyDepth(), 0);
        // One undo step takes the whole import back.
        form1().editor()->undo();
        EXPECT_EQ(form1().documentText(), before);
        EXPECT_EQ(statusText(), QStringLiteral("文献数： 2件"));
    }
}

// What the export writes, the import reads back: the heading line becomes an entry of field names.
TEST_F(CsvDialogs, AnExportImportedAndExportedAgainGivesTheSameValues) {
    openDocument(QStringLiteral("refs.bib"), kDocument);
    const QStringList columns = fields("author,title,year");
    auto e = exportDialog();
    Controls{*e}.choose(columns);
    platform.expectMessage(QStringLiteral("完了しました"));
    QTest::mouseClick(&Controls{*e}.button("OKBtn"), Qt::LeftButton);
    const QList<QStringList> exported = csv::exportTable(form1().documentText(), columns);

    form1().New1Click();
    auto i = importDialog();
    const Controls c{*i};
    read(*i, path(QStringLiteral("refs.Csv")));
    c.choose(columns);
    QTest::mouseClick(&c.button("OKBtn"), Qt::LeftButton);
    const QList<QStringList> again = csv::exportTable(form1().documentText(), columns);
    ASSERT_EQ(again.size(), exported.size() + 1);
    for (int r = 0; r < exported.size(); ++r)
        EXPECT_EQ(again[r + 1], exported[r]) << r;
}

TEST_F(CsvDialogs, MenuCommandsShowFreshDialogsOnTheDocument) {
    openDocument(QStringLiteral("refs.bib"), kDocument);
    platform.expectModal(QStringLiteral("TForm4"), [&](QDialog& d) {
        EXPECT_EQ(Controls{d}.edit().text(), path(QStringLiteral("refs.Csv")));
        EXPECT_EQ(Controls{d}.dst().count(), 0);
    });
    form1().findChild<QAction*>(QStringLiteral("CSVO1"))->trigger();
    platform.expectModal(QStringLiteral("TForm5"), [&](QDialog& d) {
        EXPECT_EQ(Controls{d}.srcNames(), csv::offeredFields(0));
        EXPECT_TRUE(Controls{d}.edit().text().isEmpty());
    });
    form1().findChild<QAction*>(QStringLiteral("BibB1"))->trigger();
}

} // namespace
