#pragma once
// Keeps the number of entry heads of the editor's document up to date without rescanning it: every
// line that is an entry head carries a mark, and a change re-examines only the lines it touched. A
// mark removes itself from the count when its line goes away.
#include <QObject>
#include <QString>
#include <memory>

class QTextDocument;

namespace app {

class DocumentCounter : public QObject {
    Q_OBJECT
public:
    explicit DocumentCounter(QTextDocument* document);
    ~DocumentCounter() override;

    int count() const { return *count_; }

    // Replaces the whole text through `setText` (which must set exactly `text`); the marks come from
    // one pass over the plain text instead of a walk over every line of the document.
    template <typename SetText>
    void replaceText(const QString& text, SetText&& setText) {
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
    std::shared_ptr<int> count_;
    bool suspended_ = false;
};

} // namespace app
