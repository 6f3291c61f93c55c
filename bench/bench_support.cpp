#include "bench_support.h"

#include "text/encoding.h"
#include "text/text_file.h"

#include <QFileInfo>

namespace bench {

QString generatedBibliography(int entries) {
    QString text;
    text.reserve(entries * 240);
    for (int i = 0; i < entries; ++i) {
        const QString n = QString::number(i);
        text += QStringLiteral("@article{ref") + n + QStringLiteral(",\n");
        text += QStringLiteral(" author  = \"山田 太郎 and 鈴木 花子\",\n");
        text += QStringLiteral(" title   = \"日本語の文献管理について 第") + n + QStringLiteral("報\",\n");
        text += QStringLiteral(" journal = \"情報処理学会論文誌\",\n");
        text += QStringLiteral(" year    = \"2024\",\n");
        text += QStringLiteral(" volume  = \"65\",\n");
        text += QStringLiteral(" pages   = \"1--12\",\n");
        text += QStringLiteral(" yomi    = \"やまだ\",\n");
        text += QStringLiteral("}\n\n");
    }
    return text;
}

Fixture::Fixture() {
    text::TextFormat cp932;
    text::writeFileBytes(file, text::encodeText(text, cp932).bytes);
}

Fixture& fixture() {
    static Fixture f;
    return f;
}

const QStringList kCsvColumns{QStringLiteral("author"), QStringLiteral("title"), QStringLiteral("journal"),
                              QStringLiteral("year"), QStringLiteral("pages")};

QString generatedCsv() {
    const QString file = fixture().dir.filePath(QStringLiteral("import.csv"));
    if (QFileInfo::exists(file)) return file;
    QString text;
    for (int i = 0; i < kCsvLines; ++i)
        text += QStringLiteral("\"山田 太郎 and 鈴木 花子\",日本語の文献管理について 第") +
                QString::number(i) + QStringLiteral("報,情報処理学会論文誌,2024,1--12\n");
    text::writeFileBytes(file, text::encodeText(text, text::defaultFormat()).bytes);
    return file;
}

} // namespace bench
