#pragma once
// The labels of a text's entry heads as written, from scratch: for every head line (entry::isEntryHeadLine)
// that has one, what stands between its first "{" and the first "," after it, in the order of the lines.
#include <QString>
#include <QStringList>

namespace oracle {

QStringList headLabelsAsWritten(const QString& text);

} // namespace oracle
