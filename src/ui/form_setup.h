#pragma once
// What every window of the program does the same way when it builds itself: its name, caption, font and
// fixed size, its place in the middle of the screen, its buttons and its tab order.
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class QPushButton;
class QWidget;

namespace ui {

// Moves a window of the given outer size to the middle of the primary screen's free area.
void centreOnScreen(QWidget* window, QSize outerSize);

// A fixed-size dialog: object name, caption, the window font, its size, centred on the screen.
void setUpFixedWindow(QWidget* window, const QString& name, const QString& caption, QSize size);

// A push button carrying its name, at its place; Enter never presses it unless it is made the default.
QPushButton* namedButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);

// Tab goes from each widget to the next in the list.
void chainTabOrder(const QList<QWidget*>& order);

} // namespace ui
