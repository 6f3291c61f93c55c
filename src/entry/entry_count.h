#pragma once
// Recognising entry heads: a line counts when, with A-Z lower-cased and every space (code 32) deleted,
// it begins with one of the thirteen heads. The status bar count and the CSV export share this rule.
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace entry {

// The thirteen heads in the order they are tried.
const QStringList& entryHeads();
bool isEntryHeadLine(QStringView line);
// Lines are separated by '\n'.
int countEntries(QStringView text);
// 0-based numbers of the lines that are entry heads.
QList<int> entryHeadLineNumbers(QStringView text);
// "文献数： " + count + "件".
QString entryCountText(int count);
// Whether "{" + label + "," occurs anywhere in the text, A-Z and a-z matched alike.
bool labelInUse(QStringView documentText, QStringView label);

} // namespace entry
