#include "entry/user_list.h"

#include "base/app_info.h"
#include "text/ascii.h"
#include "text/line_reader.h"
#include "text/text_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace entry {
namespace {

// The whole line equals `expected` with A-Z and a-z alike; anything before or after prevents it.
bool isMarkerLine(QStringView line, QStringView expected) {
    return line.size() == expected.size() && text::startsWithAsciiCaseless(line, expected);
}

} // namespace

QStringList readSection(QStringView text, QStringView name) {
    const QString begin = QStringLiteral("@begin{").append(name).append(u'}');
    const QString end = QStringLiteral("@end{").append(name).append(u'}');
    QStringList entries;
    text::LineReader reader(text);
    bool inside = false;
    while (!reader.atEnd()) {
        const QStringView line = reader.readLine();
        // Inside a section only its own end line means anything; sections do not nest.
        if (inside) {
            if (isMarkerLine(line, end))
                inside = false;
            else
                entries.append(line.toString());
        } else {
            inside = isMarkerLine(line, begin);
        }
    }
    return entries;
}

QStringList readSectionFromFile(const QString& path, QStringView name) {
    // No list file is an ordinary setting: the lists just stay empty.
    if (!QFileInfo(path).isFile()) return {};
    return readSection(text::readTextFile(path).text, name);
}

QString userListPath(const QString& programDir) {
    if (programDir.endsWith(u'/')) return programDir + QStringLiteral("user.dat");
    return programDir + QStringLiteral("/user.dat");
}

QString findUserList(const QString& configDir, const QString& programDir, const QString& sharedDir) {
    for (const QString& path :
         {userListPath(QDir(configDir).filePath(base::kOrganisationName)), userListPath(programDir)})
        if (QFileInfo(path).isFile()) return path;
    return userListPath(sharedDir);
}

QString findUserList(const QString& programDir) {
    return findUserList(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), programDir,
                        base::kSharedDataDir);
}

} // namespace entry
