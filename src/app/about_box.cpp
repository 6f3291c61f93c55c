#include "app/about_box.h"

#include "base/app_info.h"
#include "base/fonts.h"
#include "ui/form_setup.h"

#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <qdrawutil.h>

namespace app {

namespace {

// A panel with a lowered outer and a raised inner bevel, one pixel each.
class BevelPanel : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        qDrawShadePanel(&painter, rect(), palette(), true, 1);
        qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
    }
};

// The program icon drawn at the size it is shown at, stretched as the box lays it out; a stock picture
// where the SVG image plug-in is missing.
QPixmap programIcon(const QSize& size, qreal ratio, const QStyle& style) {
    QImageReader reader(base::kProgramIcon);
    reader.setScaledSize(size * ratio);
    QImage image = reader.read();
    if (image.isNull()) return style.standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(size);
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(image);
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    ui::setUpFixedWindow(this, QStringLiteral("TAboutBox"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), QSize(298, 213));

    auto* panel = new BevelPanel(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 281, 161);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(23, 17, 41, 38);
    icon->setScaledContents(true);
    icon->setPixmap(programIcon(icon->size(), devicePixelRatioF(), *style()));

    auto* title = new QLabel(base::kApplicationTitle, panel);
    title->setObjectName(QStringLiteral("ProductName"));
    QFont titleFont(base::kTitleFontName);
    titleFont.setPixelSize(27);
    titleFont.setBold(true);
    titleFont.setUnderline(true);
    title->setFont(titleFont);
    title->move(88, 25);
    title->adjustSize();

    auto* version = new QLabel(QStringLiteral("Version") + base::kVersion, panel);
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
