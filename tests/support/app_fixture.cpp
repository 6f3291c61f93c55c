#include "support/app_fixture.h"

#include "entry/user_list.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QTest>

AppFixture::AppFixture() : savedCwd(QDir::currentPath()) {
    QDir::setCurrent(dir.path());
    program = std::make_unique<app::Program>(platform, dir.path(), settings, recoveryDir.path());
}

void AppFixture::restart() {
    program.reset();
    program = std::make_unique<app::Program>(platform, dir.path(), settings, recoveryDir.path());
}

AppFixture::~AppFixture() {
    program.reset();
    QDir::setCurrent(savedCwd);
}

QString AppFixture::writeFile(const QString& name, const QByteArray& bytes) const {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

QString AppFixture::writeLargeFile(const QString& name, const QByteArray& chunk) const {
    QByteArray bytes;
    bytes.reserve(app::BackgroundRead::kAboveBytes + chunk.size());
    while (bytes.size() <= app::BackgroundRead::kAboveBytes)
        bytes += chunk;
    return writeFile(name, bytes);
}

QByteArray AppFixture::readFile(const QString& filePath) const {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void AppFixture::type(const QString& text) {
    edit(store().size(), 0, text);
}

void AppFixture::edit(qsizetype from, qsizetype length, const QString& text) {
    view::TextView& view = editor();
    view.setSelection(from, from + length);
    if (text.isEmpty())
        view.deleteSelection();
    else
        view.insertText(text);
}

std::unique_ptr<entry::TForm2> AppFixture::newForm() {
    auto form =
        std::make_unique<entry::TForm2>(platform, form1().entryDocument(), entry::userListPath(dir.path()));
    form->show();
    return form;
}

bool makeUnreadableFile(const QString& path) {
    if (!QFile::link(QStringLiteral("/proc/self/mem"), path)) return false;
    QFile probe(path);
    if (probe.open(QIODevice::ReadOnly)) probe.readAll();
    return probe.error() != QFileDevice::NoError;
}

QString AppFixture::statusText() {
    return form1().findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text();
}

void AppFixture::command(const char* name) {
    const QString objectName = QString::fromLatin1(name);
    if (auto* action = form1().findChild<QAction*>(objectName)) {
        if (!action->isEnabled()) ADD_FAILURE() << name << " is greyed";
        action->trigger(); // a greyed action does nothing
    } else if (auto* button = form1().findChild<QAbstractButton*>(objectName)) {
        if (!button->isEnabled()) ADD_FAILURE() << name << " is greyed";
        button->click();
    } else {
        ADD_FAILURE() << "no command " << name;
    }
}
