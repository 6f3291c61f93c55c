#include "app/about_box.h"

#include "base/app_info.h"
#include "base/fonts.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace app {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFont(base::windowFont());
    setFixedSize(298, 213);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 281, 161);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(23, 17, 41, 38);
    icon->setScaledContents(true);
    const QIcon programIcon = QApplication::windowIcon().isNull()
                                  ? style()->standardIcon(QStyle::SP_FileDialogDetailedView)
                                  : QApplication::windowIcon();
    icon->setPixmap(programIcon.pixmap(41, 38));

    auto* title = new QLabel(base::kApplicationTitle, panel);
    title->setObjectName(QStringLiteral("ProductName"));
    QFont titleFont(QStringLiteral("Impact"));
    titleFont.setPixelSize(27);
    titleFont.setBold(true);
    titleFont.setUnderline(true);
    title->setFont(titleFont);
    title->move(88, 25);
    title->adjustSize();

    auto* version = new QLabel(QStringLiteral("Version2.2"), panel);
    version->setObjectName(QStringLiteral("Version"));
    version->move(190, 64);
    version->adjustSize();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(111, 180, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace app
