// The check's public functions: checkText, and the findings' messages and severities in Japanese and
// English. The reading is in check_read.cpp, the judging in check_rules.cpp.
#include "bibtex/check.h"

#include "bibtex/check_internal.h"

#include <QHash>

namespace bibtex {

using namespace Qt::StringLiterals;

namespace {

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

// "author and editor" -> "author か editor"
QString fieldsInJapanese(const QString& fields) {
    QString result = fields;
    result.replace(u", or "_s, u" か "_s).replace(u" or "_s, u" か "_s).replace(u" and "_s, u" か "_s);
    result.replace(u", "_s, u"、"_s);
    return result;
}

} // namespace

QList<Finding> checkText(QStringView text, const CheckOptions& options) {
    return detail::Checker(options).run(text);
}

QString japaneseMessage(const Finding& f) {
    switch (f.message) {
    case Message::NotClosed:
        return f.arg1 + u" が閉じていません"_s;
    case Message::NoEntryType:
        return u"@ の後に文献の種類がありません (文献でない @ は消してください)"_s;
    case Message::NoOpening:
        return u"文献の種類の後に { がありません (文献でない @ は消してください)"_s;
    case Message::NoComma:
        return f.arg1.size() > 1 ? u", がありません (フィールドの間には , が必要です)"_s
                                 : f.arg1 + u" がありません"_s;
    case Message::NoFieldName:
        return u"フィールド名がありません"_s;
    case Message::NoEquals:
        return u"= がありません"_s;
    case Message::NoValue:
        return u"値がありません ({...} か \"...\" で書いてください)"_s;
    case Message::UnbalancedBraces:
        return u"} に対応する { がありません"_s;
    case Message::LabelRepeated:
        return u"文献ラベル '"_s + f.label + u"' は "_s + QString::number(f.otherLine) +
               u" 行目でも使われています"_s;
    case Message::MissingLabel:
        return u"文献ラベルがありません ('"_s + f.arg1 + u"' がラベルと読まれました)"_s;
    case Message::NameCommas:
        return f.arg1 + u" の "_s + f.arg2 +
               u" 人目の名前の , が多すぎるか最後にあります (\"姓, 名\" と書いてください)"_s;
    case Message::NoLabel:
        return u"文献ラベルがありません"_s;
    case Message::EmptyField:
        return fieldsInJapanese(f.arg1) + u" がありません ("_s + typeInJapanese(f.arg2) + u"には必要です)"_s;
    case Message::AuthorAndEditor:
        return u"author と editor の両方があります ("_s + typeInJapanese(f.arg2) +
               u"ではどちらか一方にしてください)"_s;
    case Message::SortNeeds:
        return u"並べ替えに "_s + fieldsInJapanese(f.arg1) + u" が必要です"_s;
    case Message::FieldRepeated:
        return f.arg1 + u" が 2 回あります (2 回目は使われません)"_s;
    case Message::UndefinedString:
        return u"略語 '"_s + f.arg1 + u"' が定義されていません (使う前に @string で定義してください)"_s;
    case Message::IgnoredAtEnd:
        return u"ファイルの最後の行で前の文献に続く文献は BibTeX に読まれません (改行して次の行に書いてください)"_s;
    case Message::NoCrossrefEntry:
        return u"crossref の文献ラベル '"_s + f.arg1 + u"' の文献がありません"_s;
    case Message::NoYomi:
        return u"日本語の "_s + f.arg1 + u" に yomi がありません (読みでなく文字コードの順に並びます)"_s;
    case Message::Unencodable:
        return u"'"_s + f.arg1 + u"' は "_s + f.arg2 + u" で保存できない文字です"_s;
    case Message::SameDoi:
        return u"'"_s + f.arg1 + u"' ("_s + QString::number(f.otherLine) +
               u" 行目) と doi が同じです (同じ文献を 2 度書いていないか確かめてください)"_s;
    case Message::SameTitle:
        return u"'"_s + f.arg1 + u"' ("_s + QString::number(f.otherLine) +
               u" 行目) と表題と年が同じです (同じ文献を 2 度書いていないか確かめてください)"_s;
    case Message::SingleHyphen:
        return u"ページの範囲 '"_s + f.arg1 + u"' は - でなく -- で書きます"_s;
    }
    return {};
}

QString englishMessage(const Finding& f) {
    const QString in = f.label.isNull() ? QString() : u" in \""_s + f.label + u'"';
    switch (f.message) {
    case Message::NotClosed:
        return u"\""_s + f.arg1 + u"\" is never closed"_s + in;
    case Message::NoEntryType:
        return u"no entry type after \"@\" (delete an \"@\" that starts no entry)"_s;
    case Message::NoOpening:
        return u"no \"{\" after the entry type (delete an \"@\" that starts no entry)"_s;
    case Message::NoComma:
        return (f.arg1.size() > 1 ? u"\",\" missing between fields"_s : u"\""_s + f.arg1 + u"\" missing"_s) +
               in;
    case Message::NoFieldName:
        return u"field name missing"_s + in;
    case Message::NoEquals:
        return u"\"=\" missing after the field name"_s + in;
    case Message::NoValue:
        return u"value missing"_s + in;
    case Message::UnbalancedBraces:
        return u"\"}\" without its \"{\""_s + in;
    case Message::LabelRepeated:
        return u"label \""_s + f.label + u"\" is also used at line "_s + QString::number(f.otherLine);
    case Message::MissingLabel:
        return u"label missing (\""_s + f.arg1 + u"\" was read as the label)"_s;
    case Message::NameCommas:
        return u"name "_s + f.arg2 + u" of "_s + f.arg1 + in +
               u" has a \",\" too many or at its end (write \"Last, First\")"_s;
    case Message::NoLabel:
        return u"entry without a label"_s;
    case Message::EmptyField:
        return u"empty "_s + f.arg1 + in + u" (@"_s + f.arg2 + u" needs it)"_s;
    case Message::AuthorAndEditor:
        return u"both author and editor"_s + in + u" (@"_s + f.arg2 + u" takes one of them)"_s;
    case Message::SortNeeds:
        return u"to sort, "_s + f.arg1 + u" is needed"_s + in;
    case Message::FieldRepeated:
        return f.arg1 + u" given twice"_s + in + u" (the second is ignored)"_s;
    case Message::UndefinedString:
        return u"string \""_s + f.arg1 + u"\" is undefined"_s + in +
               u" (define it with @string before its use)"_s;
    case Message::IgnoredAtEnd:
        return u"BibTeX never reads an entry"_s + in +
               u" that follows another on the file's last line (start it on a line of its own)"_s;
    case Message::NoCrossrefEntry:
        return u"crossref \""_s + f.arg1 + u"\""_s + in + u" names no entry"_s;
    case Message::NoYomi:
        return u"Japanese "_s + f.arg1 + in + u" without yomi (sorted by character codes, not by reading)"_s;
    case Message::Unencodable:
        return u"\""_s + f.arg1 + u"\" cannot be saved in "_s + f.arg2;
    case Message::SameDoi:
        return u"same doi as \""_s + f.arg1 + u"\" (line "_s + QString::number(f.otherLine) + u')' + in;
    case Message::SameTitle:
        return u"same title and year as \""_s + f.arg1 + u"\" (line "_s + QString::number(f.otherLine) +
               u')' + in;
    case Message::SingleHyphen:
        return u"page range \""_s + f.arg1 + u"\""_s + in + u" has one hyphen; write \"--\""_s;
    }
    return {};
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
