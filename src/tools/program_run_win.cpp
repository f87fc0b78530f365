#include "tools/program_run_win.h"

#include <shellapi.h>

#include "tools/command_lines.h"
#include "ui/gdi_win.h"

namespace kv::tools {
namespace {

constexpr DWORD kWaitLimitMs = 120000;
constexpr DWORD kErrorElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED; the mingw-w64 headers lack it

void close_handle(HANDLE h) { CloseHandle(h); }
using OwnedHandle = ui::Owned<HANDLE, close_handle>;

RunResult finish(HANDLE process, bool wait) {
    if (!wait) {
        WaitForInputIdle(process, 1000);
        return {RunOutcome::Started};
    }
    if (WaitForSingleObject(process, kWaitLimitMs) != WAIT_OBJECT_0) return {RunOutcome::TimedOut};
    RunResult ended{RunOutcome::Ended};
    if (!GetExitCodeProcess(process, &ended.exit_code)) ended.exit_code = 0;
    return ended;
}

RunResult run_elevated(const ProgramRun& run) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = run.owner;
    info.lpVerb = L"runas";
    info.lpFile = run.program.c_str();
    info.lpParameters = run.arguments.empty() ? nullptr : run.arguments.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
        const DWORD error = GetLastError();
        return {error == ERROR_CANCELLED ? RunOutcome::Refused : RunOutcome::Failed, error};
    }
    // An executable always yields its process; without one there is nothing to wait for.
    if (!info.hProcess) return {run.wait ? RunOutcome::Failed : RunOutcome::Started};
    const OwnedHandle process(info.hProcess);
    return finish(process.get(), run.wait);
}

RunResult run_plain(const ProgramRun& run) {
    std::wstring command = program_command_line(run.program, run.arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        const DWORD error = GetLastError();
        if (error == kErrorElevationRequired) return run_elevated(run);
        return {RunOutcome::Failed, error};
    }
    const OwnedHandle process(info.hProcess);
    const OwnedHandle thread(info.hThread);
    return finish(process.get(), run.wait);
}

}  // namespace

RunResult run_program(const ProgramRun& run) { return run.elevated ? run_elevated(run) : run_plain(run); }

bool process_is_elevated() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const OwnedHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) return false;
    return elevation.TokenIsElevated != 0;
}

std::wstring windows_folder_program(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return name;
    std::wstring path(folder, n);
    if (path.back() != L'\\') path += L'\\';
    return path + name;
}

}  // namespace kv::tools
