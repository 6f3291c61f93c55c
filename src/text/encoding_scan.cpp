// Scans of a whole file's bytes or text that detection counts with: line ends (eight bytes at a time),
// UTF-8 sequences, the EUC-JP shape, the ISO-2022-JP escape, Japanese characters.
#include "text/encoding_internal.h"

#include <algorithm>

namespace text::detail {

LineBreakCounts countLineBreaks(QByteArrayView bytes, const PassedBytes* passed) {
    LineBreakCounts counts;
    const uchar* const p = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype lf = 0, cr = 0, pairs = 0, i = 0;
    Passing passing(passed, p);
    // Eight bytes at a time, with the word one byte further on for the LF that follows a CR.
    for (; i + 9 <= size; i += 8) {
        passing.at(p + i);
        quint64 word, next;
        std::memcpy(&word, p + i, 8);
        std::memcpy(&next, p + i + 1, 8);
        const quint64 crs = exactZeroBytes(word ^ 0x0D0D0D0D0D0D0D0DULL);
        lf += markedLanes(exactZeroBytes(word ^ 0x0A0A0A0A0A0A0A0AULL));
        cr += markedLanes(crs);
        pairs += markedLanes(crs & exactZeroBytes(next ^ 0x0A0A0A0A0A0A0A0AULL));
    }
    for (; i < size; ++i) {
        lf += p[i] == '\n';
        cr += p[i] == '\r';
        pairs += p[i] == '\r' && i + 1 < size && p[i + 1] == '\n';
    }
    counts.crlf = pairs;
    counts.cr = cr - pairs;
    counts.lf = lf - pairs;
    return counts;
}

qsizetype utf8Sequences(QByteArrayView bytes, const PassedBytes* passed) {
    qsizetype sequences = 0;
    const uchar* p = bytesOf(bytes);
    const uchar* const end = p + bytes.size();
    Passing passing(passed, p);
    while (p < end) {
        passing.at(p);
        const int length = utf8SequenceLength(p, end);
        sequences += length > 0;
        p += std::max(length, 1);
    }
    return sequences;
}

// CP932 text fails at its first kanji (lead bytes 0x81-0x9F), so this ends early for it.
bool hasEucJpShape(QByteArrayView bytes, const PassedBytes* passed) {
    const uchar* p = bytesOf(bytes);
    const uchar* const end = p + bytes.size();
    bool nonAscii = false;
    Passing passing(passed, p);
    while (p < end) {
        passing.at(p);
        if (*p < 0x80) {
            ++p;
            continue;
        }
        nonAscii = true;
        const int length = eucSequenceLength(p, end);
        if (length == 0) return false;
        p += length;
    }
    return nonAscii;
}

bool hasJisKanjiEscape(QByteArrayView bytes, const PassedBytes* passed) {
    // A stretch at a time, each overlapping the next by an escape's length less one byte, so that the
    // bytes behind are read once.
    const qsizetype overlap = kJisKanjiEscape.size() - 1;
    Passing passing(passed, bytesOf(bytes));
    for (qsizetype at = 0; at < bytes.size(); at += kPassStretch) {
        passing.at(bytesOf(bytes) + at);
        const QByteArrayView stretch = bytes.sliced(at, std::min(kPassStretch + overlap, bytes.size() - at));
        if (stretch.indexOf(kJisKanjiEscape) >= 0 || stretch.indexOf(kJisOldKanjiEscape) >= 0) return true;
    }
    return false;
}

qsizetype japaneseCharacters(QStringView text) {
    qsizetype n = 0;
    for (QChar c : text)
        n += (c.unicode() >= 0x3000 && c.unicode() <= 0x30FF) ||
             (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E);
    return n;
}

bool hasLineBreakCharacters(QStringView text) {
    return text.contains(u'\u2029') || text.contains(u'\uFDD0') || text.contains(u'\uFDD1');
}

} // namespace text::detail
