#include "cli/cli.h"

#include "app/document_file.h"
#include "base/failure.h"
#include "entry/catalogue.h"
#include "entry/entry_count.h"
#include "entry/entry_format.h"
#include "text/text_file.h"

namespace cli {

namespace {

const QString kUsage = QStringLiteral(
    "usage:\n"
    "  lorvane-cli count FILE...\n"
    "      prints the number of entries of each file, counted as the status bar counts them\n"
    "  lorvane-cli add FILE CATEGORY [K=VALUE]... [combo=VALUE] [pairP=2] [--utf8]\n"
    "      appends one entry as the entry form writes it: CATEGORY 0..12, slot K (1..18) holds VALUE\n"
    "      (slot 1 is the label), combo= is the journal or publisher list slot, pairP=2 picks the\n"
    "      second option of choice pair P; refuses a label in use and an entry with a required slot\n"
    "      empty; --utf8 saves as UTF-8 when the file's encoding cannot hold a character\n");

struct Usage {
    QString message;
};

int count(const QStringList& files, QTextStream& out) {
    for (const QString& file : files)
        out << file << ": " << entry::countEntries(app::loadDocumentFile(file).text) << '\n';
    return 0;
}

entry::EntryInput parseEntry(const QStringList& args) {
    entry::EntryInput input;
    bool ok = false;
    input.category = args.value(0).toInt(&ok);
    if (!ok || !entry::isCategoryIndex(input.category)) throw Usage{QStringLiteral("CATEGORY must be 0..12")};
    for (const QString& arg : args.mid(1)) {
        const qsizetype eq = arg.indexOf(u'=');
        if (arg == u"--utf8") continue;
        if (eq < 0) throw Usage{QStringLiteral("not K=VALUE: ") + arg};
        const QString key = arg.left(eq), value = arg.mid(eq + 1);
        const int slot = key.toInt(&ok);
        if (ok && slot >= 1 && slot <= entry::kSlotCount) {
            input.slotTexts[slot] = value;
        } else if (key == u"combo") {
            input.comboBox2 = input.comboBox3 = value;
        } else if (key.startsWith(u"pair") && key.mid(4).toInt() >= 1 &&
                   key.mid(4).toInt() <= entry::kPairCount) {
            input.firstOption[key.mid(4).toInt()] = value != u"2";
        } else {
            throw Usage{QStringLiteral("unknown setting: ") + key};
        }
    }
    return input;
}

int add(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.size() < 2) throw Usage{QStringLiteral("add needs FILE and CATEGORY")};
    const QString file = args[0];
    const entry::EntryInput input = parseEntry(args.mid(1));
    if (!*entry::isComplete(input)) {
        err << "a required slot of the category is empty\n";
        return 1;
    }
    app::LoadedDocument document = app::loadDocumentFile(file);
    if (const QString warning = app::openWarning(file, document); !warning.isEmpty())
        err << QString(warning).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) << '\n';
    if (entry::labelInUse(document.text, input.slotTexts[1])) {
        err << "入力した文献ラベルは既に使われています\n";
        return 1;
    }
    const bool unended = !document.text.isEmpty() && !document.text.endsWith(u'\n');
    document.text += app::textToAppend(entry::formatEntry(input), unended);
    text::EncodedText encoded = app::encodeDocument(document.text, document.format);
    if (!encoded.ok()) {
        if (!args.contains(QStringLiteral("--utf8"))) {
            err << "the file's encoding cannot hold: " << encoded.unencodable
                << " (add --utf8 to save as UTF-8)\n";
            return 1;
        }
        encoded = app::encodeDocument(document.text, app::asUtf8(document.format));
    }
    text::writeFileBytes(file, encoded.bytes);
    out << file << ": " << entry::countEntries(document.text) << '\n';
    return 0;
}

} // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        const QString command = arguments.value(0);
        if (command == u"count" && arguments.size() > 1) return count(arguments.mid(1), out);
        if (command == u"add") return add(arguments.mid(1), out, err);
        throw Usage{};
    } catch (const Usage& usage) {
        if (!usage.message.isEmpty()) err << usage.message << '\n';
        err << kUsage;
        return 2;
    } catch (const base::Failure& failure) {
        err << base::withFinalPeriod(failure.message()) << '\n';
        return 1;
    }
}

} // namespace cli
