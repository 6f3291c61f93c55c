// How findings are worded in Japanese (the check window) and English (lorvane-cli check): every message
// has both wordings with every argument filled in, and lists of fields read as a list in each language.
#include "bibtex/check.h"

#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

using namespace bibtex;
using namespace Qt::StringLiterals;

namespace {

TEST(BibtexCheckMessages, EveryMessageIsWordedInBothLanguagesWithItsArgumentsFilledIn) {
    for (int m = 0; m <= int(Message::SingleHyphen); ++m) {
        Finding f;
        f.message = Message(m);
        f.label = u"a"_s;
        f.arg1 = u"x"_s;
        f.arg2 = u"book"_s;
        f.fields = QStringList{u"author"_s, u"editor"_s};
        f.otherLine = 7;
        for (const QString& text : {japaneseMessage(f), englishMessage(f)}) {
            SCOPED_TRACE(text.toStdString());
            EXPECT_FALSE(text.isEmpty());
            EXPECT_FALSE(text.contains(u'<') || text.contains(u'>')) << "a placeholder left";
        }
        // A character quoted in Japanese stands in 「」, never bare before "が".
        EXPECT_FALSE(japaneseMessage(f).contains(QRegularExpression(u"(^|\\s)[,{}()=@\"-] が"_s)))
            << japaneseMessage(f).toStdString();
    }
}

TEST(BibtexCheckMessages, WordsTheArgumentsOfAFinding) {
    const struct {
        Message message;
        Severity severity;
        const char16_t* label; // nullptr: none
        const char16_t* arg1;
        const char16_t* arg2;
        QStringList fields;
        int otherLine;
        const char16_t* japanese;
        const char16_t* english;
    } rows[] = {
        // clang-format off
        {Message::NotClosed, Severity::Error, u"a", u"{", u"", {}, 0,
         u"「{」が閉じていません", u"\"{\" is never closed in \"a\""},
        {Message::NoCommaAtLineEnd, Severity::Error, u"a", u"", u"", {}, 0,
         u"行末に「,」がありません", u"\",\" missing at the end of the line in \"a\""},
        {Message::LabelRepeated, Severity::Error, u"Yamada2024", u"", u"", {}, 30,
         u"文献ラベル 'Yamada2024' は 30 行目でも使われています", u"label \"Yamada2024\" is also used at line 30"},
        {Message::EmptyField, Severity::Warning, u"a", u"", u"inbook", {u"chapter"_s, u"pages"_s}, 0,
         u"chapter か pages がありません (書籍の一部には必要です)", u"empty chapter and pages in \"a\" (@inbook needs it)"},
        {Message::BothFields, Severity::Warning, u"a", u"", u"book", {u"volume"_s, u"number"_s}, 0,
         u"volume と number の両方があります (書籍では volume だけが出力されます)",
         u"both volume and number in \"a\" (@book prints volume only)"},
        {Message::SortNeeds, Severity::Warning, u"a", u"", u"proceedings", {u"editor"_s, u"organization"_s, u"key"_s}, 0,
         u"並べ替えに editor、organization か key が必要です", u"to sort, editor, organization, or key is needed in \"a\""},
        {Message::TypeUndefinedDrops, Severity::Warning, u"a", u"masterthesis", u"", {u"school"_s, u"type"_s}, 0,
         u"文献の種類 @masterthesis は jplain にありません (misc として出力され、school と type は出力されません)",
         u"entry type @masterthesis in \"a\" is not one of jplain's (printed as misc, without school and type)"},
        {Message::UndefinedStringUnread, Severity::Note, u"a", u"web", u"", {}, 0,
         u"略語 'web' が定義されていません (jplain はこの項目を読みません)",
         u"string \"web\" is undefined in \"a\" (jplain does not read this field)"},
        {Message::NoLabel, Severity::Note, nullptr, u"", u"", {}, 0,
         u"文献ラベルがありません (引用できません)", u"entry without a label (\\cite cannot name it)"},
        // clang-format on
    };
    for (const auto& row : rows) {
        Finding f;
        f.message = row.message;
        f.label = row.label ? QString::fromUtf16(row.label) : QString();
        f.arg1 = QString::fromUtf16(row.arg1);
        f.arg2 = QString::fromUtf16(row.arg2);
        f.fields = row.fields;
        f.otherLine = row.otherLine;
        EXPECT_EQ(japaneseMessage(f), QString::fromUtf16(row.japanese));
        EXPECT_EQ(englishMessage(f), QString::fromUtf16(row.english));
        EXPECT_EQ(severityOf(row.message), row.severity) << englishMessage(f).toStdString();
    }
}

} // namespace
