#include "entry/entry_form.h"

#include "entry/catalogue.h"
#include "entry/entry_count.h"
#include "entry/entry_document.h"
#include "entry/user_list.h"
#include "text/collation.h"
#include "ui/form_setup.h"
#include "ui/frame_title.h"
#include "ui/guarded.h"

#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>

namespace entry {

namespace {

const QString kNoCategory = QStringLiteral("文献カテゴリを選択してください");
// The form's page of the help, for ﾍﾙﾌﾟ and F1.
const QString kHelpPage = QStringLiteral("entry_form");

// Where the slot and pair controls stand inside the group box.
constexpr int kCaptionLeft[3] = {10, 185, 355};
constexpr int kEditLeft[3] = {7, 180, 352};
struct PanelPlace {
    int left, top;
};
constexpr PanelPlace kPanelPlaces[7] = {{0, 0}, {5, 55}, {5, 145}, {5, 190}, {5, 235}, {178, 10}, {178, 55}};

QString numbered(const char* name, int n) {
    return QString::fromLatin1(name) + QString::number(n);
}

// Puts an entry's value into a slot. However long it is, the slot holds all of it (a cut value would be
// written back cut), and shows its start.
void showWhole(QLineEdit* edit, const QString& value) {
    if (value.size() > edit->maxLength()) edit->setMaxLength(int(value.size()));
    edit->setText(value);
    edit->setCursorPosition(0);
}

} // namespace

TForm2::TForm2(ui::Platform& platform, EntryDocument& document, QString userListPath, QWidget* parent)
    : QDialog(parent), platform_(platform), document_(document), userListPath_(std::move(userListPath)) {
    ui::setUpFixedWindow(this, QStringLiteral("TForm2"), QStringLiteral("文献ファイルの作成"),
                         QSize(536, 348));
    buildControls();
    FormCreate();
    ui::helpOnF1(this, platform_, kHelpPage);
}

template <typename Handler> void TForm2::run(Handler&& handler) {
    ui::guarded(platform_, std::forward<Handler>(handler));
}

void TForm2::buildControls() {
    Label0 = new QLabel(QStringLiteral("文献カテゴリ"), this);
    Label0->setObjectName(QStringLiteral("Label0"));
    Label0->move(6, 13);
    Label0->adjustSize();

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(86, 9, 205, 20);
    ComboBox1->setFocusPolicy(Qt::ClickFocus); // Tab skips the category list
    for (const Category& c : categories())
        ComboBox1->addItem(QString::fromUtf16(c.displayName));

    auto button = [this](const char* name, const QString& caption, int left) {
        return ui::namedButton(this, name, caption, QRect(left, 7, 66, 25));
    };
    Button1 = button("Button1", QStringLiteral("追加(&A)"), 326);
    Button2 = button("Button2", QStringLiteral("戻る(&R)"), 396);
    Button3 = button("Button3", QStringLiteral("ﾍﾙﾌﾟ(&H)"), 465);

    GroupBox1 = new QGroupBox(QStringLiteral("入力項目(太字は必須項目)"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(6, 42, 525, 299);
    ui::putTitleOnFrame(GroupBox1);

    for (int k = 1; k <= kSlotCount; ++k) {
        const int column = (k - 1) / 6, row = (k - 1) % 6;
        auto* label = new QLabel(GroupBox1);
        label->setObjectName(numbered("Label", k));
        label->setGeometry(kCaptionLeft[column], 16 + 45 * row, 160, 16);
        auto* edit = new QLineEdit(GroupBox1);
        edit->setObjectName(numbered("Edit", k));
        edit->setGeometry(kEditLeft[column], 35 + 45 * row, 164, 20);
    }
    for (int p = 1; p <= kPairCount; ++p) {
        auto* panel = new QWidget(GroupBox1);
        panel->setObjectName(numbered("Panel", p));
        panel->setGeometry(kPanelPlaces[p].left, kPanelPlaces[p].top, 161, 22);
        const ChoicePair& pair = choicePairs()[p - 1];
        QFont font = this->font();
        font.setBold(pair.bold);
        const std::pair<int, const char16_t*> options[] = {{2 * p - 1, pair.firstCaption},
                                                           {2 * p, pair.secondCaption}};
        for (const auto& [number, caption] : options) {
            auto* radio = new QRadioButton(QString::fromUtf16(caption), panel);
            radio->setObjectName(numbered("RadioButton", number));
            radio->setFont(font);
            radio->move(number % 2 == 1 ? 3 : 65, 4);
            radio->adjustSize();
            radioButtons_[number] = radio;
        }
    }
    auto makeCombo = [this](const char* name, int top) {
        auto* combo = new QComboBox(GroupBox1);
        combo->setObjectName(QString::fromLatin1(name));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setGeometry(7, top, 164, 20);
        // The names that hold the typed text are offered in a list below; nothing is filled in that was
        // not typed or picked. Case-sensitive, because a case-blind completer would also let the box
        // replace a typed name by a list entry that differs from it in letter case.
        auto* completer = new QCompleter(combo->model(), combo);
        completer->setCompletionMode(QCompleter::PopupCompletion);
        completer->setFilterMode(Qt::MatchContains);
        completer->setCaseSensitivity(Qt::CaseSensitive);
        combo->setCompleter(completer);
        ui::passClicksBesideCompletion(completer);
        return combo;
    };
    ComboBox2 = makeCombo("ComboBox2", 170);
    ComboBox3 = makeCombo("ComboBox3", 215);
    // Every place a slot's text is typed: see eventFilter.
    for (QLineEdit* typed : GroupBox1->findChildren<QLineEdit*>())
        typed->installEventFilter(this);

    // Tab order inside the group, then the three buttons.
    QList<QWidget*> order;
    auto edit = [this](int k) { return GroupBox1->findChild<QLineEdit*>(numbered("Edit", k)); };
    auto pair = [this](int p) { return QList<QWidget*>{radioButtons_[2 * p - 1], radioButtons_[2 * p]}; };
    order << edit(1) << pair(1) << edit(2) << edit(3) << pair(2) << edit(4) << ComboBox2 << ComboBox3
          << pair(3) << edit(5) << pair(4) << edit(6) << pair(5) << edit(7) << pair(6) << edit(8);
    for (int k = 9; k <= kSlotCount; ++k)
        order << edit(k);
    order << Button1 << Button2 << Button3;
    ui::chainTabOrder(order);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(ComboBox2, &QComboBox::editTextChanged, this, [this] { ComboBox2Change(); });
    connect(ComboBox3, &QComboBox::editTextChanged, this, [this] { ComboBox3Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
}

void TForm2::FormCreate() {
    for (int k = 1; k <= kSlotCount; ++k) {
        slotLabels_[k] = GroupBox1->findChild<QLabel*>(numbered("Label", k));
        slotEdits_[k] = GroupBox1->findChild<QLineEdit*>(numbered("Edit", k));
        slotLabels_[k]->hide();
        slotEdits_[k]->hide();
        connect(slotEdits_[k], &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    }
    for (int p = 1; p <= kPairCount; ++p) {
        pairPanels_[p] = GroupBox1->findChild<QWidget*>(numbered("Panel", p));
        pairPanels_[p]->hide();
        radioButtons_[2 * p - 1]->setChecked(true);
    }
    for (int n = 1; n <= 2 * kPairCount; ++n)
        connect(radioButtons_[n], &QRadioButton::toggled, this, [this, n](bool checked) {
            if (checked) optionPicked(n);
        });
    {
        const QSignalBlocker blocker(ComboBox1);
        ComboBox1->setCurrentIndex(0);
    }
    ComboBox1Change();
    Button1->setEnabled(false);
}

void TForm2::ComboBox1Change() {
    run([this] {
        if (edit_) rememberShownValues();
        // Emptying the lists is no edit of the user's: the completeness rule is not run here.
        for (QComboBox* combo : {ComboBox2, ComboBox3}) {
            const QSignalBlocker blocker(combo);
            combo->clear();
            combo->clearEditText();
        }
        const int index = ComboBox1->currentIndex();
        if (!isCategoryIndex(index)) {
            platform_.showMessage(kNoCategory);
            return;
        }
        applyLayout(index); // what ComboBoxIndex<index> does
        if (edit_) showValues(index);
    });
}

void TForm2::applyLayout(int index) {
    const Category& c = category(index);
    shownCategory_ = index;
    bool usesPair[kPairCount + 1] = {};
    QComboBox* listBox = nullptr;
    for (int k = 1; k <= kSlotCount; ++k) {
        const Slot& slot = c.slotList[k - 1];
        QLabel* label = slotLabels_[k];
        QLineEdit* edit = slotEdits_[k];
        switch (slot.state) {
        case SlotState::Hidden:
            label->hide();
            edit->hide();
            break;
        case SlotState::Choice:
            label->hide();
            edit->show();
            usesPair[slot.pair] = true;
            break;
        case SlotState::Captioned:
        case SlotState::CaptionedWithList: {
            QFont font = this->font();
            font.setBold(slot.required);
            label->setFont(font);
            label->setText(QString::fromUtf16(slot.caption));
            label->show();
            const bool withList = slot.state == SlotState::CaptionedWithList;
            edit->setVisible(!withList);
            if (withList) listBox = comboBoxOfSlot(k) == 2 ? ComboBox2 : ComboBox3;
            break;
        }
        }
    }
    ComboBox2->setVisible(listBox == ComboBox2);
    ComboBox3->setVisible(listBox == ComboBox3);
    for (int p = 1; p <= kPairCount; ++p)
        pairPanels_[p]->setVisible(usesPair[p]);
    if (listBox && c.listSection) ReadItemFile(listBox, QString::fromLatin1(c.listSection));
}

void TForm2::ReadItemFile(QComboBox* comboBox, const QString& name) {
    const QStringList entries = readSectionFromFile(userListPath_, name);
    if (entries.isEmpty()) return;
    QStringList items;
    for (int i = 0; i < comboBox->count(); ++i)
        items.append(comboBox->itemText(i));
    items += entries;
    text::sortJapanese(items);
    // Filling the list changes neither the text nor, therefore, the Add button.
    const QSignalBlocker blocker(comboBox);
    const QString text = comboBox->currentText();
    comboBox->clear();
    comboBox->addItems(items);
    comboBox->setCurrentIndex(-1);
    comboBox->setEditText(text);
}

EntryInput TForm2::input() const {
    EntryInput in;
    in.category = ComboBox1->currentIndex();
    for (int k = 1; k <= kSlotCount; ++k)
        in.slotTexts[k] = slotEdits_[k]->text();
    in.comboBox2 = ComboBox2->currentText();
    in.comboBox3 = ComboBox3->currentText();
    for (int p = 1; p <= kPairCount; ++p)
        in.firstOption[p] = radioButtons_[2 * p - 1]->isChecked();
    return in;
}

void TForm2::SetButtons() {
    if (const std::optional<bool> complete = isComplete(input())) Button1->setEnabled(*complete);
}

void TForm2::Edit1Change() {
    SetButtons();
}
void TForm2::ComboBox2Change() {
    SetButtons();
}
void TForm2::ComboBox3Change() {
    SetButtons();
}

void TForm2::appendEntry(int category) {
    EntryInput in = input();
    in.category = category;
    entryLines_ += formatEntry(in);
    document_.appendLines(entryLines_);
}

void TForm2::Button1Click() {
    run([this] {
        if (edit_) {
            changeEntry();
            return;
        }
        if (labelRefused(slotEdits_[1]->text(), std::nullopt,
                         [this](const QString& label) { return document_.labelInUse(label); })) {
            platform_.showMessage(kLabelInUseMessage);
            return;
        }
        entryLines_.clear();
        const int index = ComboBox1->currentIndex();
        if (isCategoryIndex(index)) appendEntry(index); // what SetText<index> does
        for (int k = 1; k <= kSlotCount; ++k)
            slotEdits_[k]->clear();
        ComboBox2->clearEditText();
        entryLines_.clear();
        VolCount();
        // Ready for the next entry: typing goes on in the label slot.
        slotEdits_[1]->setFocus();
    });
}

void TForm2::editEntry(EntryToEdit target) {
    setWindowTitle(QStringLiteral("文献の修正"));
    Button1->setText(QStringLiteral("修正(&A)"));
    values_ = fieldValues(target.entry);
    slotEdits_[1]->setText(target.entry.label);
    const int index = target.entry.category;
    edit_ = std::move(target);
    shownCategory_ = -1; // nothing the slots hold yet is the entry's
    {
        const QSignalBlocker blocker(ComboBox1);
        ComboBox1->setCurrentIndex(index);
    }
    ComboBox1Change();
    slotEdits_[1]->setFocus();
}

void TForm2::rememberShownValues() {
    if (!isCategoryIndex(shownCategory_)) return;
    EntryInput shown = input();
    shown.category = shownCategory_;
    const Category& c = category(shownCategory_);
    for (int k = 2; k <= kSlotCount; ++k) {
        const Slot& slot = c.slotList[k - 1];
        if (slot.state == SlotState::Hidden) break;
        const bool second = slot.state == SlotState::Choice && !shown.firstOption[slot.pair];
        const QString field = QLatin1String(second ? slot.secondField : slot.field);
        // A slot left empty for a field the entry lacks does not make the field one it has.
        const QString value = shown.slotValue(k);
        if (!value.isEmpty() || values_.contains(field)) values_[field] = value;
    }
}

void TForm2::optionPicked(int n) {
    if (!edit_ || showingValues_ || !isCategoryIndex(shownCategory_)) return;
    const int pair = (n + 1) / 2;
    const bool first = n % 2 == 1;
    const Category& c = category(shownCategory_);
    for (int k = 2; k <= kSlotCount; ++k) {
        const Slot& slot = c.slotList[k - 1];
        if (slot.state == SlotState::Hidden) break;
        if (slot.state != SlotState::Choice || slot.pair != pair) continue;
        const QString chosen = QLatin1String(first ? slot.field : slot.secondField);
        const QString other = QLatin1String(first ? slot.secondField : slot.field);
        QLineEdit* edit = slotEdits_[k];
        if (values_.contains(chosen)) {
            // Both fields have values (an entry with author and editor): each option shows its own, so
            // that 修正 writes neither field with the other's value.
            values_[other] = edit->text();
            showWhole(edit, values_.value(chosen));
        } else {
            // One field for both options: its value goes with the option, and 修正 renames the field.
            const bool had = values_.remove(other) > 0;
            if (had || !edit->text().isEmpty()) values_[chosen] = edit->text();
        }
        SetButtons();
        return;
    }
}

void TForm2::showValues(int index) {
    const QScopedValueRollback showing(showingValues_, true);
    const EntryInput in = inputShowing(index, slotEdits_[1]->text(), values_);
    for (int k = 2; k <= kSlotCount; ++k)
        showWhole(slotEdits_[k], in.slotTexts[k]);
    for (int p = 1; p <= kPairCount; ++p)
        radioButtons_[in.firstOption[p] ? 2 * p - 1 : 2 * p]->setChecked(true);
    for (auto [combo, value] : {std::pair{ComboBox2, in.comboBox2}, std::pair{ComboBox3, in.comboBox3}}) {
        if (value.size() > combo->lineEdit()->maxLength()) combo->lineEdit()->setMaxLength(int(value.size()));
        combo->setEditText(value);
        combo->lineEdit()->setCursorPosition(0);
    }
    SetButtons();
}

void TForm2::changeEntry() {
    const QString label = slotEdits_[1]->text();
    if (labelRefused(label, edit_->entry.label,
                     [this](const QString& l) { return document_.labelInUse(l); })) {
        platform_.showMessage(kLabelInUseMessage);
        return;
    }
    QList<text::TextEdit> edits = entryEdits(edit_->text, edit_->entry, input());
    for (text::TextEdit& e : edits)
        e.position += edit_->position;
    document_.applyEdits(edits);
    VolCount();
    close();
}

void TForm2::Button2Click() {
    close();
}

void TForm2::Button3Click() {
    ui::showHelpPage(platform_, kHelpPage);
}

void TForm2::VolCount() {
    entryCount_ = document_.entryCount();
    document_.showEntryCount(entryCountText(entryCount_));
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    // Alt + a letter is a button's mnemonic. While that button is disabled Qt would pass the key on to
    // the edit, which would type the letter into the slot: a label "abc" would silently become "abca".
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & (Qt::AltModifier | Qt::ControlModifier)) == Qt::AltModifier &&
            key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    // The form has no cancel button: Escape does not throw away what the slots hold.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace entry
