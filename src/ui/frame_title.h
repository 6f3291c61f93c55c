#pragma once
// Group boxes of the forms: a thin frame with the title sitting on its top line, as the program's forms
// were laid out, so the first row of controls clears it.
#include <QGroupBox>

namespace ui {

inline void putTitleOnFrame(QGroupBox* box) {
    const QString selector = QStringLiteral("QGroupBox#") + box->objectName();
    box->setStyleSheet(
        selector +
        QStringLiteral(" { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }") +
        selector +
        QStringLiteral("::title { subcontrol-origin: margin; subcontrol-position: top left; "
                       "left: 8px; padding: 0 2px; }"));
}

} // namespace ui
