// The client version check: before a game start (更新启动器) and 立即更新 in the update window.
#include "update/version_check_win.h"

#include <tlhelp32.h>

#include <memory>

#include "app/launcher_state_win.h"
#include "app/main_steps_win.h"
#include "config/config.h"
#include "platform/http_fetch.h"
#include "platform/text_win.h"
#include "ui/main_window_win.h"
#include "update/update_open_win.h"
#include "update/update_road_win.h"
#include "update/update_rules.h"
#include "update/update_window_win.h"

namespace kv {
namespace {

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

void inform(const wchar_t* text, const wchar_t* title) {
    MessageBoxW(nullptr, text, title, MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
}

}  // namespace

DWORD find_process_id(std::string_view name) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    Handle owner(snap);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry)) {
        if (same_executable_name(wide_to_gbk(entry.szExeFile), name)) return entry.th32ProcessID;
    }
    return 0;
}

bool terminate_process(DWORD id) {
    Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
    return process && TerminateProcess(process.get(), 0);
}

std::string version_file_url() {
    return "http://" + launcher_state().UpdateHost + "/ostrel/ver.txt";
}

bool check_before_launch(ui::MainWindow& w) {
    LauncherState& s = launcher_state();
    s.LocalClientVersion = read_setting("bf2_exe", "version");
    const std::string remote = http_get_text(version_file_url());
    w.set_text(ui::kRemoteVersionEdit, gbk_to_wide(remote));
    delete_leftover_download();
    // The fetched bytes themselves are compared: the edit box shows them, but a round trip through the
    // screen's text could change bytes that are not valid GBK.
    switch (compare_versions(s.LocalClientVersion, remote)) {
        case VersionCheck::Equal:
            return true;
        case VersionCheck::RemoteEmpty:
            inform(
                L"连接更新服务器升级文件失败，无法进行下一步！\r\n如果您坚持需要进入游戏，请在升级检测关闭自"
                L"动升级功能",
                L"温馨提示");
            return false;
        case VersionCheck::Different:
            break;
    }
    if (MessageBoxW(nullptr, L"检测到战地2登录器BF2.exe有了新版本，是否更新？", L"发现新版本",
                    MB_OKCANCEL | MB_TASKMODAL) != IDOK) {
        inform(
            L"升级被取消！取消升级是无法进入游戏的！\r\n如果您坚持需要进入游戏，请在升级检测关闭自动升级功能",
            L"温馨提示");
        return false;
    }
    if (!w.hwnd()) return false;  // the window went while the question was open
    ShowWindow(w.hwnd(), SW_HIDE);
    open_update_window_modal(w.hwnd());
    return false;
}

void update_now(ui::UpdateWindow& w) {
    w.set_text(ui::kUpdStatusLine, L"强制关闭BF2.exe，并尝试连接服务器，请稍后…");
    terminate_process(find_process_id("BF2.exe"));
    const std::string remote = http_get_text(version_file_url());
    w.set_text(ui::kUpdRemoteVersion, gbk_to_wide(remote));
    switch (compare_versions(launcher_state().LocalClientVersion, remote)) {
        case VersionCheck::Different:
            start_client_download(w, remote);
            break;
        case VersionCheck::RemoteEmpty:
            inform(L"连接不到升级文件，通信失败。建议您手动下载BF2.exe登录器", L"温馨提示");
            break;
        case VersionCheck::Equal:
            inform(L"版本无需更新，感谢使用", L"提示");
            w.close();
            show_main_window();
            break;
    }
    w.set_text(ui::kUpdStatusLine, L"");  // does nothing once the window is closed
}

}  // namespace kv
