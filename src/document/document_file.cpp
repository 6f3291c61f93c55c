#include "document/document_file.h"

#include "text/text_file.h"

#include <QDateTime>
#include <QFileInfo>

namespace document {

FileStamp fileStamp(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return {};
    return {true, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

LoadedDocument loadDocumentFile(const QString& path) {
    return decodeDocument(text::readFileBytes(path));
}

LoadedDocument decodeDocument(QByteArrayView bytes) {
    text::DecodedText decoded = text::decodeText(bytes);
    return {std::move(decoded.text),  {std::move(decoded.format)}, std::move(decoded.lineEnds),
            decoded.undecodableBytes, decoded.rewrittenCharacters, decoded.reencodingDiffers};
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

} // namespace document
