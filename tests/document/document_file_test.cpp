// The document's file rules that the editor and lorvane-cli share: what appending lines to a file writes,
// and what editing lines of a file writes.
#include "document/document_file.h"

#include <gtest/gtest.h>

namespace {

TEST(AppendToFile, TheBytesStayAndTheLinesFollowInTheFilesEncodingAndLineBreak) {
    const QStringList entry = {QStringLiteral("@misc{a,"), QStringLiteral("}"), QString()};
    const QStringList accented = {QStringLiteral("@misc{é,"), QStringLiteral("}")};
    const struct {
        QByteArray file;
        QStringList lines;
        bool orUtf8;
        QByteArray written; // empty: refused
    } cases[] = {
        {"", entry, false, "@misc{a,\r\n}\r\n\r\n"}, // a new document: CP932 with CR LF
        {"x\n", entry, false, "x\n@misc{a,\n}\n\n"},
        {"x", entry, false, "x\r\n@misc{a,\r\n}\r\n\r\n"}, // the last line gets its break first
        {"@book{b,\r\n}\nz\r\n", entry, false, "@book{b,\r\n}\nz\r\n@misc{a,\r\n}\r\n\r\n"},
        {"\xEF\xBB\xBF\xC3\xA9\n", entry, false, "\xEF\xBB\xBF\xC3\xA9\n@misc{a,\n}\n\n"}, // one mark
        {"x\r\n", accented, false, ""},
        {"x\r\n", accented, true, "x\r\n@misc{\xC3\xA9,\r\n}\r\n"},
    };
    for (const auto& c : cases) {
        const document::AppendedFile appended =
            document::appendToFile(c.file, document::decodeDocument(c.file), c.lines, c.orUtf8);
        EXPECT_EQ(appended.bytes.ok(), !c.written.isEmpty()) << c.file.toStdString();
        if (!appended.bytes.ok()) {
            EXPECT_EQ(appended.bytes.unencodable, QStringLiteral("é"));
            continue;
        }
        EXPECT_EQ(appended.bytes.bytes, c.written) << c.file.toStdString();
        // The text after the append is what the written file holds.
        EXPECT_EQ(appended.text, document::decodeDocument(c.written).text) << c.file.toStdString();
    }
}

} // namespace

namespace {

QByteArray cp932(const QString& text) {
    return text::encodeCp932(text);
}

TEST(EditFile, OnlyTheEditedLinesAreWrittenAnewAndNewLinesEndAsTheLineTheyWereSplitFrom) {
    const struct {
        const char* name;
        QByteArray file;
        text::TextEdit edit; // on the file's text
        bool orUtf8;
        QByteArray written; // empty: refused
    } cases[] = {
        {"CR LF", "a\r\nb\r\nc\r\n", {1, 0, QStringLiteral("\nX")}, false, "a\r\nX\r\nb\r\nc\r\n"},
        {"LF", "a\nb\n", {1, 0, QStringLiteral("\nX")}, false, "a\nX\nb\n"},
        {"a line of its own end split",
         "a\nb\r\nc\r\n",
         {1, 0, QStringLiteral("\nX")},
         false,
         "a\nX\nb\r\nc\r\n"},
        {"a line of its own end removed", "a\r\nb\rc\r\n", {2, 2, QString()}, false, "a\r\nc\r\n"},
        {"CP932 around the edit",
         cp932(QStringLiteral("山\r\nx\r\n川\r\n")),
         {2, 1, QStringLiteral("谷")},
         false,
         cp932(QStringLiteral("山\r\n谷\r\n川\r\n"))},
        {"a byte that is no character",
         "a\x81\r\nx\r\n",
         {3, 1, QStringLiteral("y")},
         false,
         "a\x81\r\ny\r\n"},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "a\nb\n",
         {0, 1, QStringLiteral("é")},
         false,
         "\xEF\xBB\xBF\xC3\xA9\nb\n"},
        {"an edit at the very start", "a\r\nb\r\n", {0, 1, QStringLiteral("x")}, false, "x\r\nb\r\n"},
        {"an edit at the very start, a byte that is no character after it",
         "a\r\nb\x81\r\n",
         {0, 0, QStringLiteral("x")},
         false,
         "xa\r\nb\x81\r\n"},
        {"unencodable", "a\r\n", {1, 0, QStringLiteral("😀")}, false, ""},
        {"unencodable, UTF-8 asked for", "a\r\n", {1, 0, QStringLiteral("😀")}, true, "a\xF0\x9F\x98\x80\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const document::LoadedDocument loaded = document::decodeDocument(c.file);
        const document::EditedFile edited = document::editFile(c.file, loaded, {c.edit}, c.orUtf8);
        EXPECT_EQ(edited.text, text::applyEdits(loaded.text, {c.edit}));
        if (c.written.isEmpty()) {
            EXPECT_EQ(edited.bytes.unencodable, QStringLiteral("😀"));
        } else {
            EXPECT_TRUE(edited.bytes.ok());
            EXPECT_EQ(edited.bytes.bytes, c.written);
        }
    }
}

} // namespace
