#pragma once
// FindDialog1 and ReplaceDialog1: the modeless find and replace dialogs. They stand beside the main
// window until closed, keep their texts between showings, and only say which button was pressed; the
// main window does the searching.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace app {

class SearchDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Find, Replace };
    // Which button the last request came from; the replace handler tests ReplaceFlag first.
    enum Option { FindNextFlag = 1, ReplaceFlag = 2, ReplaceAllFlag = 4 };

    SearchDialog(Kind kind, QWidget* mainWindow);

    QString findText() const;
    QString replaceText() const;
    int options() const { return options_; }
    // The buttons that change the text (置換, すべて置換); none in the find dialog.
    QList<QWidget*> changeButtons() const { return changeButtons_; }
    // Shows the dialog, or brings it back to the front, with the find edit focused. The first showing
    // places it beside the main window; later ones leave it where the user put it.
    void showBeside();

Q_SIGNALS:
    void findRequested();
    void replaceRequested();

private:
    void request(int option);
    void placeBeside();

    Kind kind_;
    QLineEdit* findEdit_ = nullptr;
    QLineEdit* replaceEdit_ = nullptr;
    QList<QWidget*> changeButtons_;
    int options_ = 0;
    bool placed_ = false;
};

} // namespace app
