#pragma once
// A running program on a scripted platform, in a temporary folder that is also the working directory; its
// settings store is an INI file in a temporary folder of its own, its recovery files are in another.
#include "app/main_window.h"
#include "app/program.h"
#include "entry/entry_form.h"
#include "support/scripted_platform.h"
#include "view/text_view.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// Makes `path` a file that opens but cannot be read, whoever runs the test (permissions do not stop
// root); false where the system has no such file.
bool makeUnreadableFile(const QString& path);

class AppFixture : public ::testing::Test {
protected:
    AppFixture();
    ~AppFixture() override;

    // Ends the program without a close request and starts it again on the same settings store, as a
    // user who quits and starts again sees it.
    void restart();

    app::TForm1& form1() { return *program->windows().form1; }
    entry::TForm2& form2() { return *program->windows().form2; }
    QString path(const QString& name) const { return dir.filePath(name); }
    // Writes bytes to a file in the temporary folder and returns its path.
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& filePath) const;
    // Writes `chunk` over and over to a file in the temporary folder until the file is larger than the
    // window reads at once (it is read in the background) and returns its path.
    QString writeLargeFile(const QString& name, const QByteArray& chunk) const;
    // Types text at the end of the document, as a user would (sets the modified flag).
    void type(const QString& text);
    // The window's editor, found by its name as every test finds a control.
    view::TextView& editor() { return child<view::TextView>(form1(), "RichEdit1"); }
    document::TextStore& store() { return form1().document().store(); }
    // The line the caret is on (0-based) and its column in it.
    qsizetype caretLine() { return store().lineAt(editor().caret()); }
    qsizetype caretColumn() { return editor().caret() - store().lineStart(caretLine()); }
    // Selects from `anchor` to `caret` (the caret at `caret`).
    void select(qsizetype anchor, qsizetype caret) { editor().setSelection(anchor, caret); }
    // Puts the caret at the start of `line`.
    void caretOnLine(qsizetype line) { editor().setCaret(store().lineStart(line)); }
    // Replaces [from, from + length) with `text` as a user selecting it and typing or pasting over it does:
    // one step of the editor's undo.
    void edit(qsizetype from, qsizetype length, const QString& text);
    // The child of `parent` of that type and object name; fails the test without one.
    template <typename W> static W& child(QWidget& parent, const char* name) {
        W* w = parent.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return *w;
    }
    // Runs the command of the main window's menu item or button (tool bar, modeless dialog) of that object
    // name as a user does; fails the test when there is none or it is greyed, which no user could run.
    void command(const char* name);
    // The status bar panel's text.
    QString statusText();
    // An entry form as the menu command creates it, shown; it reads user.dat now.
    std::unique_ptr<entry::TForm2> newForm();

    QTemporaryDir dir;
    QTemporaryDir settingsDir;
    QTemporaryDir recoveryDir; // the recovery files' folder
    settings::SettingsStore settings =
        settings::SettingsStore::iniFile(settingsDir.filePath(QStringLiteral("Quorvik.conf")));
    QString savedCwd;
    ScriptedPlatform platform;
    std::unique_ptr<app::Program> program;
};
