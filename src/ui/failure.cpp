#include "ui/failure.h"

namespace ui {

QString withFinalPeriod(const QString& message) {
    if (!message.isEmpty() && message.back() > u'.') return message + u'.';
    return message;
}

} // namespace ui
