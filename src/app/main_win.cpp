// Start-up: platform set-up, the program-wide objects, the main window, and the message loop. How the program
// ends is told in app/program_end_win.h.
#include <windows.h>
// (after <windows.h>)
#include <commctrl.h>

#include <cstdlib>
#include <vector>

#include "app/launcher_state_win.h"
#include "app/program_end_win.h"
#include "app/single_instance_win.h"
#include "platform/paths.h"
#include "platform/trace.h"
#include "ui/main_window_win.h"
#include "ui/modal_win.h"

namespace {

void record_launcher_dir() {
    std::vector<wchar_t> buf(32768);
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    const std::wstring dir = kv::directory_of(std::wstring(buf.data(), n));
    kv::set_launcher_dir(dir);
    // "D:" alone would mean the drive's current folder: the root is meant.
    const std::wstring cwd = (dir.size() == 2 && dir[1] == L':') ? dir + L"\\" : dir;
    SetCurrentDirectoryW(cwd.c_str());
}

void exit_routine() {
    kv::release_program_objects();
}

int run() {
    kv::start_com();
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_LINK_CLASS};
    InitCommonControlsEx(&icc);
    record_launcher_dir();
    kv::create_program_objects();
    std::atexit(exit_routine);
    kv::watch_session_end();

    int code = 0;
    kv::ui::MainWindow& main_window = kv::make_main_window();
    if (main_window.create()) {
        main_window.show_centred();
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (kv::ui::translate_dialog_keys(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        code = static_cast<int>(msg.wParam);
    }
    kv::finish_program();
    return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        if (!kv::claim_launcher_folder()) return 0;  // the folder's launcher came forward instead
        return run();
    } catch (...) {
        kv::trace_failure("wWinMain", kv::current_exception_text());
        return 1;
    }
}
