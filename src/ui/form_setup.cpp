#include "ui/form_setup.h"

#include "base/app_info.h"
#include "base/fonts.h"
#include "ui/guarded.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWidget>
#include <QWindow>

namespace ui {

void centreOnScreen(QWidget* window, QSize outerSize) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - QRect(QPoint(), outerSize).center());
}

void setUpFixedWindow(QWidget* window, const QString& name, const QString& caption, QSize size) {
    window->setObjectName(name);
    window->setWindowTitle(caption);
    window->setFont(base::windowFont());
    window->setFixedSize(size);
    centreOnScreen(window, size);
}

namespace {

class EnterPresses final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        if (!key->isAutoRepeat()) static_cast<QPushButton*>(watched)->click();
        return true;
    }
};

} // namespace

void pressOnEnter(QPushButton* button) {
    button->installEventFilter(new EnterPresses(button));
}

QPushButton* namedButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    pressOnEnter(button);
    return button;
}

void chainTabOrder(const QList<QWidget*>& order) {
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void showHelpPage(Platform& platform, const QString& page) {
    guarded(platform, [&] { platform.showHelp(base::kHelpFile, page); });
}

void helpOnF1(QWidget* window, Platform& platform, const QString& page) {
    auto* key = new QShortcut(QKeySequence::HelpContents, window);
    key->setObjectName(QStringLiteral("HelpKey"));
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window, [&platform, page] { showHelpPage(platform, page); });
}

namespace {

// Watches a completer's pop-up list. It is installed after the completer's own filter, so it sees a
// press first.
class ClickBesideList final : public QObject {
public:
    ClickBesideList(QCompleter* completer, QWidget* list) : QObject(completer), completer_(completer) {
        // Qt replays such a press itself on some platforms; this filter does it everywhere, once.
        list->setAttribute(Qt::WA_NoMouseReplay);
        list->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress) return false;
        auto* list = static_cast<QWidget*>(watched);
        const auto* press = static_cast<QMouseEvent*>(event);
        const QPoint global = press->globalPosition().toPoint();
        if (list->rect().contains(list->mapFromGlobal(global))) return false; // a pick: the list's own
        list->hide();
        // Only into the window the completing box stands in: a press elsewhere just closes the list.
        const QWidget* box = completer_->widget();
        QWidget* target = QApplication::widgetAt(global);
        if (!box || !target || target->window() != box->window()) return true;
        QWindow* window = target->window()->windowHandle();
        if (!window) return true;
        // Sent to the window as the platform sends it: the window finds the widget under the pointer, gives
        // it the focus its policy allows, and sends it the release that follows.
        const QPointF local = window->mapFromGlobal(press->globalPosition());
        QMouseEvent replay(QEvent::MouseButtonPress, local, local, press->globalPosition(), press->button(),
                           press->buttons(), press->modifiers(), press->pointingDevice());
        replay.setTimestamp(press->timestamp());
        QCoreApplication::sendEvent(window, &replay);
        return true;
    }

private:
    QCompleter* completer_;
};

} // namespace

void passClicksBesideCompletion(QCompleter* completer) {
    new ClickBesideList(completer, completer->popup());
}

} // namespace ui
