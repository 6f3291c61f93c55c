// Printing: the page layout of the plain text output, and the document printed to a PDF file through
// the platform's printer setup and print dialogs.
#include "support/app_fixture.h"
#include "view/printing.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPrinter>
#include <QRegularExpression>
#include <cmath>

namespace {

// Pages of a PDF file as Qt writes it: one "/Type /Page" object each.
int pdfPageCount(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    return int(QString::fromLatin1(pdf).count(page));
}

QStringList numberedLines(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("%1 行目の文献").arg(i);
    return lines;
}

// A page that holds `rows` lines of `metrics` and is `columns` average characters wide.
QSizeF pageFor(const QFontMetricsF& metrics, qreal rows, qreal columns) {
    return {columns * metrics.averageCharWidth(), rows * metrics.lineSpacing()};
}

class PrintLayout : public ::testing::Test {
protected:
    QFont font{QStringLiteral("Noto Sans Mono CJK JP"), 12};
    QFontMetricsF metrics{font};
    QString joined(const view::PrintedLine& line) {
        QString text;
        for (const view::PrintedPiece& piece : line.pieces)
            text += piece.text;
        return text;
    }
};

TEST_F(PrintLayout, LinesGoDownThePageAndANewPageBeginsWhenTheNextLineWouldNotFit) {
    const view::PrintLayout layout =
        view::layOutForPrinting(numberedLines(25), metrics, pageFor(metrics, 10.5, 80));
    ASSERT_EQ(layout.lines.size(), 25);
    EXPECT_EQ(layout.pageCount, 3);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(layout.lines[i].page, i / 10) << i;
        EXPECT_DOUBLE_EQ(layout.lines[i].top, (i % 10) * metrics.lineSpacing()) << i;
        EXPECT_EQ(joined(layout.lines[i]), QStringLiteral("%1 行目の文献").arg(i + 1));
        EXPECT_DOUBLE_EQ(layout.lines[i].pieces.constFirst().x, 0);
    }
    // Full pages leave no empty page after them; blank lines at the end begin none either.
    EXPECT_EQ(view::layOutForPrinting(numberedLines(20), metrics, pageFor(metrics, 10, 80)).pageCount, 2);
    EXPECT_EQ(view::layOutForPrinting(numberedLines(10) << QString() << QString(), metrics,
                                      pageFor(metrics, 10, 80))
                  .pageCount,
              1);
    EXPECT_EQ(view::layOutForPrinting({}, metrics, pageFor(metrics, 10, 80)).pageCount, 1);
}

TEST_F(PrintLayout, ALongLineBreaksBetweenCharactersNeverInsideOne) {
    // Surrogate pairs, a combined kana and stand-ins for bytes that are no character.
    const QString unit = QStringLiteral("あ𠮷か\u3099a\U0001F600");
    const QString line = unit.repeated(40);
    const QSizeF page = pageFor(metrics, 100, 30);
    const view::PrintLayout layout = view::layOutForPrinting({line}, metrics, page);
    ASSERT_GT(layout.lines.size(), 1);
    QString rejoined;
    for (const view::PrintedLine& printed : layout.lines) {
        ASSERT_EQ(printed.pieces.size(), 1);
        const QString text = printed.pieces.constFirst().text;
        EXPECT_LE(metrics.horizontalAdvance(text), page.width() + 0.5) << text.toStdString();
        EXPECT_FALSE(text.front().isLowSurrogate()) << text.toStdString();
        EXPECT_NE(text.front(), QChar(0x3099)) << text.toStdString();
        EXPECT_FALSE(text.back().isHighSurrogate()) << text.toStdString();
        rejoined += text;
    }
    EXPECT_EQ(rejoined, line);
    // Fixed-width characters: as many on each printed line as fit.
    const qreal wide = metrics.horizontalAdvance(QStringLiteral("あ"));
    const int perLine = int(page.width() / wide);
    const view::PrintLayout kana =
        view::layOutForPrinting({QStringLiteral("あ").repeated(3 * perLine + 1)}, metrics, page);
    ASSERT_EQ(kana.lines.size(), 4);
    EXPECT_EQ(kana.lines[0].pieces.constFirst().text.size(), perLine);
    EXPECT_EQ(kana.lines[3].pieces.constFirst().text, QStringLiteral("あ"));
    EXPECT_DOUBLE_EQ(kana.lines[3].top, 3 * metrics.lineSpacing());

    const view::PrintLayout standIns = view::layOutForPrinting({QStringLiteral("a\xDC80"
                                                                               "b")},
                                                               metrics, page);
    EXPECT_EQ(joined(standIns.lines[0]), QStringLiteral("a\uFFFDb"));
}

TEST_F(PrintLayout, TabsAdvanceToTheNextMultipleOfEightAverageCharacterWidths) {
    const qreal stop = 8 * metrics.averageCharWidth();
    struct Row {
        const char* line;
        QList<qreal> xs; // where each piece begins, in tab stops
    };
    std::vector<Row> rows = {
        {"a\tb", {0, 1}},
        {"\tb", {1}},
        {"\t\tb", {2}},
        {"a\t\tb\tc", {0, 2, 3}},
    };
    // Text that ends past the first stop: its tab goes on to the second.
    const qreal wide = metrics.horizontalAdvance(QStringLiteral("あ"));
    const QString pastFirst = QStringLiteral("あ").repeated(int(stop / wide) + 1);
    ASSERT_LT(pastFirst.size() * wide, 2 * stop);
    const QByteArray pastFirstLine = (pastFirst + QStringLiteral("\tb")).toUtf8();
    rows.push_back({pastFirstLine.constData(), {0, 2}});
    for (const auto& row : rows) {
        const view::PrintLayout layout =
            view::layOutForPrinting({QString::fromUtf8(row.line)}, metrics, pageFor(metrics, 10, 80));
        ASSERT_EQ(layout.lines.size(), 1) << row.line;
        const QList<view::PrintedPiece>& pieces = layout.lines[0].pieces;
        ASSERT_EQ(pieces.size(), row.xs.size()) << row.line;
        for (int i = 0; i < pieces.size(); ++i)
            EXPECT_NEAR(pieces[i].x, row.xs[i] * stop, 1e-6) << row.line;
    }
}

TEST_F(PrintLayout, AFormFeedBeginsANewPage) {
    const view::PrintLayout layout = view::layOutForPrinting(
        {QStringLiteral("one"), QStringLiteral("two\fthree"), QStringLiteral("\f"), QStringLiteral("four\f")},
        metrics, pageFor(metrics, 10, 80));
    EXPECT_EQ(layout.pageCount, 4); // the form feed after "four" begins a page of its own
    QStringList where;
    for (const view::PrintedLine& line : layout.lines)
        if (!line.pieces.isEmpty())
            where << QStringLiteral("%1@%2:%3")
                         .arg(joined(line))
                         .arg(line.page)
                         .arg(line.top / metrics.lineSpacing());
    EXPECT_EQ(where, (QStringList{QStringLiteral("one@0:0"), QStringLiteral("two@0:1"),
                                  QStringLiteral("three@1:0"), QStringLiteral("four@2:1")}));
}

// The document printed through the menu, to a PDF file chosen in the print dialog.
class Printing : public AppFixture {
protected:
    QString pdf = path(QStringLiteral("out.pdf"));
    std::function<void(QPrinter&)> toPdf(const QString& file) {
        return [file](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file);
        };
    }
    // What the layout gives for these lines on the printer as the print dialog left it.
    int expectedPages(const QStringList& lines) {
        QPrinter& printer = form1().printer();
        const QFont font(editor().font(), &printer);
        return view::layOutForPrinting(lines, QFontMetricsF(font, &printer),
                                       printer.pageRect(QPrinter::DevicePixel).size())
            .pageCount;
    }
    void setText(const QStringList& lines) { type(lines.join(u'\n')); }
};

TEST_F(Printing, A200LineDocumentPrintsTheExpectedPages) {
    const QStringList lines = numberedLines(200);
    setText(lines);
    platform.expectPrint(toPdf(pdf));
    form1().Print1Click();
    platform.verify();
    QPrinter& printer = form1().printer();
    const QFont font(editor().font(), &printer);
    const QFontMetricsF metrics(font, &printer);
    const int perPage = int(printer.pageRect(QPrinter::DevicePixel).height() / metrics.lineSpacing());
    const int pages = int(std::ceil(200.0 / perPage));
    EXPECT_EQ(pdfPageCount(readFile(pdf)), pages) << perPage << " lines a page";
    EXPECT_GT(pages, 2);
    EXPECT_EQ(platform.busyDepth(), 0);
}

TEST_F(Printing, WrappedLinesAndFormFeedsAddPagesInThePdf) {
    const QStringList lines = {QStringLiteral("日本語の長い行").repeated(700), QStringLiteral("a\fb\tc"),
                               QStringLiteral("\f")};
    setText(lines);
    platform.expectPrint(toPdf(pdf));
    form1().Print1Click();
    platform.verify();
    const int pages = expectedPages(lines);
    EXPECT_EQ(pdfPageCount(readFile(pdf)), pages);
    EXPECT_GE(pages, 4); // the long line over two pages at least, then two form feeds
}

TEST_F(Printing, PrinterSetupIsRememberedForPrintingAndACancelledDialogPrintsNothing) {
    type(QStringLiteral("x"));
    platform.expectPrinterSetup([](QPrinter& printer) {
        printer.setPageSize(QPageSize(QPageSize::A5));
        printer.setPageOrientation(QPageLayout::Landscape);
    });
    form1().A1Click();
    platform.expectPrint(
        [&](QPrinter& printer) {
            EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A5);
            EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
            toPdf(pdf)(printer);
        },
        false);
    form1().Print1Click();
    platform.verify();
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(Printing, AJobThatCannotStartIsReported) {
    type(QStringLiteral("x"));
    platform.expectPrint(toPdf(path(QStringLiteral("no/such/folder/out.pdf"))))
        .expectError(QStringLiteral("印刷を開始できません."));
    command("Print1");
    platform.verify();
    EXPECT_EQ(platform.busyDepth(), 0);
}

} // namespace
