#include "base/failure.h"

namespace base {

QString withFinalPeriod(const QString& message) {
    if (!message.isEmpty() && message.back() > u'.') return message + u'.';
    return message;
}

} // namespace base
