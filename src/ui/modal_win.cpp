#include "ui/modal_win.h"

#include <algorithm>
#include <vector>

namespace kv::ui {
namespace {

// UI thread only.
std::vector<HWND>& dialog_windows() {
    static std::vector<HWND> windows;
    return windows;
}

}  // namespace

void add_dialog_keys(HWND window) {
    auto& w = dialog_windows();
    if (window && std::find(w.begin(), w.end(), window) == w.end()) w.push_back(window);
}

void remove_dialog_keys(HWND window) { std::erase(dialog_windows(), window); }

bool translate_dialog_keys(MSG& msg) {
    auto& windows = dialog_windows();
    std::erase_if(windows, [](HWND h) { return !IsWindow(h); });
    for (HWND w : windows) {
        if (msg.hwnd == w || IsChild(w, msg.hwnd)) return IsDialogMessageW(w, &msg) != FALSE;
    }
    return false;
}

void run_modal(HWND window, HWND disabled) {
    if (!window) return;
    const bool was_enabled = disabled && IsWindowEnabled(disabled);
    if (was_enabled) EnableWindow(disabled, FALSE);
    MSG msg;
    bool quit = false;
    WPARAM quit_code = 0;
    while (IsWindow(window)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quit_code = msg.wParam;
            break;
        }
        if (got < 0) break;
        if (translate_dialog_keys(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (was_enabled) {
        // The system activated some other window when the modal one went; give the activation back.
        EnableWindow(disabled, TRUE);
        if (IsWindowVisible(disabled)) SetForegroundWindow(disabled);
    }
    if (IsWindow(window)) DestroyWindow(window);
    if (quit) PostQuitMessage(static_cast<int>(quit_code));
}

}  // namespace kv::ui
