#include "document/document_file.h"

#include "text/text_file.h"

#include <QDateTime>
#include <QFileInfo>

#include <optional>
#include <vector>

namespace document {

FileStamp fileStamp(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return {};
    return {true, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

namespace {

LoadedDocument fromDecoded(text::DecodedText decoded) {
    return {std::move(decoded.text),  {std::move(decoded.format)}, std::move(decoded.lineEnds),
            decoded.undecodableBytes, decoded.rewrittenCharacters, decoded.reencodingDiffers};
}

} // namespace

LoadedDocument loadDocumentFile(const QString& path) {
    // A large file is mapped rather than copied, so that its bytes are not held whole beside the text.
    return fromDecoded(text::readTextFile(path));
}

LoadedDocument decodeDocument(QByteArrayView bytes) {
    return fromDecoded(text::decodeText(bytes));
}

QString openWarning(const QString& path, const LoadedDocument& document) {
    QStringList parts;
    if (document.undecodableBytes > 0)
        parts << QStringLiteral(
                     "ファイル %1 には文字として読めないバイトが %2 個あります。\r\n"
                     "読めないバイトは「\uFFFD」の印で表示され、保存すると元のバイトのまま書き戻されます。")
                     .arg(path, QString::number(document.undecodableBytes));
    if (document.rewrittenCharacters > 0)
        parts << QStringLiteral("ファイル %1 には、同じ文字を二通りのバイトで書いた箇所があります。\r\n"
                                "保存すると %2 文字がもう一方の書き方にそろいます。")
                     .arg(path, QString::number(document.rewrittenCharacters));
    if (document.reencodingDiffers)
        parts << QStringLiteral("ファイル %1 は %2 の珍しい書き方 (エスケープシーケンスの使い方、"
                                "二通りの符号を持つ文字など) を含みます。\r\n"
                                "保存すると、その部分のバイトが通常の書き方に変わります。")
                     .arg(path, text::encodingName(document.format.text.encoding));
    return parts.join(QStringLiteral("\r\n"));
}

text::EncodedText encodeDocument(QStringView text, const DocumentFormat& format,
                                 const text::LineEnds& lineEnds) {
    return text::encodeText(text, format.text, lineEnds);
}

QString unencodableQuestion(const QString& characters, text::Encoding encoding) {
    return QStringLiteral("この文書には %1 で保存できない文字があります: %2\r\n"
                          "UTF-8 で保存しますか?\r\n"
                          "「いいえ」を選ぶと保存しません。")
        .arg(text::encodingName(encoding), characters);
}

DocumentFormat asUtf8(const DocumentFormat& format) {
    DocumentFormat utf8 = format;
    utf8.text.encoding = text::Encoding::Utf8;
    utf8.text.byteOrderMark = false;
    utf8.text.alternateForms.clear();
    utf8.text.jisOldKanjiEscape = utf8.text.jisRomanEscape = false;
    return utf8;
}

QString textToAppend(const QStringList& lines, bool lastLineUnended) {
    QString text;
    if (lastLineUnended) text += u'\n';
    text += lines.join(u'\n');
    text += u'\n';
    return text;
}

AppendedFile appendToFile(const QByteArray& bytes, const LoadedDocument& document, const QStringList& lines,
                          bool orUtf8) {
    const QString& before = document.text;
    const QString appended = textToAppend(lines, !before.isEmpty() && !before.endsWith(u'\n'));
    DocumentFormat tailFormat = document.format;
    tailFormat.text.byteOrderMark = false; // the file has its own already
    AppendedFile result{encodeDocument(appended, tailFormat), before + appended};
    if (result.bytes.ok())
        result.bytes.bytes.prepend(bytes);
    else if (orUtf8)
        result.bytes = encodeDocument(result.text, asUtf8(document.format), document.lineEnds);
    return result;
}

text::LineEnds editedLineEnds(QStringView text, const text::LineEnds& lineEnds,
                              const QList<text::TextEdit>& edits) {
    // Each line's end; none: the usual one.
    std::vector<std::optional<text::LineBreak>> ends(std::size_t(text.count(u'\n') + 1));
    for (const text::LineEnd& e : lineEnds)
        if (std::size_t(e.line) < ends.size()) ends[std::size_t(e.line)] = e.lineBreak;
    // From the last edit to the first, so that the line numbers of those still to make hold.
    for (auto e = edits.crbegin(); e != edits.crend(); ++e) {
        const auto line = std::size_t(text.first(e->position).count(u'\n'));
        const auto removed = std::size_t(text.sliced(e->position, e->length).count(u'\n'));
        const auto added = std::size_t(e->replacement.count(u'\n'));
        std::vector<std::optional<text::LineBreak>> made(added + 1, ends[line]);
        made[added] = ends[line + removed];
        ends.erase(ends.begin() + qsizetype(line), ends.begin() + qsizetype(line + removed + 1));
        ends.insert(ends.begin() + qsizetype(line), made.begin(), made.end());
    }
    text::LineEnds result;
    for (std::size_t i = 0; i < ends.size(); ++i)
        if (ends[i]) result.append({int(i), *ends[i]});
    return result;
}

namespace {

// The line ends of the lines from `first` on, numbered from there.
text::LineEnds endsFrom(const text::LineEnds& lineEnds, int first) {
    text::LineEnds shifted;
    for (const text::LineEnd& e : lineEnds)
        if (e.line >= first) shifted.append({e.line - first, e.lineBreak});
    return shifted;
}

} // namespace

EditedFile editFile(const QByteArray& bytes, const LoadedDocument& document,
                    const QList<text::TextEdit>& edits, bool orUtf8) {
    const QString& before = document.text;
    EditedFile result{{bytes, {}}, text::applyEdits(before, edits)};
    if (edits.isEmpty()) return result;
    const text::LineEnds ends = editedLineEnds(before, document.lineEnds, edits);

    // The text before the first edited line and after the last, with their bytes as the format writes them.
    // (lastIndexOf from -1 would search from the end: an edit at the very start begins the first line.)
    const qsizetype firstAt = edits.first().position;
    const qsizetype from = firstAt == 0 ? 0 : before.lastIndexOf(u'\n', firstAt - 1) + 1;
    const qsizetype lastEnd = before.indexOf(u'\n', edits.last().position + edits.last().length);
    const qsizetype to = lastEnd < 0 ? before.size() : lastEnd + 1;
    const int firstLine = int(before.first(from).count(u'\n'));
    const int afterLine = int(before.first(to).count(u'\n'));
    DocumentFormat inner = document.format;
    inner.text.byteOrderMark = false; // the file has its own already
    const text::EncodedText head = encodeDocument(before.first(from), document.format, document.lineEnds);
    const text::EncodedText tail =
        encodeDocument(before.sliced(to), inner, endsFrom(document.lineEnds, afterLine));
    const QStringView middle =
        QStringView(result.text).sliced(from, result.text.size() - from - (before.size() - to));
    text::EncodedText edited = encodeDocument(middle, inner, endsFrom(ends, firstLine));

    if (!edited.ok()) {
        result.bytes =
            orUtf8 ? encodeDocument(result.text, asUtf8(document.format), ends) : std::move(edited);
    } else if (head.ok() && tail.ok() && bytes.startsWith(head.bytes) && bytes.endsWith(tail.bytes) &&
               head.bytes.size() + tail.bytes.size() <= bytes.size()) {
        result.bytes.bytes = head.bytes + edited.bytes + bytes.last(tail.bytes.size());
    } else {
        // Bytes the encoding would not give back as they are (a character written in both of its forms):
        // the whole file is written as the editor's save writes it.
        result.bytes = encodeDocument(result.text, document.format, ends);
    }
    return result;
}

} // namespace document
