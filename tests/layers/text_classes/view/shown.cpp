// Formats of other classes are no text document: QTextBlockFormat, QTextDocumentFragment, MyQTextCursor.
void paint(const QTextCharFormat& format);
