// The rules that judge the entries read: names BibTeX cannot split, page ranges, the fingerprints of the
// same work, BibTeX's cross references, the style's tests of each entry (style_table.h), and the
// characters the encoding lacks.
#include "bibtex/check_internal.h"

#include <algorithm>
#include <bitset>
#include <memory>

namespace bibtex::detail {

using namespace Qt::StringLiterals;

namespace {

// FNV-1a over the characters given; 0 is left for "nothing".
struct Fingerprint {
    std::uint64_t h = 1469598103934665603ull;
    bool any = false;
    void add(char16_t c) {
        h = (h ^ c) * 1099511628211ull;
        any = true;
    }
    std::uint64_t value() const { return any ? (h ? h : 1) : 0; }
};

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Lower-case roman numerals, as front matter is numbered.
bool isRomanNumeral(QStringView s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (!QStringView(u"ivxlcdm").contains(c)) return false;
    return true;
}

// One page of a range: a number ("12", "S12", "e1234") or a roman numeral ("xii").
enum class PageKind { None, Number, Roman };
PageKind pageKind(QStringView page) {
    if (std::any_of(page.begin(), page.end(), isDigit)) return PageKind::Number;
    return isRomanNumeral(page) ? PageKind::Roman : PageKind::None;
}

} // namespace

// The first name (1-based) of a list of names that BibTeX cannot split into its parts: more than two ","
// or a "," at its end (outside braces); 0 when there is none. Names are separated by "and" between blanks.
int faultyName(QStringView names) {
    int depth = 0, name = 1, commas = 0;
    bool commaLast = false;
    const qsizetype n = names.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = names[i].unicode();
        if (c == u'{') {
            ++depth;
        } else if (c == u'}') {
            --depth;
        } else if (depth == 0 && c == u',') {
            ++commas;
            commaLast = true;
            continue;
        } else if (depth == 0 && isBlank(c)) {
            if (i + 4 < n && (names[i + 1].unicode() | 0x20) == u'a' &&
                (names[i + 2].unicode() | 0x20) == u'n' && (names[i + 3].unicode() | 0x20) == u'd' &&
                isBlank(names[i + 4].unicode())) {
                if (commas > 2 || commaLast) return name;
                ++name;
                commas = 0;
                commaLast = false;
                i += 3;
            }
            continue;
        }
        // BibTeX passes over "-" and "~" between the parts of a name as over blanks.
        if (depth > 0 || (c != u'-' && c != u'~')) commaLast = false;
    }
    return commas > 2 || commaLast ? name : 0;
}

// "12-34", "xii-xv": one hyphen between two page numbers of one kind. "V-1", "G-1--G-28" and
// "M-10--M-10" are pages with a prefix, not ranges with one hyphen.
bool hasSingleHyphen(QStringView pages) {
    const auto separator = [](QChar c) {
        return c == u',' || c == u';' || c == u'+' || isBlank(c.unicode());
    };
    qsizetype from = 0;
    while (from < pages.size()) {
        qsizetype end = from;
        while (end < pages.size() && !separator(pages[end]))
            ++end;
        const QStringView part = pages.sliced(from, end - from);
        const qsizetype hyphen = part.indexOf(u'-');
        if (hyphen > 0 && part.indexOf(u'-', hyphen + 1) < 0) {
            const PageKind first = pageKind(part.first(hyphen));
            if (first != PageKind::None && first == pageKind(part.sliced(hyphen + 1))) return true;
        }
        from = end + 1;
    }
    return false;
}

// The doi in lower case, without a resolver's prefix.
std::uint64_t doiFingerprint(QStringView doi) {
    doi = doi.trimmed();
    for (QStringView prefix :
         {u"https://doi.org/", u"http://doi.org/", u"https://dx.doi.org/", u"http://dx.doi.org/", u"doi:"})
        if (doi.startsWith(prefix, Qt::CaseInsensitive)) {
            doi = doi.sliced(prefix.size()).trimmed();
            break;
        }
    Fingerprint f;
    for (QChar c : doi)
        f.add(asciiLower(c.unicode()));
    return f.value();
}

// Letters and digits only, in folded case: braces, blanks and punctuation do not count.
std::uint64_t titleFingerprint(QStringView title) {
    Fingerprint f;
    for (QChar c : title) {
        const char16_t u = c.unicode();
        if ((u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9'))
            f.add(u);
        else if (u >= u'A' && u <= u'Z')
            f.add(char16_t(u + 32));
        else if (u >= 0x80 && c.isLetterOrNumber())
            f.add(c.toCaseFolded().unicode());
    }
    return f.value();
}

std::uint64_t yearFingerprint(QStringView year) {
    Fingerprint f;
    for (QChar c : year.trimmed())
        f.add(c.unicode());
    return f.value();
}

// The value as BibTeX stores it: every run of blanks one blank, none at either end.
std::uint64_t valueFingerprint(QStringView value) {
    Fingerprint f;
    bool blank = false;
    for (QChar c : value.trimmed()) {
        if (isBlank(c.unicode())) {
            blank = true;
            continue;
        }
        if (blank) f.add(u' ');
        blank = false;
        f.add(c.unicode());
    }
    return f.value();
}

// BibTeX's cross references, once the whole file is read: a crossref to no entry is dropped, then each
// entry takes the fields it lacks from the entry its crossref names, in the order of the file (so an
// entry above has taken its own crossref's fields by then).
void Checker::crossrefs() {
    for (int i = 0; i < entries_.size(); ++i) {
        Entry& e = entries_[i];
        if (!((e.present >> Crossref) & 1)) continue;
        const auto target = labels_.constFind(CaselessKey(e.crossref));
        if (target == labels_.constEnd()) {
            e.parent = kNoParent;
            add(e.crossrefLine, Message::NoCrossrefEntry, e.label.toString(), e.crossref);
            continue;
        }
        e.parent = *target;
        // The entry named still has a crossref unless BibTeX dropped it already (an entry above).
        const Entry& parent = entries_[e.parent];
        if (((parent.present >> Crossref) & 1) && !(e.parent < i && parent.parent == kNoParent))
            add(e.crossrefLine, Message::NestedCrossref, e.label.toString(), parent.label.toString());
    }
    for (Entry& e : entries_) {
        if (e.parent < 0) continue;
        const Entry& parent = entries_[e.parent];
        if (!((e.present >> Author) & 1)) e.author = parent.author;
        if (!((e.present >> Editor) & 1)) e.editor = parent.editor;
        e.filled |= parent.filled & ~e.present;
        e.present |= parent.present;
    }
}

// What the style says of each entry (style_table.h), and the entries without yomi.
void Checker::entryWarnings() {
    crossrefs();
    for (const Entry& e : entries_) {
        if (e.type == OtherType) {
            // misc prints it, without the fields misc does not read (crossref only lends fields).
            QStringList dropped;
            for (int f = 0; f < FieldCount; ++f)
                if (((e.filled >> f) & 1) && kFields[f].declared && f != Crossref &&
                    std::find(kMiscReads.begin(), kMiscReads.end(), Field(f)) == kMiscReads.end())
                    dropped << kFields[f].name.toString();
            add(e.headLine, dropped.isEmpty() ? Message::TypeUndefined : Message::TypeUndefinedDrops,
                e.label.toString(), e.typeName.toString(), {}, e.labelLine, 0, dropped);
        }
        // An entry cut short by an error: only the error is said of it, not what its lost fields lack.
        if (e.broken) continue;
        styleWarnings(e, e.parent >= 0);
        if (!options_.notes) continue;
        if (e.japaneseAuthor && !((e.filled >> Yomi) & 1))
            add(e.authorLine, Message::NoYomi, e.label.toString(), u"author"_s);
        else if (e.japaneseEditor && !((e.filled >> Yomi) & 1))
            add(e.editorLine, Message::NoYomi, e.label.toString(), u"editor"_s);
    }
}

void Checker::styleWarnings(const Entry& e, bool crossref) {
    const StyleType& style = kTypes[e.type == OtherType ? Misc : e.type];
    const auto filled = [&e](Field f) { return ((e.filled >> f) & 1) != 0; };
    const auto names = [](const FieldList& fields) {
        QStringList list;
        for (Field f : fields)
            list << kFields[f].name.toString();
        return list;
    };
    // Made only for a finding: most entries have none.
    const auto warn = [&](Message message, const FieldList& fields, QString arg1 = {}) {
        add(e.headLine, message, e.label.toString(), std::move(arg1), style.name.toString(), 0, 0,
            names(fields));
    };
    const auto parentLabel = [&] { return entries_[e.parent].label.toString(); };
    // presort comes first, for every entry.
    if (std::none_of(style.sort.begin(), style.sort.end(), filled)) warn(Message::SortNeeds, style.sort);
    for (const StyleTest& t : style.tests) {
        if (t.test == Test::None) break;
        if ((t.when == When::WithoutCrossref && crossref) || (t.when == When::WithCrossref && !crossref))
            continue;
        switch (t.test) {
        case Test::None:
            break;
        case Test::Filled:
            if (std::none_of(t.fields.begin(), t.fields.end(), filled)) warn(Message::EmptyField, t.fields);
            break;
        case Test::NotBoth:
            if (std::all_of(t.fields.begin(), t.fields.end(), filled)) warn(Message::BothFields, t.fields);
            break;
        case Test::NumberWithout:
            if (filled(Number) && !filled(Volume) && !filled(t.fields.items[0]))
                warn(Message::NumberWithout, {}, kFields[t.fields.items[0]].name.toString());
            break;
        case Test::Date:
            if (!filled(Year) && filled(Month))
                warn(Message::MonthNoYear, {});
            else if (!filled(Year) && t.fields.size > 0)
                warn(Message::EmptyField, t.fields);
            break;
        case Test::CrossrefNeeds: {
            // The crossref's entry is named by the editor only where the editor is not the author.
            const auto names = [&](Field f) { return filled(f) && !(f == Editor && e.editor == e.author); };
            if (std::none_of(t.fields.begin(), t.fields.end(), names))
                warn(Message::CrossrefNeeds, t.fields, parentLabel());
            break;
        }
        case Test::CrossrefVolume:
            if (!filled(Volume)) warn(Message::CrossrefVolume, {}, parentLabel());
            break;
        case Test::AllEmpty:
            if (filled(Key) && std::none_of(t.fields.begin(), t.fields.end(), filled))
                warn(Message::AllEmpty, t.fields);
            break;
        }
    }
}

void Checker::sameWorkNotes() {
    const auto noteGroups = [this](Message message, auto keyOf) {
        QHash<std::uint64_t, int> first;
        QHash<int, int> noted; // entry -> the entry its note names
        for (int i = 0; i < entries_.size(); ++i) {
            const std::uint64_t key = keyOf(entries_[i]);
            if (!key) continue;
            const auto found = first.constFind(key);
            if (found == first.constEnd()) {
                first.insert(key, i);
                continue;
            }
            const Entry& a = entries_[*found];
            const Entry& b = entries_[i];
            if (!noted.contains(*found)) {
                noted.insert(*found, i);
                add(a.headLine, message, a.label.toString(), b.label.toString(), {}, 0, b.headLine);
            }
            add(b.headLine, message, b.label.toString(), a.label.toString(), {}, 0, a.headLine);
        }
    };
    noteGroups(Message::SameDoi, [](const Entry& e) { return e.doi; });
    noteGroups(Message::SameTitle,
               [](const Entry& e) { return e.title && e.year ? (e.title * 31) ^ e.year : std::uint64_t(0); });
}

void Checker::encodingNotes(QStringView text) {
    // Only characters beyond ASCII can be missing from the encoding: encode each distinct one once.
    auto seen = std::make_unique<std::bitset<0x10000>>();
    QString distinct;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 && !text::isStandIn(u) && !seen->test(u)) {
            seen->set(u);
            distinct += c;
        }
    }
    if (distinct.isEmpty()) return;
    text::TextFormat format;
    format.encoding = *options_.encoding;
    const QString unencodable = text::encodeText(distinct, format).unencodable;
    if (unencodable.isEmpty()) return;
    seen->reset();
    for (QChar c : unencodable)
        seen->set(c.unicode());
    const QString encoding = text::encodingName(*options_.encoding);
    int line = 1;
    QString onLine;
    const auto flush = [&] {
        if (!onLine.isEmpty()) add(line, Message::Unencodable, {}, onLine, encoding);
        onLine.clear();
    };
    for (QChar c : text) {
        if (c == u'\n') {
            flush();
            ++line;
        } else if (seen->test(c.unicode()) && !onLine.contains(c)) {
            onLine += c;
        }
    }
    flush();
}

} // namespace bibtex::detail
