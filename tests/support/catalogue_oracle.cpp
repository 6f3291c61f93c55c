#include "support/catalogue_oracle.h"

#include <utility>

namespace oracle {

namespace {

struct Row {
    const char16_t* name;
    const char* entryType;
    int columnWidth;
    const char* listSection;
    // The shown slots in order: "caption=field", "*" first when required, "+" first when required under
    // a combo box; "(p)=first/second" is choice pair p, "*(p)=..." a required one. The label has no field.
    const char16_t* slots;
};

// The styles' own names of two types: their master's thesis, and the conference paper they print as an
// inproceedings.
const std::pair<const char*, const char*> kOtherTypes[] = {{"masterthesis", "mastersthesis"},
                                                           {"inproceedings", "conference"}};

// Near-duplicates are intended: "技報種別" (3, 4) against "技法種別" (5, 6, 10), "執筆年" in 11.
// clang-format off
const Row kRows[] = {
    {u"論文誌の論文", "article", 7, "Journal",
     u"*文献ラベル *著者名=author *表題名=title +雑誌名=journal *刊行年=year 刊行月=month 巻数=volume 号数=number "
     u"ページ=pages その他の情報=note 読み=yomi"},
    {u"書籍(発行元あり)", "book", 9, "Publisher",
     u"*文献ラベル *(1)=author/editor *表題名=title +発行元名=publisher *刊行年=year 刊行月=month (5)=volume/number "
     u"シリーズ名=series 発行元住所=address 版数=edition その他の情報=note 読み=yomi"},
    {u"書籍(発行元なし)", "booklet", 12, nullptr,
     u"*文献ラベル *表題名=title 著者名=author 出版形態=howpublished 発行元住所=address 刊行年=year 刊行月=month "
     u"その他の情報=note 読み=yomi"},
    {u"書籍の一部(表題あり)", "incollection", 9, "Publisher",
     u"*文献ラベル *著者名=author *表題名=title *書籍表題名=booktitle +発行元名=publisher *刊行年=year 刊行月=month "
     u"(6)=volume/number 編集者名=editor シリーズ名=series 技報種別=type 章番号=chapter ページ=pages "
     u"発行元住所=address 版数=edition その他の情報=note 読み=yomi"},
    {u"書籍の一部(表題なし)", "inbook", 9, "Publisher",
     u"*文献ラベル *(1)=author/editor *表題名=title *(2)=chapter/pages +発行元名=publisher *刊行年=year 刊行月=month "
     u"(6)=volume/number シリーズ名=series 技報種別=type 発行元住所=address 版数=edition その他の情報=note 読み=yomi"},
    {u"修士論文", "masterthesis", 9, nullptr,
     u"*文献ラベル *著者名=author *表題名=title *学校名=school *刊行年=year 刊行月=month 技法種別=type 住所=address "
     u"その他の情報=note 読み=yomi"},
    {u"博士論文", "phdthesis", 9, nullptr,
     u"*文献ラベル *著者名=author *表題名=title *学校名=school *刊行年=year 刊行月=month 技法種別=type 住所=address "
     u"その他の情報=note 読み=yomi"},
    {u"議事録・紀要の記事", "inproceedings", 9, nullptr,
     u"*文献ラベル *著者名=author *表題名=title *書籍表題名=booktitle *刊行年=year 刊行月=month (5)=volume/number "
     u"編集者名=editor シリーズ名=series ページ=pages 主催者名=organization 発行元名=publisher 発行元住所=address "
     u"その他の情報=note 読み=yomi"},
    {u"議事録・紀要", "proceedings", 9, nullptr,
     u"*文献ラベル *表題名=title *刊行年=year 刊行月=month (3)=volume/number 編集者名=editor シリーズ名=series "
     u"主催者名=organization 発行元名=publisher 発行元住所=address その他の情報=note 読み=yomi"},
    {u"技術文書・マニュアル", "manual", 9, nullptr,
     u"*文献ラベル *表題名=title 著者名=author 組織名=organization 版数=edition 刊行年=year 刊行月=month "
     u"その他の情報=note 読み=yomi"},
    {u"研究レポート", "techreport", 9, nullptr,
     u"*文献ラベル *著者名=author *表題名=title *研究所名=institution *刊行年=year 刊行月=month 技法種別=type "
     u"号数=number 発行元住所=address その他の情報=note 読み=yomi"},
    {u"非公式の出版物", "unpublished", 9, nullptr,
     u"*文献ラベル *著者名=author *表題名=title *その他の情報=note 執筆年=year 執筆月=month 読み=yomi"},
    {u"その他", "misc", 9, nullptr,
     u"*文献ラベル 著者名=author 表題名=title 出版形態=howpublished 刊行年=year 刊行月=month その他の情報=note "
     u"読み=yomi"},
};
// clang-format on

Slot parseSlot(int number, QString token) {
    Slot s;
    s.number = number;
    s.list = token.startsWith(u'+');
    s.required = s.list || token.startsWith(u'*');
    if (s.required) token.remove(0, 1);
    const QString fields = token.section(u'=', 1);
    token = token.section(u'=', 0, 0);
    if (token.startsWith(u'(')) {
        s.pair = token.mid(1, token.size() - 2).toInt();
        s.field = fields.section(u'/', 0, 0);
        s.secondField = fields.section(u'/', 1);
    } else {
        s.caption = token;
        s.field = fields;
    }
    return s;
}

std::vector<Category> parse() {
    std::vector<Category> list;
    for (const Row& row : kRows) {
        Category c;
        c.index = int(list.size());
        c.name = QString::fromUtf16(row.name);
        c.entryType = QString::fromLatin1(row.entryType);
        for (const auto& [type, other] : kOtherTypes)
            if (c.entryType == QLatin1StringView(type)) c.otherType = QString::fromLatin1(other);
        c.columnWidth = row.columnWidth;
        c.listSection = QString::fromLatin1(row.listSection);
        for (const QString& token : QString::fromUtf16(row.slots).split(u' '))
            c.slots.push_back(parseSlot(int(c.slots.size()) + 1, token));
        list.push_back(c);
    }
    return list;
}

} // namespace

QString Slot::inputName() const {
    if (list) return number == 4 ? QStringLiteral("ComboBox2") : QStringLiteral("ComboBox3");
    return QStringLiteral("Edit%1").arg(number);
}

QStringList Slot::fields() const {
    QStringList names;
    if (!field.isEmpty()) names << field;
    if (!secondField.isEmpty()) names << secondField;
    return names;
}

std::vector<Slot> Category::requiredSlots() const {
    std::vector<Slot> required;
    for (const Slot& s : slots)
        if (s.required) required.push_back(s);
    return required;
}

QString Category::linePrefix(const QString& field) const {
    return u' ' + field.leftJustified(columnWidth) + QStringLiteral(" = ");
}

const std::vector<Category>& categories() {
    static const std::vector<Category> list = parse();
    return list;
}

const std::vector<ChoicePair>& choicePairs() {
    static const std::vector<ChoicePair> pairs = {
        {QStringLiteral("著者名"), QStringLiteral("編集者名"), true},
        {QStringLiteral("章番号"), QStringLiteral("ページ番号"), true},
        {QStringLiteral("巻数"), QStringLiteral("号数"), false},
        {QStringLiteral("巻数"), QStringLiteral("号数"), false},
        {QStringLiteral("巻数"), QStringLiteral("号数"), false},
        {QStringLiteral("巻数"), QStringLiteral("号数"), false},
    };
    return pairs;
}

QStringList allFields() {
    QStringList names;
    for (const Category& c : categories())
        for (const Slot& s : c.slots)
            for (const QString& f : s.fields())
                if (!names.contains(f)) names << f;
    return names;
}

} // namespace oracle
