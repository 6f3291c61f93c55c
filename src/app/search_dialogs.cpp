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
        QPushButton* replaceOne = addButton(buttons, "ReplaceButton", QStringLiteral("置換(&R)"));
        connect(replaceOne, &QPushButton::clicked, this, [this] { request(ReplaceFlag); });
        QPushButton* replaceAll = addButton(buttons, "ReplaceAllButton", QStringLiteral("すべて置換(&A)"));
        connect(replaceAll, &QPushButton::clicked, this, [this] { request(ReplaceAllFlag); });
        changeButtons_ = {replaceOne, replaceAll};
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
    const QRect m = main->frameGeometry();
    // The frame of a window not shown yet is unknown; allow for a title bar's worth.
    const QSize size = this->size() + QSize(kGap, 4 * kGap);
    // Beside the main window where the screen has room: right, left, below, above. The find dialog takes
    // the top or left end of each side and the replace dialog the other, so both can stay open in view.
    const bool first = kind_ == Kind::Find;
    const int top = first ? m.top() : m.bottom() - size.height();
    const int left = first ? m.left() : m.right() - size.width();
    const QPoint places[] = {
        {m.right() + kGap, top},
        {m.left() - kGap - size.width(), top},
        first ? QPoint(left, m.bottom() + kGap) : QPoint(left, m.top() - kGap - size.height()),
        first ? QPoint(left, m.top() - kGap - size.height()) : QPoint(left, m.bottom() + kGap),
    };
    for (const QPoint& place : places) {
        if (screen.contains(QRect(place, size))) {
            move(place);
            return;
        }
    }
    // No room anywhere: over the main window's right edge, as far from its text as the screen allows.
    move(std::max(screen.left(), screen.right() - size.width()),
         std::clamp(top, screen.top(), std::max(screen.top(), screen.bottom() - size.height())));
}

} // namespace app
