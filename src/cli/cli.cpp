#include "cli/cli.h"

#include "base/app_info.h"
#include "base/failure.h"
#include "bibtex/check.h"
#include "csv/csv_export.h"
#include "csv/csv_import.h"
#include "csv/fields.h"
#include "document/document_file.h"
#include "entry/catalogue.h"
#include "entry/entry_count.h"
#include "entry/entry_edit.h"
#include "entry/entry_fields.h"
#include "entry/entry_format.h"
#include "text/text_file.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace cli {

namespace {

const QString kOverview = QStringLiteral(
    "usage: lorvane-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "  count FILE...\n"
    "      each file's entry count, as the editor's status bar counts it\n"
    "  add FILE --category C --label LABEL [--FIELD VALUE]...\n"
    "      appends one entry exactly as the entry form writes it\n"
    "  edit FILE --label LABEL [--FIELD VALUE]... [--remove FIELD]... [--category C] [--new-label NEW]\n"
    "      changes one entry as the entry form's 文献の修正 does, keeping every byte of the rest\n"
    "  export FILE --fields F1,F2,... [-o OUT]\n"
    "      writes the CSV file that the export dialog writes\n"
    "  import CSV --category C --fields F1,F2,... [--labels manual|auto|column] [--to FILE]\n"
    "      makes the entries that the import dialog makes\n"
    "  check [--no-notes] FILE...\n"
    "      what BibTeX will reject or warn about, one finding a line (FILE:LINE: KIND: MESSAGE)\n"
    "\n"
    "lorvane-cli COMMAND --help describes a command; lorvane-cli --version prints the version.\n"
    "Exit codes: 0 done, 1 refused (the reason on standard error), 2 wrong usage,\n"
    "3 a file that cannot be read or written.\n");

const QString kCategoryHelp = QStringLiteral(
    "the entry category: its index 0-12 or its entry type (article, book, booklet, incollection, "
    "inbook, masterthesis, phdthesis, inproceedings, proceedings, manual, techreport, "
    "unpublished, misc)");

// Ends the command with exit code 2 (and the command's help) or 1.
struct WrongUsage {
    QString message;
};
struct Refusal {
    QString message;
};

// Messages keep the editor's "\r\n"; a terminal wants "\n".
QString terminalText(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

class Io {
public:
    Io(QIODevice& out, QIODevice& err) : out_(out), err_(err) {}
    void print(const QString& text) { printBytes(terminalText(text).toUtf8()); }
    void printBytes(const QByteArray& bytes) { failed_ = failed_ || out_.write(bytes) != bytes.size(); }
    void warn(const QString& text) { err_.write(terminalText(text).toUtf8()); }
    // Whether some output could not be written (a full disk behind a redirection, say).
    bool outputFailed() const { return failed_; }

private:
    QIODevice& out_;
    QIODevice& err_;
    bool failed_ = false;
};

int parseCategory(const QString& text) {
    bool number = false;
    const int index = text.toInt(&number);
    if (number && entry::isCategoryIndex(index)) return index;
    for (int i = 0; i < entry::kCategoryCount; ++i)
        if (text.compare(QLatin1String(entry::category(i).entryType), Qt::CaseInsensitive) == 0) return i;
    throw WrongUsage{QStringLiteral("unknown category \"%1\": give 0-12 or an entry type").arg(text)};
}

// The comma-separated names, each one of `offered`, none twice; empty for an empty list.
QStringList parseFieldList(const QString& list, const QStringList& offered, const QString& offeredBy) {
    QStringList fields;
    if (list.trimmed().isEmpty()) return fields;
    for (const QString& given : list.split(u',')) {
        const QString name = given.trimmed().toLower();
        if (!offered.contains(name))
            throw Refusal{QStringLiteral("%1 offers no field \"%2\" (it offers %3)")
                              .arg(offeredBy, given.trimmed(), offered.join(QStringLiteral(", ")))};
        if (fields.contains(name)) throw Refusal{QStringLiteral("field \"%1\" given twice").arg(name)};
        fields.append(name);
    }
    return fields;
}

QString singleArgument(const QCommandLineParser& parser, const char* what) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        throw WrongUsage{QStringLiteral("give exactly one %1").arg(QString::fromLatin1(what))};
    return positional.first();
}

QString requiredValue(const QCommandLineParser& parser, const QString& option) {
    if (!parser.isSet(option)) throw WrongUsage{QStringLiteral("--%1 is missing").arg(option)};
    return parser.value(option);
}

// ---- appending to a file, as the editor appends to the document and saves it ----------------------

struct FileToAppend {
    QString path;
    QByteArray bytes; // the file as it is (empty for a file that does not exist yet)
    document::LoadedDocument document;
};

FileToAppend openForAppending(const QString& path, Io& io) {
    FileToAppend file{path, {}, {}};
    if (!QFileInfo::exists(path)) return file; // a new document: CP932 with CR LF
    file.bytes = text::readFileBytes(path);
    file.document = document::decodeDocument(file.bytes);
    if (const QString warning = document::openWarning(path, file.document); !warning.isEmpty())
        io.warn(warning + u'\n');
    return file;
}

// Writes the lines after the file's last line in its own encoding and line breaks, keeping every
// byte before them; with `utf8`, a file whose encoding cannot hold them is written whole as UTF-8, as
// the editor's save offers. Returns the entry count of the file written.
int writeAppended(FileToAppend& file, const QStringList& lines, bool utf8) {
    const document::AppendedFile appended = document::appendToFile(file.bytes, file.document, lines, utf8);
    if (!appended.bytes.ok())
        throw Refusal{
            QStringLiteral("%1: the file's encoding cannot hold %2 (--utf8 writes the file as UTF-8)")
                .arg(file.path, appended.bytes.unencodable)};
    text::writeFileBytes(file.path, appended.bytes.bytes);
    return entry::countEntries(appended.text);
}

// What a failure says here: in English with its reason where the failure gives that wording, else the
// window's message with its final period.
QString failureMessage(const base::Failure& failure) {
    return failure.english().isEmpty() ? base::withFinalPeriod(failure.message()) : failure.english();
}

// ---- the commands -------------------------------------------------------------------------------------

int count(const QCommandLineParser& parser, Io& io) {
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) throw WrongUsage{QStringLiteral("give at least one FILE")};
    int exit = kDone;
    for (const QString& file : files) {
        try {
            io.print(QStringLiteral("%1: %2\n")
                         .arg(file)
                         .arg(entry::countEntries(document::loadDocumentFile(file).text)));
        } catch (const base::Failure& failure) {
            io.warn(failureMessage(failure) + u'\n');
            exit = kFileError;
        }
    }
    return exit;
}

const QCommandLineOption
    kNoNotes(QStringLiteral("no-notes"),
             QStringLiteral("leaves out the notes (what BibTeX accepts but is likely a slip)"));

void declareCheck(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("a bibliography file"),
                                 QStringLiteral("FILE..."));
    parser.addOption(kNoNotes);
}

// Exit code 1 when a file has an error, 3 when one cannot be read (the other files are checked all the same).
int check(const QCommandLineParser& parser, Io& io) {
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) throw WrongUsage{QStringLiteral("give at least one FILE")};
    int exit = kDone;
    for (const QString& file : files) {
        try {
            const document::LoadedDocument document = document::loadDocumentFile(file);
            bibtex::CheckOptions options;
            options.encoding = document.format.text.encoding;
            options.finalLineBreak =
                bibtex::finalLineBreak(document.text, document.format.text, document.lineEnds);
            options.notes = !parser.isSet(kNoNotes);
            QString report;
            for (const bibtex::Finding& finding : bibtex::checkText(document.text, options)) {
                report += QStringLiteral("%1:%2: %3: %4\n")
                              .arg(file)
                              .arg(finding.line)
                              .arg(bibtex::severityName(finding.severity), bibtex::englishMessage(finding));
                if (finding.severity == bibtex::Severity::Error && exit == kDone) exit = kRefused;
            }
            io.print(report);
        } catch (const base::Failure& failure) {
            io.warn(failureMessage(failure) + u'\n');
            exit = kFileError;
        }
    }
    return exit;
}

void declareAdd(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("the file to append to; created (CP932, CR LF) if missing"));
    parser.addOption({QStringLiteral("category"), kCategoryHelp, QStringLiteral("C")});
    parser.addOption({QStringLiteral("label"), QStringLiteral("the entry label"), QStringLiteral("LABEL")});
    for (const QString& field : csv::bibtexFieldNames())
        parser.addOption(
            {field, QStringLiteral("the value of field %1").arg(field), QStringLiteral("VALUE")});
    parser.addOption(
        {QStringLiteral("utf8"),
         QStringLiteral("write the whole file as UTF-8 when its encoding cannot hold the entry")});
}

// The form's input of `given`, or the refusal that names what is wrong by option.
entry::EntryInput checkedInput(const entry::EntryByFields& given) {
    const int category = given.input.category;
    const QString named =
        QStringLiteral("category %1 (%2)")
            .arg(QString::number(category), QLatin1String(entry::category(category).entryType));
    switch (given.refusal) {
    case entry::FieldsRefusal::None:
        break;
    case entry::FieldsRefusal::NoSuchField:
        throw Refusal{QStringLiteral("%1 has no field %2").arg(named, given.fields.value(0))};
    case entry::FieldsRefusal::SameInput:
        throw Refusal{QStringLiteral("--%1 and --%2 write the same input; give one of them")
                          .arg(given.fields.value(0), given.fields.value(1))};
    case entry::FieldsRefusal::Missing: {
        QStringList missing;
        for (const QStringList& names : given.missing)
            missing << (names.isEmpty()     ? QStringLiteral("--label")
                        : names.size() == 1 ? QStringLiteral("--") + names[0]
                                            : QStringLiteral("--%1 (or --%2)").arg(names[0], names[1]));
        throw Refusal{QStringLiteral("%1 needs %2").arg(named, missing.join(QStringLiteral(", ")))};
    }
    }
    return given.input;
}

// The --FIELD options given, in the order of the field names.
QList<entry::FieldValue> givenFields(const QCommandLineParser& parser) {
    QList<entry::FieldValue> fields;
    for (const QString& field : csv::bibtexFieldNames())
        if (parser.isSet(field)) fields.append({field, parser.value(field)});
    return fields;
}

// The form's input for the options given, or the refusal that names what is wrong by option.
entry::EntryInput entryInput(const QCommandLineParser& parser) {
    const int category = parseCategory(requiredValue(parser, QStringLiteral("category")));
    const QString label = requiredValue(parser, QStringLiteral("label"));
    return checkedInput(entry::entryByFields(category, label, givenFields(parser)));
}

int add(const QCommandLineParser& parser, Io& io) {
    const QString path = singleArgument(parser, "FILE");
    const entry::EntryInput input = entryInput(parser);
    FileToAppend file = openForAppending(path, io);
    if (entry::labelInUse(file.document.text, input.slotTexts[1])) throw Refusal{entry::kLabelInUseMessage};
    const int entries = writeAppended(file, entry::formatEntry(input), parser.isSet(QStringLiteral("utf8")));
    io.print(QStringLiteral("%1: %2\n").arg(path).arg(entries));
    return kDone;
}

void declareEdit(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the file that holds the entry"));
    parser.addOption(
        {QStringLiteral("label"),
         QStringLiteral("the label of the entry to change (A-Z compared without regard to case)"),
         QStringLiteral("LABEL")});
    parser.addOption(
        {QStringLiteral("new-label"), QStringLiteral("a new label for the entry"), QStringLiteral("NEW")});
    parser.addOption({QStringLiteral("category"), QStringLiteral("a new category: ") + kCategoryHelp,
                      QStringLiteral("C")});
    for (const QString& field : csv::bibtexFieldNames())
        parser.addOption(
            {field, QStringLiteral("the new value of field %1").arg(field), QStringLiteral("VALUE")});
    parser.addOption({QStringLiteral("remove"),
                      QStringLiteral("empties the input of FIELD, so that the field goes (may be repeated)"),
                      QStringLiteral("FIELD")});
    parser.addOption(
        {QStringLiteral("utf8"),
         QStringLiteral("write the whole file as UTF-8 when its encoding cannot hold the new values")});
}

// The entry labelled --label, changed as the entry form changes it when its slots hold what the options
// say; the file is written only when the entry's text changes.
int edit(const QCommandLineParser& parser, Io& io) {
    const QString path = singleArgument(parser, "FILE");
    const QString label = requiredValue(parser, QStringLiteral("label"));
    // -1: the entry's own.
    const int newCategory = parser.isSet(QStringLiteral("category"))
                                ? parseCategory(parser.value(QStringLiteral("category")))
                                : -1;
    const QStringList removed = parser.values(QStringLiteral("remove"));
    for (const QString& field : removed) {
        if (!csv::bibtexFieldNames().contains(field))
            throw WrongUsage{QStringLiteral("--remove names no field \"%1\"").arg(field)};
        // Which of the two was meant is not for the command to guess.
        if (parser.isSet(field))
            throw WrongUsage{QStringLiteral("--%1 and --remove %1 contradict each other").arg(field)};
    }

    const QByteArray bytes = text::readFileBytes(path);
    const document::LoadedDocument document = document::decodeDocument(bytes);
    if (const QString warning = document::openWarning(path, document); !warning.isEmpty())
        io.warn(warning + u'\n');
    const QString& text = document.text;
    const entry::EntrySpan span = entry::entryOfLabel(text, label);
    if (!span.found()) throw Refusal{QStringLiteral("%1: no entry has the label \"%2\"").arg(path, label)};
    const qsizetype position = span.position;
    const QString entryText = text.sliced(position, span.length);
    const entry::EntryText entry = entry::readEntry(entryText);
    // Said in English as check says it: the window's wording names its own menu.
    if (entry.problem == entry::EntryProblem::OtherType)
        throw Refusal{
            QStringLiteral("%1:%2: the type @%3 is none of the thirteen categories; the entry cannot "
                           "be changed")
                .arg(path, QString::number(span.lines.first + 1), entry.type)};
    if (entry.problem != entry::EntryProblem::None) {
        const std::optional<bibtex::Finding> error = entry::entryError(entryText);
        throw Refusal{
            error ? QStringLiteral("%1:%2: error: %3; the entry can be changed once that is mended")
                        .arg(path, QString::number(span.lines.first + error->line),
                             bibtex::englishMessage(*error))
                  : QStringLiteral(
                        "%1: the entry labelled \"%2\" cannot be changed (lorvane-cli check says why)")
                        .arg(path, label)};
    }

    // The form as it opens on the entry, in the category asked for, then what the options put in its slots.
    const QMap<QString, QString> values = entry::fieldValues(entry);
    const QString newLabel =
        parser.isSet(QStringLiteral("new-label")) ? parser.value(QStringLiteral("new-label")) : entry.label;
    QList<entry::FieldValue> fields = givenFields(parser);
    for (const QString& field : removed)
        if (values.contains(field)) fields.append({field, QString()}); // one the entry lacks goes already
    const entry::EntryInput input = checkedInput(entry::withFields(
        entry::inputShowing(newCategory >= 0 ? newCategory : entry.category, newLabel, values), fields));

    if (entry::labelRefused(newLabel, entry.label,
                            [&](const QString& l) { return entry::labelInUse(text, l); }))
        throw Refusal{entry::kLabelInUseMessage};
    QList<text::TextEdit> edits = entry::entryEdits(entryText, entry, input);
    if (edits.isEmpty()) {
        io.print(QStringLiteral("%1: %2 unchanged\n").arg(path, entry.label));
        return kDone;
    }
    for (text::TextEdit& e : edits)
        e.position += position;
    const document::EditedFile edited =
        document::editFile(bytes, document, edits, parser.isSet(QStringLiteral("utf8")));
    if (!edited.bytes.ok())
        throw Refusal{
            QStringLiteral("%1: the file's encoding cannot hold %2 (--utf8 writes the file as UTF-8)")
                .arg(path, edited.bytes.unencodable)};
    text::writeFileBytes(path, edited.bytes.bytes);
    io.print(QStringLiteral("%1: %2 changed\n").arg(path, newLabel));
    return kDone;
}

void declareExport(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the bibliography to export"));
    parser.addOption({QStringLiteral("fields"),
                      QStringLiteral("the columns, field names separated by commas (%1)")
                          .arg(csv::bibtexFieldNames().join(QStringLiteral(", "))),
                      QStringLiteral("F1,F2,...")});
    parser.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                      QStringLiteral("the CSV file to write; by default FILE with the extension .Csv, as the "
                                     "export dialog proposes; - writes to standard output"),
                      QStringLiteral("OUT")});
}

int exportCsv(const QCommandLineParser& parser, Io& io) {
    const QString path = singleArgument(parser, "FILE");
    const QStringList fields = parseFieldList(requiredValue(parser, QStringLiteral("fields")),
                                              csv::bibtexFieldNames(), QStringLiteral("the export"));
    if (fields.isEmpty()) throw Refusal{QStringLiteral("--fields names no field")};
    // The file's own name is never the untitled document's.
    const QString out = parser.isSet(QStringLiteral("o")) ? parser.value(QStringLiteral("o"))
                                                          : csv::proposedCsvName(path, QString(), QString());
    if (out != u"-" && csv::isSameFile(out, path)) throw Refusal{csv::exportOntoDocumentMessage(out)};
    const document::LoadedDocument document = document::loadDocumentFile(path);
    const csv::CsvFile csvFile = csv::exportCsv(document.text, document.format.text, fields);
    if (out == u"-") {
        io.printBytes(csvFile.bytes);
    } else {
        text::writeFileBytes(out, csvFile.bytes);
        io.print(QStringLiteral("%1: %2\n").arg(out).arg(entry::countEntries(document.text)));
    }
    if (!csvFile.unencodable.isEmpty()) io.warn(csv::exportDoneMessage(csvFile) + u'\n');
    return kDone;
}

void declareImport(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("CSV"),
                                 QStringLiteral("the CSV file; every non-blank line becomes an entry"));
    parser.addOption({QStringLiteral("category"), kCategoryHelp, QStringLiteral("C")});
    parser.addOption({QStringLiteral("fields"),
                      QStringLiteral("the field of each column, in column order, separated by commas; the "
                                     "category's own fields only; every column needs one"),
                      QStringLiteral("F1,F2,...")});
    parser.addOption({QStringLiteral("labels"),
                      QStringLiteral("the entry labels: manual (none, to type in later), auto (ref1, ref2, "
                                     "...) or column (the first column)"),
                      QStringLiteral("MODE"), QStringLiteral("manual")});
    parser.addOption(
        {QStringLiteral("to"),
         QStringLiteral("append the entries to FILE (created if missing) instead of writing them "
                        "to standard output in CP932 with CR LF"),
         QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("utf8"),
                      QStringLiteral("write UTF-8 when the encoding of the output cannot hold the entries")});
}

csv::LabelMode parseLabelMode(const QString& text) {
    if (text == u"manual") return csv::LabelMode::Manual;
    if (text == u"auto") return csv::LabelMode::Automatic;
    if (text == u"column") return csv::LabelMode::Inserted;
    throw WrongUsage{QStringLiteral("--labels is manual, auto or column, not \"%1\"").arg(text)};
}

int importCsv(const QCommandLineParser& parser, Io& io) {
    const QString csvPath = singleArgument(parser, "CSV");
    const int category = parseCategory(requiredValue(parser, QStringLiteral("category")));
    const QString fieldList = requiredValue(parser, QStringLiteral("fields"));
    const csv::LabelMode mode = parseLabelMode(parser.value(QStringLiteral("labels")));
    const QStringList fields = parseFieldList(
        fieldList, csv::offeredFields(category),
        QStringLiteral("category %1 (%2)")
            .arg(QString::number(category), QLatin1String(entry::category(category).entryType)));
    const csv::CsvTable table = csv::readCsvTable(text::readTextFile(csvPath).text);
    if (!csv::importAllowed(mode, int(fields.size()), table.columnCount)) {
        throw Refusal{QStringLiteral("%1 has %2 columns%3: --fields must name at least %4 fields, not %5")
                          .arg(csvPath, QString::number(table.columnCount),
                               mode == csv::LabelMode::Inserted
                                   ? QStringLiteral(" (the first holds the labels)")
                                   : QString(),
                               QString::number(csv::columnsToMap(mode, table.columnCount)),
                               QString::number(fields.size()))};
    }
    const QStringList lines = csv::importEntryLines(table, category, fields, mode);
    const bool utf8 = parser.isSet(QStringLiteral("utf8"));
    if (parser.isSet(QStringLiteral("to"))) {
        const QString path = parser.value(QStringLiteral("to"));
        FileToAppend file = openForAppending(path, io);
        const int entries = writeAppended(file, lines, utf8);
        io.print(QStringLiteral("%1: %2\n").arg(path).arg(entries));
        return kDone;
    }
    const QString entries = document::textToAppend(lines, false);
    document::DocumentFormat format;
    text::EncodedText encoded = document::encodeDocument(entries, format);
    if (!encoded.ok()) {
        if (!utf8)
            throw Refusal{
                QStringLiteral("Shift-JIS cannot hold %1 (--utf8 writes UTF-8)").arg(encoded.unencodable)};
        encoded = document::encodeDocument(entries, document::asUtf8(format));
    }
    io.printBytes(encoded.bytes);
    return kDone;
}

struct Command {
    const char* name;
    const char* synopsis;
    const char* description;
    void (*declare)(QCommandLineParser&);
    int (*run)(const QCommandLineParser&, Io&);
};

void declareCount(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("a bibliography file"),
                                 QStringLiteral("FILE..."));
}

const Command kCommands[] = {
    {"count", "count FILE...",
     "Prints one line per FILE, in argument order, with its entry count as the editor's status bar counts it "
     "(\"FILE: N\").",
     declareCount, count},
    {"add", "add FILE --category C --label LABEL [--FIELD VALUE]...",
     "Appends one entry exactly as the entry form writes it, after the form's label check. --FIELD is one of "
     "the category's fields; in a choice pair either name selects the option (--editor on a book writes "
     "editor instead of author). The entry is written in the file's own encoding and line breaks; the bytes "
     "before it are kept. Prints \"FILE: N\" with the new entry count.",
     declareAdd, add},
    {"edit",
     "edit FILE --label LABEL [--FIELD VALUE]... [--remove FIELD]... [--category C] [--new-label NEW]",
     "Changes the entry labelled LABEL (A-Z compared without regard to case; the first, as BibTeX reads the "
     "file, whose label it is: any entry 文献の修正 reaches in the editor, in braces or parentheses) exactly "
     "as "
     "the entry form's 文献の修正 does when its slots hold "
     "the entry's values with the options' changes: --FIELD writes a field's new value (in a choice pair "
     "it selects the option), --remove empties one, --category gives the entry another category (the type "
     "word of its head changes), --new-label another label, checked as the form checks it. Only what changed "
     "is written, as the form writes it; every other byte of the file stays, and the file keeps its "
     "encoding and line breaks. It is written only when the entry changed. Prints \"FILE: LABEL changed\" or "
     "\"FILE: LABEL unchanged\". Exit code 1 when no entry has the label, the new label is in use, the "
     "entry has an error, its type is none of the categories or a required field would be empty.",
     declareEdit, edit},
    {"export", "export FILE --fields F1,F2,... [-o OUT]",
     "Writes the CSV file that the export dialog writes: a heading line of the field names, then one line "
     "per "
     "entry. It is CP932 for a CP932 file, UTF-8 with a byte-order mark otherwise or when a value needs it, "
     "with CR LF. Prints \"OUT: N\" with the number of entries.",
     declareExport, exportCsv},
    {"import", "import CSV --category C --fields F1,F2,... [--labels manual|auto|column] [--to FILE]",
     "Makes the entries that the import dialog makes, one per non-blank line of CSV (it has no heading "
     "line), and appends them to FILE or writes them to standard output.",
     declareImport, importCsv},
    {"check", "check [--no-notes] FILE...",
     "Reads each FILE as BibTeX reads a database and prints one finding a line, \"FILE:LINE: "
     "error|warning|note: "
     "MESSAGE\": errors are what BibTeX rejects (it skips the rest of the entry), warnings what the standard "
     "Japanese style warns about, notes what BibTeX accepts but is likely a slip. Exit code 0 without "
     "errors, 1 "
     "with one, 3 when a file cannot be read.",
     declareCheck, check},
};

// Every command's options, the help option among them; run() parses with these.
const QCommandLineOption kHelpOption({QStringLiteral("h"), QStringLiteral("help")},
                                     QStringLiteral("Displays help on this command."));
void declareCommand(const Command& command, QCommandLineParser& parser) {
    parser.setApplicationDescription(QString::fromUtf8(command.description));
    command.declare(parser);
    parser.addOption(kHelpOption);
}

// The words shell completion offers, one list a line: "commands" and the commands, a line of options per
// command ("add --category ..."), "categories" (indices and entry types), "fields" (the field names) and
// "labels" (the --labels modes). The build writes the bash completion from them, so it offers what this
// program accepts.
QString completionWords() {
    QStringList commands, lines;
    for (const Command& c : kCommands) {
        commands << QLatin1String(c.name);
        QCommandLineParser parser;
        declareCommand(c, parser);
        // Qt's help lists each option on a line of its own indented by two spaces: "  -o, --output <OUT>".
        static const QRegularExpression optionLine(QStringLiteral("^  (-\\w)?(?:, )?(--[\\w-]+)?"),
                                                   QRegularExpression::MultilineOption);
        QStringList options;
        for (auto it = optionLine.globalMatch(parser.helpText()); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            for (int group : {1, 2})
                if (m.hasCaptured(group)) options << m.captured(group);
        }
        lines << QLatin1String(c.name) + u' ' + options.join(u' ');
    }
    QStringList categories;
    for (int i = 0; i < entry::kCategoryCount; ++i)
        categories << QString::number(i);
    for (const entry::Category& c : entry::categories())
        categories << QLatin1String(c.entryType);
    lines.prepend(QStringLiteral("commands ") + commands.join(u' '));
    lines << QStringLiteral("categories ") + categories.join(u' ')
          << QStringLiteral("fields ") + csv::bibtexFieldNames().join(u' ')
          << QStringLiteral("labels manual auto column");
    return lines.join(u'\n') + u'\n';
}

QString commandHelp(const Command& command, const QCommandLineParser& parser) {
    // Qt's help text begins with a usage line naming the executable the tests or the tool run as.
    QString options = parser.helpText();
    options = options.mid(options.indexOf(u'\n') + 1);
    return QStringLiteral("usage: lorvane-cli %1\n").arg(QLatin1String(command.synopsis)) + options;
}

} // namespace

int run(const QStringList& arguments, QIODevice& out, QIODevice& err) {
    Io io(out, err);
    const QString name = arguments.value(0);
    if (name == u"--help" || name == u"-h" || name == u"help") {
        io.print(kOverview);
        return kDone;
    }
    if (name == u"--version") {
        io.print(QStringLiteral("lorvane-cli ") + base::kVersion + u'\n');
        return kDone;
    }
    // Not in the help: what the build reads to write the shell completion.
    if (name == u"--completion-words") {
        io.print(completionWords());
        return kDone;
    }
    const Command* command = nullptr;
    for (const Command& c : kCommands)
        if (name == QLatin1String(c.name)) command = &c;
    if (!command) {
        if (!name.isEmpty()) io.warn(QStringLiteral("unknown command \"%1\"\n").arg(name));
        io.warn(kOverview);
        return kWrongUsage;
    }

    QCommandLineParser parser;
    declareCommand(*command, parser);
    try {
        if (!parser.parse(QStringList{QStringLiteral("lorvane-cli")} + arguments.mid(1)))
            throw WrongUsage{parser.errorText()};
        if (parser.isSet(kHelpOption)) {
            io.print(commandHelp(*command, parser));
            return kDone;
        }
        const int code = command->run(parser, io);
        if (io.outputFailed()) throw base::Failure(outputFailedMessage());
        return code;
    } catch (const WrongUsage& usage) {
        io.warn(usage.message + u'\n' + commandHelp(*command, parser));
        return kWrongUsage;
    } catch (const Refusal& refusal) {
        io.warn(refusal.message + u'\n');
        return kRefused;
    } catch (const base::Failure& failure) {
        io.warn(failureMessage(failure) + u'\n');
        return kFileError;
    } catch (const std::exception& error) { // a file too large for memory, say
        io.warn(QString::fromLocal8Bit(error.what()) + u'\n');
        return kFileError;
    }
}

} // namespace cli
