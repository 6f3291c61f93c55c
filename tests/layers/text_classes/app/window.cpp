#include <QPlainTextEdit>
void wire(QPlainTextEdit* editor);
