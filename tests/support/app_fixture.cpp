#include "support/app_fixture.h"

#include <QLabel>
#include <QTest>
#include <QTextCursor>

AppFixture::AppFixture() : savedCwd(QDir::currentPath()) {
    QDir::setCurrent(dir.path());
    program = std::make_unique<app::Program>(platform, dir.path());
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

QByteArray AppFixture::readFile(const QString& filePath) const {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void AppFixture::type(const QString& text) {
    QPlainTextEdit* editor = form1().editor();
    editor->moveCursor(QTextCursor::End);
    editor->textCursor().insertText(text);
}

QString AppFixture::statusText() {
    return form1().findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text();
}
