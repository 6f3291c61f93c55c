#include "bibtex/check.h"

#include "bibtex/reader.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <bitset>
#include <memory>

namespace bibtex {

using namespace Qt::StringLiterals;

namespace {

// The fields the standard Japanese style reads, with crossref and doi.
enum Field : int {
    Address,
    Author,
    Booktitle,
    Chapter,
    Crossref,
    Doi,
    Edition,
    Editor,
    Howpublished,
    Institution,
    Journal,
    Key,
    Month,
    Note,
    Number,
    Organization,
    Pages,
    Publisher,
    School,
    Series,
    Title,
    Type,
    Volume,
    Year,
    Yomi,
    FieldCount,
    OtherField = -1,
};
constexpr std::array<QStringView, FieldCount> kFieldNames = {
    u"address", u"author",       u"booktitle",   u"chapter",   u"crossref", u"doi",    u"edition",
    u"editor",  u"howpublished", u"institution", u"journal",   u"key",      u"month",  u"note",
    u"number",  u"organization", u"pages",       u"publisher", u"school",   u"series", u"title",
    u"type",    u"volume",       u"year",        u"yomi",
};
// The fields whose text the check reads (the others only need to be known empty or not).
constexpr std::uint32_t kTextFields = (1u << Author) | (1u << Crossref) | (1u << Doi) | (1u << Editor) |
                                      (1u << Pages) | (1u << Title) | (1u << Year) | (1u << Yomi);

enum EntryType : std::uint8_t {
    Article,
    Book,
    Booklet,
    Conference,
    Inbook,
    Incollection,
    Inproceedings,
    Manual,
    Mastersthesis,
    Misc,
    Phdthesis,
    Proceedings,
    Techreport,
    Unpublished,
    OtherType, // the style reads it as misc
};
constexpr std::array<QStringView, OtherType> kTypeNames = {
    u"article",      u"book",          u"booklet",    u"conference",    u"inbook",
    u"incollection", u"inproceedings", u"manual",     u"mastersthesis", u"misc",
    u"phdthesis",    u"proceedings",   u"techreport", u"unpublished",
};

char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

bool equalsAsciiCaseless(QStringView a, QStringView b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asciiLower(a[i].unicode()) != asciiLower(b[i].unicode())) return false;
    return true;
}

QString lowered(QStringView s) {
    QString result(s.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i)
        result[i] = QChar(asciiLower(s[i].unicode()));
    return result;
}

template <std::size_t N> int indexIn(const std::array<QStringView, N>& names, QStringView word, int none) {
    for (std::size_t i = 0; i < N; ++i)
        if (equalsAsciiCaseless(word, names[i])) return int(i);
    return none;
}

// A label or abbreviation as BibTeX compares them: without regard to ASCII letter case. A view into the
// checked text (or a literal), so that no label is copied.
struct CaselessKey {
    QStringView text;
    std::size_t hash; // computed once: probing and growing the table never read the text again
    explicit CaselessKey(QStringView key) : text(key), hash(caselessHash(key)) {}
    static std::size_t caselessHash(QStringView key) {
        std::uint64_t h = 1469598103934665603ull;
        for (QChar c : key)
            h = (h ^ asciiLower(c.unicode())) * 1099511628211ull;
        // The low bits of FNV-1a mix poorly, and the table takes its buckets from them.
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdull;
        h ^= h >> 33;
        return std::size_t(h);
    }
    friend bool operator==(const CaselessKey& a, const CaselessKey& b) {
        return a.hash == b.hash && equalsAsciiCaseless(a.text, b.text);
    }
};
std::size_t qHash(const CaselessKey& key, std::size_t seed) {
    return key.hash ^ seed;
}

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

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

bool isJapanese(char16_t c) {
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || c == 0x3005 || (c >= 0xFF66 && c <= 0xFF9F);
}

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

struct Macro {
    QString text;
    bool blank = false;
};

// The abbreviations the standard Japanese style defines.
QHash<CaselessKey, Macro> styleMacros() {
    QHash<CaselessKey, Macro> macros;
    for (const char16_t* name :
         {u"jan",    u"feb",      u"mar",   u"apr",    u"may",  u"jun",    u"jul",    u"aug",   u"sep",
          u"oct",    u"nov",      u"dec",   u"acmcs",  u"acta", u"cacm",   u"ibmjrd", u"ibmsj", u"ieeese",
          u"ieeetc", u"ieeetcad", u"ipl",   u"jacm",   u"jcss", u"scp",    u"sicomp", u"tocs",  u"tods",
          u"tog",    u"toms",     u"toois", u"toplas", u"tcs",  u"tieice", u"tipsj",  u"jipsj", u"jorsj"})
        macros.insert(CaselessKey(QStringView(name)), Macro{QString::fromUtf16(name), false});
    return macros;
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

struct Entry {
    QStringView label;
    int headLine = 0; // 1-based
    int labelLine = 0;
    EntryType type = OtherType;
    std::uint32_t present = 0; // by Field
    std::uint32_t filled = 0;  // present and not blank
    bool japaneseAuthor = false;
    bool japaneseEditor = false;
    int authorLine = 0;
    int editorLine = 0;
    int crossrefLine = 0;
    std::uint64_t doi = 0, title = 0, year = 0; // fingerprints of the folded doi, title and year
    QString crossref;
};

class Checker {
public:
    explicit Checker(const CheckOptions& options) : options_(options), macros_(styleMacros()) {}
    QList<Finding> run(QStringView text);

private:
    enum class Context { None, AwaitingOpening, AwaitingKey, Entry, String, Preamble };

    void readRuns(QStringView line, const QList<Run>& runs, int offset);
    // On BibTeX's last line, after an entry ended at run `index`: BibTeX reads no further. True when an
    // entry follows there (reported).
    bool stopsAtLastLine(QStringView line, const QList<Run>& runs, qsizetype index, int offset);
    void beginEntry(QStringView key, int keyLine);
    void startValue();
    void feedPart(QStringView part, Token token);
    void commitField();
    void discardField() { inValue_ = false; }
    void fail(const Run& run, QChar at);
    void finishText(LineState end, int lastLine);
    void entryWarnings();
    void sameWorkNotes();
    void encodingNotes(QStringView text);
    void add(int line, Severity severity, Message message, QString label = {}, QString arg1 = {},
             QString arg2 = {}, int bibtexLine = 0) {
        if (severity == Severity::Note && !options_.notes) return;
        findings_.append(Finding{line, bibtexLine ? bibtexLine : line, severity, message, std::move(label),
                                 std::move(arg1), std::move(arg2)});
    }
    QString currentLabel() const {
        return context_ == Context::Entry && current_ >= 0 ? entries_[current_].label.toString() : QString();
    }

    const CheckOptions& options_;
    QHash<CaselessKey, Macro> macros_;
    QList<Entry> entries_;
    QHash<CaselessKey, int> labels_; // label -> index in entries_
    QList<Finding> findings_;

    int lineNumber_ = 0; // 1-based
    Context context_ = Context::None;
    EntryType pendingType_ = OtherType;
    Context pendingContext_ = Context::None;
    int headLine_ = 0;
    QChar opening_;
    int current_ = -1;               // the entry being read
    QList<QStringView> otherFields_; // names of the current entry's fields the style does not read
    bool restartAfter_ = false;      // a repeated label: BibTeX skips the rest of the entry
    bool lastLine_ = false;          // the line BibTeX reads last
    bool stopped_ = false;           // BibTeX read no further on its last line
    int restartAt_ = 0;

    // The field or @string being read.
    QStringView fieldName_;
    int field_ = OtherField;
    int fieldLine_ = 0;
    bool inValue_ = false;
    bool blank_ = true;
    bool japanese_ = false;
    bool wantText_ = false;
    QString text_;
    bool partOpen_ = false;
    char16_t partKind_ = 0;
    int partDepth_ = 0;
    int partLine_ = 0;
    const Run* previous_ = nullptr;
};

QList<Finding> Checker::run(QStringView text) {
    // About one entry in 200 characters: the table seldom grows.
    labels_.reserve(qsizetype(text.size() / 200));
    entries_.reserve(qsizetype(text.size() / 200));
    QList<Run> runs;
    LineState state;
    qsizetype from = 0;
    // BibTeX's last line: the text's last one, or the one before a final line break of one character.
    const bool endsWithBreak = text.endsWith(u'\n');
    const bool singleCharacterBreak = options_.finalLineBreak != text::LineBreak::CrLf;
    for (;;) {
        ++lineNumber_;
        qsizetype end = text.indexOf(u'\n', from);
        const bool last = end < 0;
        if (last) end = text.size();
        const QStringView line = text.sliced(from, end - from);
        lastLine_ = last ? !endsWithBreak : end + 1 == text.size() && singleCharacterBreak;
        state = readLine(line, state, &runs);
        readRuns(line, runs, 0);
        // A repeated label: BibTeX skips the rest of that entry, looking for "@" from the label on.
        while (restartAfter_ && !stopped_) {
            restartAfter_ = false;
            const int at = restartAt_;
            state = readLine(line.sliced(at), LineState(), &runs);
            if (lastLine_ && stopsAtLastLine(line, runs, -1, at)) break;
            readRuns(line, runs, at);
        }
        if (stopped_) {
            state = LineState();
            break;
        }
        if (last) break;
        from = end + 1;
    }
    // BibTeX counts no line after a final line break.
    finishText(state, text.endsWith(u'\n') ? lineNumber_ - 1 : lineNumber_);
    entryWarnings();
    if (options_.notes) {
        sameWorkNotes();
        if (options_.encoding && *options_.encoding != text::Encoding::Utf8) encodingNotes(text);
    }
    // Sorting numbers, then moving each finding once, is cheaper than moving findings while sorting.
    QList<int> order(findings_.size());
    for (int i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        const Finding& x = findings_[a];
        const Finding& y = findings_[b];
        return x.line != y.line ? x.line < y.line : x.severity < y.severity;
    });
    QList<Finding> sorted;
    sorted.reserve(findings_.size());
    for (int i : std::as_const(order))
        sorted.append(std::move(findings_[i]));
    return sorted;
}

void Checker::readRuns(QStringView line, const QList<Run>& runs, int offset) {
    previous_ = nullptr;
    for (const Run& run : runs) {
        const QStringView piece = line.sliced(offset + run.start, run.length);
        if (context_ == Context::AwaitingKey) {
            // BibTeX takes the key as soon as the opening is read, an empty key included.
            beginEntry(run.token == Token::Label ? piece : QStringView(), lineNumber_);
            if (restartAfter_) {
                restartAt_ = offset + run.start + (run.token == Token::Label ? run.length : 0);
                return;
            }
            if (run.token == Token::Label) {
                previous_ = &run;
                continue;
            }
        }
        switch (run.token) {
        case Token::Comment:
            break;
        case Token::At:
            context_ = Context::None;
            headLine_ = lineNumber_;
            opening_ = QChar();
            fieldName_ = {};
            inValue_ = false;
            partOpen_ = false;
            current_ = -1;
            break;
        case Token::EntryType:
            pendingType_ = EntryType(indexIn(kTypeNames, piece, OtherType));
            pendingContext_ = Context::AwaitingKey;
            context_ = Context::AwaitingOpening;
            break;
        case Token::Command:
            pendingContext_ = equalsAsciiCaseless(piece, u"string") ? Context::String : Context::Preamble;
            context_ = equalsAsciiCaseless(piece, u"comment") ? Context::None : Context::AwaitingOpening;
            break;
        case Token::Delimiter:
            if (context_ == Context::AwaitingOpening) {
                opening_ = piece.front();
                context_ = pendingContext_;
            } else {
                if (inValue_) commitField();
                context_ = Context::None;
                if (lastLine_ && stopsAtLastLine(line, runs, &run - runs.constData(), offset)) return;
            }
            break;
        case Token::Label:
            break;
        case Token::FieldName:
            fieldName_ = piece;
            fieldLine_ = lineNumber_;
            field_ =
                context_ == Context::Entry ? indexIn(kFieldNames, piece, int(OtherField)) : int(OtherField);
            break;
        case Token::Punctuation:
            if (piece.front() == u'=')
                startValue();
            else if (piece.front() == u',' && inValue_)
                commitField();
            break;
        case Token::Braced:
        case Token::Quoted:
        case Token::Number:
        case Token::Abbreviation:
            feedPart(piece, run.token);
            break;
        case Token::Error:
            fail(run, offset + run.start < line.size() ? line[offset + run.start] : QChar());
            if (lastLine_ && stopsAtLastLine(line, runs, &run - runs.constData(), offset)) return;
            break;
        }
        previous_ = &run;
    }
    // A value part that goes on in the next line: its line break reads as a blank.
    if (partOpen_ && wantText_) text_ += u' ';
}

bool Checker::stopsAtLastLine(QStringView line, const QList<Run>& runs, qsizetype index, int offset) {
    for (qsizetype i = index + 1; i + 1 < runs.size(); ++i)
        if (runs[i].token == Token::At && runs[i + 1].token == Token::EntryType) {
            const int at = i + 3 < runs.size() && runs[i + 3].token == Token::Label ? int(i + 3) : -1;
            add(lineNumber_, Severity::Warning, Message::IgnoredAtEnd,
                at >= 0 ? line.sliced(offset + runs[at].start, runs[at].length).toString() : QString());
            stopped_ = true;
            return true;
        }
    return false;
}

void Checker::beginEntry(QStringView key, int keyLine) {
    context_ = Context::Entry;
    otherFields_.clear();
    fieldName_ = {};
    inValue_ = false;
    const auto found = labels_.constFind(CaselessKey(key));
    if (found != labels_.constEnd()) {
        const Entry& first = entries_[*found];
        const QString label = key.toString();
        add(keyLine, Severity::Error, Message::LabelRepeated, label, QString::number(first.labelLine));
        add(first.labelLine, Severity::Error, Message::LabelRepeated, first.label.toString(),
            QString::number(keyLine));
        context_ = Context::None;
        current_ = -1;
        restartAfter_ = true;
        return;
    }
    Entry entry;
    entry.label = key;
    entry.headLine = headLine_;
    entry.labelLine = keyLine;
    entry.type = pendingType_;
    labels_.insert(CaselessKey(key), int(entries_.size()));
    entries_.append(std::move(entry));
    current_ = int(entries_.size()) - 1;
    if (key.isEmpty()) add(keyLine, Severity::Warning, Message::NoLabel);
}

void Checker::startValue() {
    inValue_ = true;
    blank_ = true;
    japanese_ = false;
    partOpen_ = false;
    text_.resize(0); // keeps its capacity
    wantText_ = context_ == Context::String || (field_ >= 0 && (kTextFields >> field_) & 1);
}

void Checker::feedPart(QStringView part, Token token) {
    if (!inValue_) return;
    if (token == Token::Number) {
        blank_ = false;
        if (wantText_) text_ += part;
        return;
    }
    if (token == Token::Abbreviation) {
        const auto found = macros_.constFind(CaselessKey(part));
        if (found == macros_.constEnd()) {
            // BibTeX reads an undefined abbreviation as empty text.
            add(lineNumber_, Severity::Warning, Message::UndefinedString, currentLabel(), part.toString());
            return;
        }
        if (!found->blank) blank_ = false;
        if (wantText_) text_ += found->text;
        return;
    }
    // In braces or quotes: the outer pair is no part of the text.
    const bool watchJapanese = field_ == Author || field_ == Editor;
    const char16_t* s = part.utf16();
    const qsizetype n = part.size();
    qsizetype i = 0;
    if (!partOpen_) {
        partOpen_ = true;
        partKind_ = s[0];
        partDepth_ = partKind_ == u'{' ? 1 : 0;
        partLine_ = lineNumber_;
        i = 1;
    }
    qsizetype textFrom = i;
    for (; i < n; ++i) {
        const char16_t c = s[i];
        if (c == u'{') {
            ++partDepth_;
        } else if (c == u'}') {
            if (--partDepth_ == 0 && partKind_ == u'{') {
                partOpen_ = false;
                break;
            }
        } else if (c == u'"' && partKind_ == u'"' && partDepth_ == 0) {
            partOpen_ = false;
            break;
        }
        if (!isBlank(c)) blank_ = false;
        if (watchJapanese && isJapanese(c)) japanese_ = true;
    }
    if (wantText_) text_ += part.sliced(textFrom, i - textFrom);
}

void Checker::commitField() {
    inValue_ = false;
    partOpen_ = false;
    if (context_ == Context::String) {
        if (!fieldName_.isNull())
            macros_.insert(CaselessKey(fieldName_), Macro{QString(text_.constData(), text_.size()), blank_});
        return;
    }
    if (context_ != Context::Entry || current_ < 0 || fieldName_.isNull()) return;
    Entry& entry = entries_[current_];
    if (field_ == OtherField) {
        for (QStringView name : std::as_const(otherFields_))
            if (equalsAsciiCaseless(name, fieldName_)) {
                add(fieldLine_, Severity::Warning, Message::FieldRepeated, entry.label.toString(),
                    lowered(fieldName_));
                return;
            }
        otherFields_.append(fieldName_);
        return;
    }
    const std::uint32_t bit = 1u << field_;
    if (entry.present & bit) {
        // BibTeX keeps the first and ignores the rest.
        add(fieldLine_, Severity::Warning, Message::FieldRepeated, entry.label.toString(),
            lowered(fieldName_));
        return;
    }
    entry.present |= bit;
    if (!blank_) entry.filled |= bit;
    if (field_ == Author || field_ == Editor || field_ == Yomi) {
        if (const int name = faultyName(text_))
            add(fieldLine_, Severity::Error, Message::NameCommas, entry.label.toString(), lowered(fieldName_),
                QString::number(name));
    }
    switch (field_) {
    case Author:
        entry.japaneseAuthor = japanese_;
        entry.authorLine = fieldLine_;
        break;
    case Editor:
        entry.japaneseEditor = japanese_;
        entry.editorLine = fieldLine_;
        break;
    case Crossref:
        entry.crossref = text_.trimmed();
        entry.crossrefLine = fieldLine_;
        break;
    case Doi:
        entry.doi = doiFingerprint(text_);
        break;
    case Pages:
        if (options_.notes && hasSingleHyphen(text_))
            add(fieldLine_, Severity::Note, Message::SingleHyphen, entry.label.toString(), text_.trimmed());
        break;
    case Title:
        entry.title = titleFingerprint(text_);
        break;
    case Year:
        entry.year = yearFingerprint(text_);
        break;
    default:
        break;
    }
}

void Checker::fail(const Run& run, QChar at) {
    const bool atNextEntry = run.length == 0 && at == u'@';
    // BibTeX keeps a value that was whole before the fault (a "," missing after it); one cut short by the
    // fault is lost, as is one whose abbreviation runs straight into the faulty character.
    const bool afterWholeValue = run.problem == Problem::NoComma && inValue_ && !partOpen_ &&
                                 !(previous_ && previous_->token == Token::Abbreviation &&
                                   previous_->start + previous_->length == run.start);
    if (afterWholeValue)
        commitField();
    else
        discardField();
    const QString label = currentLabel();
    switch (run.problem) {
    case Problem::NoEntryType:
        add(headLine_, Severity::Error, Message::NoEntryType, {}, {}, {}, lineNumber_);
        break;
    case Problem::NoOpening:
        add(headLine_, Severity::Error, Message::NoOpening, {}, {}, {}, lineNumber_);
        break;
    case Problem::NoComma:
    case Problem::NoFieldName:
    case Problem::NoEquals:
    case Problem::NoValue:
        if (atNextEntry) {
            // The next entry begins before this one closed.
            add(headLine_, Severity::Error, Message::NotClosed, label, QString(opening_), {}, lineNumber_);
        } else if (run.problem == Problem::NoComma && at == u'=' && previous_ &&
                   previous_->token == Token::Label) {
            // "@article{title = ...": the first field's name was read as the label.
            add(lineNumber_, Severity::Error, Message::MissingLabel, {}, label);
        } else if (run.problem == Problem::NoComma) {
            const QChar close = opening_ == u'(' ? u')' : u'}';
            add(lineNumber_, Severity::Error, Message::NoComma, label,
                context_ == Context::Entry ? QString(u", "_s + close) : QString(close));
        } else {
            add(lineNumber_, Severity::Error,
                run.problem == Problem::NoFieldName ? Message::NoFieldName
                : run.problem == Problem::NoEquals  ? Message::NoEquals
                                                    : Message::NoValue,
                label);
        }
        break;
    case Problem::UnbalancedBraces:
        add(lineNumber_, Severity::Error, Message::UnbalancedBraces, label);
        break;
    case Problem::NoLabel:
    case Problem::None:
        break;
    }
    context_ = Context::None;
    fieldName_ = {};
}

void Checker::finishText(LineState end, int lastLine) {
    if (end.outsideEntries()) return;
    // The file ends inside an entry: BibTeX reports its last line.
    const QString label = currentLabel();
    if (partOpen_)
        add(partLine_, Severity::Error, Message::NotClosed, label, QString(QChar(partKind_)), {}, lastLine);
    else if (context_ == Context::None)
        add(headLine_, Severity::Error, Message::NoEntryType, {}, {}, {}, lastLine);
    else if (context_ == Context::AwaitingOpening)
        add(headLine_, Severity::Error, Message::NoOpening, {}, {}, {}, lastLine);
    else
        add(headLine_, Severity::Error, Message::NotClosed, label, QString(opening_), {}, lastLine);
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
                add(a.headLine, Severity::Note, message, a.label.toString(), b.label.toString(),
                    QString::number(b.headLine));
            }
            add(b.headLine, Severity::Note, message, b.label.toString(), a.label.toString(),
                QString::number(a.headLine));
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
    return Checker(options).run(text);
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
        return u"文献ラベル '"_s + f.label + u"' は "_s + f.arg1 + u" 行目でも使われています"_s;
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
        return u"'"_s + f.arg1 + u"' ("_s + f.arg2 +
               u" 行目) と doi が同じです (同じ文献を 2 度書いていないか確かめてください)"_s;
    case Message::SameTitle:
        return u"'"_s + f.arg1 + u"' ("_s + f.arg2 +
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
        return u"label \""_s + f.label + u"\" is also used at line "_s + f.arg1;
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
        return u"same doi as \""_s + f.arg1 + u"\" (line "_s + f.arg2 + u')' + in;
    case Message::SameTitle:
        return u"same title and year as \""_s + f.arg1 + u"\" (line "_s + f.arg2 + u')' + in;
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
