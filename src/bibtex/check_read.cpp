// Reading a .bib text into entries and fields as BibTeX reads it: the lines through readLine, the
// abbreviations, the labels, each field's value once it is whole, and the errors where BibTeX stops.
#include "bibtex/check_internal.h"

#include <algorithm>
#include <utility>

namespace bibtex::detail {

using namespace Qt::StringLiterals;

namespace {

QString lowered(QStringView s) {
    QString result(s.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i)
        result[i] = QChar(asciiLower(s[i].unicode()));
    return result;
}

EntryType typeOf(QStringView name) {
    for (int i = 0; i < OtherType; ++i)
        if (equalsAsciiCaseless(name, kTypes[i].name)) return EntryType(i);
    return OtherType;
}

int fieldOf(QStringView name) {
    for (int i = 0; i < FieldCount; ++i)
        if (equalsAsciiCaseless(name, kFields[i].name)) return i;
    return OtherField;
}

// "  name =": how a field starts a line (the field's name in ASCII letters, digits, "_" and "-").
bool startsLikeAField(QStringView line) {
    qsizetype i = 0;
    while (i < line.size() && isBlank(line[i].unicode()))
        ++i;
    const qsizetype nameStart = i;
    while (i < line.size()) {
        const char16_t c = line[i].unicode();
        const bool letter = (c | 0x20) >= u'a' && (c | 0x20) <= u'z';
        if (!(letter || (i > nameStart && ((c >= u'0' && c <= u'9') || c == u'_' || c == u'-')))) break;
        ++i;
    }
    if (i == nameStart) return false;
    while (i < line.size() && isBlank(line[i].unicode()))
        ++i;
    return i < line.size() && line[i] == u'=';
}

bool isJapanese(char16_t c) {
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || c == 0x3005 || (c >= 0xFF66 && c <= 0xFF9F);
}

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

} // namespace

Checker::Checker(const CheckOptions& options) : options_(options), macros_(styleMacros()) {}

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
                lastPartLine_ = lineNumber_;
                continue;
            }
        }
        switch (run.token) {
        case Token::Comment:
            break;
        case Token::At:
            context_ = Context::None;
            headLine_ = lineNumber_;
            swallowingLine_ = 0;
            opening_ = QChar();
            fieldName_ = {};
            inValue_ = false;
            partOpen_ = false;
            current_ = -1;
            break;
        case Token::EntryType:
            pendingType_ = typeOf(piece);
            pendingTypeName_ = piece;
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
                // A preamble is one value, stored as BibTeX reads it.
                if (context_ == Context::Preamble) {
                    field_ = OtherField;
                    declared_ = true;
                    startValue();
                }
            } else {
                if (inValue_) commitField();
                context_ = Context::None;
                if (lastLine_ && stopsAtLastLine(line, runs, &run - runs.constData(), offset)) return;
            }
            break;
        case Token::Label:
            lastPartLine_ = lineNumber_;
            break;
        case Token::FieldName:
            fieldName_ = piece;
            fieldLine_ = lineNumber_;
            field_ = context_ == Context::Entry ? fieldOf(piece) : int(OtherField);
            declared_ = context_ != Context::Entry || (field_ >= 0 && kFields[field_].declared);
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
            lastPartLine_ = lineNumber_;
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
            add(lineNumber_, Message::IgnoredAtEnd,
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
        add(keyLine, Message::LabelRepeated, label, {}, {}, 0, first.labelLine);
        add(first.labelLine, Message::LabelRepeated, first.label.toString(), {}, {}, 0, keyLine);
        context_ = Context::None;
        current_ = -1;
        restartAfter_ = true;
        return;
    }
    Entry entry;
    entry.label = key;
    entry.typeName = pendingTypeName_;
    entry.headLine = headLine_;
    entry.labelLine = keyLine;
    entry.type = pendingType_;
    labels_.insert(CaselessKey(key), int(entries_.size()));
    entries_.append(std::move(entry));
    current_ = int(entries_.size()) - 1;
    if (key.isEmpty()) add(keyLine, Message::NoLabel);
}

void Checker::startValue() {
    inValue_ = true;
    blank_ = true;
    japanese_ = false;
    partOpen_ = false;
    text_.resize(0); // keeps its capacity
    wantText_ = context_ == Context::String || (field_ >= 0 && (kTextFields >> field_) & 1);
    // A field after it: the value before ended where it was meant to, whatever its lines looked like.
    swallowingLine_ = 0;
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
            // BibTeX reads an undefined abbreviation as empty text, and says so where it stores the field.
            add(lineNumber_, declared_ ? Message::UndefinedString : Message::UndefinedStringUnread,
                currentLabel(), part.toString());
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
    } else if (!swallowingLine_ && context_ == Context::Entry && startsLikeAField(part)) {
        swallowingLine_ = fieldLine_;
        swallowingOpening_ = partKind_;
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
                add(fieldLine_, Message::FieldRepeatedUnread, entry.label.toString(), lowered(fieldName_), {},
                    lineNumber_);
                return;
            }
        otherFields_.append(fieldName_);
        return;
    }
    const std::uint32_t bit = 1u << field_;
    if (entry.present & bit) {
        // BibTeX keeps the first and ignores the rest; it says so of a field it stores.
        add(fieldLine_, declared_ ? Message::FieldRepeated : Message::FieldRepeatedUnread,
            entry.label.toString(), lowered(fieldName_), {}, lineNumber_);
        return;
    }
    entry.present |= bit;
    if (!blank_) entry.filled |= bit;
    if (field_ == Author || field_ == Editor || field_ == Yomi) {
        if (const int name = faultyName(text_))
            add(fieldLine_, Message::NameCommas, entry.label.toString(), lowered(fieldName_),
                QString::number(name));
    }
    switch (field_) {
    case Author:
        entry.japaneseAuthor = japanese_;
        entry.authorLine = fieldLine_;
        entry.author = valueFingerprint(text_);
        break;
    case Editor:
        entry.japaneseEditor = japanese_;
        entry.editorLine = fieldLine_;
        entry.editor = valueFingerprint(text_);
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
            add(fieldLine_, Message::SingleHyphen, entry.label.toString(), text_.trimmed());
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
    if (context_ == Context::Entry && current_ >= 0) entries_[current_].broken = true;
    if (swallowingLine_ && context_ == Context::Entry && run.problem != Problem::NoEntryType &&
        run.problem != Problem::NoOpening) {
        // A value ran over the fields after it, so its "{" or '"' was meant to close before them.
        add(swallowingLine_, Message::NotClosed, label, QString(QChar(swallowingOpening_)), {}, lineNumber_);
        context_ = Context::None;
        fieldName_ = {};
        return;
    }
    switch (run.problem) {
    case Problem::NoEntryType:
        add(headLine_, Message::NoEntryType, {}, {}, {}, lineNumber_);
        break;
    case Problem::NoOpening:
        add(headLine_, Message::NoOpening, {}, {}, {}, lineNumber_);
        break;
    case Problem::NoComma:
    case Problem::NoFieldName:
    case Problem::NoEquals:
    case Problem::NoValue:
        if (atNextEntry) {
            // The next entry begins before this one closed.
            add(headLine_, Message::NotClosed, label, QString(opening_), {}, lineNumber_);
        } else if (run.problem == Problem::NoComma && at == u'=' && previous_ &&
                   previous_->token == Token::Label) {
            // "@article{title = ...": the first field's name was read as the label.
            add(lineNumber_, Message::MissingLabel, {}, label);
        } else if (run.problem == Problem::NoComma && context_ == Context::Entry) {
            // Nothing before the fault on its line: the "," belongs at the end of the line before.
            if (!previous_ && lastPartLine_ > 0 && lastPartLine_ < lineNumber_)
                add(lastPartLine_, Message::NoCommaAtLineEnd, label, {}, {}, lineNumber_);
            else
                add(lineNumber_, Message::NoComma, label);
        } else if (run.problem == Problem::NoComma) {
            add(lineNumber_, Message::NoClosing, label, QString(opening_ == u'(' ? u')' : u'}'));
        } else {
            add(lineNumber_,
                run.problem == Problem::NoFieldName ? Message::NoFieldName
                : run.problem == Problem::NoEquals  ? Message::NoEquals
                                                    : Message::NoValue,
                label);
        }
        break;
    case Problem::UnbalancedBraces:
        add(lineNumber_, Message::UnbalancedBraces, label);
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
    if (context_ == Context::Entry && current_ >= 0) entries_[current_].broken = true;
    if (context_ == Context::Entry && swallowingLine_ && !partOpen_)
        add(swallowingLine_, Message::NotClosed, label, QString(QChar(swallowingOpening_)), {}, lastLine);
    else if (partOpen_)
        add(partLine_, Message::NotClosed, label, QString(QChar(partKind_)), {}, lastLine);
    else if (context_ == Context::None)
        add(headLine_, Message::NoEntryType, {}, {}, {}, lastLine);
    else if (context_ == Context::AwaitingOpening)
        add(headLine_, Message::NoOpening, {}, {}, {}, lastLine);
    else
        add(headLine_, Message::NotClosed, label, QString(opening_), {}, lastLine);
}

} // namespace bibtex::detail
