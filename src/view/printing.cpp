#include "view/printing.h"

#include "base/failure.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

namespace view {

namespace {

constexpr QChar kTab = u'\t';
constexpr QChar kFormFeed = u'\f';

// A byte that is no character is carried as a lone surrogate; paper shows it as the editor does.
QString printable(const QString& line) {
    QString out = line;
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i].isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate())
            ++i;
        else if (out[i].isSurrogate())
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

class Placer {
public:
    Placer(const QFontMetricsF& metrics, const QSizeF& page)
        : metrics_(metrics), page_(page), lineHeight_(metrics.lineSpacing()),
          tabWidth_(std::max<qreal>(8 * metrics.averageCharWidth(), 1)) {}

    void place(const QString& documentLine) {
        const QString line = printable(documentLine);
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, line);
        qsizetype start = 0;
        for (qsizetype end = graphemes.toNextBoundary(); end > 0; end = graphemes.toNextBoundary()) {
            const QStringView character = QStringView(line).sliced(start, end - start);
            start = end;
            if (character == kTab) {
                x_ = (std::floor(x_ / tabWidth_) + 1) * tabWidth_;
                pieceOpen_ = false;
            } else if (character == kFormFeed) {
                breakPage();
            } else {
                const qreal width = metrics_.horizontalAdvance(character.toString());
                // The first character of a printed line stays on it, however wide: no endless breaking.
                if (x_ > 0 && x_ + width > page_.width()) endLine();
                if (!pieceOpen_) {
                    current_.pieces.append({x_, QString()});
                    pieceOpen_ = true;
                }
                current_.pieces.last().text += character;
                x_ += width;
                lastBegunPage_ = current_.page;
            }
        }
        endLine();
    }

    PrintLayout finish() {
        layout_.pageCount = lastBegunPage_ + 1;
        return std::move(layout_);
    }

private:
    // Moves to the next printed line, on the next page when it would not fit on this one. A page that
    // only blank lines reach is never begun, so the document's last line never leaves an empty page.
    void endLine() {
        layout_.lines.append(current_);
        qreal top = current_.top + lineHeight_;
        int page = current_.page;
        if (top + lineHeight_ > page_.height()) {
            ++page;
            top = 0;
        }
        startLine(page, top);
    }
    // A form feed: what stands before it on the line is printed, the rest begins the next page.
    void breakPage() {
        if (!current_.pieces.isEmpty()) layout_.lines.append(current_);
        startLine(current_.page + 1, 0);
        lastBegunPage_ = current_.page;
    }
    void startLine(int page, qreal top) {
        current_ = PrintedLine{page, top, {}};
        x_ = 0;
        pieceOpen_ = false;
    }

    const QFontMetricsF& metrics_;
    QSizeF page_;
    qreal lineHeight_;
    qreal tabWidth_;
    PrintLayout layout_;
    PrintedLine current_;
    int lastBegunPage_ = 0;
    qreal x_ = 0;
    bool pieceOpen_ = false;
};

} // namespace

PrintLayout layOutForPrinting(const QStringList& lines, const QFontMetricsF& metrics, const QSizeF& page) {
    Placer placer(metrics, page);
    for (const QString& line : lines)
        placer.place(line);
    return placer.finish();
}

void printLines(const QStringList& lines, const QFont& font, QPrinter& printer) {
    printer.setDocName(QString()); // the job carries no title
    QPainter painter;
    if (!painter.begin(&printer)) throw base::Failure(QStringLiteral("印刷を開始できません"));
    const QFont printerFont(font, &printer);
    painter.setFont(printerFont);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(printerFont, &printer);
    const PrintLayout layout =
        layOutForPrinting(lines, metrics, printer.pageRect(QPrinter::DevicePixel).size());
    int page = 0;
    const auto turnTo = [&](int wanted) {
        for (; page < wanted; ++page)
            if (!printer.newPage()) throw base::Failure(QStringLiteral("印刷できません"));
    };
    for (const PrintedLine& line : layout.lines) {
        turnTo(line.page);
        for (const PrintedPiece& piece : line.pieces)
            painter.drawText(QPointF(piece.x, line.top + metrics.ascent()), piece.text);
    }
    turnTo(layout.pageCount - 1);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw base::Failure(QStringLiteral("印刷できません"));
}

} // namespace view
