#include "app/document_adapter.h"

#include "app/document.h"

namespace app {

bool DocumentAdapter::labelInUse(const QString& label) const {
    return document_.labelInUse(label);
}

void DocumentAdapter::appendLines(const QStringList& lines) {
    document_.appendLines(lines);
}

int DocumentAdapter::entryCount() const {
    return document_.entryCount();
}

} // namespace app
