#pragma once
// The completion of 文献へ移動: the labels of the document that hold what was typed, those that begin with
// it first, each group in order, A-Z and a-z alike (as the label check compares labels).
#include <QList>
#include <QString>
#include <QStringList>

namespace app {

class LabelMatches {
public:
    // `labelKeys` as the index keeps them: "{" + label + "," with A-Z lower-cased.
    void setLabelKeys(QStringList labelKeys);
    // At most `most` labels. A text that holds the previous one is looked for among that one's matches only,
    // so typing on stays quick over a hundred thousand labels.
    QStringList matches(const QString& typed, int most);

private:
    QStringList keys_;
    QString lastTyped_;
    QList<int> lastMatches_; // indices into keys_ of the labels that hold lastTyped_
    bool haveLast_ = false;
};

} // namespace app
