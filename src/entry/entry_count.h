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
// What the entry form and lorvane-cli say when the label check finds the label.
inline const QString kLabelInUseMessage =
    QStringLiteral("入力した文献ラベルは既に使われています\r\n別のラベルを指定してください");

// The label keys of one line: for every "{", the text from it up to the first "," after it, with A-Z
// lower-cased. A label without "," is in use exactly when "{" + label + "," is a key of some line, so an
// index of the keys answers the label check without reading the whole text.
QStringList labelKeys(QStringView line);
// The key a label is looked up by; empty for a label that holds "," or a line break, which has to be
// searched for in the whole text.
QString labelKey(QStringView label);

} // namespace entry
