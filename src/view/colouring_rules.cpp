#include "view/colouring_rules.h"

#include "document/line_state.h"

#include <QPalette>

namespace view {

namespace {

using bibtex::Token;

// `share` of the way from `from` to `to`.
QColor mix(const QColor& from, const QColor& to, double share) {
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * share),
                            float(from.greenF() + (to.greenF() - from.greenF()) * share),
                            float(from.blueF() + (to.blueF() - from.blueF()) * share));
}

} // namespace

ColouringLook colouringLook(const QPalette& palette) {
    // Colours only (never bold or italic, which may change a character's width), taken from the view's
    // palette and mixed towards its text colour, so that they stay quiet and readable on light and dark.
    const QColor text = palette.color(QPalette::Text);
    const QColor base = palette.color(QPalette::Base);
    const bool dark = base.lightness() < text.lightness();
    auto hue = [&](int h) { return QColor::fromHsl(h, dark ? 120 : 170, dark ? 175 : 80); };
    auto foreground = [](const QColor& c) {
        QTextCharFormat format;
        format.setForeground(c);
        return format;
    };
    ColouringLook look;
    auto at = [&](Token t) -> QTextCharFormat& { return look.formats[std::size_t(t)]; };
    at(Token::Comment) = foreground(mix(text, base, 0.45));
    at(Token::At) = foreground(mix(hue(215), palette.color(QPalette::Link), 0.3));
    at(Token::EntryType) = at(Token::At);
    at(Token::Command) = foreground(mix(hue(285), palette.color(QPalette::LinkVisited), 0.3));
    at(Token::Label) = foreground(hue(20));
    at(Token::FieldName) = foreground(hue(185));
    at(Token::Braced) = foreground(hue(115));
    at(Token::Quoted) = at(Token::Braced);
    at(Token::Number) = at(Token::Braced);
    at(Token::Abbreviation) = foreground(hue(45));
    QTextCharFormat error = foreground(QColor::fromHsl(0, 200, dark ? 170 : 100));
    error.setBackground(mix(base, QColor(Qt::red), 0.18));
    at(Token::Error) = error;
    look.match.setBackground(mix(base, palette.color(QPalette::Highlight), 0.35));
    look.entry = mix(base, palette.color(QPalette::Highlight), 0.08);
    return look;
}

int storableState(bibtex::LineState state) {
    const int packed = state.packed();
    if (packed <= document::line_state::kLargestStart) return packed;
    constexpr int kLowBits = 0x7f; // phase, delimiter and kind of entry (bibtex/reader.cpp)
    return (packed & kLowBits) | (document::line_state::kLargestStart & ~kLowBits);
}

QList<QTextLayout::FormatRange> lineFormats(QStringView text, bibtex::LineState start,
                                            const ColouringLook& look) {
    QList<bibtex::Run> runs;
    bibtex::readLine(text, start, &runs);
    const auto isBlank = [&](qsizetype i) { return text[i] == u' ' || text[i] == u'\t'; };
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(runs.size());
    for (const bibtex::Run& run : runs) {
        const QTextCharFormat& format = look.of(run.token);
        if (format.propertyCount() == 0) continue;
        const bool error = run.token == Token::Error;
        int begin = run.start;
        if (ranges.isEmpty() && !error)
            while (begin > 0 && isBlank(begin - 1))
                --begin;
        int end = run.start + run.length;
        while (!error && end < text.size() && isBlank(end))
            ++end;
        if (!ranges.isEmpty() && ranges.last().start + ranges.last().length == begin &&
            ranges.last().format == format)
            ranges.last().length = end - ranges.last().start;
        else
            ranges.append({begin, end - begin, format});
    }
    return ranges;
}

} // namespace view
