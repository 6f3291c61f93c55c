// Encoding detection, decoding and re-encoding: whenever opening says nothing about what saving changes,
// saving the unedited text gives back every byte.
#include "fuzz_support.h"
#include "text/encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes = fuzz::bytesOf(data, size);
    const text::DecodedText decoded = text::decodeText(bytes);
    FUZZ_CHECK(!decoded.text.contains(u'\r'));
    int lines = int(decoded.text.count(u'\n')) + 1, previous = -1;
    for (const text::LineEnd& own : decoded.lineEnds) {
        FUZZ_CHECK(own.line > previous && own.line < lines);
        FUZZ_CHECK(own.lineBreak != decoded.format.lineBreak);
        previous = own.line;
    }
    const text::EncodedText encoded = text::encodeText(decoded.text, decoded.format, decoded.lineEnds);
    if (decoded.rewrittenCharacters == 0 && !decoded.reencodingDiffers) {
        FUZZ_CHECK(encoded.ok());
        FUZZ_CHECK(encoded.bytes == bytes);
    }
    // Whatever the text holds, UTF-8 holds it, stand-ins included.
    text::TextFormat utf8 = decoded.format;
    utf8.encoding = text::Encoding::Utf8;
    FUZZ_CHECK(text::encodeText(decoded.text, utf8, decoded.lineEnds).ok());
    return 0;
}
