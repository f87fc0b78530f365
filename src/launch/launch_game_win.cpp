// The game launch from the main window's start buttons.
#include <windows.h>

#include "app/launcher_state_win.h"
#include "app/main_steps_win.h"
#include "launch/launch_args.h"
#include "platform/paths.h"
#include "platform/shell_win.h"
#include "ui/main_window_win.h"

namespace kv {

void launch_game(ui::MainWindow& w) {
    std::error_code ec;
    if (!std::filesystem::exists(launcher_file("\\BF2.exe"), ec)) {
        MessageBoxW(nullptr, L"没有检测到客户端，无法启动战地2！请将本软件放置战地2主目录文件夹", L"路径错误",
                    MB_OK | MB_ICONWARNING | MB_TASKMODAL);
        return;
    }
    // The resolution applies to full screen only.
    const std::wstring args = launch_arguments(w.checked(ui::kWindowedCheck), w.checked(ui::kIntroCheck),
                                               w.text(ui::kWidthEdit), w.text(ui::kHeightEdit));
    const std::wstring path = w.text(ui::kClientPathEdit);
    run_with_shell(launcher_state().ShellObject, path, args);
    w.set_text(ui::kEchoEdit, launch_echo(path, args));
    ShowWindow(w.hwnd(), SW_HIDE);
}

}  // namespace kv
