#include "support/scripted_platform.h"

#include <QDialog>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

const char* kindName(int kind) {
    static const char* const names[] = {
        "message", "message containing", "save-changes prompt", "yes/no question",
        "error",   "open dialog",        "save dialog",         "modal window",
        "help",    "printer setup",      "print dialog"};
    return names[kind];
}

} // namespace

ScriptedPlatform::~ScriptedPlatform() {
    verify();
}

ScriptedPlatform::Expectation& ScriptedPlatform::push(Kind kind, const QString& text) {
    Expectation e;
    e.kind = kind;
    e.text = text;
    script_.push_back(std::move(e));
    return script_.back();
}

ScriptedPlatform& ScriptedPlatform::expectMessage(const QString& text) {
    push(Kind::Message, text);
    return *this;
}
ScriptedPlatform& ScriptedPlatform::expectMessageContaining(const QString& part) {
    push(Kind::MessageContaining, part);
    return *this;
}
ScriptedPlatform& ScriptedPlatform::expectSaveChanges(ui::SaveAnswer answer) {
    push(Kind::SaveChanges).saveAnswer = answer;
    return *this;
}
ScriptedPlatform& ScriptedPlatform::expectYesNo(bool answer, const QString& containing) {
    push(Kind::YesNo, containing).yes = answer;
    return *this;
}
ScriptedPlatform& ScriptedPlatform::expectError(const QString& text) {
    push(Kind::Error, text);
    return *this;
}
ScriptedPlatform& ScriptedPlatform::expectOpenFile(std::optional<QString> path,
                                                   std::function<void()> afterChoosing) {
    Expectation& e = push(Kind::OpenFile);
    e.path = std::move(path);
    e.after = std::move(afterChoosing);
    return *this;
}
ScriptedPlatform& ScriptedPlatform::expectSaveFile(std::optional<QString> path) {
    push(Kind::SaveFile).path = std::move(path);
    return *this;
}
ScriptedPlatform& ScriptedPlatform::expectModal(const QString& objectName,
                                                std::function<void(QDialog&)> drive) {
    push(Kind::Modal, objectName).drive = std::move(drive);
    return *this;
}
ScriptedPlatform& ScriptedPlatform::expectHelp(const QString& helpFile, const QString& page) {
    push(Kind::Help, helpFile).path = page;
    return *this;
}

ScriptedPlatform& ScriptedPlatform::expectPrinterSetup(std::function<void(QPrinter&)> drive) {
    push(Kind::PrinterSetup).drivePrinter = std::move(drive);
    return *this;
}
ScriptedPlatform& ScriptedPlatform::expectPrint(std::function<void(QPrinter&)> drive, bool print) {
    Expectation& e = push(Kind::Print);
    e.drivePrinter = std::move(drive);
    e.yes = print;
    return *this;
}

void ScriptedPlatform::verify() {
    for (const Expectation& e : script_)
        ADD_FAILURE() << "expected " << kindName(int(e.kind)) << " never came: " << e.text.toStdString();
    script_.clear();
}

std::optional<ScriptedPlatform::Expectation> ScriptedPlatform::next(Kind kind, const QString& asked) {
    const bool messageKind = kind == Kind::Message;
    if (script_.empty() ||
        !(script_.front().kind == kind || (messageKind && script_.front().kind == Kind::MessageContaining))) {
        ADD_FAILURE() << "unexpected " << kindName(int(kind)) << ": " << asked.toStdString()
                      << (script_.empty()
                              ? std::string(" (nothing expected)")
                              : " (expected " + std::string(kindName(int(script_.front().kind))) + ")");
        return std::nullopt;
    }
    Expectation e = script_.front();
    script_.pop_front();
    return e;
}

void ScriptedPlatform::showMessage(const QString& text) {
    auto e = next(Kind::Message, text);
    if (!e) return;
    if (e->kind == Kind::MessageContaining) {
        EXPECT_TRUE(text.contains(e->text)) << text.toStdString();
    } else {
        EXPECT_EQ(text, e->text);
    }
}

ui::SaveAnswer ScriptedPlatform::askSaveChanges() {
    auto e = next(Kind::SaveChanges, QStringLiteral("save changes?"));
    return e ? e->saveAnswer : ui::SaveAnswer::Cancel;
}

bool ScriptedPlatform::askYesNo(const QString& text) {
    auto e = next(Kind::YesNo, text);
    if (e) {
        EXPECT_TRUE(text.contains(e->text)) << text.toStdString();
    }
    return e && e->yes;
}

void ScriptedPlatform::reportError(const QString& text) {
    if (auto e = next(Kind::Error, text)) {
        EXPECT_EQ(text, e->text);
    }
}

std::optional<QString> ScriptedPlatform::chooseFile(Kind kind, ui::FileDialogState& state) {
    (kind == Kind::OpenFile ? lastOpen_ : lastSave_) = state;
    auto e = next(kind, state.initialDir);
    if (!e || !e->path) return std::nullopt;
    if (kind == Kind::OpenFile) {
        EXPECT_TRUE(QFileInfo::exists(*e->path)) << "the open dialog only accepts an existing file";
    }
    state.fileName = *e->path;
    if (e->after) e->after();
    return e->path;
}

std::optional<QString> ScriptedPlatform::chooseOpenFile(ui::FileDialogState& state) {
    return chooseFile(Kind::OpenFile, state);
}

std::optional<QString> ScriptedPlatform::chooseSaveFile(ui::FileDialogState& state) {
    return chooseFile(Kind::SaveFile, state);
}

void ScriptedPlatform::runModal(QDialog& dialog) {
    auto e = next(Kind::Modal, dialog.objectName());
    if (!e) return;
    EXPECT_EQ(dialog.objectName(), e->text);
    if (e->drive) e->drive(dialog);
}

void ScriptedPlatform::showHelp(const QString& helpFile, const QString& page) {
    if (auto e = next(Kind::Help, helpFile)) {
        EXPECT_EQ(helpFile, e->text);
        EXPECT_EQ(page, e->path.value_or(QString()));
    }
}

QStringList ScriptedPlatform::fontFamilies() {
    return {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("courier"), QStringLiteral("Arial"),
            QStringLiteral("Noto Sans CJK JP")};
}

void ScriptedPlatform::setUpPrinter(QPrinter& printer) {
    if (auto e = next(Kind::PrinterSetup, QStringLiteral("printer setup")); e && e->drivePrinter)
        e->drivePrinter(printer);
}

bool ScriptedPlatform::choosePrinter(QPrinter& printer) {
    auto e = next(Kind::Print, QStringLiteral("print dialog"));
    if (!e) return false;
    if (e->drivePrinter) e->drivePrinter(printer);
    return e->yes;
}
