// The check's public functions: checkText, and the findings' messages and severities in Japanese and
// English. The reading is in check_read.cpp, the judging in check_rules.cpp.
#include "bibtex/check.h"

#include "bibtex/check_internal.h"

#include <QHash>

namespace bibtex {

using namespace Qt::StringLiterals;

namespace {

// Each message once: its severity and its wording in each language. In a wording, <1> and <2> are the
// finding's arguments, <label> its label, <line> its other line, <in> (English) ' in "label"' where there
// is a label, <type> the entry type (arg2) named in the language, <first> the first of its fields, and
// <fields:or> / <fields:and> its fields as a list in the language.
struct Wording {
    Message message;
    Severity severity;
    const char16_t* japanese;
    const char16_t* english;
};

constexpr Wording kWordings[] = {
    {Message::NotClosed, Severity::Error, u"「<1>」が閉じていません", u"\"<1>\" is never closed<in>"},
    {Message::NoEntryType, Severity::Error,
     u"「@」の後に文献の種類がありません (文献でない「@」は消してください)",
     u"no entry type after \"@\" (delete an \"@\" that starts no entry)"},
    {Message::NoOpening, Severity::Error,
     u"文献の種類の後に「{」がありません (文献でない「@」は消してください)",
     u"no \"{\" after the entry type (delete an \"@\" that starts no entry)"},
    {Message::NoComma, Severity::Error, u"「,」がありません (フィールドの間には「,」が必要です)",
     u"\",\" missing between fields<in>"},
    {Message::NoCommaAtLineEnd, Severity::Error, u"行末に「,」がありません",
     u"\",\" missing at the end of the line<in>"},
    {Message::NoClosing, Severity::Error, u"「<1>」がありません", u"\"<1>\" missing"},
    {Message::NoFieldName, Severity::Error, u"フィールド名がありません", u"field name missing<in>"},
    {Message::NoEquals, Severity::Error, u"「=」がありません", u"\"=\" missing after the field name<in>"},
    {Message::NoValue, Severity::Error, u"値がありません ({...} か \"...\" で書いてください)",
     u"value missing<in>"},
    {Message::UnbalancedBraces, Severity::Error, u"「}」に対応する「{」がありません",
     u"\"}\" without its \"{\"<in>"},
    {Message::LabelRepeated, Severity::Error, u"文献ラベル '<label>' は <line> 行目でも使われています",
     u"label \"<label>\" is also used at line <line>"},
    {Message::MissingLabel, Severity::Error, u"文献ラベルがありません ('<1>' がラベルと読まれました)",
     u"label missing (\"<1>\" was read as the label)"},
    {Message::NameCommas, Severity::Error,
     u"<1> の <2> 人目の名前に「,」が多すぎるか最後にあります (「姓, 名」と書いてください)",
     u"name <2> of <1><in> has a \",\" too many or at its end (write \"Last, First\")"},
    {Message::EmptyField, Severity::Warning, u"<fields:or> がありません (<type>には必要です)",
     u"empty <fields:and><in> (@<2> needs it)"},
    {Message::BothFields, Severity::Warning,
     u"<fields:and> の両方があります (<type>では <first> だけが出力されます)",
     u"both <fields:and><in> (@<2> prints <first> only)"},
    {Message::NumberWithout, Severity::Warning, u"number があるのに <1> がありません",
     u"a number but no <1><in>"},
    {Message::MonthNoYear, Severity::Warning, u"month があるのに year がありません",
     u"a month but no year<in>"},
    {Message::SortNeeds, Severity::Warning, u"並べ替えに <fields:or> が必要です",
     u"to sort, <fields:or> is needed<in>"},
    {Message::AllEmpty, Severity::Warning, u"<fields:and> がすべて空です", u"<fields:and> are all empty<in>"},
    {Message::CrossrefNeeds, Severity::Warning, u"crossref 先 '<1>' を示すための <fields:or> がありません",
     u"no <fields:or><in> to name its crossref \"<1>\""},
    {Message::CrossrefVolume, Severity::Warning, u"crossref 先 '<1>' の巻を示す volume がありません",
     u"empty volume<in> for its crossref \"<1>\""},
    {Message::NestedCrossref, Severity::Warning,
     u"crossref 先 '<1>' にも crossref があります (crossref は重ねられません)",
     u"crossref \"<1>\"<in> has a crossref of its own (cross references do not nest)"},
    {Message::TypeUndefined, Severity::Warning,
     u"文献の種類 @<1> は jplain にありません (misc として出力されます)",
     u"entry type @<1><in> is not one of jplain's (printed as misc)"},
    {Message::TypeUndefinedDrops, Severity::Warning,
     u"文献の種類 @<1> は jplain にありません (misc として出力され、<fields:and> は出力されません)",
     u"entry type @<1><in> is not one of jplain's (printed as misc, without <fields:and>)"},
    {Message::FieldRepeated, Severity::Warning, u"<1> が 2 回あります (2 回目は使われません)",
     u"<1> given twice<in> (the second is ignored)"},
    {Message::UndefinedString, Severity::Warning,
     u"略語 '<1>' が定義されていません (使う前に @string で定義してください)",
     u"string \"<1>\" is undefined<in> (define it with @string before its use)"},
    {Message::NoCrossrefEntry, Severity::Warning, u"crossref の文献ラベル '<1>' の文献がありません",
     u"crossref \"<1>\"<in> names no entry"},
    {Message::FieldRepeatedUnread, Severity::Note, u"<1> が 2 回あります (jplain はこの項目を読みません)",
     u"<1> given twice<in> (jplain does not read this field)"},
    {Message::UndefinedStringUnread, Severity::Note,
     u"略語 '<1>' が定義されていません (jplain はこの項目を読みません)",
     u"string \"<1>\" is undefined<in> (jplain does not read this field)"},
    {Message::NoLabel, Severity::Note, u"文献ラベルがありません (引用できません)",
     u"entry without a label (\\cite cannot name it)"},
    {Message::IgnoredAtEnd, Severity::Note,
     u"ファイルの最後の行で前の文献に続く文献は BibTeX に読まれません (改行して次の行に書いてください)",
     u"BibTeX never reads an entry<in> that follows another on the file's last line "
     u"(start it on a line of its own)"},
    {Message::NoYomi, Severity::Note,
     u"日本語の <1> に yomi がありません (読みでなく文字コードの順に並びます)",
     u"Japanese <1><in> without yomi (sorted by character codes, not by reading)"},
    {Message::Unencodable, Severity::Note, u"'<1>' は <2> で保存できない文字です",
     u"\"<1>\" cannot be saved in <2>"},
    {Message::SameDoi, Severity::Note,
     u"'<1>' (<line> 行目) と doi が同じです (同じ文献を 2 度書いていないか確かめてください)",
     u"same doi as \"<1>\" (line <line>)<in>"},
    {Message::SameTitle, Severity::Note,
     u"'<1>' (<line> 行目) と表題と年が同じです (同じ文献を 2 度書いていないか確かめてください)",
     u"same title and year as \"<1>\" (line <line>)<in>"},
    {Message::SingleHyphen, Severity::Note, u"ページの範囲 '<1>' は「-」でなく「--」で書きます",
     u"page range \"<1>\"<in> has one hyphen; write \"--\""},
};

consteval bool wordingsInOrder() {
    for (std::size_t i = 0; i < std::size(kWordings); ++i)
        if (kWordings[i].message != Message(i)) return false;
    return std::size(kWordings) == std::size_t(Message::SingleHyphen) + 1;
}
static_assert(wordingsInOrder(), "one wording per message, in the order of the enumeration");

const Wording& wordingOf(Message message) {
    return kWordings[std::size_t(message)];
}

// The entry types' names in Japanese, as the entry form's categories name them.
QString typeInJapanese(const QString& type) {
    static const QHash<QString, QString> names = {
        {u"article"_s, u"論文誌の論文"_s},          {u"book"_s, u"書籍"_s},
        {u"booklet"_s, u"発行元のない書籍"_s},      {u"inbook"_s, u"書籍の一部"_s},
        {u"incollection"_s, u"書籍の一部"_s},       {u"inproceedings"_s, u"議事録・紀要の記事"_s},
        {u"conference"_s, u"議事録・紀要の記事"_s}, {u"manual"_s, u"技術文書・マニュアル"_s},
        {u"mastersthesis"_s, u"修士論文"_s},        {u"phdthesis"_s, u"博士論文"_s},
        {u"proceedings"_s, u"議事録・紀要"_s},      {u"techreport"_s, u"研究レポート"_s},
        {u"unpublished"_s, u"非公式の出版物"_s},
    };
    return names.value(type, u"この種類の文献"_s);
}

// "a", "a or b", "a, b, or c"; in Japanese "a か b", "a、b か c" ("と" for and).
QString listed(const QStringList& items, bool japanese, bool both) {
    if (items.size() < 2) return items.value(0);
    const QString last = japanese ? (both ? u" と "_s : u" か "_s)
                                  : (items.size() > 2 ? u","_s : QString()) + (both ? u" and "_s : u" or "_s);
    return items.sliced(0, items.size() - 1).join(japanese ? u"、"_s : u", "_s) + last + items.constLast();
}

QString worded(const Finding& f, bool japanese) {
    const Wording& w = wordingOf(f.message);
    const QString text = QString::fromUtf16(japanese ? w.japanese : w.english);
    QString result;
    result.reserve(text.size() + 32);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype close = text[i] == u'<' ? text.indexOf(u'>', i) : -1;
        if (close < 0) {
            result += text[i];
            continue;
        }
        const QStringView name = QStringView(text).sliced(i + 1, close - i - 1);
        if (name == u"1")
            result += f.arg1;
        else if (name == u"2")
            result += f.arg2;
        else if (name == u"label")
            result += f.label;
        else if (name == u"line")
            result += QString::number(f.otherLine);
        else if (name == u"in")
            result += f.label.isNull() ? QString() : u" in \""_s + f.label + u'"';
        else if (name == u"type")
            result += japanese ? typeInJapanese(f.arg2) : u'@' + f.arg2;
        else if (name == u"first")
            result += f.fields.value(0);
        else if (name == u"fields:or")
            result += listed(f.fields, japanese, false);
        else if (name == u"fields:and")
            result += listed(f.fields, japanese, true);
        else
            Q_ASSERT_X(false, "worded", "a placeholder no finding fills");
        i = close;
    }
    return result;
}

} // namespace

QList<Finding> checkText(QStringView text, const CheckOptions& options) {
    return detail::Checker(options).run(text);
}

Severity severityOf(Message message) {
    return wordingOf(message).severity;
}

QString japaneseMessage(const Finding& f) {
    return worded(f, true);
}

QString englishMessage(const Finding& f) {
    return worded(f, false);
}

QString severityName(Severity severity) {
    switch (severity) {
    case Severity::Error:
        return u"error"_s;
    case Severity::Warning:
        return u"warning"_s;
    case Severity::Note:
        return u"note"_s;
    }
    return {};
}

QString japaneseSeverityName(Severity severity) {
    switch (severity) {
    case Severity::Error:
        return u"エラー"_s;
    case Severity::Warning:
        return u"警告"_s;
    case Severity::Note:
        return u"注意"_s;
    }
    return {};
}

} // namespace bibtex
