// The help window's browser may use the rich text classes: QTextDocument* page = browser->document();
