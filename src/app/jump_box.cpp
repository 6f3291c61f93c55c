#include "app/jump_box.h"

#include "base/fonts.h"
#include "ui/form_setup.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>

namespace app {

JumpBox::JumpBox(QWidget* mainWindow) : QDialog(mainWindow) {
    setObjectName(QStringLiteral("JumpDialog1"));
    setWindowTitle(QStringLiteral("文献へ移動"));
    setFont(base::windowFont());
    setModal(false);

    auto* label = new QLabel(QStringLiteral("文献ラベル(&L):"));
    label->setObjectName(QStringLiteral("JumpLabel"));
    edit_ = new QLineEdit;
    edit_->setObjectName(QStringLiteral("JumpLabelEdit"));
    edit_->setMinimumWidth(200);
    label->setBuddy(edit_);
    auto* jump = new QPushButton(QStringLiteral("移動(&J)"));
    jump->setObjectName(QStringLiteral("JumpButton"));
    // Enter in the line is the one way a jump is asked for (returnPressed); no button is the default.
    jump->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"));
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setAutoDefault(false);

    // The pop-up offers what offer() found, as it is: the completer filters nothing and never writes
    // into the line by itself.
    model_ = new QStringListModel(this);
    completer_ = new QCompleter(model_, this);
    completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->setMaxVisibleItems(12);
    completer_->setWidget(edit_);
    ui::passClicksBesideCompletion(completer_); // 移動 and キャンセル take a click while the list is open
    connect(completer_, qOverload<const QString&>(&QCompleter::activated), edit_, &QLineEdit::setText);
    connect(edit_, &QLineEdit::textEdited, this, &JumpBox::offer);
    connect(jump, &QPushButton::clicked, this, &JumpBox::jumpRequested);
    // The line sees Enter before the pop-up does: a label picked in the list goes into the line first.
    connect(edit_, &QLineEdit::returnPressed, this, [this] {
        const QModelIndex picked = completer_->popup()->currentIndex();
        if (completer_->popup()->isVisible() && picked.isValid()) edit_->setText(picked.data().toString());
        completer_->popup()->hide();
        Q_EMIT jumpRequested();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QHBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->addWidget(jump);
    layout->addWidget(cancel);
}

void JumpBox::showWith(std::function<const document::HeadLabels&()> labels) {
    labels_ = std::move(labels);
    edit_->clear();
    model_->setStringList({});
    show();
    raise();
    activateWindow();
    edit_->setFocus();
}

void JumpBox::refocus() {
    raise();
    activateWindow();
    edit_->setFocus();
    edit_->selectAll();
}

QString JumpBox::label() const {
    return edit_->text();
}

QStringList JumpBox::offered() const {
    return model_->stringList();
}

void JumpBox::offer(const QString& typed) {
    const QStringList found =
        labels_ ? document::labelMatches(labels_(), typed, kMostOffered) : QStringList();
    model_->setStringList(found);
    if (found.isEmpty())
        completer_->popup()->hide();
    else
        completer_->complete();
}

} // namespace app
