#pragma once
// The controls of one entry form, found by their names, and input as a user gives it.
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <stdexcept>

struct Form {
    QWidget& w;

    template <typename W> W& get(const QString& name) const {
        W* control = w.findChild<W*>(name);
        if (!control) throw std::runtime_error("no control " + name.toStdString());
        return *control;
    }
    QLineEdit& edit(int k) const { return get<QLineEdit>(QStringLiteral("Edit%1").arg(k)); }
    QLabel& label(int k) const { return get<QLabel>(QStringLiteral("Label%1").arg(k)); }
    QWidget& panel(int p) const { return get<QWidget>(QStringLiteral("Panel%1").arg(p)); }
    QRadioButton& radio(int n) const { return get<QRadioButton>(QStringLiteral("RadioButton%1").arg(n)); }
    QComboBox& combo(int n) const { return get<QComboBox>(QStringLiteral("ComboBox%1").arg(n)); }
    QPushButton& button(int n) const { return get<QPushButton>(QStringLiteral("Button%1").arg(n)); }
    bool shown(QWidget& control) const { return control.isVisibleTo(&w); }
    bool addEnabled() const { return button(1).isEnabled(); }
    void pick(int category) const { combo(1).setCurrentIndex(category); }
    void type(int slot, const QString& text) const { QTest::keyClicks(&edit(slot), text); }
    void add() const { QTest::mouseClick(&button(1), Qt::LeftButton); }
};

// Japanese text arrives committed by the input method, not as key presses.
inline void commit(QWidget& w, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(&w, &event);
}
