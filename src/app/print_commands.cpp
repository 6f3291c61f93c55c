// Printer setup and printing of the document, through the platform's dialogs.
#include "app/main_window.h"

#include "view/printing.h"

#include <QPlainTextEdit>
#include <QPrinter>

namespace app {

QPrinter& TForm1::printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TForm1::A1Click() {
    run([this] { platform_.setUpPrinter(printer()); });
}

void TForm1::Print1Click() {
    run([this] {
        if (!platform_.choosePrinter(printer())) return;
        const ui::BusyCursor busy(platform_);
        const QString text = document_.text();
        // An empty document has no lines.
        view::printLines(text.isEmpty() ? QStringList() : text.split(u'\n'), RichEdit1->font(), printer());
    });
}

} // namespace app
