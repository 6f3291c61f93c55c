// Help and the about box.
#include "app/main_window.h"

#include "app/about_box.h"
#include "app/program.h"
#include "base/app_info.h"

namespace app {

void TForm1::Help2Click() {
    run([this] { platform_.showHelp(base::kHelpFile, {}); });
}

// The one about box made at program start, shown again each time.
void TForm1::About1Click() {
    run([this] { platform_.runModal(*windows_.aboutBox); });
}

} // namespace app
