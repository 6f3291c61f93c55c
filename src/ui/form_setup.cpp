#include "ui/form_setup.h"

#include "base/app_info.h"
#include "base/fonts.h"
#include "ui/guarded.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWidget>

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

} // namespace ui
