#include "tools/utility_panel_win.h"

#include "app/launcher_state_win.h"
#include "app/resource.h"
#include "platform/paths.h"
#include "platform/shell_win.h"
#include "platform/text_win.h"
#include "platform/trace.h"
#include "tools/command_lines.h"
#include "tools/program_run_win.h"
#include "tools/registry_fixes_win.h"
#include "tools/registry_script.h"
#include "tools/tool_links.h"
#include "ui/main_links.h"
#include "ui/main_window_win.h"
#include "ui/modal_win.h"

namespace kv::tools {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kCaptionBlue = RGB(0, 136, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kVisited = RGB(128, 0, 0);
constexpr COLORREF kHoverBlue = RGB(51, 153, 255);

// Places of the group boxes; the controls inside them are laid out relative to these.
constexpr POINT kDownloads{16, 16};
constexpr POINT kFixes{288, 16};
constexpr POINT kFolder{17, 168};

struct ButtonPlace {
    int id;
    POINT group;
    int x, y;
    const wchar_t* text;
};
constexpr ButtonPlace kButtons[] = {
    {kAnticheatButton, kDownloads, 16, 32, L"PB反作弊程序"},
    {kModsButton, kDownloads, 136, 32, L"BF2模组+地图包"},
    {kDirectxButton, kDownloads, 16, 69, L"Directx 9.0c"},
    {kFullscreenFixButton, kFixes, 16, 32, L"全屏修复补丁"},
    {kLanguageFixButton, kFixes, 16, 64, L"中文修复补丁"},
    {kCrashHelpButton, kFixes, 16, 98, L"游戏闪退问题"},
    {kScreenshotButton, kFolder, 8, 16, L"游戏截图文件夹"},
};

struct GroupPlace {
    int id;
    POINT at;
    int w, h;
    const wchar_t* caption;
};
constexpr GroupPlace kGroups[] = {
    {kDownloadsGroup, kDownloads, 264, 144, L"下载服务"},
    {kFixesGroup, kFixes, 128, 144, L"修复功能"},
    {kFolderGroup, kFolder, 399, 48, L""},
};

UtilityPanel* open_panel = nullptr;  // UI thread only

HWND make_child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y,
                int w, int h, HFONT font) {
    HWND h_ctl = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                 nullptr);
    if (h_ctl && font) SendMessageW(h_ctl, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h_ctl;
}

// A task-modal box without an owner; the panel gets the activation back afterwards, so that Esc and Tab
// keep working in it.
void show_message(HWND panel, const FixMessage& m) {
    MessageBoxW(nullptr, m.text, L"温馨提示", MB_OK | m.icon | MB_TASKMODAL);
    if (IsWindow(panel)) SetForegroundWindow(panel);
}

}  // namespace

bool UtilityPanel::create(HWND owner, const std::string& update_host) {
    update_host_ = update_host;
    static HICON icon = nullptr;
    icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KORVALEN));
    register_class(kUtilityPanelClass, [](WNDCLASSEXW& wc) {
        wc.hIcon = icon;
        wc.hIconSm = icon;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    });
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    if (!Window::create(0, kUtilityPanelClass, L"实用面板",
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, x, y, kWidth, kHeight,
                        owner, nullptr))
        return false;
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    return true;
}

void UtilityPanel::create_controls() {
    HWND w = hwnd();
    font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"SimSun"));
    black_.reset(CreateSolidBrush(kBlack));
    HFONT f = font_.get();

    for (const ButtonPlace& b : kButtons) {
        make_child(w, L"BUTTON", b.text, WS_TABSTOP | BS_PUSHBUTTON, b.id, b.group.x + b.x, b.group.y + b.y,
                   96, 24, f);
    }
    note_.create(w, kPopupNote, kDownloads.x + 16, kDownloads.y + 112, 208, 16,
                 L"相关按钮均采用弹出网页，请注意放行", {RGB(255, 255, 255), f, DT_LEFT, false});

    const Hyperlink::Style blue{kCaptionBlue, kVisited, kHoverBlue, f};
    const std::wstring host = gbk_to_wide(update_host_);
    host_link_.create(w, kHostLink, kFolder.x + 159, kFolder.y + 16, 192, 24, host,
                      gbk_to_wide(update_host_address(update_host_)), blue);
    credit_link_.create(w, kCreditLink, 16, 224, 400, 24,
                        L"开发时间：2016年3月，部分资源整合来源于互联网， 软件作者：Talvern ", L"",
                        {kYellow, kVisited, kHoverBlue, f});
    maker_link_.create(w, kMakerLink, 136, 264, 128, 24, L"Talvern", utf8_to_wide(maker_front_address()),
                       {kCaptionBlue, kVisited, kYellow, f});

    // The script of the full-screen fix, beyond the right edge: never seen.
    make_child(w, L"EDIT", utf8_to_wide(fullscreen_script()).c_str(), ES_MULTILINE | ES_AUTOVSCROLL,
               kScriptEdit, 568, 176, 168, 48, f);

    // Group boxes last: they lie below the controls they frame.
    for (std::size_t i = 0; i < std::size(kGroups); ++i) {
        const GroupPlace& g = kGroups[i];
        groups_[i].create(w, g.id, g.at.x, g.at.y, g.w, g.h, g.caption, kCaptionBlue, f);
    }
}

void UtilityPanel::run_fullscreen_fix() {
    // The script is the text of 编辑框2, as the panel carries it.
    const std::string script = wide_to_gbk(ui::window_text(GetDlgItem(hwnd(), kScriptEdit)));
    FixSystem system;
    system.owner = hwnd();
    const FixOutcome outcome = apply_fullscreen_fix(launcher_file(kFullscreenScriptName), script, system);
    show_message(hwnd(), fullscreen_fix_message(outcome));
}

void UtilityPanel::run_language_fix() {
    FixSystem system;
    system.owner = hwnd();
    show_message(hwnd(), language_fix_message(apply_language_fix(system)));
}

void UtilityPanel::open_screenshot_folder() {
    const std::wstring folder = screenshot_folder(special_folder_path(5));
    const RunResult r = run_program({L"explorer.exe", quote_argument(folder), false, false, hwnd()});
    if (r.outcome == RunOutcome::Failed)
        trace_failure("screenshot folder", "explorer not started, error " + std::to_string(r.error));
}

void UtilityPanel::on_command(int id, int code) {
    if (id == IDCANCEL) {  // Esc
        DestroyWindow(hwnd());
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case kAnticheatButton:
            open_url(utf8_to_wide(anticheat_address()));
            break;
        case kModsButton:
            open_url(utf8_to_wide(mods_page_address()));
            break;
        case kDirectxButton:
            open_url(utf8_to_wide(directx_address()));
            break;
        case kCrashHelpButton:
            open_url(utf8_to_wide(crash_help_address()));
            break;
        case kFullscreenFixButton:
            run_fullscreen_fix();
            break;
        case kLanguageFixButton:
            run_language_fix();
            break;
        case kScreenshotButton:
            open_screenshot_folder();
            break;
        default:
            break;  // the links open their own addresses
    }
}

LRESULT UtilityPanel::on_ctl_color(HDC dc, HWND) {
    SetBkColor(dc, kBlack);
    return reinterpret_cast<LRESULT>(black_.get());
}

LRESULT UtilityPanel::handle(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == ui::backdrop_message()) {
        RECT area;
        GetClientRect(hwnd(), &area);
        FillRect(reinterpret_cast<HDC>(wp), &area, black_.get());
        return 1;
    }
    switch (msg) {
        case WM_CREATE:
            ui::launcher_window_opened();
            create_controls();
            ui::add_dialog_keys(hwnd());
            open_panel = this;
            return 0;
        case WM_COMMAND:
            on_command(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return on_ctl_color(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        case WM_DESTROY:
            ui::remove_dialog_keys(hwnd());
            if (open_panel == this) open_panel = nullptr;
            return 0;
        case WM_NCDESTROY: {
            const LRESULT r = default_handle(msg, wp, lp);
            ui::launcher_window_closed();
            return r;
        }
    }
    return default_handle(msg, wp, lp);
}

void open_utility_panel(HWND main) {
    if (open_panel && open_panel->hwnd()) {
        SetForegroundWindow(open_panel->hwnd());
        return;
    }
    UtilityPanel panel;
    if (!panel.create(main, launcher_state().UpdateHost)) {
        trace_failure("utility panel", "the window was not created");
        return;
    }
    ui::run_modal(panel.hwnd(), main);
}

}  // namespace kv::tools
