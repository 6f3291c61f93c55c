// The style's rules that judge the entries read: names BibTeX cannot split, page ranges, the fingerprints
// of the same work, the required fields and sort keys of each type, and the characters the encoding lacks.
#include "bibtex/check_internal.h"

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

// "12-34": one hyphen between two characters that are neither hyphens nor blanks.
bool hasSingleHyphen(QStringView p) {
    for (qsizetype i = 1; i + 1 < p.size(); ++i)
        if (p[i] == u'-' && p[i - 1] != u'-' && p[i + 1] != u'-' && !isBlank(p[i - 1].unicode()) &&
            !isBlank(p[i + 1].unicode()))
            return true;
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

// The required fields of each type, as the standard Japanese style checks them.
void Checker::entryWarnings() {
    const auto filled = [](const Entry& e, Field f) { return (e.filled >> f) & 1; };
    for (Entry& e : entries_) {
        // Made only for a finding: most entries have none.
        const auto label = [&e] { return e.label.toString(); };
        const auto type = [&e] { return e.type == OtherType ? u"misc"_s : kTypeNames[e.type].toString(); };
        bool crossref = false;
        if ((e.present >> Crossref) & 1) {
            const auto target = labels_.constFind(CaselessKey(e.crossref));
            if (target == labels_.constEnd()) {
                // BibTeX drops a crossref to no entry and reads the entry without it.
                add(e.crossrefLine, Severity::Warning, Message::NoCrossrefEntry, label(), e.crossref);
            } else {
                const Entry& parent = entries_[*target];
                e.filled |= parent.filled & ~e.present;
                e.present |= parent.present;
                crossref = true;
            }
        }
        const auto need = [&](Field f) {
            if (!filled(e, f))
                add(e.headLine, Severity::Warning, Message::EmptyField, label(), kFieldNames[f].toString(),
                    type());
        };
        const auto needEither = [&](Field a, Field b, const char16_t* both) {
            if (!filled(e, a) && !filled(e, b))
                add(e.headLine, Severity::Warning, Message::EmptyField, label(), QString::fromUtf16(both),
                    type());
        };
        // Sorting comes first in the style, for every entry.
        const char16_t* sortFields = nullptr;
        switch (e.type) {
        case Book:
        case Inbook:
            if (!filled(e, Author) && !filled(e, Editor) && !filled(e, Key))
                sortFields = u"author, editor, or key";
            break;
        case Proceedings:
            if (!filled(e, Editor) && !filled(e, Organization) && !filled(e, Key))
                sortFields = u"editor, organization, or key";
            break;
        case Manual:
            if (!filled(e, Author) && !filled(e, Organization) && !filled(e, Key))
                sortFields = u"author, organization, or key";
            break;
        default:
            if (!filled(e, Author) && !filled(e, Key)) sortFields = u"author or key";
            break;
        }
        if (sortFields)
            add(e.headLine, Severity::Warning, Message::SortNeeds, label(), QString::fromUtf16(sortFields));
        switch (e.type) {
        case Article:
            need(Author);
            need(Title);
            if (!crossref) {
                need(Journal);
                need(Year);
            }
            break;
        case Book:
        case Inbook:
            if (!filled(e, Author))
                needEither(Author, Editor, u"author and editor");
            else if (!crossref && filled(e, Editor))
                add(e.headLine, Severity::Warning, Message::AuthorAndEditor, label(), {}, type());
            need(Title);
            if (e.type == Inbook) needEither(Chapter, Pages, u"chapter and pages");
            if (!crossref) need(Publisher);
            need(Year);
            break;
        case Booklet:
        case Manual:
            need(Title);
            break;
        case Incollection:
            need(Author);
            need(Title);
            if (!crossref) {
                need(Booktitle);
                need(Publisher);
                need(Year);
            }
            break;
        case Inproceedings:
        case Conference:
            need(Author);
            need(Title);
            if (!crossref) {
                need(Booktitle);
                need(Year);
            }
            break;
        case Mastersthesis:
        case Phdthesis:
            need(Author);
            need(Title);
            need(School);
            need(Year);
            break;
        case Proceedings:
            need(Title);
            need(Year);
            break;
        case Techreport:
            need(Author);
            need(Title);
            need(Institution);
            need(Year);
            break;
        case Unpublished:
            need(Author);
            need(Title);
            need(Note);
            break;
        case Misc:
        case OtherType:
            break;
        }
        if (!options_.notes) continue;
        if (e.japaneseAuthor && !filled(e, Yomi))
            add(e.authorLine, Severity::Note, Message::NoYomi, label(), u"author"_s);
        else if (e.japaneseEditor && !filled(e, Yomi))
            add(e.editorLine, Severity::Note, Message::NoYomi, label(), u"editor"_s);
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
                add(a.headLine, Severity::Note, message, a.label.toString(), b.label.toString(), {}, 0,
                    b.headLine);
            }
            add(b.headLine, Severity::Note, message, b.label.toString(), a.label.toString(), {}, 0,
                a.headLine);
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
        if (!onLine.isEmpty()) add(line, Severity::Note, Message::Unencodable, {}, onLine, encoding);
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
