#include "app/check_window.h"

#include "app/editor_jump.h"
#include "base/fonts.h"
#include "document/anchors.h"
#include "document/document.h"
#include "ui/window_place.h"
#include "view/text_view.h"

#include <QAbstractTableModel>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <functional>

namespace app {

namespace {

const QString kNotChecked = QStringLiteral("まだ検査していません");

} // namespace

// The list's rows: made when they are drawn, so that 150,000 findings show at once.
class FindingModel : public QAbstractTableModel {
public:
    explicit FindingModel(const CheckWindow& window) : QAbstractTableModel(nullptr), window_(window) {}
    void reset(const std::function<void()>& change) {
        beginResetModel();
        change();
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : window_.rowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 3; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        static const char16_t* const captions[] = {u"行", u"文献ラベル", u"内容"};
        return QString::fromUtf16(captions[section]);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const CheckWindow::Item& item = window_.itemAt(index.row());
        if (role == Qt::DecorationRole && index.column() == 0) {
            static const QStyle::StandardPixmap icons[] = {QStyle::SP_MessageBoxCritical,
                                                           QStyle::SP_MessageBoxWarning,
                                                           QStyle::SP_MessageBoxInformation};
            return window_.style()->standardIcon(icons[int(item.finding.severity)]);
        }
        // A long message is cut short in its column: the whole of it, kind and all, over every cell.
        if (role == Qt::ToolTipRole) return window_.description(item);
        if (role != Qt::DisplayRole) return {};
        switch (index.column()) {
        case 0:
            return window_.currentLine(item);
        case 1:
            return item.finding.label;
        default:
            return window_.message(item);
        }
    }

private:
    const CheckWindow& window_;
};

CheckWindow::CheckWindow(QWidget* mainWindow, view::TextView* editor, const document::Document& document)
    : QDialog(mainWindow), editor_(editor), document_(document) {
    setObjectName(QStringLiteral("CheckForm1"));
    setWindowTitle(QStringLiteral("文献の検査"));
    setFont(base::windowFont());
    setModal(false);
    resize(kSize);

    counts_ = new QLabel;
    counts_->setObjectName(QStringLiteral("CountLabel"));
    auto* recheckButton = new QPushButton(QStringLiteral("再検査(&R)"));
    recheckButton->setObjectName(QStringLiteral("RecheckButton"));
    // Enter belongs to the list: it jumps to the finding.
    recheckButton->setAutoDefault(false);
    connect(recheckButton, &QPushButton::clicked, this, &CheckWindow::recheck);

    model_ = new FindingModel(*this);
    model_->setParent(this);
    list_ = new QTreeView;
    list_->setObjectName(QStringLiteral("FindingList"));
    list_->setModel(model_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->header()->setStretchLastSection(true);
    list_->header()->resizeSection(0, 80);
    list_->header()->resizeSection(1, 150);
    // Enter or a double-click.
    connect(list_, &QTreeView::activated, this, [this](const QModelIndex& index) { jumpTo(index.row()); });

    auto* top = new QHBoxLayout;
    top->addWidget(counts_, 1);
    top->addWidget(recheckButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    setTabOrder(list_, recheckButton);
    // The keys go to the list when the window comes up: arrows and Enter at once.
    list_->setFocus();
    // A load or New: the findings were of the text that went (and their anchors go before its store).
    connect(&document_, &document::Document::storeReplaced, this, &CheckWindow::forget);
}

void CheckWindow::showBeside() {
    const QWidget* main = parentWidget();
    if (!placed_ && main && main->screen()) {
        placed_ = true;
        // A stored place counts where the middle of its top edge, the title bar, is on a screen.
        const QRect stored = storedPlace_.value_or(QRect());
        if (stored.width() >= kLeastRoom.width() && stored.height() >= kLeastRoom.height() &&
            QGuiApplication::screenAt(QPoint(stored.center().x(), stored.top() + 8))) {
            resize(stored.size());
            move(stored.topLeft());
        } else {
            // The frame of a window not shown yet is unknown: the main window's, drawn by the same
            // window manager, stands for it.
            const QMargins frame = main->windowHandle() ? main->windowHandle()->frameMargins() : QMargins();
            const QSize outerFrame(frame.left() + frame.right(), frame.top() + frame.bottom());
            const QRect outer = ui::placeBeside(main->screen()->availableGeometry(), main->frameGeometry(),
                                                kSize + outerFrame, kLeastRoom + outerFrame, 8);
            resize(outer.size() - outerFrame);
            move(outer.topLeft());
        }
    }
    show();
    raise();
    activateWindow();
    list_->setFocus();
}

std::optional<QRect> CheckWindow::place() const {
    if (!placed_) return std::nullopt;
    return QRect(pos(), size());
}

int CheckWindow::lineNow(qsizetype anchor, int lineAtCheck) const {
    if (!anchors_ || anchor < 0) return lineAtCheck;
    return int(document_.store().lineAt(anchors_->position(anchor))) + 1;
}

int CheckWindow::currentLine(const Item& item) const {
    return lineNow(item.line, item.finding.line);
}

QString CheckWindow::message(const Item& item) const {
    if (item.other < 0) return bibtex::japaneseMessage(item.finding);
    bibtex::Finding now = item.finding;
    now.otherLine = lineNow(item.other, item.finding.otherLine);
    return bibtex::japaneseMessage(now);
}

QString CheckWindow::description(const Item& item) const {
    return bibtex::japaneseSeverityName(item.finding.severity) + QStringLiteral("： ") + message(item);
}

const CheckWindow::Item* CheckWindow::walked() const {
    return walked_ >= 0 && walked_ < items_.size() ? &items_[walked_] : nullptr;
}

CheckWindow::~CheckWindow() {
    // The list asks its model for rows while the dialog hides it on the way out, and the model answers
    // from this window's findings, which go before the dialog does.
    list_->setModel(nullptr);
}

void CheckWindow::recheck() {
    document::TextStore& store = document_.store();
    bibtex::CheckOptions options;
    options.encoding = document_.format().text.encoding;
    // The usual line break: the store keeps the few lines that end otherwise line by line.
    options.finalLineBreak = document_.format().text.lineBreak;
    QList<bibtex::Finding> findings = bibtex::checkText(store.text(), options); // by line
    model_->reset([&] {
        items_.clear();
        items_.reserve(findings.size());
        // An anchor at the start of each finding's line, and one at the start of the other line it names.
        QList<qsizetype> positions;
        positions.reserve(findings.size() * 2);
        const qsizetype lastLine = store.lineCount() - 1;
        const auto startOf = [&](int line) {
            return store.lineStart(std::clamp<qsizetype>(line - 1, 0, lastLine));
        };
        for (bibtex::Finding& finding : findings) {
            Item item{std::move(finding)};
            item.line = positions.size();
            positions.append(startOf(item.finding.line));
            if (item.finding.otherLine > 0) {
                item.other = positions.size();
                positions.append(startOf(item.finding.otherLine));
            }
            items_.append(std::move(item));
        }
        anchors_ = std::make_unique<document::AnchorSet>(store, positions);
        // Errors first: one pass per kind keeps the order of the lines within each.
        rows_.clear();
        rows_.reserve(items_.size());
        rowOf_.resize(items_.size());
        for (const bibtex::Severity severity :
             {bibtex::Severity::Error, bibtex::Severity::Warning, bibtex::Severity::Note})
            for (int i = 0; i < items_.size(); ++i)
                if (items_[i].finding.severity == severity) {
                    rowOf_[i] = int(rows_.size());
                    rows_.append(i);
                }
    });
    checked_ = true;
    walked_ = -1;
    int counts[3] = {};
    for (const Item& item : std::as_const(items_))
        ++counts[int(item.finding.severity)];
    counts_->setText(
        QStringLiteral("エラー %1 件　警告 %2 件　注意 %3 件").arg(counts[0]).arg(counts[1]).arg(counts[2]));
    if (!items_.isEmpty()) list_->setCurrentIndex(model_->index(0, 0));
}

void CheckWindow::forget() {
    model_->reset([&] {
        items_.clear();
        rows_.clear();
        rowOf_.clear();
    });
    anchors_.reset();
    checked_ = false;
    walked_ = -1;
    counts_->setText(kNotChecked);
}

void CheckWindow::jumpTo(int row) {
    if (row < 0 || row >= rows_.size()) return;
    const Item& item = itemAt(row);
    const document::TextStore& store = document_.store();
    const qsizetype line = std::clamp<qsizetype>(currentLine(item) - 1, 0, store.lineCount() - 1);
    // The line selected from its end back to its start, the caret at the start.
    showFound(*editor_, store.lineStart(line) + store.lineLength(line), store.lineStart(line));
    QWidget* main = editor_->window();
    main->raise();
    main->activateWindow();
    editor_->setFocus();
}

bool CheckWindow::walk(bool forward) {
    if (!checked_) recheck();
    if (items_.isEmpty()) return false;
    const int caretLine = int(document_.store().lineAt(editor_->caret())) + 1;
    const int count = int(items_.size());
    int next;
    if (walked_ >= 0 && walked_ < count && currentLine(items_[walked_]) == caretLine) {
        next = (walked_ + (forward ? 1 : count - 1)) % count;
    } else {
        // The first finding after (before) the caret's line; the anchors keep their order through edits.
        const auto lineOf = [this](const Item& item) { return currentLine(item); };
        if (forward) {
            const auto it = std::upper_bound(items_.begin(), items_.end(), caretLine,
                                             [&](int line, const Item& item) { return line < lineOf(item); });
            next = it == items_.end() ? 0 : int(it - items_.begin());
        } else {
            const auto it = std::lower_bound(items_.begin(), items_.end(), caretLine,
                                             [&](const Item& item, int line) { return lineOf(item) < line; });
            next = it == items_.begin() ? count - 1 : int(it - items_.begin()) - 1;
        }
    }
    walked_ = next;
    const int row = rowOf_[next];
    list_->setCurrentIndex(model_->index(row, 0));
    jumpTo(row);
    return true;
}

} // namespace app
