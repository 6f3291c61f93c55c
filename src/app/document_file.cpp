#include "app/document_file.h"

#include "text/text_file.h"

namespace app {

LoadedDocument loadDocumentFile(const QString& path) {
    text::DecodedText decoded = text::readTextFile(path);
    return {std::move(decoded.text), {std::move(decoded.format), decoded.undecodableBytes}};
}

QString undecodableWarning(const QString& path, int byteCount) {
    return QStringLiteral("ファイル %1 には文字として読めないバイトが %2 個あります。\r\n"
                          "読めないバイトは「\uFFFD」で表示され、保存すると「?」に置き換わります。")
        .arg(path)
        .arg(byteCount);
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
