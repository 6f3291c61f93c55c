#include "base/failure.h"
#include "text/encoding.h"
#include "text/text_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace text;
using namespace Qt::StringLiterals;

namespace {

// Lines of an ordinary bibliography, Japanese in them, up to `bytes` or more once encoded.
QString bibliography(qsizetype characters, bool halfWidthKana) {
    QString text;
    for (int i = 0; text.size() < characters; ++i)
        text += u"@book{k%1,\n  title = {日本語の書名、かなとカナ%2 第%1巻},\n  year = {2001},\n}\n"_s.arg(
            QString::number(i), halfWidthKana ? u"ｶﾅ"_s : u"仮名"_s);
    return text;
}

QByteArray encoded(const QString& text, const TextFormat& format, const LineEnds& lineEnds = {}) {
    const EncodedText e = encodeText(text, format, lineEnds);
    EXPECT_TRUE(e.ok());
    return e.bytes;
}

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    writeFileBytes(path, bytes);
    return path;
}

// How much of the mapping that starts at `begin` is resident, from the kernel's account.
qint64 residentKilobytes(const char* begin) {
    QFile maps(u"/proc/self/smaps"_s);
    if (!maps.open(QIODevice::ReadOnly)) return -1;
    const QByteArray start = QByteArray::number(quintptr(begin), 16) + '-';
    bool inside = false;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        if (!line.isEmpty() && line.contains('-') && !line.contains(':')) inside = false;
        if (line.startsWith(start)) inside = true;
        if (inside && line.startsWith("Rss:")) return line.mid(4).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

QString failureOf(auto&& action) {
    try {
        action();
    } catch (const base::Failure& failure) {
        return failure.message();
    }
    return QString();
}

constexpr qsizetype kSeveralStretches = 1200 * 1024; // characters: a few megabytes of bytes

} // namespace

// A mapped file, read pass after pass with its pages given back behind each, decodes exactly as its
// bytes read whole do, whichever encoding and line ends it has.
TEST(FileBytes, MappedFileDecodesAsItsWholeBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString text = bibliography(kSeveralStretches, false);
    const QString withKana = bibliography(kSeveralStretches, true);
    LineEnds mixed;
    for (int line = 3; line < text.count(u'\n'); line += 997)
        mixed.append({line, LineBreak::Lf});
    const auto format = [](Encoding encoding, LineBreak lineBreak, bool bom = false) {
        TextFormat f;
        f.encoding = encoding;
        f.lineBreak = lineBreak;
        f.byteOrderMark = bom;
        return f;
    };
    QByteArray latin1InUtf8 = encoded(text, format(Encoding::Utf8, LineBreak::Lf));
    for (qsizetype at = 100; at < latin1InUtf8.size(); at += 300000)
        latin1InUtf8.insert(latin1InUtf8.indexOf('\n', at), "caf\xE9");
    QByteArray damagedCp932 = encoded(withKana, format(Encoding::Cp932, LineBreak::CrLf));
    damagedCp932.append("\x82\xFF tail");

    const struct {
        const char* name;
        QByteArray bytes;
        Encoding encoding;
    } cases[] = {
        {"cp932 crlf", encoded(withKana, format(Encoding::Cp932, LineBreak::CrLf)), Encoding::Cp932},
        {"cp932 unreadable bytes", damagedCp932, Encoding::Cp932},
        {"utf-8 bom lf", encoded(text, format(Encoding::Utf8, LineBreak::Lf, true)), Encoding::Utf8},
        {"utf-8 latin-1 bytes", latin1InUtf8, Encoding::Utf8},
        {"euc-jp mixed ends", encoded(withKana, format(Encoding::EucJp, LineBreak::CrLf), mixed),
         Encoding::EucJp},
        {"iso-2022-jp cr", encoded(text, format(Encoding::Iso2022Jp, LineBreak::Cr)), Encoding::Iso2022Jp},
        {"ascii", QByteArray(3 << 20, 'a').replace(1000, 1, "\r\n"), Encoding::Cp932},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = write(dir, u"a.bib"_s, c.bytes);
        const DecodedText whole = decodeText(c.bytes);
        const FileBytes file(path, 0);
        ASSERT_TRUE(file.isMapped());
        const DecodedText mapped = decodeText(file.bytes(), file.passed());
        EXPECT_NO_THROW(file.checkWhole());
        EXPECT_EQ(mapped.format.encoding, c.encoding);
        EXPECT_TRUE(mapped.text == whole.text);
        EXPECT_EQ(mapped.format, whole.format);
        EXPECT_EQ(mapped.lineEnds, whole.lineEnds);
        EXPECT_EQ(mapped.undecodableBytes, whole.undecodableBytes);
        EXPECT_EQ(mapped.rewrittenCharacters, whole.rewrittenCharacters);
        EXPECT_EQ(mapped.reencodingDiffers, whole.reencodingDiffers);
    }
}

// Decoding a mapped file leaves little of it resident: the pages behind each pass go back.
TEST(FileBytes, DecodingGivesBackThePagesItHasPassed) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TextFormat cp932;
    const QByteArray bytes = encoded(bibliography(6 * kSeveralStretches, true), cp932);
    const QString path = write(dir, u"a.bib"_s, bytes);
    const qint64 fileKilobytes = bytes.size() / 1024;
    ASSERT_GT(fileKilobytes, 8 * 1024);

    const FileBytes kept(path, 0);
    decodeText(kept.bytes()); // told nothing: every page read stays
    const qint64 whole = residentKilobytes(kept.bytes().data());
    ASSERT_GE(whole, 0) << "the mapping is not in /proc/self/smaps";
    EXPECT_GT(whole, fileKilobytes * 9 / 10);

    const FileBytes given(path, 0);
    decodeText(given.bytes(), given.passed());
    EXPECT_LT(residentKilobytes(given.bytes().data()), 4 * 1024) << "of " << fileKilobytes << " KB";
}

// A file that grows shorter while mapped is no crash: the read fails with the message any unreadable
// file gives, and the file as it now is reads normally.
TEST(FileBytes, FileGrownShorterWhileMappedFailsTheRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TextFormat cp932;
    const QString path = write(dir, u"a.bib"_s, encoded(bibliography(kSeveralStretches, true), cp932));
    {
        const FileBytes file(path, 0);
        ASSERT_TRUE(file.isMapped());
        ASSERT_TRUE(QFile::resize(path, 100000));
        const DecodedText partly = decodeText(file.bytes(), file.passed());
        EXPECT_EQ(failureOf([&] { file.checkWhole(); }), u"ファイル "_s + path + u" は開けません"_s);
        EXPECT_EQ(partly.format.encoding, Encoding::Cp932);
    }
    const QByteArray now = readFileBytes(path);
    EXPECT_TRUE(readTextFile(path, 0).text == decodeText(now).text);
}

// Small files are read whole, as before; what cannot be opened fails alike either way.
TEST(FileBytes, SmallFilesAreReadAndFailuresAreAlike) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = write(dir, u"a.bib"_s, "\x82\xA0\r\n");
    EXPECT_FALSE(FileBytes(path).isMapped());
    EXPECT_TRUE(FileBytes(path, 0).isMapped());
    const QString empty = write(dir, u"empty.bib"_s, {});
    EXPECT_FALSE(FileBytes(empty, 0).isMapped());
    EXPECT_TRUE(readTextFile(empty, 0).text.isEmpty());
    const QString missing = dir.filePath(u"no.bib"_s);
    for (const QString& unreadable : {missing, dir.path()}) {
        const QString message = u"ファイル "_s + unreadable + u" は開けません"_s;
        EXPECT_EQ(failureOf([&] { FileBytes(unreadable, 0); }), message);
        EXPECT_EQ(failureOf([&] { readTextFile(unreadable); }), message);
    }
}
