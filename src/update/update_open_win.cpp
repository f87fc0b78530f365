#include "update/update_open_win.h"

#include "platform/paths.h"
#include "ui/modal_win.h"
#include "update/update_road_win.h"
#include "update/update_window_win.h"

namespace kv {

void delete_leftover_download() {
    if (client_download_pending()) return;
    DeleteFileW(launcher_file("\\BF2_update.bak").c_str());
}

void open_update_window_modal(HWND main_window) {
    if (auto* open = ui::UpdateWindow::current()) {  // opened again: only brought to the front
        SetForegroundWindow(open->hwnd());
        return;
    }
    ui::UpdateWindow window;
    if (!window.create(update_road_window())) return;
    ui::run_modal(window.hwnd(), main_window);
}

void open_update_window(HWND main_window) {
    delete_leftover_download();
    open_update_window_modal(main_window);
}

}  // namespace kv
