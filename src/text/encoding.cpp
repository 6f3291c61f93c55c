// Opening a file: which encoding its bytes are read in, and the public functions of encoding.h.
//
// decodeText decides in this order, each step only when the ones before did not:
//  1. UTF-8: the bytes start with its byte-order mark, or are valid UTF-8 with non-ASCII bytes.
//  2. ISO-2022-JP: 7-bit bytes (valid UTF-8, all ASCII) with an escape into JIS X 0208.
//  3. Plain ASCII: kept as read, with the new document's encoding, CP932.
//  4. EUC-JP: it reads every byte, and CP932 cannot, or the character-set detector calls the bytes
//     EUC-JP with clearly more kana read as EUC-JP than as CP932 (clearlyEucJp).
//  5. UTF-8 again: CP932 cannot read the bytes either, and they hold more whole UTF-8 sequences than
//     CP932 reads Japanese characters (UTF-8 with some Latin-1 bytes in it).
//  6. Anything else is CP932, each unreadable byte a stand-in.
// Line ends are counted first (the most frequent is the usual one) and sorted out after decoding; last,
// for EUC-JP and ISO-2022-JP, a trial encoding tells whether saving gives back the same bytes.
//
// The rest lives beside this file, all in namespace text::detail:
//  - encoding_internal.h: what the parts share: the tables' layout, the inline per-byte and
//    word-at-a-time helpers of the hot loops, and the entry points of the files below;
//  - encoding_tables.cpp: the CP932 and EUC-JP tables read from the codecs, and the look-alikes;
//  - encoding_scan.cpp: the scans detection counts with (line ends, UTF-8 sequences, EUC-JP shape);
//  - encoding_decode.cpp: one decoder per encoding, and the line-end normalising;
//  - encoding_encode.cpp: one encoder per encoding, writing the line ends and the file's own codes.
// A new encoding: a value in Encoding and its name (encoding.h, encodingName), its tables beside the
// others, a decoder and an encoder, a case in decodeTextAs and encodeText, and a step above if it is
// to be detected.
#include "text/encoding.h"

#include "text/encoding_internal.h"

#include <uchardet/uchardet.h>

#include <algorithm>

namespace text {

using namespace detail;

namespace {

// Bytes that read as both EUC-JP and CP932 (short texts do): EUC-JP only on clear evidence, measured on
// the corpus's Japanese files and on random runs of their lines converted to both encodings. The
// detector must call it EUC-JP, and the EUC-JP reading must hold at least two kana or Japanese
// punctuation marks and more than twice as many as the CP932 reading (which makes half-width katakana
// of EUC-JP's kana). No CP932 sample was ever taken for EUC-JP; EUC-JP samples of one line were taken
// for it in 4 of 5 cases, of three lines or more in 99%; the rest, kanji only, stay CP932.
bool clearlyEucJp(QByteArrayView bytes, QStringView asEucJp, QStringView asCp932, const PassedBytes* passed) {
    const qsizetype euc = japaneseCharacters(asEucJp);
    if (euc < 2 || euc <= 2 * japaneseCharacters(asCp932)) return false;
    uchardet_t detector = uchardet_new();
    const bool handled = uchardet_handle_data(detector, bytes.data(), size_t(bytes.size())) == 0;
    uchardet_data_end(detector);
    const bool eucJp = handled && qstrcmp(uchardet_get_charset(detector), "EUC-JP") == 0;
    uchardet_delete(detector);
    // The detector reads the bytes in one piece, so that it decides as it always has.
    if (passed && *passed) (*passed)(bytes.data() + bytes.size());
    return eucJp;
}

// Whether `bytes` are `expected`, read a stretch at a time.
bool sameBytes(QByteArrayView bytes, QByteArrayView expected, const PassedBytes* passed) {
    if (bytes.size() != expected.size()) return false;
    Passing passing(passed, bytesOf(expected));
    for (qsizetype at = 0; at < bytes.size(); at += kPassStretch) {
        passing.at(bytesOf(expected) + at);
        const qsizetype n = std::min(kPassStretch, bytes.size() - at);
        if (bytes.sliced(at, n) != expected.sliced(at, n)) return false;
    }
    return true;
}

} // namespace

DecodedText decodeText(QByteArrayView bytes, const PassedBytes& passedBytes) {
    const PassedBytes* const passed = &passedBytes;
    DecodedText result;
    TextFormat& format = result.format;
    format.byteOrderMark = bytes.startsWith(kByteOrderMark);
    const QByteArrayView body = format.byteOrderMark ? bytes.sliced(kByteOrderMark.size()) : bytes;
    const LineBreakCounts breaks = countLineBreaks(body, passed);
    format.lineBreak = breaks.usual();
    // CR LF pairs become '\n' while decoding when every line ends so; otherwise each line end is sorted
    // out afterwards.
    const bool joinCrLf = !breaks.mixed();

    // ASCII reads the same in CP932 and UTF-8, so a text that turns out to be ASCII is kept as read.
    Utf8Result utf8 = decodeUtf8(body, joinCrLf, format.byteOrderMark, result.undecodableBytes, passed);
    // A reading given up holds as much memory as the text it got to: let it go before the next.
    if (!utf8.valid) utf8.text = QString();
    if (utf8.valid && (utf8.nonAscii || format.byteOrderMark)) {
        format.encoding = Encoding::Utf8;
        result.text = std::move(utf8.text);
    } else if (utf8.valid && hasJisKanjiEscape(body, passed)) {
        format.encoding = Encoding::Iso2022Jp;
        FormRecord forms{format.alternateForms, {}};
        utf8.text = QString();
        result.text = decodeIso2022JpBytes(body, joinCrLf, format, forms, result.undecodableBytes, passed);
        result.rewrittenCharacters = forms.rewritten([](char16_t c) { return eucJp().encodeJis[c]; });
    } else if (utf8.valid) {
        format.encoding = Encoding::Cp932;
        result.text = std::move(utf8.text);
    } else {
        format.encoding = Encoding::Cp932;
        FormRecord forms{format.alternateForms, {}};
        result.text = decodeCp932Bytes(body, joinCrLf, &forms, result.undecodableBytes, passed);
        QHash<char16_t, quint32> eucForms;
        FormRecord eucRecord{eucForms, {}};
        int eucUndecodable = 0;
        QString euc = hasEucJpShape(body, passed)
                          ? decodeEucJpBytes(body, joinCrLf, eucRecord, eucUndecodable, passed)
                          : QString();
        if (!euc.isNull() && eucUndecodable == 0 &&
            (result.undecodableBytes > 0 || clearlyEucJp(body, euc, result.text, passed))) {
            format.encoding = Encoding::EucJp;
            format.alternateForms = std::move(eucForms);
            result.text = std::move(euc);
            result.undecodableBytes = 0;
            result.rewrittenCharacters = eucRecord.rewritten([](char16_t c) { return eucJp().encode[c]; });
        } else if (result.undecodableBytes > 0 &&
                   utf8Sequences(body, passed) > japaneseCharacters(result.text)) {
            // Neither encoding reads the bytes cleanly: UTF-8 with a few Latin-1 bytes has whole UTF-8
            // sequences and no kana; a damaged CP932 file the other way round.
            format.encoding = Encoding::Utf8;
            format.alternateForms.clear();
            result.undecodableBytes = 0;
            result.text = euc = QString(); // before the next reading, which takes as much
            result.text = decodeUtf8(body, joinCrLf, true, result.undecodableBytes, passed).text;
        } else {
            result.rewrittenCharacters =
                forms.rewritten([](char16_t c) { return quint32(cp932().encode[c]); });
        }
    }
    const bool lineBreakCharacters = format.encoding == Encoding::Utf8 && hasLineBreakCharacters(result.text);
    if (breaks.mixed() || breaks.cr > 0 || lineBreakCharacters)
        result.lineEnds = normaliseLineBreaks(result.text, format.lineBreak, joinCrLf && breaks.crlf > 0);
    // The two encodings with more than one way to write the same text: the open warning says so when
    // saving would not give back the same bytes.
    if ((format.encoding == Encoding::EucJp || format.encoding == Encoding::Iso2022Jp) &&
        result.rewrittenCharacters == 0)
        result.reencodingDiffers =
            !sameBytes(encodeText(result.text, format, result.lineEnds).bytes, bytes, passed);
    return result;
}

DecodedText decodeTextAs(QByteArrayView bytes, const TextFormat& format) {
    DecodedText result;
    result.format = format;
    const QByteArrayView body =
        format.encoding == Encoding::Utf8 && format.byteOrderMark && bytes.startsWith(kByteOrderMark)
            ? bytes.sliced(kByteOrderMark.size())
            : bytes;
    // The forms and escapes the bytes use are the format's already: what the decoders note is dropped.
    QHash<char16_t, quint32> forms;
    FormRecord record{forms, {}};
    TextFormat escapes = format;
    switch (format.encoding) {
    case Encoding::Utf8:
        result.text = decodeUtf8(body, false, true, result.undecodableBytes).text;
        break;
    case Encoding::Cp932:
        result.text = decodeCp932Bytes(body, false, nullptr, result.undecodableBytes);
        break;
    case Encoding::EucJp:
        result.text = decodeEucJpBytes(body, false, record, result.undecodableBytes);
        break;
    case Encoding::Iso2022Jp:
        result.text = decodeIso2022JpBytes(body, false, escapes, record, result.undecodableBytes);
        break;
    }
    // Every line end is sorted out against the format's usual one, which need not be the most frequent
    // in these bytes.
    result.lineEnds = normaliseLineBreaks(result.text, format.lineBreak, false);
    return result;
}

EncodedText encodeText(QStringView text, const TextFormat& format, const LineEnds& lineEnds) {
    EncodedText result;
    Unencodable unencodable;
    switch (format.encoding) {
    case Encoding::Utf8:
        result.bytes = encodeUtf8Text(text, format, lineEnds, unencodable);
        break;
    case Encoding::Cp932:
        result.bytes = encodeCp932Text(text, format.alternateForms, format.lineBreak, lineEnds, &unencodable);
        break;
    case Encoding::EucJp:
        result.bytes = encodeEucJpText(text, format, lineEnds, unencodable);
        break;
    case Encoding::Iso2022Jp:
        result.bytes = encodeIso2022JpText(text, format, lineEnds, unencodable);
        break;
    }
    result.unencodable = unencodable.take();
    return result;
}

QString encodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Cp932:
        return QStringLiteral("Shift-JIS");
    case Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case Encoding::EucJp:
        return QStringLiteral("EUC-JP");
    case Encoding::Iso2022Jp:
        return QStringLiteral("ISO-2022-JP");
    }
    return {};
}

QString decodeCp932(QByteArrayView bytes) {
    int undecodable = 0;
    return decodeCp932Bytes(bytes, false, nullptr, undecodable);
}

QByteArray encodeCp932(QStringView text) {
    return encodeCp932Text(text, {}, LineBreak::Lf, {}, nullptr);
}

} // namespace text
