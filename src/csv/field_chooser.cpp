#include "csv/field_chooser.h"

#include "ui/form_setup.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace csv {

namespace {

// Where the controls stand, relative to SrcLabel's position (the dialogs place the chooser there).
constexpr int kDstLeft = 184;
constexpr int kListTop = 16;
constexpr QSize kListSize(144, 185);
constexpr int kButtonLeft = 152;
constexpr int kFirstButtonTop = 24;
constexpr int kButtonStep = 32;
constexpr int kButtonSize = 24;

} // namespace

FieldChooser::FieldChooser(const QString& srcCaption, const QString& dstCaption, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("FieldChooser"));
    resize(kDstLeft + kListSize.width(), kListTop + kListSize.height());

    SrcLabel = new QLabel(srcCaption, this);
    SrcLabel->setObjectName(QStringLiteral("SrcLabel"));
    SrcLabel->move(0, 0);
    SrcLabel->adjustSize();
    DstLabel = new QLabel(dstCaption, this);
    DstLabel->setObjectName(QStringLiteral("DstLabel"));
    DstLabel->move(kDstLeft, 0);
    DstLabel->adjustSize();

    auto list = [this](const char* name, int left) {
        auto* l = new QListWidget(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(QRect(QPoint(left, kListTop), kListSize));
        l->setSelectionMode(QAbstractItemView::ExtendedSelection);
        // Enter moves the name instead of reaching the dialog's default button.
        l->installEventFilter(this);
        connect(l, &QListWidget::itemDoubleClicked, this, [this, l] { moveFrom(l); });
        return l;
    };
    SrcList = list("SrcList", 0);
    SrcList->setSortingEnabled(true);
    DstList = list("DstList", kDstLeft);

    auto button = [this](const char* name, const char* caption, int index) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(kButtonLeft, kFirstButtonTop + kButtonStep * index, kButtonSize, kButtonSize);
        // Reached by Tab, never by a click, which leaves the focus in the lists; Enter presses the button
        // that has the focus, as Space does.
        b->setFocusPolicy(Qt::TabFocus);
        b->setAutoDefault(false);
        ui::pressOnEnter(b);
        return b;
    };
    IncludeBtn = button("IncludeBtn", ">", 0);
    IncAllBtn = button("IncAllBtn", ">>", 1);
    ExcludeBtn = button("ExcludeBtn", "<", 2);
    ExAllBtn = button("ExAllBtn", "<<", 3);
    connect(IncludeBtn, &QPushButton::clicked, this, [this] { IncludeBtnClick(); });
    connect(IncAllBtn, &QPushButton::clicked, this, [this] { IncAllBtnClick(); });
    connect(ExcludeBtn, &QPushButton::clicked, this, [this] { ExcludeBtnClick(); });
    connect(ExAllBtn, &QPushButton::clicked, this, [this] { ExcAllBtnClick(); });
    SetButtons();
}

void FieldChooser::addSourceNames(const QStringList& names) {
    SrcList->addItems(names);
    SetButtons();
}

void FieldChooser::clearSource() {
    SrcList->clear();
    SetButtons();
}

QStringList FieldChooser::chosenNames() const {
    QStringList names;
    names.reserve(DstList->count());
    for (int i = 0; i < DstList->count(); ++i)
        names.append(DstList->item(i)->text());
    return names;
}

int FieldChooser::chosenCount() const {
    return DstList->count();
}

QList<QWidget*> FieldChooser::tabOrder() const {
    return {SrcList, IncludeBtn, IncAllBtn, ExcludeBtn, ExAllBtn, DstList};
}

bool FieldChooser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (!key->isAutoRepeat()) moveFrom(static_cast<QListWidget*>(watched));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FieldChooser::moveFrom(QListWidget* list) {
    // A list reached by Tab shows its current name without selecting it.
    if (GetFirstSelection(list) < 0 && list->currentItem()) list->currentItem()->setSelected(true);
    if (list == SrcList)
        IncludeBtnClick();
    else
        ExcludeBtnClick();
}

int FieldChooser::GetFirstSelection(const QListWidget* list) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) return i;
    return -1;
}

void FieldChooser::MoveSelected(QListWidget* list, QListWidget* target) {
    // From the bottom up, so the indices still to be visited stay valid; names appended to DstList
    // therefore come in the reverse of their order in SrcList.
    for (int i = list->count() - 1; i >= 0; --i) {
        if (!list->item(i)->isSelected()) continue;
        target->addItem(list->item(i)->text());
        delete list->takeItem(i);
    }
}

void FieldChooser::SetItem(QListWidget* list, int index) {
    list->setFocus();
    const int n = list->count();
    if (index == -1)
        index = 0;
    else if (index > n - 1)
        index = n - 1;
    if (n > 0) {
        // Selects this item and makes it current, leaving the selection of the others as it is.
        list->selectionModel()->setCurrentIndex(list->model()->index(index, 0), QItemSelectionModel::Select);
    }
    SetButtons();
}

void FieldChooser::SetButtons() {
    const bool source = SrcList->count() > 0;
    const bool chosen = DstList->count() > 0;
    IncludeBtn->setEnabled(source);
    IncAllBtn->setEnabled(source);
    ExcludeBtn->setEnabled(chosen);
    ExAllBtn->setEnabled(chosen);
}

void FieldChooser::SetButtons2() {
    if (setButtons2_) setButtons2_();
}

void FieldChooser::IncludeBtnClick() {
    const int first = GetFirstSelection(SrcList);
    MoveSelected(SrcList, DstList);
    SetItem(SrcList, first);
    SetButtons2();
}

void FieldChooser::ExcludeBtnClick() {
    const int first = GetFirstSelection(DstList);
    MoveSelected(DstList, SrcList);
    SetItem(DstList, first);
    SetButtons2();
}

void FieldChooser::IncAllBtnClick() {
    for (int i = 0; i < SrcList->count(); ++i)
        DstList->addItem(SrcList->item(i)->text());
    SrcList->clear();
    SetItem(SrcList, 0);
    SetButtons2();
}

void FieldChooser::ExcAllBtnClick() {
    for (int i = 0; i < DstList->count(); ++i)
        SrcList->addItem(DstList->item(i)->text());
    DstList->clear();
    SetItem(DstList, 0);
    SetButtons2();
}

} // namespace csv
