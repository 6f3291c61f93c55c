#include "text/encoding.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringEncoder>
#include <gtest/gtest.h>

#include <algorithm>

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
    const EncodedText encoded = encodeText(decoded.text, decoded.format, decoded.lineEnds);
    EXPECT_TRUE(encoded.ok());
    EXPECT_EQ(encoded.bytes.toHex(' '), bytes.toHex(' '));
}

// The text with each "<XX>" (two hex digits) turned into the stand-in of byte 0xXX: C++ literals cannot
// hold lone surrogates.
QString expand(std::u16string_view text) {
    QString out(reinterpret_cast<const QChar*>(text.data()),
                qsizetype(text.size())); // keeps a leading U+FEFF
    static const QRegularExpression marker(QStringLiteral("<([0-9A-F]{2})>"));
    for (auto m = marker.match(out); m.hasMatch(); m = marker.match(out, m.capturedStart() + 1))
        out.replace(m.capturedStart(), 4, QChar(standInFor(uchar(m.captured(1).toUInt(nullptr, 16)))));
    return out;
}

} // namespace

TEST(DecodeText, DetectsEncodingAndLineBreaks) {
    constexpr auto cp932 = Encoding::Cp932, utf8 = Encoding::Utf8, euc = Encoding::EucJp,
                   jis = Encoding::Iso2022Jp;
    constexpr auto crlf = LineBreak::CrLf, lf = LineBreak::Lf, cr = LineBreak::Cr;
    const struct {
        std::string_view bytes;
        Encoding encoding;
        LineBreak lineBreak;
        std::u16string_view text;
        LineEnds lineEnds;
    } cases[] = {
        {""sv, cp932, crlf, u""sv, {}},
        {"abc"sv, cp932, crlf, u"abc"sv, {}},
        {"a\nb\n"sv, cp932, lf, u"a\nb\n"sv, {}},
        // Mixed line ends: the most frequent is the usual one, CR LF on a tie; each line keeps its own.
        {"a\r\nb\nc"sv, cp932, crlf, u"a\nb\nc"sv, {{1, lf}}},
        {"a\rb\nc\r"sv, cp932, cr, u"a\nb\nc\n"sv, {{1, lf}}},
        {"a\nb\r\nc\nd\re"sv, cp932, lf, u"a\nb\nc\nd\ne"sv, {{1, crlf}, {3, cr}}},
        {"\r\r\n\r"sv, cp932, cr, u"\n\n\n"sv, {{1, crlf}}},
        // Characters the editor shows as line breaks are line ends of their own.
        {"a\xE2\x80\xA9"
         "b\n\xEF\xB7\x90"sv,
         utf8,
         lf,
         u"a\nb\n\n"sv,
         {{0, LineBreak::Char2029}, {2, LineBreak::CharFDD0}}},
        {"\x1A\x1C\x7F\0"sv, cp932, crlf, u"\x1A\x1C\x7F\0"sv, {}},
        {"\x93\xFA\x96\x7B\xB1\r\n"sv, cp932, crlf, u"日本ｱ\n"sv, {}},
        {"caf\xC3\xA9\r\n\xF0\x9F\x98\x80"sv, utf8, crlf, u"café\n😀"sv, {}},
        {"\xEF\xBB\xBF"sv, utf8, crlf, u""sv, {}},
        {"\xEF\xBB\xBF\xEF\xBB\xBFx\n"sv, utf8, lf, u"\uFEFFx\n"sv, {}},
        // UTF-8 with a stray Latin-1 byte that CP932 cannot read either stays UTF-8.
        {"caf\xE9 au lait, d\xC3\xA9j\xC3\xA0\n"sv, utf8, lf, u"caf<E9> au lait, déjà\n"sv, {}},
        // 7-bit JIS with the usual escapes, and with the older ones, which saving keeps.
        {"\x1B$B$\"$j$,$H$&\x1B(B\n"sv, jis, lf, u"ありがとう\n"sv, {}},
        {"\x1B$@F|K\\\x1B(J\r\nx"sv, jis, crlf, u"日本\nx"sv, {}},
        // EUC-JP that CP932 cannot read, half-width katakana and JIS X 0212 included.
        {"\xC6\xFC\xCB\xDC\xB8\xEC\r\n\x8E\xB1\x8F\xB0\xA1"sv, euc, crlf, u"日本語\nｱ丂"sv, {}},
        // A damaged CP932 file with more kana than UTF-8 sequences in its bytes stays CP932.
        {"\xE6\x97\xA5\x82\xA0\xE9\x20"sv, cp932, crlf, u"譌･あ<E9> "sv, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(bytesOf(c.bytes).toHex(' ').toStdString());
        const DecodedText d = decodeText(bytesOf(c.bytes));
        EXPECT_EQ(d.format.encoding, c.encoding);
        EXPECT_EQ(d.format.byteOrderMark, c.bytes.starts_with("\xEF\xBB\xBF"));
        EXPECT_EQ(d.format.lineBreak, c.lineBreak);
        EXPECT_EQ(d.text, expand(c.text));
        EXPECT_EQ(d.lineEnds, c.lineEnds);
        expectRoundTrip(bytesOf(c.bytes));
    }
    // The bounds of UTF-8: overlong forms, surrogates and codes past U+10FFFF are no UTF-8.
    for (const char* utf8 : {"\xE0\xA0\x80", "\xED\x9F\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_EQ(decodeText(utf8).text, QString::fromUtf8(utf8));
    for (const char* other : {"\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF",
                              "\xF4\x90\x80\x80", "\xF5\x80\x80\x80"})
        EXPECT_EQ(decodeText(other).format.encoding, cp932) << other;
}

TEST(DecodeText, SaysWhenSevenBitJisWouldNotComeBackTheSame) {
    const struct {
        std::string_view bytes;
        bool differs;
    } cases[] = {
        {"\x1B$BF|\x1B(B\n"sv, false},
        {"\x1B$BF|\n\x1B(B"sv, true},              // a line break inside a run of double-byte characters
        {"\x1B$BF|\x1B(B\x1B$@K\\\x1B(B"sv, true}, // both escapes into JIS X 0208
        {"\x1B$BF|\x1B$BK\\\x1B(B"sv, true},       // an escape that changes nothing
        {"\x1B$B\x22\x2F$\"\x1B(B"sv, false},      // a pair that is no character stays as bytes
        {"ab\x1B(I1\x1B$BF|\x1B(B"sv, false},      // an escape the editor does not know stays as text
        {"\x1B$BF|\x1B(I1\x1B(B"sv, true},         // ... but not inside a run of double-byte characters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(bytesOf(c.bytes).toHex(' ').toStdString());
        const DecodedText d = decodeText(bytesOf(c.bytes));
        EXPECT_EQ(d.format.encoding, Encoding::Iso2022Jp);
        EXPECT_EQ(d.reencodingDiffers, c.differs);
        if (!c.differs) expectRoundTrip(bytesOf(c.bytes));
    }
    TextFormat jis;
    jis.encoding = Encoding::Iso2022Jp;
    EXPECT_EQ(encodeText(u"ｱ😀〜", jis).unencodable, u"ｱ😀"); // no half-width katakana in 7-bit JIS
    EXPECT_EQ(encodeText(u"〜a", jis).bytes, "\x1B$B!A\x1B(Ba");
    // What a Shift-JIS document holds for 〜 and ¬ is written in JIS X 0208, which Japanese TeX reads; a
    // file that used the JIS X 0212 or IBM code keeps it.
    EXPECT_EQ(encodeText(u"～￢", jis).bytes, "\x1B$B!A\"L\x1B(B");
    TextFormat euc;
    euc.encoding = Encoding::EucJp;
    EXPECT_EQ(encodeText(u"～￢〜¬", euc).bytes, "\xA1\xC1\xA2\xCC\xA1\xC1\xA2\xCC");
    expectRoundTrip("\xC6\xFC\x8F\xA2\xB7\xFC\xFB\xA1\xC1\r\n");
}

TEST(DecodeText, KeepsEachUnreadableByteAsAStandIn) {
    const struct {
        std::string_view bytes;
        std::u16string_view text;
    } cases[] = {
        {"\x81\x31\x85\x40"sv, u"<81>"
                               "1<85>@"sv}, // lead byte before no trail byte; unassigned code
        {"\x85\x80\x85\x82\xA0"sv, u"<85>\u0080<85>あ"sv},
        {"\x82\r\n\x82"sv, u"<82>\n<82>"sv}, // lead byte at a line end and at the end
        {"\xEF\xBB\xBF\xFF\x61\xE3\x81"sv, u"<FF>"
                                           "a<E3><81>"sv}, // marked UTF-8 stays UTF-8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(bytesOf(c.bytes).toHex(' ').toStdString());
        const DecodedText d = decodeText(bytesOf(c.bytes));
        EXPECT_EQ(d.text, expand(c.text));
        EXPECT_EQ(d.undecodableBytes, std::count_if(d.text.cbegin(), d.text.cend(),
                                                    [](QChar ch) { return isStandIn(ch.unicode()); }));
        expectRoundTrip(bytesOf(c.bytes));
    }
}

// Characters and their CP932 bytes, both ways or (one way) only when writing.
TEST(Cp932, CharacterForms) {
    const struct {
        std::u16string_view text;
        std::string_view bytes;
        bool bothWays;
    } cases[] = {
        // Single bytes the codec refuses come back as themselves.
        {u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"sv, "\x80\xA0\xFD\xFE\xFF"sv, true},
        {u"<81> <FC>"sv, "\x81 \xFC"sv, true},
        // What input methods commit, and look-alikes, are written one way.
        {u"\u301C"sv, "\x81\x60"sv, false}, // 〜, read back as ～
        {u"\u2016\u2212\u00A2\u00A3\u00AC\u2014"sv, "\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5C"sv,
         false},
        {u"\uFF5E\u2225\uFF0D\uFFE0\uFFE1\uFFE2\u2015"sv,
         "\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5C"sv, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(bytesOf(c.bytes).toHex(' ').toStdString());
        const EncodedText encoded = encodeText(expand(c.text), defaultFormat());
        EXPECT_TRUE(encoded.ok());
        EXPECT_EQ(encoded.bytes, bytesOf(c.bytes));
        if (c.bothWays) {
            EXPECT_EQ(decodeCp932(bytesOf(c.bytes)), expand(c.text));
        }
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
             "A\x80\x42\xA0\xFD\xFE\xFF\r\n"sv,
             "\xEF\xBB\xBF\xC3\xA9\xE9\r\n\xE2\x80\xA8\n"sv,
         }) {
        SCOPED_TRACE(bytesOf(file).toHex(' ').toStdString());
        expectRoundTrip(bytesOf(file));
    }
    // Non-ASCII characters and line ends at every offset within the eight-byte blocks.
    for (int n = 0; n < 18; ++n) {
        const QByteArray run(n, 'a');
        const QString text = QString::fromLatin1(run) + u"あ\n"_s + QString::fromLatin1(run) +
                             u"\nｱ\n"_s; // a CR alone is a line end of its own
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
              (QHash<char16_t, quint32>{{u'纊', 0xED40}, {u'∵', 0x879A}, {u'Ⅰ', 0xFA4A}}));
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
    bogus.encoding = Encoding::EucJp; // a damaged recovery record: no EUC-JP code at all
    bogus.alternateForms = {{u'～', 0x12A2B7}};
    EXPECT_EQ(encodeText(u"～", bogus).bytes, "\xA1\xC1");
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
    EXPECT_EQ(encodeText(u"a😀bü😀ü\u301C\uFFFD", defaultFormat()).unencodable, u"😀ü\uFFFD");

    TextFormat utf8;
    utf8.encoding = Encoding::Utf8;
    utf8.byteOrderMark = true;
    EXPECT_EQ(encodeText(expand(u"😀\uFFFD<80>\n"), utf8).bytes,
              "\xEF\xBB\xBF\xF0\x9F\x98\x80\xEF\xBF\xBD\x80\r\n");
    // Lone surrogates that stand for no byte have no form at all.
    const char16_t lone[] = {0xDE00, u'b', 0xDE00, 0xD83D, u'c', 0xDD00, 0};
    const char16_t expected[] = {0xDE00, 0xD83D, 0xDD00};
    EXPECT_EQ(encodeText(lone, utf8).unencodable, QStringView(expected, 3));
}

TEST(EncodeText, WritesEachLineEndAsListed) {
    TextFormat lf;
    lf.lineBreak = LineBreak::Lf;
    const LineEnds ends = {
        {0, LineBreak::CrLf}, {2, LineBreak::Cr}, {3, LineBreak::Char2029}, {9, LineBreak::Cr}};
    EXPECT_EQ(encodeText(u"a\nb\nc\nd\ne", lf, ends).unencodable, u"\u2029"); // CP932 has no U+2029
    lf.encoding = Encoding::Utf8;
    EXPECT_EQ(encodeText(u"a\nb\nc\nd\ne", lf, ends).bytes, "a\r\nb\nc\rd\xE2\x80\xA9"
                                                            "e");
    // A listed line that no longer ends (the last one) or no longer exists is written as it is.
    EXPECT_EQ(encodeText(u"a\nb", lf, {{1, LineBreak::Cr}, {5, LineBreak::Cr}}).bytes, "a\nb");
}

// Bytes whose format is known (a recovery file's) are read in it, where detection would read them otherwise
// or sort the line ends against another usual one.
TEST(DecodeTextAs, ReadsTheBytesInTheFormatGiven) {
    auto format = [](Encoding encoding, LineBreak lineBreak) {
        TextFormat f;
        f.encoding = encoding;
        f.lineBreak = lineBreak;
        return f;
    };
    TextFormat bom = format(Encoding::Utf8, LineBreak::Cr),
               oldJis = format(Encoding::Iso2022Jp, LineBreak::Lf);
    bom.byteOrderMark = true;
    oldJis.jisOldKanjiEscape = oldJis.jisRomanEscape = true;
    TextFormat twoForms = format(Encoding::Cp932, LineBreak::CrLf);
    twoForms.alternateForms = {{u'纊', 0xED40}};
    const struct {
        QString text;
        TextFormat format;
        LineEnds lineEnds;
        bool detectedOtherwise;
    } cases[] = {
        {u"山田\n"_s, format(Encoding::EucJp, LineBreak::Lf), {}, true}, // reads as CP932 kana too
        {u"ﾃｧ"_s, format(Encoding::Cp932, LineBreak::CrLf), {}, true},   // valid UTF-8 ("ç")
        {u"a\nb\nc"_s, bom, {{0, LineBreak::CrLf}}, true},               // one CR LF, one CR
        {u"a\nb\n"_s,
         format(Encoding::Cp932, LineBreak::CrLf),
         {{0, LineBreak::Lf}, {1, LineBreak::Lf}},
         true},
        {u"日本\nx\n"_s, oldJis, {}, false},
        {expand(u"a<82>\nb<81>"), format(Encoding::Cp932, LineBreak::CrLf), {}, false},
        {u"纊\n"_s, twoForms, {}, false},
    };
    for (const auto& c : cases) {
        const QByteArray bytes = encodeText(c.text, c.format, c.lineEnds).bytes;
        SCOPED_TRACE(bytes.toHex(' ').toStdString());
        const DecodedText decoded = decodeTextAs(bytes, c.format);
        EXPECT_EQ(decoded.text, c.text);
        EXPECT_EQ(decoded.lineEnds, c.lineEnds);
        EXPECT_EQ(decoded.format, c.format);
        EXPECT_EQ(encodeText(decoded.text, decoded.format, decoded.lineEnds).bytes, bytes);
        const DecodedText detected = decodeText(bytes);
        EXPECT_EQ(detected.text != c.text || detected.lineEnds != c.lineEnds, c.detectedOtherwise);
    }
}

// Every file of the corpus is read in the encoding it has always been read in (those not listed as
// UTF-8); the 7-bit JIS sample reads as ISO-2022-JP.
TEST(EncodingRoundTrip, CorpusFiles) {
    const QDir dir(QStringLiteral(LORVANE_CORPUS_DIR));
    if (!dir.exists()) GTEST_SKIP() << "no corpus folder";
    const QHash<QString, Encoding> notUtf8 = {
        {QStringLiteral("bibdesk_tabs_SimulationBib.bib"), Encoding::Cp932}, // ASCII
        {QStringLiteral("dblp_preamble.bib"), Encoding::Cp932},
        {QStringLiteral("handwritten_emacs_aibasel_literatur.bib"), Encoding::Cp932},
        {QStringLiteral("paperpile_library.bib"), Encoding::Cp932},
        {QStringLiteral("ja_sjis_takeda_econ_ref_jp.bib"), Encoding::Cp932},
        {QStringLiteral("ja_iso2022jp_pbibtex_jxampl.bib"), Encoding::Iso2022Jp},
    };
    for (const QString& name :
         dir.entryList({QStringLiteral("*.bib"), QStringLiteral("*.csv")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const DecodedText decoded = decodeText(bytes);
        EXPECT_EQ(decoded.format.encoding, notUtf8.value(name, Encoding::Utf8)) << name.toStdString();
        EXPECT_TRUE(encodeText(decoded.text, decoded.format, decoded.lineEnds).bytes == bytes)
            << name.toStdString();
        EXPECT_FALSE(decoded.reencodingDiffers) << name.toStdString();
    }
    // The 7-bit JIS sample's Japanese titles.
    QFile jxampl(dir.filePath(QStringLiteral("ja_iso2022jp_pbibtex_jxampl.bib")));
    ASSERT_TRUE(jxampl.open(QIODevice::ReadOnly));
    const QString text = decodeText(jxampl.readAll()).text;
    EXPECT_TRUE(text.contains(u"ドナルド・ダック") && text.contains(u"基本算法"));
    // UTF-8 with some Latin-1 bytes reads as UTF-8, the stray bytes kept as stand-ins.
    QFile mixed(dir.filePath(QStringLiteral("mixed_latin1_utf8_eol_gepetto_cat.bib")));
    ASSERT_TRUE(mixed.open(QIODevice::ReadOnly));
    const DecodedText decoded = decodeText(mixed.readAll());
    EXPECT_EQ(decoded.format.lineBreak, LineBreak::Lf);
    EXPECT_TRUE(decoded.text.contains(u"Böhringer"));
    EXPECT_EQ(decoded.lineEnds.size(), 69);
}

// The Japanese corpus files converted by iconv into each Japanese encoding: each is read as what it was
// converted to, and comes back byte for byte; so does the 7-bit JIS sample where TeX is installed.
TEST(EncodingRoundTrip, JapaneseFilesInEveryEncoding) {
    const QDir dir(QStringLiteral(LORVANE_CORPUS_DIR));
    if (!dir.exists()) GTEST_SKIP() << "no corpus folder";
    int converted = 0;
    for (const QString& name : dir.entryList({QStringLiteral("ja_utf8_*.bib")}, QDir::Files)) {
        for (const auto& [iconvName, encoding] :
             {std::pair{"EUC-JP", Encoding::EucJp}, std::pair{"ISO-2022-JP", Encoding::Iso2022Jp},
              std::pair{"CP932", Encoding::Cp932}}) {
            SCOPED_TRACE(name.toStdString() + " as " + iconvName);
            QProcess iconv;
            iconv.start(QStringLiteral("iconv"),
                        {QStringLiteral("-c"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                         QStringLiteral("-t"), QString::fromLatin1(iconvName), dir.filePath(name)});
            ASSERT_TRUE(iconv.waitForFinished());
            const QByteArray bytes = iconv.readAllStandardOutput();
            const DecodedText decoded = decodeText(bytes);
            EXPECT_EQ(decoded.format.encoding, encoding);
            EXPECT_EQ(decoded.undecodableBytes, 0);
            EXPECT_FALSE(decoded.reencodingDiffers);
            EXPECT_TRUE(encodeText(decoded.text, decoded.format, decoded.lineEnds).bytes == bytes);
            ++converted;
        }
    }
    EXPECT_EQ(converted, 21);
    QFile installed(QStringLiteral("/usr/share/texlive/texmf-dist/pbibtex/bib/jxampl.bib"));
    if (installed.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = installed.readAll();
        const DecodedText decoded = decodeText(bytes);
        EXPECT_EQ(decoded.format.encoding, Encoding::Iso2022Jp);
        EXPECT_TRUE(encodeText(decoded.text, decoded.format, decoded.lineEnds).bytes == bytes);
    }
}

// Short texts read as both EUC-JP and CP932. Random runs of the Japanese corpus files' lines, converted
// to both: no CP932 text is ever taken for EUC-JP, and EUC-JP texts of five lines are all recognised.
TEST(DecodeText, ShortTextsStayCp932UnlessTheEvidenceForEucJpIsClear) {
    const QDir dir(QStringLiteral(LORVANE_CORPUS_DIR));
    if (!dir.exists()) GTEST_SKIP() << "no corpus folder";
    QStringList lines;
    for (const QString& name : dir.entryList({QStringLiteral("ja_utf8_*.bib")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n'))
            if (std::any_of(line.cbegin(), line.cend(), [](QChar c) { return c.unicode() >= 0x3000; }))
                lines.append(line + u'\n');
    }
    ASSERT_GT(lines.size(), 500);
    QRandomGenerator random(13);
    for (const int length : {1, 2, 5}) {
        int eucSamples = 0, eucFound = 0;
        for (int sample = 0; sample < 200; ++sample) {
            QString text;
            for (int i = 0; i < length; ++i)
                text += lines[random.bounded(int(lines.size()))];
            QStringEncoder toEuc("EUC-JP"), toCp932("windows-31j");
            const QByteArray euc = toEuc.encode(text), cp932 = toCp932.encode(text);
            if (toEuc.hasError() || toCp932.hasError()) continue;
            EXPECT_EQ(decodeText(cp932).format.encoding, Encoding::Cp932) << text.toStdString();
            ++eucSamples;
            eucFound += decodeText(euc).format.encoding == Encoding::EucJp;
        }
        if (length == 5) {
            EXPECT_EQ(eucFound, eucSamples);
        }
        EXPECT_GT(eucFound * 10, eucSamples * 7) << length << " lines";
    }
}
