#include "app/document_file.h"

#include "text/text_file.h"

namespace app {

namespace {

int countRewrittenLineEnds(QByteArrayView bytes, QStringView text, text::LineBreak style) {
    int count = 0;
    for (qsizetype i = bytes.indexOf('\r'); i >= 0; i = bytes.indexOf('\r', i + 1))
        if (i + 1 == bytes.size() || bytes[i + 1] != '\n') ++count;
    if (style == text::LineBreak::CrLf)
        for (qsizetype i = bytes.indexOf('\n'); i >= 0; i = bytes.indexOf('\n', i + 1))
            if (i == 0 || bytes[i - 1] != '\r') ++count;
    // Characters the text editor turns into paragraph breaks of its own.
    for (QChar c : text)
        if (c == QChar::ParagraphSeparator || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1) ++count;
    return count;
}

} // namespace

LoadedDocument loadDocumentFile(const QString& path) {
    const QByteArray bytes = text::readFileBytes(path);
    text::DecodedText decoded = text::decodeText(bytes);
    const int rewritten = countRewrittenLineEnds(bytes, decoded.text, decoded.format.lineBreak);
    return {std::move(decoded.text),
            {std::move(decoded.format), decoded.undecodableBytes},
            rewritten,
            decoded.rewrittenCharacters};
}

QString openWarning(const QString& path, const LoadedDocument& document) {
    QStringList parts;
    if (document.format.undecodableBytes > 0)
        parts << QStringLiteral("ファイル %1 には文字として読めないバイトが %2 個あります。\r\n"
                                "読めないバイトは「\uFFFD」で表示され、保存すると「?」に置き換わります。")
                     .arg(path, QString::number(document.format.undecodableBytes));
    if (document.rewrittenLineEnds > 0)
        parts << QStringLiteral("ファイル %1 には、このままの形では保存できない改行が %2 個あります"
                                " (CR だけの改行、CR LF と LF の混在など)。\r\n"
                                "保存すると改行はすべて %3 になります。")
                     .arg(path, QString::number(document.rewrittenLineEnds),
                          document.format.text.lineBreak == text::LineBreak::CrLf ? QStringLiteral("CR LF")
                                                                                  : QStringLiteral("LF"));
    if (document.rewrittenCharacters > 0)
        parts << QStringLiteral("ファイル %1 には、同じ文字を二通りのバイトで書いた箇所があります。\r\n"
                                "保存すると %2 文字がもう一方の書き方にそろいます。")
                     .arg(path, QString::number(document.rewrittenCharacters));
    return parts.join(QStringLiteral("\r\n"));
}

text::EncodedText encodeDocument(QStringView text, const DocumentFormat& format) {
    return text::encodeText(text, format.text, format.undecodableBytes > 0);
}

QString unencodableQuestion(const QString& characters) {
    return QStringLiteral("この文書には Shift-JIS で保存できない文字があります: %1\r\n"
                          "UTF-8 で保存しますか?\r\n"
                          "「いいえ」を選ぶと保存しません。")
        .arg(characters);
}

DocumentFormat asUtf8(const DocumentFormat& format) {
    DocumentFormat utf8 = format;
    utf8.text.encoding = text::Encoding::Utf8;
    utf8.text.byteOrderMark = false;
    utf8.text.alternateForms.clear();
    return utf8;
}

QString textToAppend(const QStringList& lines, bool lastLineUnended) {
    QString text;
    if (lastLineUnended) text += u'\n';
    text += lines.join(u'\n');
    text += u'\n';
    return text;
}

} // namespace app
