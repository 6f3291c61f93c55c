#pragma once
// TAboutBox "ﾊﾞｰｼﾞｮﾝ情報": the program's name and version; one instance, made at program start.
#include <QDialog>

namespace app {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

} // namespace app
