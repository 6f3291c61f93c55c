#pragma once
// The completion of 文献へ移動: the labels of the document that hold what was typed, those that begin with it
// first, each group in order, A-Z and a-z alike (as the label check compares labels).
#include <QMap>
#include <QString>
#include <QStringList>

namespace document {

// `labelKeys` as the index keeps them, in order: "{" + label + "," with A-Z lower-cased. At most `most`
// labels: those beginning with the text are one stretch of the keys; the others are looked for in order
// until enough are found.
QStringList labelMatches(const QMap<QString, int>& labelKeys, const QString& typed, int most);

} // namespace document
