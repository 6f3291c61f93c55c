#include "text/encoding.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <string_view>

using namespace text;
using namespace std::string_view_literals;
using namespace Qt::StringLiterals;

namespace {

QByteArray bytesOf(std::string_view s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

void expectRoundTrip(const QByteArray& bytes) {
    const DecodedText decoded = decodeText(bytes);
    EXPECT_EQ(decoded.undecodableBytes, 0);
    const EncodedText encoded = encodeText(decoded.text, decoded.format);
    EXPECT_TRUE(encoded.ok());
    EXPECT_EQ(encoded.bytes.toHex(' '), bytes.toHex(' '));
}

} // namespace

TEST(DecodeText, DetectsEncodingAndLineBreaks) {
    constexpr auto cp932 = Encoding::Cp932, utf8 = Encoding::Utf8;
    constexpr auto crlf = LineBreak::CrLf, lf = LineBreak::Lf;
    const struct {
        std::string_view bytes;
        Encoding encoding;
        LineBreak lineBreak;
        std::u16string_view text;
    } cases[] = {
        {""sv, cp932, crlf, u""sv},
        {"abc"sv, cp932, crlf, u"abc"sv},
        {"a\nb\n"sv, cp932, lf, u"a\nb\n"sv},
        {"a\r\nb\nc"sv, cp932, crlf, u"a\nb\nc"sv}, // mixed: CR LF wins
        {"a\rb\nc\r"sv, cp932, lf, u"a\rb\nc\r"sv}, // a CR alone stays
        {"\x1A\x1C\x7F\0"sv, cp932, crlf, u"\x1A\x1C\x7F\0"sv},
        {"\x93\xFA\x96\x7B\xB1\r\n"sv, cp932, crlf, u"日本ｱ\n"sv},
        {"caf\xC3\xA9\r\n\xF0\x9F\x98\x80"sv, utf8, crlf, u"café\n😀"sv},
        {"\xEF\xBB\xBF"sv, utf8, crlf, u""sv},
        {"\xEF\xBB\xBF\xEF\xBB\xBFx\n"sv, utf8, lf, u"\uFEFFx\n"sv},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(bytesOf(c.bytes).toHex(' ').toStdString());
        const DecodedText d = decodeText(bytesOf(c.bytes));
        EXPECT_EQ(d.format.encoding, c.encoding);
        EXPECT_EQ(d.format.byteOrderMark, c.bytes.starts_with("\xEF\xBB\xBF"));
        EXPECT_EQ(d.format.lineBreak, c.lineBreak);
        EXPECT_EQ(d.text, QStringView(c.text));
    }
    // The bounds of UTF-8: overlong forms, surrogates and codes past U+10FFFF are no UTF-8.
    for (const char* utf8 : {"\xE0\xA0\x80", "\xED\x9F\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_EQ(decodeText(utf8).text, QString::fromUtf8(utf8));
    for (const char* other : {"\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF",
                              "\xF4\x90\x80\x80", "\xF5\x80\x80\x80"})
        EXPECT_EQ(decodeText(other).format.encoding, cp932) << other;
}

TEST(DecodeText, ReplacesEachUnreadableByte) {
    const struct {
        std::string_view bytes;
        std::u16string_view text;
    } cases[] = {
        {"A\x80\x42\xA0\xFD\xFE\xFF"sv, u"A\uFFFDB\uFFFD\uFFFD\uFFFD\uFFFD"sv},
        {"\x81\x31\x85\x40"sv, u"\uFFFD1\uFFFD@"sv}, // lead byte before no trail byte; unassigned code
        {"\x85\x80\x85\x82\xA0"sv, u"\uFFFD\uFFFD\uFFFDあ"sv},
        {"\x82\r\n\x82"sv, u"\uFFFD\n\uFFFD"sv}, // lead byte at a line end and at the end
        {"\xEF\xBB\xBF\xFF\x61\xE3\x81"sv, u"\uFFFDa\uFFFD\uFFFD"sv}, // marked UTF-8 stays UTF-8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(bytesOf(c.bytes).toHex(' ').toStdString());
        const DecodedText d = decodeText(bytesOf(c.bytes));
        EXPECT_EQ(d.text, QStringView(c.text));
        EXPECT_EQ(d.undecodableBytes, d.text.count(u'\uFFFD'));
    }
}

TEST(EncodingRoundTrip, GivesBackTheSameBytes) {
    for (const std::string_view file : {
             ""sv,
             "@book{a,\r\n  title = {x},\r\n}\r\n"sv,
             "@book{a,\n  title = {x},\n}"sv,
             "a\rb\n\0\x1A\n"sv,
             "\x93\xFA\x96\x7B\r\n\xB1\xDF\r\n\x87\x40\x87\x54\x87\x82\r\n\xFA\x40\xFB\x40\xFB\xFC"sv,
             "\xE6\x97\xA5\n\xC3\xBC\xF0\x9F\x98\x80\xEF\xBF\xBD\xF4\x8F\xBF\xBF"sv,
             "\xEF\xBB\xBF\xE6\x97\xA5\r\nx\r\n"sv,
         }) {
        SCOPED_TRACE(bytesOf(file).toHex(' ').toStdString());
        expectRoundTrip(bytesOf(file));
    }
    // Non-ASCII characters and line ends at every offset within the eight-byte blocks.
    for (int n = 0; n < 18; ++n) {
        const QByteArray run(n, 'a');
        const QString text = QString::fromLatin1(run) + u"あ\n"_s + QString::fromLatin1(run) + u"\rｱ\n"_s;
        for (const QByteArray& bytes :
             {run + "\x82\xA0\r\n" + run + "\r\xB1\r\n", run + "\xE3\x81\x82\n" + run + "\r\xEF\xBD\xB1\n"}) {
            EXPECT_EQ(decodeText(bytes).text, text) << n;
            expectRoundTrip(bytes);
        }
    }
}

TEST(EncodingRoundTrip, KeepsTheTwoByteFormTheFileUsed) {
    // 0xED40 and 0xFA5C are both U+7E8A; the encoder by itself writes 0xFA5C.
    const DecodedText d = decodeText("\xED\x40 \xED\x40\r\n\x87\x9A\xFA\x4A\x87\x54");
    EXPECT_EQ(d.text, u"纊 纊\n∵ⅠⅠ");
    EXPECT_EQ(d.format.alternateForms,
              (QHash<char16_t, quint16>{{u'纊', 0xED40}, {u'∵', 0x879A}, {u'Ⅰ', 0xFA4A}}));
    expectRoundTrip("\xED\x40 \xED\x40\r\n\x87\x9A");
    EXPECT_TRUE(decodeText("\xFA\x5C\x81\xE6").format.alternateForms.isEmpty());
    EXPECT_EQ(encodeText(u"纊Ⅰ", defaultFormat()).bytes, "\xFA\x5C\x87\x54");
    // One form is kept per character, so a file using both forms of one comes back in one of them.
    // The decoder counts the occurrences that will change, so the user can be told before saving.
    const DecodedText mixed = decodeText("\xED\x40\xFA\x5C\xFA\x5C\xED\x40");
    EXPECT_EQ(encodeText(mixed.text, mixed.format).bytes, "\xED\x40\xED\x40\xED\x40\xED\x40");
    EXPECT_EQ(mixed.rewrittenCharacters, 2);
    EXPECT_EQ(d.rewrittenCharacters, 1); // Ⅰ stood above as 0xFA4A and as 0x8754
    EXPECT_EQ(decodeText("\xFA\x5C\xFA\x5C").rewrittenCharacters, 0);
    TextFormat bogus;
    bogus.alternateForms = {{u'纊', 0x82A0}};
    EXPECT_EQ(encodeText(u"纊", bogus).bytes, "\xFA\x5C");
}

TEST(EncodingRoundTrip, EveryDoubleByteCodeReadsBackItsCharacter) {
    int characters = 0, alternates = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char pair[2] = {char(lead), char(trail)};
            const QByteArray code(pair, 2);
            const QString c = decodeCp932(code);
            if (c.size() != 1 || c == u"\uFFFD") continue;
            ++characters;
            const QByteArray written = encodeCp932(c);
            ASSERT_EQ(decodeCp932(written), c) << code.toHex().toStdString();
            alternates += written != code;
        }
    }
    EXPECT_GT(characters, 9000);
    EXPECT_EQ(alternates, 398);
    EXPECT_EQ(decodeCp932("\x82\xA0\r\n\xDF"), u"あ\r\nﾟ");
    EXPECT_EQ(encodeCp932(u"ü😀x\n"), "??x\n");
}

TEST(EncodeText, CollectsCharactersWithoutByteForm) {
    EXPECT_EQ(encodeText(u"a😀bü😀ü\u301C\uFFFD", defaultFormat()).unencodable, u"😀ü\u301C\uFFFD");
    const EncodedText replaced = encodeText(u"a\uFFFDb\n", defaultFormat(), true);
    EXPECT_TRUE(replaced.ok());
    EXPECT_EQ(replaced.bytes, "a?b\r\n");

    TextFormat utf8;
    utf8.encoding = Encoding::Utf8;
    utf8.byteOrderMark = true;
    EXPECT_EQ(encodeText(u"😀\uFFFD\n", utf8).bytes, "\xEF\xBB\xBF\xF0\x9F\x98\x80\xEF\xBF\xBD\r\n");
    EXPECT_EQ(encodeText(u"\uFFFD", utf8, true).bytes, "\xEF\xBB\xBF?");
    const char16_t lone[] = {0xDE00, u'b', 0xDE00, 0xD83D, 0};
    EXPECT_EQ(encodeText(lone, utf8).unencodable, QStringView(lone + 2, 2));
}

TEST(EncodingRoundTrip, CorpusFiles) {
    const QDir dir(QStringLiteral(LORVANE_CORPUS_DIR));
    if (!dir.exists()) GTEST_SKIP() << "no corpus folder";
    QList<Encoding> nonAscii; // encodings of the files with non-ASCII text that came back whole
    for (const QString& name : dir.entryList({QStringLiteral("*.bib")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const DecodedText decoded = decodeText(bytes);
        const qsizetype pairs = bytes.count("\r\n");
        // CR LF mixed with bare LF is written back with CR LF throughout.
        if (decoded.undecodableBytes > 0 || (pairs > 0 && pairs != bytes.count('\n'))) continue;
        const bool same = encodeText(decoded.text, decoded.format).bytes == bytes;
        EXPECT_TRUE(same) << name.toStdString();
        if (same && decoded.text.size() + pairs < bytes.size()) nonAscii.append(decoded.format.encoding);
    }
    EXPECT_TRUE(nonAscii.contains(Encoding::Cp932) && nonAscii.contains(Encoding::Utf8));
}
