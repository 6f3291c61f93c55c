#pragma once
// What the parts of the check share: the style's table (style_table.h), the caseless keys of
// labels and abbreviations, the per-character helpers the reading loops inline, the entry as the check
// keeps it, and the Checker that reads a text (check_read.cpp) and judges its entries (check_rules.cpp).
// Only src/bibtex/check*.cpp include it.
#include "bibtex/check.h"
#include "bibtex/reader.h"
#include "bibtex/style_table.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace bibtex::detail {

// The fields whose text the check reads (the others it needs only to know empty or not).
inline constexpr std::uint32_t kTextFields = [] {
    std::uint32_t fields = 0;
    for (int f = 0; f < FieldCount; ++f)
        if (kFields[f].text) fields |= 1u << f;
    return fields;
}();

inline char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

inline bool equalsAsciiCaseless(QStringView a, QStringView b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asciiLower(a[i].unicode()) != asciiLower(b[i].unicode())) return false;
    return true;
}

inline bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
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
inline std::size_t qHash(const CaselessKey& key, std::size_t seed) {
    return key.hash ^ seed;
}

struct Macro {
    QString text;
    bool blank = false;
};

inline constexpr int kNoParent = -2;

struct Entry {
    QStringView label;
    QStringView typeName; // as written
    int headLine = 0;     // 1-based
    int labelLine = 0;
    EntryType type = OtherType;
    bool broken = false;       // BibTeX stopped reading it at an error: the style judges what it got so far
    int parent = -1;           // the entry its crossref names; kNoParent: a crossref to no entry, dropped
    std::uint32_t present = 0; // by Field
    std::uint32_t filled = 0;  // present and not blank
    bool japaneseAuthor = false;
    bool japaneseEditor = false;
    int authorLine = 0;
    int editorLine = 0;
    int crossrefLine = 0;
    std::uint64_t doi = 0, title = 0, year = 0; // fingerprints of the folded doi, title and year
    std::uint64_t author = 0, editor = 0;       // fingerprints of the values as BibTeX stores them
    QString crossref;
};

// The rules for one field's value (check_rules.cpp, where each says what it returns), which commitField
// calls once per field.
int faultyName(QStringView names);
bool hasSingleHyphen(QStringView pages);
std::uint64_t doiFingerprint(QStringView doi);
std::uint64_t titleFingerprint(QStringView title);
std::uint64_t yearFingerprint(QStringView year);
std::uint64_t valueFingerprint(QStringView value);

// Reads a text and judges its entries, once: run() gives the findings sorted.
class Checker {
public:
    explicit Checker(const CheckOptions& options); // with the style's abbreviations defined
    QList<Finding> run(QStringView text);

private:
    enum class Context { None, AwaitingOpening, AwaitingKey, Entry, String, Preamble };

    // Reading the text (check_read.cpp).
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
    // Judging what was read (check_rules.cpp).
    void crossrefs();
    void entryWarnings();
    void styleWarnings(const Entry& e, bool crossref);
    void sameWorkNotes();
    void encodingNotes(QStringView text);

    // A finding; a note only when notes are wanted.
    void add(int line, Message message, QString label = {}, QString arg1 = {}, QString arg2 = {},
             int bibtexLine = 0, int otherLine = 0, QStringList fields = {}) {
        const Severity severity = severityOf(message);
        if (severity == Severity::Note && !options_.notes) return;
        findings_.append(Finding{line, bibtexLine ? bibtexLine : line, severity, message, std::move(label),
                                 std::move(arg1), std::move(arg2), std::move(fields), otherLine});
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
    QStringView pendingTypeName_;
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
    bool declared_ = false; // BibTeX stores the field or @string being read
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
    const Run* previous_ = nullptr; // the run before, on this line
    int lastPartLine_ = 0;          // the line of the last label or value part read
    // The last value of the entry being read, where it ran over a line starting like a field ("name ="):
    // a "{" or '"' of it is likely never closed where it was meant to be. Its field's line (0: none) and
    // opening.
    int swallowingLine_ = 0;
    char16_t swallowingOpening_ = 0;
};

} // namespace bibtex::detail
