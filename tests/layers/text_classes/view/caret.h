#pragma once
// Kept as the old widget's QTextCursor did.
int caret();
