#pragma once
// JumpDialog1, the box of 文献へ移動: a line for an entry's label that completes from the labels of the
// document in a pop-up list. It only says that Enter was pressed; the main window does the moving. Made
// at its first showing, then only hidden.
#include "document/label_matches.h"

#include <QDialog>
#include <functional>

class QCompleter;
class QLineEdit;
class QStringListModel;

namespace app {

class JumpBox : public QDialog {
    Q_OBJECT
public:
    explicit JumpBox(QWidget* mainWindow);

    // Shows the box with the line emptied; the completion offers the labels `labels` gives at each
    // keystroke (the document's, as they are then), as they are written.
    void showWith(std::function<const document::HeadLabels&()> labels);
    QString label() const;
    // Back to the front with the line's text selected, after a message about it.
    void refocus();
    // The labels the pop-up list offers now, in order.
    QStringList offered() const;
    // At most this many labels are offered.
    static constexpr int kMostOffered = 100;

Q_SIGNALS:
    void jumpRequested();

private:
    void offer(const QString& typed);

    QLineEdit* edit_ = nullptr;
    QCompleter* completer_ = nullptr;
    QStringListModel* model_ = nullptr;
    std::function<const document::HeadLabels&()> labels_;
};

} // namespace app
