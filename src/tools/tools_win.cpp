#include "tools/tools_win.h"

#include "tools/desktop_shortcut_win.h"
#include "tools/entertainment_window_win.h"
#include "tools/utility_panel_win.h"
#include "ui/main_window_win.h"

namespace kv::tools {

bool run_main_window_tool(ui::MainWindow& window, int id) {
    switch (id) {
        case ui::kKeyButton:
            open_utility_panel(window.hwnd());
            return true;
        case ui::kShortcutButton:
            make_desktop_shortcut();
            return true;
        case ui::kTvButton:
            open_entertainment_window(window.text(ui::kSiteTitle));
            return true;
        default:
            return false;
    }
}

}  // namespace kv::tools
