#include "ui/main_window_win.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <windowsx.h>

#include "app/launcher_state_win.h"
#include "app/main_steps_win.h"
#include "app/resource.h"
#include "app/single_instance_win.h"
#include "config/config.h"
#include "deploy.h"
#include "platform/shell_win.h"
#include "platform/text_win.h"
#include "tools/tools_win.h"
#include "ui/browser_host_win.h"
#include "ui/clock_text.h"
#include "ui/main_links.h"
#include "update/update_open_win.h"

namespace kv::ui {
namespace {

constexpr int kWidth = 501;
constexpr int kHeight = 295;
constexpr COLORREF kPanelBlue = RGB(28, 70, 227);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kYellow = RGB(216, 216, 0);
constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr UINT_PTR kClockTimer = 1;

int window_count = 0;

HFONT make_font(int height, const wchar_t* face, BYTE charset) {
    return CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

// Where the window's top left corner goes for it to sit in the middle of the primary screen.
POINT centred_origin() {
    return {(GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2, (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2};
}

HWND make_edit(HWND parent, int id, int x, int y, int w, int h, DWORD style, DWORD ex_style, HFONT font) {
    HWND e = CreateWindowExW(ex_style, L"EDIT", L"", WS_CHILD | style, x, y, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (e && font) SendMessageW(e, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return e;
}

}  // namespace

void launcher_window_opened() { ++window_count; }
void launcher_window_closed() {
    if (--window_count <= 0) PostQuitMessage(0);
}

// ---- The title strip (图片框1): tiles the title picture, carries the title, hide and close buttons. ----

class MainWindow::TitleStrip : public Window {
public:
    bool create(HWND parent) {
        register_class(L"KvTitleStrip", [](WNDCLASSEXW& wc) { wc.hbrBackground = nullptr; });
        picture_ = load_picture(L"TITLE");
        return Window::create(0, L"KvTitleStrip", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0,
                              34, 500, 41, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTitleStrip))) !=
               nullptr;
    }

protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == backdrop_message()) {
            paint(reinterpret_cast<HDC>(wp));
            return 1;
        }
        switch (msg) {
            case WM_ERASEBKGND:
                return 1;
            case WM_PAINT:
                paint_buffered(hwnd(), [this](HDC dc, const RECT&) { paint(dc); });
                return 0;
            case WM_SETCURSOR:
                if (LOWORD(lp) != HTCLIENT) break;
                SetCursor(window_pointer(hwnd()));  // the main window's own arrow
                return TRUE;
            case WM_MOUSEMOVE:
            case WM_LBUTTONDOWN:
                notify_parent(hwnd(), msg == WM_MOUSEMOVE ? kNotifyMouseMove : kNotifyPressed);
                return 0;
            case WM_COMMAND:  // the strip's own controls report to the main window
                return SendMessageW(GetParent(hwnd()), msg, wp, lp);
        }
        return default_handle(msg, wp, lp);
    }

public:
    static constexpr WORD kNotifyPressed = 0x7003;

private:
    void paint(HDC dc) {
        RECT rc;
        GetClientRect(hwnd(), &rc);
        if (picture_) {
            paint_tiled(dc, picture_, rc);
        } else {
            HBRUSH b = CreateSolidBrush(kPanelBlue);
            FillRect(dc, &rc, b);
            DeleteObject(b);
        }
    }
    Picture picture_;
};

// ---- MainWindow ----

MainWindow::MainWindow() = default;
MainWindow::~MainWindow() = default;

bool MainWindow::create() {
    register_class(kMainWindowClass, [](WNDCLASSEXW& wc) {
        // Shared resources: the system keeps them as long as the program, so they outlive every window of the
        // class and the class itself.
        const HINSTANCE self = GetModuleHandleW(nullptr);
        wc.hIcon = LoadIconW(self, MAKEINTRESOURCEW(IDI_KORVALEN));
        wc.hIconSm = wc.hIcon;
        const HCURSOR arrow = LoadCursorW(self, MAKEINTRESOURCEW(IDC_KORVALEN_ARROW));
        wc.hCursor = arrow ? arrow : LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = nullptr;
    });
    const POINT at = centred_origin();
    return Window::create(WS_EX_APPWINDOW, kMainWindowClass, L"Korvalen", WS_POPUP | WS_CLIPCHILDREN, at.x, at.y,
                          kWidth, kHeight, nullptr, nullptr) != nullptr;
}

void MainWindow::show_centred() {
    const POINT at = centred_origin();
    SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
}

HWND MainWindow::control(int id) const {
    if (!hwnd()) return nullptr;
    if (HWND h = GetDlgItem(hwnd(), id)) return h;
    return strip_ ? GetDlgItem(strip_->hwnd(), id) : nullptr;
}

std::wstring MainWindow::text(int id) const { return window_text(control(id)); }

void MainWindow::set_text(int id, const std::wstring& text) { SetWindowTextW(control(id), text.c_str()); }

bool MainWindow::checked(int id) const { return SendMessageW(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void MainWindow::set_checked(int id, bool checked) {
    SendMessageW(control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MainWindow::set_available(int id, bool available) {
    HWND h = control(id);
    ShowWindow(h, available ? SW_SHOW : SW_HIDE);
    EnableWindow(h, available);
}

bool MainWindow::on_create() {
    launcher_window_opened();
    skin_ = load_picture(L"SKIN");
    panel_brush_.reset(CreateSolidBrush(kPanelBlue));
    navy_brush_.reset(CreateSolidBrush(kNavy));
    title_font_.reset(make_font(12, L"SimHei", GB2312_CHARSET));
    echo_font_.reset(make_font(9, L"Arial Narrow", DEFAULT_CHARSET));
    ui_font_.reset(make_font(12, L"SimSun", GB2312_CHARSET));
    site_font_.reset(make_font(12, L"SimSun", GB2312_CHARSET));
    create_controls();
    clock_timer_.start(hwnd(), kClockTimer, 1000);
    setup_main_window(*this);
    return true;
}

void MainWindow::create_controls() {
    HWND w = hwnd();
    strip_ = std::make_unique<TitleStrip>();
    strip_->create(w);
    HWND s = strip_->hwnd();

    Label::Style yellow{kYellow, ui_font_.get(), DT_CENTER, false};
    title_text_.create(s, kTitleText, 11, 6, 157, 32, L"Korvalen(联合版)", {kYellow, title_font_.get(), DT_LEFT, false});
    hide_.create(s, kHideButton, 407, 7, 35, 27, {L"MIN_NORMAL", L"MIN_HOVER", L"MIN_PRESSED", nullptr});
    close_.create(s, kCloseButton, 455, 7, 35, 27, {L"CLOSE_NORMAL", L"CLOSE_HOVER", L"CLOSE_PRESSED", nullptr});

    // Read-only rather than disabled: a disabled edit box draws grey whatever colour it is given.
    HWND echo = make_edit(w, kEchoEdit, 0, 73, 504, 21, WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_READONLY,
                          0, echo_font_.get());
    make_display_line(echo);
    // The title strip lies above the echo line where the two overlap.
    SetWindowPos(s, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    const PictureButton::Pictures round{L"ROUND_NORMAL", L"ROUND_HOVER", L"ROUND_PRESSED", L"ROUND_DISABLED"};
    h1_.create(w, kUpdateButton, 37, 104, 25, 25, round);
    h1_caption_.create(w, kUpdateCaption, 63, 104, 56, 24, L"检测升级", yellow);
    h2_.create(w, kShortcutButton, 37, 130, 25, 25, round);
    h2_caption_.create(w, kShortcutCaption, 63, 130, 56, 24, L"桌面方式", yellow);

    for (auto [id, y, caption] : {std::tuple{kWindowedCheck, 108, L"窗口模式"}, std::tuple{kIntroCheck, 134, L"跳过动画"}}) {
        HWND box = CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 134, y,
                                   74, 16, w, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
        SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(ui_font_.get()), FALSE);
        // Themed check boxes ignore the text colour; these are drawn classic to show silver on blue.
        SetWindowTheme(box, L"", L"");
        use_hand_pointer(box);
    }

    resolution_caption_.create(w, kResolutionCaption, 46, 161, 49, 16, L"分辨率:", {kSilver, ui_font_.get(), DT_LEFT, false});
    for (auto [id, x, width] : {std::tuple{kWidthEdit, 97, 40}, std::tuple{kHeightEdit, 152, 48}}) {
        HWND e = make_edit(w, id, x, 159, width, 20, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, nullptr);
        SendMessageW(e, EM_LIMITTEXT, 5, 0);
        make_integer_edit(e);
    }
    times_.create(w, kTimesLabel, 141, 161, 16, 16, L"*", {kGrey, ui_font_.get(), DT_LEFT, false});
    make_display_line(
        make_edit(w, kClockEdit, 40, 184, 171, 16, WS_VISIBLE | ES_CENTER | ES_READONLY, 0, ui_font_.get()));

    start_.create(w, kStartButton, 67, 218, 105, 30, {L"START_NORMAL", L"START_HOVER", nullptr, nullptr});
    update_start_.create(w, kUpdateStartButton, 48, 218, 105, 30, {L"START_HOVER", L"START_NORMAL", nullptr, nullptr});
    ShowWindow(control(kUpdateStartButton), SW_HIDE);  // laid out hidden (but enabled) until settings load
    h3_.create(w, kTvButton, 173, 221, 25, 25, {L"TV_NORMAL", L"TV_HOVER", L"TV_PRESSED", nullptr});
    tip_.create(w, kTipLabel, 243, 216, 224, 16, L"", {RGB(255, 255, 0), ui_font_.get(), DT_LEFT, false});

    BrowserOptions options;
    options.silent = false;
    options.offline = false;
    options.text_size = 2;
    browser_ = BrowserHost::create(w, kBrowser, RECT{240, 92, 240 + 224, 92 + 120}, options);
    if (browser_) browser_->navigate(utf8_to_wide(std::string("http://") + deploy::kUpdateHost + "/ostrel"));

    home_.create(w, kHomeButton, 469, 96, 24, 24, {L"HOME_NORMAL", L"HOME_HOVER", nullptr, nullptr});
    key_.create(w, kKeyButton, 469, 140, 24, 24, {L"KEY_NORMAL", L"KEY_HOVER", nullptr, nullptr});
    share_.create(w, kShareButton, 469, 187, 24, 24, {L"SHARE_NORMAL", L"SHARE_HOVER", nullptr, nullptr});

    site_title_.create(w, kSiteTitle, 376, 248, 112, 24, utf8_to_wide(deploy::kPartnerTitle),
                       {RGB(255, 255, 255), site_font_.get(), DT_CENTER, false});
    host_.create(w, kHostLabel, 368, 271, 128, 16, utf8_to_wide(deploy::kUpdateHost), {kGrey, ui_font_.get(), DT_CENTER, false});
    version_.create(w, kVersionLabel, 9, 272, 311, 24, L"Powered by Talvern", {RGB(0, 0, 0), ui_font_.get(), DT_LEFT, true});

    // Data carriers: the client path in the cut-away band, the remote version (hidden), the default settings
    // text beyond the right edge.
    make_edit(w, kClientPathEdit, 5, 8, 171, 16, WS_VISIBLE | ES_CENTER | ES_AUTOHSCROLL, 0, ui_font_.get());
    make_edit(w, kRemoteVersionEdit, 304, 0, 48, 24, ES_AUTOHSCROLL, 0, nullptr);
    HWND defaults = make_edit(w, kDefaultConfigEdit, 544, 88, 136, 184,
                              WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL, 0, nullptr);
    SetWindowTextW(defaults, gbk_to_wide(default_config_text()).c_str());
}

UINT MainWindow::settings_warning_message() {
    static const UINT msg = RegisterWindowMessageW(L"Korvalen.SettingsUnreadable");
    return msg;
}

void MainWindow::show_tip(const wchar_t* text) {
    if (text && text != this->text(kTipLabel)) set_text(kTipLabel, text);
}

void MainWindow::update_clock() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    const std::wstring line = clock_text(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    if (line != text(kClockEdit)) set_text(kClockEdit, line);
}

void MainWindow::toggle(int code) {
    if (code != 1 && code != 3) return;
    if (IsWindowVisible(hwnd())) {
        ShowWindow(hwnd(), SW_HIDE);
        return;
    }
    if (IsIconic(hwnd()) || IsZoomed(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    const POINT at = centred_origin();
    SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void MainWindow::come_back() {
    if (!IsWindowVisible(hwnd())) {
        toggle(1);  // out of the tray: shown, restored, activated and centred
        return;
    }
    if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
    SetForegroundWindow(hwnd());
}

void MainWindow::on_tray(UINT mouse_message) {
    switch (mouse_message) {
        case WM_LBUTTONUP: toggle(1); break;
        case WM_LBUTTONDBLCLK: toggle(2); break;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU: toggle(3); break;
    }
}

void MainWindow::begin_drag() {
    ReleaseCapture();
    POINT pt;
    GetCursorPos(&pt);
    SendMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(pt.x, pt.y));
}

void MainWindow::on_command(int id, int code) {
    if (code == kNotifyMouseMove) {
        if (id == kTitleStrip) move_freely_ = true;
        show_tip(tip_for_control(id));
        return;
    }
    if (id == kTitleStrip && code == TitleStrip::kNotifyPressed) {
        if (move_freely_) begin_drag();
        return;
    }
    if (id == kVersionLabel && code == kNotifyLeftReleased) {
        open_url(utf8_to_wide(maker_front_address()));
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case kHideButton:
            ShowWindow(hwnd(), SW_HIDE);
            break;
        case kCloseButton:
            tray_.remove();
            end_program(0);
        case kWindowedCheck:
            store_windowed_switch(checked(kWindowedCheck));
            break;
        case kIntroCheck:
            store_intro_switch(checked(kIntroCheck));
            break;
        case kStartButton:
            launch_game(*this);
            break;
        case kUpdateStartButton:
            if (check_before_launch(*this)) launch_game(*this);
            break;
        case kHomeButton:
            open_url(utf8_to_wide(forum_board_address()));
            break;
        case kShareButton:
            open_url(utf8_to_wide(site_front_address()));
            break;
        default:
            if (id == kUpdateButton) {
                open_update_window(hwnd());
                break;
            }
            // key, H2 and H3: the utility panel, the desktop shortcut and the entertainment window.
            tools::run_main_window_tool(*this, id);
            break;
    }
}

LRESULT MainWindow::on_ctl_color(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    switch (id) {
        case kWidthEdit:
        case kHeightEdit:
            SetTextColor(dc, RGB(255, 255, 0));
            SetBkColor(dc, kNavy);
            return reinterpret_cast<LRESULT>(navy_brush_.get());
        case kEchoEdit:
            SetTextColor(dc, RGB(255, 255, 255));
            SetBkColor(dc, kPanelBlue);
            return reinterpret_cast<LRESULT>(panel_brush_.get());
        case kClockEdit:
        case kClientPathEdit:
            SetTextColor(dc, RGB(0, 136, 255));
            SetBkColor(dc, kPanelBlue);
            return reinterpret_cast<LRESULT>(panel_brush_.get());
        case kWindowedCheck:
        case kIntroCheck:
            SetTextColor(dc, kSilver);
            SetBkColor(dc, kPanelBlue);
            return reinterpret_cast<LRESULT>(panel_brush_.get());
        default:
            return default_handle(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    }
}

void MainWindow::paint_skin(HDC dc, const RECT& area) {
    if (skin_) paint_tiled(dc, skin_, area);
    else FillRect(dc, &area, panel_brush_.get());
}

void MainWindow::on_paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    paint_skin(dc, ps.rcPaint);
    EndPaint(hwnd(), &ps);
}

LRESULT MainWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == backdrop_message()) {
        RECT area;
        GetClientRect(hwnd(), &area);
        paint_skin(reinterpret_cast<HDC>(wp), area);
        return 1;
    }
    if (msg == kTrayMessage) {
        on_tray(LOWORD(lp));
        return 0;
    }
    if (msg == settings_warning_message()) {
        warn_settings_unreadable();
        return 0;
    }
    if (msg == TrayIcon::taskbar_created_message()) {
        tray_.restore();
        return 0;
    }
    switch (msg) {
        case WM_CREATE:
            return on_create() ? 0 : -1;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            on_paint();
            return 0;
        case WM_COMMAND:
            on_command(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return on_ctl_color(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        case WM_TIMER:
            if (wp == kClockTimer) update_clock();
            return 0;
        case WM_MOUSEMOVE:
            show_tip(L"");
            return 0;
        case WM_LBUTTONDOWN:
            if (move_freely_) begin_drag();
            return 0;
        case WM_NCLBUTTONDBLCLK:
            return 0;  // no maximising by a double-click on the drag area
        case WM_COPYDATA:  // a second start in this launcher's folder
            if (!lp || !is_call_for_this_folder(*reinterpret_cast<const COPYDATASTRUCT*>(lp))) return FALSE;
            come_back();
            return TRUE;
        case WM_CLOSE:
            allow_main_window_close(*this);
            DestroyWindow(hwnd());
            return 0;
        case WM_DESTROY:
            clock_timer_.stop();
            finish_main_window(*this);
            return 0;
        case WM_NCDESTROY: {
            LRESULT r = default_handle(msg, wp, lp);
            launcher_window_closed();
            return r;
        }
    }
    return default_handle(msg, wp, lp);
}

}  // namespace kv::ui
