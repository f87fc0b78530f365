#include "tools/entertainment_window_win.h"

#include "app/launcher_state_win.h"
#include "app/resource.h"
#include "config/config.h"
#include "platform/shell_win.h"
#include "platform/text_win.h"
#include "platform/trace.h"
#include "tools/entertainment_layout.h"
#include "tools/tool_links.h"
#include "ui/browser_host_win.h"
#include "ui/main_window_win.h"
#include "ui/modal_win.h"

namespace kv::tools {
namespace {

constexpr DWORD kStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;

RECT to_rect(const Box& b) { return {b.x, b.y, b.x + b.w, b.y + b.h}; }

void place_top(HWND control, int x, int top) {
    SetWindowPos(control, nullptr, x, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

EntertainmentWindow::EntertainmentWindow() = default;
EntertainmentWindow::~EntertainmentWindow() = default;

bool EntertainmentWindow::create(const std::wstring& site_title, const std::wstring& address) {
    site_title_ = site_title;
    address_ = address;
    static HICON icon = nullptr;
    icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KORVALEN));
    register_class(kEntertainmentWindowClass, [](WNDCLASSEXW& wc) {
        wc.hIcon = icon;
        wc.hIconSm = icon;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    });
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kEntertainmentWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kEntertainmentHeight) / 2;
    if (!Window::create(0, kEntertainmentWindowClass, L"在线娱乐", kStyle, x, y, kEntertainmentWidth,
                        kEntertainmentHeight, nullptr, nullptr))
        return false;
    RECT r;
    GetWindowRect(hwnd(), &r);
    size_ = {r.right - r.left, r.bottom - r.top};
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    return true;
}

bool EntertainmentWindow::on_create(const CREATESTRUCTW& cs) {
    ui::launcher_window_opened();
    HWND w = hwnd();
    font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"SimSun"));

    ui::BrowserOptions options;
    options.silent = true;    // no script-error dialogs
    options.offline = false;  // offline would show only what the cache holds: nothing on a first visit
    options.text_size = 2;
    browser_ = ui::BrowserHost::create(w, kPlayer, to_rect(browser_box_on_create(cs.cx, cs.cy)), options);
    if (browser_) {
        browser_->set_new_window_handler([](const std::wstring&) { return false; });  // no pop-ups
        browser_->navigate(address_);
    } else {
        trace_failure("entertainment window", "the browser control was not created");
    }

    HWND tv = CreateWindowExW(
        0, L"BUTTON", L"播放电视直播", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kTvButtonBox.x,
        kTvButtonBox.y, kTvButtonBox.w, kTvButtonBox.h, w,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTvPageButton)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tv, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    voice_link_.create(w, kVoiceLink, kVoiceLinkBox.x, kVoiceLinkBox.y, kVoiceLinkBox.w, kVoiceLinkBox.h,
                       site_title_, L"",
                       {RGB(0, 0, 255), RGB(128, 0, 128), RGB(255, 0, 0), font_.get(), true});
    wait_note_.create(w, kWaitNote, kWaitNoteBox.x, kWaitNoteBox.y, kWaitNoteBox.w, kWaitNoteBox.h,
                      L"注意：根据网络响应速度，需要稍等片刻后才能正常使用~，多等几秒是不会怀孕的~",
                      {RGB(0, 0, 0), font_.get(), DT_LEFT, false});
    ui::add_dialog_keys(w);
    return true;
}

void EntertainmentWindow::on_size() {
    RECT r;
    GetWindowRect(hwnd(), &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    // Sizes reported while the window is being created, or shown for the first time, are the creation's own:
    // only a change of size counts.
    if (size_.cx < 0 || (width == size_.cx && height == size_.cy)) return;
    size_ = {width, height};
    if (browser_) browser_->move(to_rect(browser_box_after_resize(width, height)));
    const int top = row_top_after_resize(height);
    place_top(GetDlgItem(hwnd(), kTvPageButton), kTvButtonBox.x, top);
    place_top(voice_link_.hwnd(), kVoiceLinkBox.x, top);
    place_top(wait_note_.hwnd(), kWaitNoteBox.x, top);
}

void EntertainmentWindow::on_command(int id, int code) {
    if (id == IDCANCEL) {  // Esc
        DestroyWindow(hwnd());
        return;
    }
    if (code != BN_CLICKED) return;
    if (id == kTvPageButton && browser_) browser_->navigate(utf8_to_wide(default_tv_page()));
    if (id == kVoiceLink) open_url(utf8_to_wide(voice_chat_address()));
}

void EntertainmentWindow::bring_to_front() {
    if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
    SetForegroundWindow(hwnd());
}

LRESULT EntertainmentWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            return on_create(*reinterpret_cast<const CREATESTRUCTW*>(lp)) ? 0 : -1;
        case WM_SIZE:
            if (wp != SIZE_MINIMIZED) on_size();
            return 0;
        case WM_COMMAND:
            on_command(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_DESTROY:
            ui::remove_dialog_keys(hwnd());
            browser_.reset();
            return 0;
        case WM_NCDESTROY: {
            const LRESULT r = default_handle(msg, wp, lp);
            ui::launcher_window_closed();
            return r;
        }
    }
    return default_handle(msg, wp, lp);
}

void open_entertainment_window(const std::wstring& site_title_label) {
    LauncherState& s = launcher_state();
    s.EntertainmentUrl = read_setting("bf2_down", "url");  // read at each press, not at start-up
    s.SiteTitle = wide_to_gbk(site_title_label);

    static std::unique_ptr<EntertainmentWindow> window;  // UI thread only
    if (window && window->hwnd()) {
        window->bring_to_front();  // the page is not reloaded, the new values wait for the next opening
        return;
    }
    window = std::make_unique<EntertainmentWindow>();
    if (!window->create(gbk_to_wide(s.SiteTitle), gbk_to_wide(entertainment_address(s.EntertainmentUrl))))
        trace_failure("entertainment window", "the window was not created");
}

}  // namespace kv::tools
