#include "app/search_dialogs.h"

#include "base/fonts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace app {

namespace {

constexpr int kEditWidth = 200;
constexpr int kGap = 8;

QPushButton* addButton(QVBoxLayout* column, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    column->addWidget(button);
    return button;
}

} // namespace

SearchDialog::SearchDialog(Kind kind, QWidget* mainWindow) : QDialog(mainWindow), kind_(kind) {
    const bool replace = kind == Kind::Replace;
    setObjectName(replace ? QStringLiteral("ReplaceDialog1") : QStringLiteral("FindDialog1"));
    setWindowTitle(replace ? QStringLiteral("置換") : QStringLiteral("検索"));
    setFont(base::windowFont());
    setModal(false);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(kGap);
    const auto addField = [&](int row, const char* labelName, const char* editName, const QString& caption) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QString::fromLatin1(editName));
        edit->setMinimumWidth(kEditWidth);
        auto* label = new QLabel(caption);
        label->setObjectName(QString::fromLatin1(labelName));
        label->setBuddy(edit);
        fields->addWidget(label, row, 0);
        fields->addWidget(edit, row, 1);
        return edit;
    };
    findEdit_ = addField(0, "FindTextLabel", "FindTextEdit", QStringLiteral("検索する文字列(&N):"));
    if (replace)
        replaceEdit_ =
            addField(1, "ReplaceTextLabel", "ReplaceTextEdit", QStringLiteral("置換後の文字列(&P):"));
    fields->setRowStretch(fields->rowCount(), 1);

    auto* buttons = new QVBoxLayout;
    QPushButton* findNext = addButton(buttons, "FindNextButton", QStringLiteral("次を検索(&F)"));
    findNext->setDefault(true);
    connect(findNext, &QPushButton::clicked, this, [this] { request(FindNextFlag); });
    if (replace) {
        connect(addButton(buttons, "ReplaceButton", QStringLiteral("置換(&R)")), &QPushButton::clicked, this,
                [this] { request(ReplaceFlag); });
        connect(addButton(buttons, "ReplaceAllButton", QStringLiteral("すべて置換(&A)")),
                &QPushButton::clicked, this, [this] { request(ReplaceAllFlag); });
    }
    // Escape closes the dialog as this button does; the texts stay for the next showing.
    connect(addButton(buttons, "CancelButton", QStringLiteral("キャンセル")), &QPushButton::clicked, this,
            &QDialog::reject);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setSpacing(kGap * 2);
    layout->addLayout(fields);
    layout->addLayout(buttons);
}

QString SearchDialog::findText() const {
    return findEdit_->text();
}

QString SearchDialog::replaceText() const {
    return replaceEdit_ ? replaceEdit_->text() : QString();
}

void SearchDialog::request(int option) {
    options_ = option;
    if (option == FindNextFlag)
        Q_EMIT findRequested();
    else
        Q_EMIT replaceRequested();
}

void SearchDialog::showBeside() {
    if (!placed_) {
        placed_ = true;
        placeBeside();
    }
    if (isVisible()) raise();
    show();
    activateWindow();
    findEdit_->setFocus();
    findEdit_->selectAll();
}

void SearchDialog::placeBeside() {
    const QWidget* main = parentWidget();
    if (!main || !main->screen()) return;
    adjustSize();
    const QRect screen = main->screen()->availableGeometry();
    const QRect frame = main->frameGeometry();
    // The frame of a window not shown yet is unknown; allow for a title bar's worth.
    const QSize size = this->size() + QSize(kGap, 4 * kGap);
    // Right of the main window if there is room, else left of it, else over its right edge; the replace
    // dialog below the find dialog's place, so that both can stay open side by side.
    int x = frame.right() + 1 + kGap;
    if (x + size.width() > screen.right()) {
        x = frame.left() - kGap - size.width();
        if (x < screen.left()) x = screen.right() - size.width();
    }
    const int y = frame.top() + (kind_ == Kind::Replace ? frame.height() / 3 : 0);
    move(std::max(x, screen.left()),
         std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() - size.height())));
}

} // namespace app
