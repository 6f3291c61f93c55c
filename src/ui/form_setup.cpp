#include "ui/form_setup.h"

#include "base/fonts.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
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

QPushButton* namedButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

void chainTabOrder(const QList<QWidget*>& order) {
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace ui
