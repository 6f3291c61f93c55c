#pragma once
// What the entry form asks of the whole document, kept up to date line by line so that no keystroke
// rescans it: the number of entry heads and the label keys (see entry::labelKeys). Every line with a
// head or a key carries a mark; a change re-examines only the lines it touched, and a mark takes its
// share out of the index when its line goes away.
#include <QHash>
#include <QObject>
#include <QString>
#include <memory>

class QTextDocument;

namespace app {

class DocumentIndex : public QObject {
    Q_OBJECT
public:
    struct Contents {
        int entryCount = 0;
        QHash<QString, int> labelKeys; // key -> number of occurrences
    };

    explicit DocumentIndex(QTextDocument* document);
    ~DocumentIndex() override;

    int entryCount() const { return contents_->entryCount; }
    bool hasLabelKey(const QString& key) const { return contents_->labelKeys.contains(key); }

    // Replaces the whole text through `setText` (which must set exactly `text`); the marks then come
    // from one pass over the plain text instead of a walk over every line of the document.
    template <typename SetText> void replaceText(const QString& text, SetText&& setText) {
        suspended_ = true;
        setText();
        suspended_ = false;
        markAll(text);
    }

private:
    void onContentsChange(int from, int charsRemoved, int charsAdded);
    void markAll(const QString& text);
    void markRange(int from, int to);

    QTextDocument* document_;
    std::shared_ptr<Contents> contents_;
    bool suspended_ = false;
};

} // namespace app
