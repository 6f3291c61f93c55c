#include "entry/entry_edit.h"

#include "bibtex/check.h"
#include "entry/catalogue.h"
#include "text/ascii.h"
#include "text/line_reader.h"

#include <algorithm>

namespace entry {

namespace {

using bibtex::Token;

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

const EntryField* EntryText::field(QStringView name) const {
    for (const EntryField& f : fields)
        if (text::asciiLower(f.name) == name) return &f;
    return nullptr;
}

EntryText readEntry(QStringView text) {
    EntryText entry;
    enum class Stage { BeforeAt, Type, Opening, Key, Fields } stage = Stage::BeforeAt;
    bool labelSeen = false;
    // The value being read: where it starts, how many parts it has, the kind of its first, whether the
    // next value run starts a part (after "=" or "#").
    qsizetype valueStart = -1;
    int parts = 0;
    Token firstKind = Token::Comment;
    bool partExpected = false;
    auto finishValue = [&] {
        if (entry.fields.isEmpty() || valueStart < 0) return;
        EntryField& f = entry.fields.last();
        const bool enclosed = parts == 1 && (firstKind == Token::Braced || firstKind == Token::Quoted);
        const QStringView written = text.sliced(valueStart, f.valueEnd - valueStart);
        f.value = text::joinedLines(enclosed ? written.sliced(1, written.size() - 2) : written);
        valueStart = -1;
    };
    auto noLabelAt = [&](qsizetype at) {
        if (!labelSeen) entry.labelStart = at;
    };

    bibtex::LineState state;
    QList<bibtex::Run> runs;
    for (qsizetype lineStart = 0; lineStart <= text.size();) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0) lineEnd = text.size();
        const QStringView line = text.sliced(lineStart, lineEnd - lineStart);
        state = bibtex::readLine(line, state, &runs);
        for (const bibtex::Run& run : std::as_const(runs)) {
            const qsizetype at = lineStart + run.start;
            const QStringView runText = line.sliced(run.start, run.length);
            switch (run.token) {
            case Token::Comment:
                break;
            case Token::At:
                stage = Stage::Type;
                break;
            case Token::Command:
                entry.problem = EntryProblem::Command;
                return entry;
            case Token::EntryType:
                entry.type = runText.toString();
                entry.typeStart = at;
                entry.category = categoryOfType(runText);
                stage = Stage::Opening;
                break;
            case Token::Delimiter:
                if (stage == Stage::Opening) {
                    stage = Stage::Key;
                    entry.labelStart = at + 1;
                    break;
                }
                // The closing delimiter: the entry ends here, whatever follows it.
                if (stage == Stage::Key) {
                    noLabelAt(at);
                    entry.headEnd = entry.labelStart + entry.label.size();
                }
                finishValue();
                entry.problem = entry.category < 0 ? EntryProblem::OtherType : EntryProblem::None;
                return entry;
            case Token::Label:
                entry.label = runText.toString();
                entry.labelStart = at;
                labelSeen = true;
                break;
            case Token::Punctuation:
                if (runText == u"=" || runText == u"#") {
                    partExpected = true;
                } else if (stage == Stage::Key) {
                    noLabelAt(at);
                    entry.headComma = true;
                    entry.headEnd = at + 1;
                    stage = Stage::Fields;
                } else if (!entry.fields.isEmpty()) {
                    finishValue();
                    entry.fields.last().commaEnd = at + 1;
                }
                break;
            case Token::FieldName: {
                EntryField f;
                f.name = runText.toString();
                f.nameStart = at;
                entry.fields.append(f);
                valueStart = -1;
                parts = 0;
                break;
            }
            case Token::Braced:
            case Token::Quoted:
            case Token::Number:
            case Token::Abbreviation:
                if (entry.fields.isEmpty()) break;
                if (partExpected) {
                    if (parts++ == 0) {
                        valueStart = at;
                        firstKind = run.token;
                    }
                    partExpected = false;
                }
                entry.fields.last().valueEnd = at + run.length;
                break;
            case Token::Error:
                entry.problem = EntryProblem::Error;
                return entry;
            }
        }
        lineStart = lineEnd + 1;
    }
    // Never closed.
    entry.problem = stage == Stage::BeforeAt ? EntryProblem::NoEntry : EntryProblem::Error;
    return entry;
}

QMap<QString, QString> fieldValues(const EntryText& entry) {
    QMap<QString, QString> values;
    for (const EntryField& f : entry.fields) {
        const QString name = text::asciiLower(f.name);
        if (!values.contains(name)) values.insert(name, f.value);
    }
    return values;
}

EntryInput inputShowing(int categoryIndex, const QString& label, const QMap<QString, QString>& values) {
    const Category& cat = category(categoryIndex);
    EntryInput input;
    input.category = categoryIndex;
    input.slotTexts[1] = label;
    for (int k = 2; k <= kSlotCount; ++k) {
        const Slot& s = cat.slotList[k - 1];
        if (s.state == SlotState::Hidden) break; // shown slots form one run from slot 1
        const QString first = QLatin1String(s.field);
        if (s.state == SlotState::Choice) {
            const QString second = QLatin1String(s.secondField);
            input.firstOption[s.pair] = values.contains(first) || !values.contains(second);
            input.slotInput(k) = values.value(input.firstOption[s.pair] ? first : second);
        } else {
            input.slotInput(k) = values.value(first);
        }
    }
    return input;
}

namespace {

// The edits of one entry, made up field by field and put in order at the end.
class EditPlan {
public:
    EditPlan(QStringView text, const EntryText& entry, int columnWidth)
        : text_(text), entry_(entry), width_(columnWidth) {}

    void replace(qsizetype at, qsizetype length, const QString& by) { edits_.append({at, length, by}); }

    // The field's text from its name to its value (and the "," after it): on lines of its own, or
    // sharing a line with more of the entry.
    bool standsAlone(const EntryField& f) const {
        return onlyBlanks(lineStart(f.nameStart), f.nameStart) && onlyBlanks(end(f), lineEnd(end(f)));
    }
    bool headStandsAlone() const {
        return entry_.headComma && onlyBlanks(entry_.headEnd, lineEnd(entry_.headEnd));
    }

    void write(const EntryField& f, QStringView name, QStringView value) {
        if (standsAlone(f))
            replace(lineStart(f.nameStart), lineEnd(end(f)) - lineStart(f.nameStart),
                    fieldLine(name, width_, value));
        else
            replace(f.nameStart, f.valueEnd - f.nameStart, fieldText(name, 0, value));
    }

    void remove(const EntryField& f) {
        if (standsAlone(f)) {
            // With its line end: the line after it takes its place.
            const qsizetype from = lineStart(f.nameStart);
            replace(from, std::min(lineEnd(end(f)) + 1, text_.size()) - from, QString());
        } else if (f.commaEnd >= 0) {
            // With the blanks after it; with those before it instead where its "," ends the line.
            qsizetype from = f.nameStart, to = f.commaEnd;
            while (to < text_.size() && isBlank(text_[to]))
                ++to;
            if (to == lineEnd(to)) {
                to = f.commaEnd;
                while (from > lineStart(f.nameStart) && isBlank(text_[from - 1]))
                    --from;
            }
            replace(from, to - from, QString());
        } else {
            // The last field: the "," before it stays (BibTeX takes a "," before the closing delimiter), the
            // blanks between go; so does its line's indent when that "," ends an earlier line.
            const qsizetype comma = commaBefore(f);
            const qsizetype from = comma >= lineStart(f.nameStart) ? comma + 1 : lineStart(f.nameStart);
            replace(from, f.valueEnd - from, QString());
        }
    }

    // New fields after `anchor` (nullptr: after the head), in the form's order; `anchorRewritten`: the
    // anchor is written anew as a line of its own, "," included.
    void insertAfter(const EntryField* anchor, bool anchorRewritten, const QList<QString>& names,
                     const QList<QString>& values) {
        const bool alone = anchor ? standsAlone(*anchor) : headStandsAlone();
        const bool hasComma = anchor ? anchor->commaEnd >= 0 : entry_.headComma;
        QString added;
        if (alone) {
            if (!hasComma && !anchorRewritten) replace(anchor->valueEnd, 0, QStringLiteral(","));
            for (qsizetype i = 0; i < names.size(); ++i)
                added += u'\n' + fieldLine(names[i], width_, values[i]);
            replace(lineEnd(anchor ? end(*anchor) : entry_.headEnd), 0, added);
            return;
        }
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString field = fieldText(names[i], 0, values[i]);
            added += hasComma ? u' ' + field + u',' : QStringLiteral(", ") + field;
        }
        replace(anchor ? end(*anchor) : entry_.headEnd, 0, added);
    }

    // In order, apart from each other: edits that meet or overlap are one (an insertion before the edit
    // that starts where it stands).
    QList<text::TextEdit> edits() const {
        QList<text::TextEdit> sorted = edits_;
        std::stable_sort(sorted.begin(), sorted.end(), [](const text::TextEdit& a, const text::TextEdit& b) {
            if (a.position != b.position) return a.position < b.position;
            return a.length == 0 && b.length > 0;
        });
        QList<text::TextEdit> merged;
        for (const text::TextEdit& e : sorted) {
            if (!merged.isEmpty() && e.position <= merged.last().position + merged.last().length) {
                text::TextEdit& m = merged.last();
                m.length = std::max(m.position + m.length, e.position + e.length) - m.position;
                m.replacement += e.replacement;
                continue;
            }
            merged.append(e);
        }
        return merged;
    }

private:
    qsizetype end(const EntryField& f) const { return f.commaEnd >= 0 ? f.commaEnd : f.valueEnd; }
    qsizetype lineStart(qsizetype at) const { return text_.lastIndexOf(u'\n', at - 1) + 1; }
    qsizetype lineEnd(qsizetype at) const {
        const qsizetype lf = text_.indexOf(u'\n', at);
        return lf < 0 ? text_.size() : lf;
    }
    bool onlyBlanks(qsizetype from, qsizetype to) const {
        for (qsizetype i = from; i < to; ++i)
            if (!isBlank(text_[i])) return false;
        return true;
    }
    // Where the "," stands that comes before the field: the previous field's, or the head's.
    qsizetype commaBefore(const EntryField& f) const {
        const EntryField* previous = nullptr;
        for (const EntryField& g : entry_.fields) {
            if (&g == &f) break;
            previous = &g;
        }
        return previous ? previous->commaEnd - 1 : entry_.headEnd - 1;
    }

    QStringView text_;
    const EntryText& entry_;
    int width_;
    QList<text::TextEdit> edits_;
};

} // namespace

QList<text::TextEdit> entryEdits(QStringView text, const EntryText& entry, const EntryInput& input) {
    const Category& cat = category(input.category);
    EditPlan plan(text, entry, cat.columnWidth);

    // The type word stays as written (its letter case, a style's other name) unless the category changes.
    if (input.category != entry.category)
        plan.replace(entry.typeStart, entry.type.size(), QLatin1String(cat.entryType));
    const QString& label = input.slotTexts[1];
    if (label != entry.label) plan.replace(entry.labelStart, entry.label.size(), label);

    // Per shown slot after the label, the entry's field that stands for it once the edits are made (none
    // where it has none, or the field goes).
    std::array<const EntryField*, kSlotCount + 1> standing{};
    std::array<bool, kSlotCount + 1> rewritten{};
    struct Addition {
        int slot;
        QString name;
        QString value;
    };
    QList<Addition> additions;
    for (int k = 2; k <= kSlotCount; ++k) {
        const Slot& s = cat.slotList[k - 1];
        if (s.state == SlotState::Hidden) break; // shown slots form one run from slot 1
        const bool second = s.state == SlotState::Choice && !input.firstOption[s.pair];
        const QString name = QLatin1String(second ? s.secondField : s.field);
        const QString value = input.slotValue(k);
        const EntryField* own = entry.field(name);
        const EntryField* other = nullptr;
        if (s.state == SlotState::Choice)
            other = entry.field(QString::fromLatin1(second ? s.field : s.secondField));
        if (!own && other) {
            // The option was turned from the field the entry has to the one it lacks.
            if (value.isEmpty()) {
                plan.remove(*other);
            } else {
                plan.write(*other, name, value);
                standing[k] = other;
                rewritten[k] = plan.standsAlone(*other);
            }
        } else if (own) {
            if (value == own->value) {
                standing[k] = own;
            } else if (value.isEmpty()) {
                plan.remove(*own);
            } else {
                plan.write(*own, name, value);
                standing[k] = own;
                rewritten[k] = plan.standsAlone(*own);
            }
        } else if (!value.isEmpty()) {
            additions.append({k, name, value});
        }
    }

    // The additions after one anchor go together, in the form's order.
    for (qsizetype i = 0; i < additions.size();) {
        int anchorSlot = 0;
        for (int j = additions[i].slot - 1; j >= 2 && anchorSlot == 0; --j)
            if (standing[j]) anchorSlot = j;
        QList<QString> names, values;
        qsizetype n = i;
        for (; n < additions.size(); ++n) {
            int anchorOfN = 0;
            for (int j = additions[n].slot - 1; j >= 2 && anchorOfN == 0; --j)
                if (standing[j]) anchorOfN = j;
            if (anchorOfN != anchorSlot) break;
            names << additions[n].name;
            values << additions[n].value;
        }
        plan.insertAfter(anchorSlot ? standing[anchorSlot] : nullptr, anchorSlot && rewritten[anchorSlot],
                         names, values);
        i = n;
    }
    return plan.edits();
}

bool labelRefused(const QString& label, const std::optional<QString>& ownLabel,
                  const std::function<bool(const QString&)>& labelInUse) {
    if (ownLabel && text::asciiLower(label) == text::asciiLower(*ownLabel)) return false;
    return labelInUse(label);
}

QString editRefusal(QStringView text, const EntryText& entry, int headLine) {
    switch (entry.problem) {
    case EntryProblem::None:
        return {};
    case EntryProblem::NoEntry:
    case EntryProblem::Command:
        return kNoEntryToEdit;
    case EntryProblem::OtherType:
        return QStringLiteral("文献の種類 @%1 は 13 の文献カテゴリのどれでもないため、修正できません")
            .arg(entry.type);
    case EntryProblem::Error:
        break;
    }
    QString found;
    if (const std::optional<bibtex::Finding> f = entryError(text))
        found = QStringLiteral("%1 行目: %2\r\n")
                    .arg(QString::number(headLine + f->line - 1), bibtex::japaneseMessage(*f));
    return QStringLiteral("この文献には BibTeX が読めない誤りがあるため、修正できません\r\n") + found +
           QStringLiteral(
               "文献(B) の「文献の検査」(Ctrl+Shift+K) で確かめて直してから、もう一度修正してください");
}

std::optional<bibtex::Finding> entryError(QStringView text) {
    bibtex::CheckOptions options;
    options.notes = false;
    for (const bibtex::Finding& f : bibtex::checkText(text, options))
        if (f.severity == bibtex::Severity::Error) return f;
    return std::nullopt;
}

} // namespace entry
