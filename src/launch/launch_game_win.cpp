// The game launch from the main window's start buttons.
#include <windows.h>

#include "app/launcher_state_win.h"
#include "app/main_steps_win.h"
#include "launch/launch_args.h"
#include "launch/start_problem.h"
#include "platform/long_path_win.h"
#include "platform/owned_handle_win.h"
#include "platform/paths.h"
#include "platform/shell_win.h"
#include "ui/main_window_win.h"

namespace kv {
namespace {

// What can be known before asking the shell: the shell answers some of these with a dialog of its own and no
// process, and the player should hear the reason from the launcher.
StartProblem check_client(const std::wstring& path) {
    if (const StartProblem p = path_length_problem(path); p != StartProblem::None) return p;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return problem_of_error(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return StartProblem::NotProgram;
    OwnedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return problem_of_error(GetLastError());
    char head[2] = {};
    DWORD got = 0;
    if (!ReadFile(file.get(), head, sizeof head, &got, nullptr)) return problem_of_error(GetLastError());
    return program_header_problem(std::string_view(head, got));
}

StartProblem problem_of_run(HRESULT hr) {
    if (SUCCEEDED(hr)) return StartProblem::None;
    if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return problem_of_error(HRESULT_CODE(hr));
    return StartProblem::Other;
}

void tell_start_problem(StartProblem problem, HRESULT hr) {
    MessageBoxW(nullptr, start_problem_text(problem, static_cast<std::uint32_t>(hr)).c_str(), L"温馨提示",
                MB_OK | MB_ICONWARNING | MB_TASKMODAL);
}

}  // namespace

void launch_game(ui::MainWindow& w) {
    // Asked in the long form: a deep game folder must not read as a missing client.
    if (GetFileAttributesW(extended_path(launcher_file("\\BF2.exe")).c_str()) == INVALID_FILE_ATTRIBUTES) {
        MessageBoxW(nullptr, L"没有检测到客户端，无法启动战地2！请将本软件放置战地2主目录文件夹", L"路径错误",
                    MB_OK | MB_ICONWARNING | MB_TASKMODAL);
        return;
    }
    // The resolution applies to full screen only.
    const std::wstring args = launch_arguments(w.checked(ui::kWindowedCheck), w.checked(ui::kIntroCheck),
                                               w.text(ui::kWidthEdit), w.text(ui::kHeightEdit));
    const std::wstring path = w.text(ui::kClientPathEdit);
    // A start that failed is not a start: the window stays, the echo keeps the last command that ran, and the
    // player is told why.
    const ShellHolder& shell = launcher_state().ShellObject;
    StartProblem problem = shell.Created ? check_client(path) : StartProblem::NoShell;
    HRESULT hr = S_OK;
    if (problem == StartProblem::None) {
        hr = run_with_shell(shell, path, args);
        problem = problem_of_run(hr);
    }
    if (problem != StartProblem::None) {
        tell_start_problem(problem, hr);
        return;
    }
    w.set_text(ui::kEchoEdit, launch_echo(path, args));
    ShowWindow(w.hwnd(), SW_HIDE);
}

}  // namespace kv
