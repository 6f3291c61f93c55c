#pragma once
// What every window of the program does the same way when it builds itself: its name, caption, font and
// fixed size, its place in the middle of the screen, its buttons and its tab order.
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class QCompleter;
class QPushButton;
class QWidget;

namespace ui {

class Platform;

// Moves a window of the given outer size to the middle of the primary screen's free area.
void centreOnScreen(QWidget* window, QSize outerSize);

// A fixed-size dialog: object name, caption, the window font, its size, centred on the screen.
void setUpFixedWindow(QWidget* window, const QString& name, const QString& caption, QSize size);

// Enter presses the button while it has the focus, as Space does; elsewhere in its dialog Enter still goes
// to the dialog's default button, if it has one. (Qt's own way, an auto-default button, would make the
// first such button the default of a dialog that has none.)
void pressOnEnter(QPushButton* button);

// A push button carrying its name, at its place, pressed by Enter while it has the focus.
QPushButton* namedButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);

// Tab goes from each widget to the next in the list.
void chainTabOrder(const QList<QWidget*>& order);

// Opens the help at a window's page ("csv_export", or with a section: "edit_search#dialogs"), any failure
// reported. What a help button does.
void showHelpPage(Platform& platform, const QString& page);

// F1 anywhere in `window` opens the help at its page, as its help button does (a window without one
// still has its page).
void helpOnF1(QWidget* window, Platform& platform, const QString& page);

// A click outside the completer's pop-up list closes the list and goes on to what it was aimed at, a
// slot to type in or a button. (Qt's list only closes and drops the click, so the next keys would
// still go to the box the list belongs to.) A click on the list still picks its entry.
void passClicksBesideCompletion(QCompleter* completer);

} // namespace ui
