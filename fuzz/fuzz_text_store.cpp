// The text store against the plain model of the tests (support/text_model.h). The input is a file and,
// in its last bytes, what is done to it: the file is decoded and adopted (saved again, it gives the same
// bytes), then each three bytes make an edit, a step of two edits, an undo or a redo; after each the
// text, every line's start and line end, the entry count and the heads' labels are compared.
#include "document/anchors.h"
#include "document/document_file.h"
#include "document/edit_history.h"
#include "fuzz_support.h"
#include "support/text_model.h"

#include <algorithm>
#include <array>

namespace {

const std::array<std::u16string_view, 10> kPieces{
    u"\n", u"\r\n", u"\r", u"\u2029", u"@book{a,\r\n", u"{A,", u"日本語", u"}\n\n", u"@", u"x\uFDD0y",
};

void compare(document::TextStore& store, const model::TextModel& model) {
    FUZZ_CHECK(store.text() == model.qtext());
    const std::vector<qsizetype> starts = model.lineStarts();
    FUZZ_CHECK(store.lineCount() == qsizetype(starts.size()));
    for (size_t line = 0; line < starts.size(); ++line) {
        FUZZ_CHECK(store.lineStart(qsizetype(line)) == starts[line]);
        FUZZ_CHECK(store.lineAt(starts[line]) == qsizetype(line));
    }
    FUZZ_CHECK(store.lineEnds() == model.lineEnds());
    FUZZ_CHECK(store.entryCount() == model.entryCount());
    FUZZ_CHECK(model::counted(store.index().headLabels()) == model.headLabels());
    FUZZ_CHECK(store.index().keyCount() == model.keyCount());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t opBytes = std::min<size_t>(size / 2, 240);
    const QByteArrayView file = fuzz::bytesOf(data, size - opBytes);
    const uint8_t* op = data + size - opBytes;
    document::LoadedDocument loaded = document::decodeDocument(file);
    model::TextModel model(loaded.text, loaded.lineEnds);
    const document::DocumentFormat format = loaded.format;
    const bool sameBytes = !loaded.reencodingDiffers && loaded.rewrittenCharacters == 0;
    document::TextStore store(std::move(loaded.text), loaded.lineEnds, 4);
    if (sameBytes) FUZZ_CHECK(document::encodeDocument(store.text(), format, store.lineEnds()).bytes == file);
    // Large inputs (the real files the test run replays) take a few steps, compared once at the end.
    const bool eachStep = store.size() < 65536;
    const size_t usedOpBytes = eachStep ? opBytes : std::min<size_t>(opBytes, 24);
    compare(store, model);

    document::EditHistory history(store);
    std::vector<model::TextModel> done, undone;
    // Anchors at every sixteenth of the text, which edits move as the model says; an undo or a redo
    // moves them by the same rule through its own edits, so the model takes their places from there.
    QList<qsizetype> places;
    for (int n = 0; n <= 16; ++n)
        places.append(store.size() * n / 16);
    document::AnchorSet anchors(store, places);
    auto edit = [&](uint8_t where, uint8_t what) {
        const qsizetype from = store.size() * where / 255;
        const qsizetype length = std::min<qsizetype>(store.size() - from, what % 8);
        const std::u16string_view piece = what / 8 % 2 ? kPieces[what / 16 % kPieces.size()] : u"";
        history.edit(from, length, QStringView(piece.data(), qsizetype(piece.size())),
                     document::EditKind::Command);
        const qsizetype added = qsizetype(model.replace(size_t(from), size_t(length), piece));
        for (qsizetype& place : places)
            place = model::followed(place, from, length, added);
    };
    for (size_t i = 0; i + 3 <= usedOpBytes; i += 3) {
        const uint8_t code = op[i] % 4, where = op[i + 1], what = op[i + 2];
        if (code == 0 || code == 1) { // one edit, or a step of two
            const qsizetype steps = history.undoSteps();
            if (code == 1) history.beginStep();
            const model::TextModel before = model;
            edit(where, what);
            if (code == 1) {
                edit(what, where);
                history.endStep();
            }
            if (history.undoSteps() != steps) {
                done.push_back(before);
                undone.clear();
            }
        } else if (code == 2 && history.canUndo()) {
            history.undo();
            undone.push_back(std::exchange(model, done.back()));
            done.pop_back();
            places = anchors.positions();
        } else if (code == 3 && history.canRedo()) {
            history.redo();
            done.push_back(std::exchange(model, undone.back()));
            undone.pop_back();
            places = anchors.positions();
        }
        if (eachStep) compare(store, model);
        FUZZ_CHECK(anchors.positions() == places);
    }
    compare(store, model);
    while (history.canUndo())
        history.undo();
    if (sameBytes) FUZZ_CHECK(document::encodeDocument(store.text(), format, store.lineEnds()).bytes == file);
    return 0;
}
