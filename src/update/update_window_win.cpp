#include "update/update_window_win.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "app/launcher_state_win.h"
#include "app/resource.h"
#include "app/startup_rules.h"
#include "config/config.h"
#include "deploy.h"
#include "platform/http_fetch.h"
#include "platform/shell_win.h"
#include "platform/text_win.h"
#include "ui/main_window_win.h"
#include "ui/modal_win.h"
#include "update/launcher_site.h"
#include "update/update_road_win.h"
#include "update/update_rules.h"
#include "update/version_check_win.h"
#include "version.h"

namespace kv::ui {
namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kPale = RGB(236, 236, 236);
constexpr COLORREF kYellow = RGB(216, 216, 0);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kStatusGrey = RGB(96, 96, 96);
constexpr COLORREF kRadioBlue = RGB(0, 136, 255);
constexpr COLORREF kLilac = RGB(128, 128, 255);
constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr COLORREF kRed = RGB(255, 0, 0);
// The help panel's controls lie in the group "说明"; their places are given relative to it.
constexpr int kGroupX = 5;
constexpr int kGroupY = 176;

constexpr wchar_t kHelpText[] =
    L"1，使用了自动更新功能，启动器每次运行前都会强制校准版本是否最新；\r\n"
    L"2，如果您的更新服务器无法连接或不希望被更新，请关闭自动更新功能；\r\n"
    L"3，您也可以通过修BF2_config.ini中的ip为您的更新服务器地址(ip或域名)；\r\n\r\n"
    L"注意:"
    L"自动升级功能仅限于登录器，如果您的启动器无法正常使用，请点击启动器检测，如果检测到新版本则需要重新更换"
    L"新的启动器~";

UpdateWindow* open_window = nullptr;  // UI thread only

HWND make_child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD ex_style, int id,
                int x, int y, int w, int h, HFONT font) {
    // Several places overlap: every control is clipped by the ones above it, so the z-order decides.
    HWND c = CreateWindowExW(ex_style, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, x, y, w, h,
                             parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    if (c && font) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
}

// Themed buttons ignore the text colour; these are drawn classic to show their colours on black.
void classic(HWND control) {
    SetWindowTheme(control, L"", L"");
}

// Disabled edit boxes are drawn by the system in its grey whatever the parent says; the display boxes draw
// their text themselves, in the colours the parent gives for WM_CTLCOLORSTATIC.
void paint_display_edit(HWND edit) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(edit, &ps);
    RECT rc;
    GetClientRect(edit, &rc);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0));
    Selected sel(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        GetParent(edit), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit)));
    FillRect(dc, &rc, brush ? brush : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    const std::wstring text = window_text(edit);
    RECT box = rc;
    box.left += LOWORD(SendMessageW(edit, EM_GETMARGINS, 0, 0)) + 1;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    EndPaint(edit, &ps);
}

LRESULT CALLBACK display_edit_proc(HWND edit, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (!IsWindowEnabled(edit)) {
        if (msg == WM_PAINT) {
            paint_display_edit(edit);
            return 0;
        }
        if (msg == WM_ERASEBKGND) return 1;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(edit, display_edit_proc, 1);
    return DefSubclassProc(edit, msg, wp, lp);
}

HWND make_display_edit(HWND parent, int id, int x, int y, int w, int h, HFONT font) {
    HWND e = make_child(parent, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, 0, id, x, y, w, h, font);
    EnableWindow(e, FALSE);
    SetWindowSubclass(e, display_edit_proc, 1, 0);
    return e;
}

void inform(const wchar_t* text, const wchar_t* title) {
    MessageBoxW(nullptr, text, title, MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
}

}  // namespace

bool GroupFrame::create(HWND parent, int id, int x, int y, int w, int h, const wchar_t* caption, HFONT font,
                        COLORREF color) {
    register_class_for_controls(L"KvGroupFrame");
    font_ = font;
    color_ = color;
    return Window::create(0, L"KvGroupFrame", caption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h,
                          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
}

LRESULT GroupFrame::handle(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg != WM_PAINT) return default_handle(msg, wp, lp);
    paint_buffered(hwnd(), [this](HDC dc, const RECT& rc) {
        FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        Selected sel(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
        const std::wstring caption = window_text(hwnd());
        SIZE text{};
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
        RECT frame = rc;
        frame.top = text.cy / 2;
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        RECT label{7, 0, 7 + text.cx + 2, text.cy};
        FillRect(dc, &label, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, color_);
        TextOutW(dc, 8, 0, caption.c_str(), static_cast<int>(caption.size()));
    });
    return 0;
}

UpdateWindow::UpdateWindow() = default;
UpdateWindow::~UpdateWindow() = default;

UpdateWindow* UpdateWindow::current() {
    return open_window;
}

bool UpdateWindow::create(HWND owner) {
    static HICON icon = nullptr;
    icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KORVALEN));
    register_class(kUpdateWindowClass, [](WNDCLASSEXW& wc) {
        wc.hIcon = icon;
        wc.hIconSm = icon;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    });
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeightFolded) / 2;
    if (!Window::create(0, kUpdateWindowClass, L"软件升级",
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, x, y, kWidth,
                        kHeightFolded, owner, nullptr))
        return false;
    ShowWindow(hwnd(), SW_SHOW);
    ::UpdateWindow(hwnd());
    SetForegroundWindow(hwnd());
    return true;
}

bool UpdateWindow::on_create() {
    open_window = this;
    launcher_window_opened();
    add_dialog_keys(hwnd());
    font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"SimSun"));
    black_.reset(CreateSolidBrush(kBlack));
    navy_.reset(CreateSolidBrush(kNavy));
    grey_.reset(CreateSolidBrush(kStatusGrey));
    create_controls();
    apply_state();
    return true;
}

void UpdateWindow::create_controls() {
    HWND w = hwnd();
    HFONT f = font_.get();
    HWND bar = make_child(w, PROGRESS_CLASSW, L"", 0, 0, kUpdProgress, 0, 0, 512, 24, nullptr);
    SendMessageW(bar, PBM_SETRANGE32, 0, 100);
    HWND url = make_child(w, L"EDIT", utf8_to_wide(deploy::kUrlInitial).c_str(), WS_TABSTOP | ES_AUTOHSCROLL,
                          WS_EX_CLIENTEDGE, kUpdUrl, -8, 0, 432, 24, f);

    const DWORD label = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
    make_child(w, L"STATIC", L"本地BF2版本:", label, 0, kUpdLocalCaption, 10, 33, 64, 16, f);
    make_display_edit(w, kUpdLocalVersion, 88, 31, 128, 16, f);
    make_child(w, L"STATIC", L"网络BF2版本:", label, 0, kUpdRemoteCaption, 10, 56, 64, 16, f);
    make_display_edit(w, kUpdRemoteVersion, 88, 56, 128, 16, f);
    make_child(w, L"STATIC", L"更新服务器:", label, 0, kUpdHostCaption, 10, 79, 64, 16, f);
    make_display_edit(w, kUpdHost, 88, 80, 128, 16, f);
    make_child(w, L"STATIC", L"启动器版本:", label, 0, kUpdLauncherCaption, 9, 104, 64, 16, f);
    make_child(w, L"EDIT", kLauncherVersionW, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, kUpdLauncherVersion,
               88, 104, 128, 16, f);
    make_child(w, L"STATIC", L"自动更新:", label, 0, kUpdAutoCaption, 10, 128, 64, 16, f);
    classic(make_child(w, L"BUTTON", L"开启", WS_GROUP | WS_TABSTOP | BS_RADIOBUTTON, 0, kUpdAutoOn, 88, 124,
                       56, 24, f));
    classic(make_child(w, L"BUTTON", L"关闭", BS_RADIOBUTTON, 0, kUpdAutoOff, 152, 124, 56, 24, f));
    SendMessageW(control(kUpdAutoOn), BM_SETCHECK, BST_CHECKED, 0);

    make_child(w, L"BUTTON", L"立即更新", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, 0, kUpdNow, 240, 38, 112, 80,
               f);
    make_child(w, L"BUTTON", L"BF2.exe手动更新", WS_TABSTOP | BS_PUSHBUTTON, 0, kUpdManual, 384, 46, 112, 24,
               f);
    make_child(w, L"BUTTON", L"启动器检测更新", WS_TABSTOP | BS_PUSHBUTTON, 0, kUpdSelfCheck, 384, 80, 112,
               24, f);
    classic(make_child(w, L"BUTTON", L"显示帮助文件", WS_TABSTOP | BS_AUTOCHECKBOX, 0, kUpdHelpToggle, 385,
                       112, 104, 16, f));

    HWND status = make_child(w, STATUSCLASSNAMEW, L"", CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, 0,
                             kUpdStatusBar, 0, 135, 348, 20, f);
    int edges[4] = {90, 180, 270, 354};
    SendMessageW(status, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
    make_child(w, L"STATIC", L"点击立即更新按钮开始自动更新……", SS_CENTER | SS_NOPREFIX, 0, kUpdStatusLine, 0,
               152, 504, 16, f);
    create_help_panel();

    // Where places overlap, the stacking decides what shows. The status bar's place overlaps the
    // automatic-update row and the status line: it goes to the bottom, so that the switch stays whole. The
    // edit box url lies over the progress bar.
    SetWindowPos(status, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(url, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// What the window shows below its folded height: the help text with the forum link, the warning, the partner
// link.
void UpdateWindow::create_help_panel() {
    HWND w = hwnd();
    HFONT f = font_.get();
    help_group_.create(w, kUpdHelpGroup, kGroupX, kGroupY, 496, 104, L"说明", f, kWhite);
    make_child(w, L"STATIC", kHelpText, SS_LEFT | SS_NOPREFIX, 0, kUpdHelpText, kGroupX + 8, kGroupY + 16,
               480, 80, f);
    forum_link_.create(w, kUpdForumLink, kGroupX + 360, kGroupY + 80, 120, 16, L"点击此处到论坛求助>>",
                       utf8_to_wide(std::string("http://") + deploy::kForumHost + "/"),
                       {kLilac, RGB(255, 128, 0), RGB(51, 153, 255), kBlack}, f);
    make_child(w, L"STATIC", L"请勿使用不可信的BF2.exe更新服务器，以防危害阁下的计算机安全！",
               SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, kUpdWarning, 64, 288, 384, 16, f);
    partner_link_.create(w, kUpdPartnerLink, 136, 312, 232, 24, L"点击此处>> 查看我们的BF2 战服合作伙伴",
                         gbk_to_wide("http://" + launcher_site_host() + "/server"),
                         {RGB(0, 255, 0), RGB(255, 255, 0), RGB(51, 153, 255), kBlack}, f);

    // The frame lies under the help text, and the forum link over it.
    SetWindowPos(help_group_.hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(forum_link_.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// The creation steps: the command line, the versions, the host and the automatic-update switch.
void UpdateWindow::apply_state() {
    const LauncherState& s = launcher_state();
    if (const auto arg = first_argument(GetCommandLineW())) set_text(kUpdUrl, *arg);
    set_text(kUpdLocalVersion, gbk_to_wide(s.LocalClientVersion));
    set_text(kUpdHost, gbk_to_wide(s.UpdateHost));
    const SwitchValue stored = parse_switch(s.AutoUpdateSwitch);
    if (stored == SwitchValue::Unset) return;  // as laid out
    SendMessageW(control(kUpdAutoOn), BM_SETCHECK, stored == SwitchValue::On ? BST_CHECKED : BST_UNCHECKED,
                 0);
    SendMessageW(control(kUpdAutoOff), BM_SETCHECK, stored == SwitchValue::Off ? BST_CHECKED : BST_UNCHECKED,
                 0);
}

HWND UpdateWindow::control(int id) const {
    return hwnd() ? GetDlgItem(hwnd(), id) : nullptr;
}

std::wstring UpdateWindow::text(int id) const {
    return window_text(control(id));
}

void UpdateWindow::set_text(int id, const std::wstring& text) {
    HWND c = control(id);
    if (!c) return;
    SetWindowTextW(c, text.c_str());
    ::UpdateWindow(c);
}

bool UpdateWindow::checked(int id) const {
    return SendMessageW(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void UpdateWindow::set_status(int part, const std::wstring& text) {
    SendMessageW(control(kUpdStatusBar), SB_SETTEXTW, static_cast<WPARAM>(part),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring UpdateWindow::status(int part) const {
    HWND bar = control(kUpdStatusBar);
    if (!bar) return {};
    const auto len = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(len);
    return text;
}

void UpdateWindow::set_progress(int position) {
    SendMessageW(control(kUpdProgress), PBM_SETPOS, position, 0);
}

int UpdateWindow::progress() const {
    return static_cast<int>(SendMessageW(control(kUpdProgress), PBM_GETPOS, 0, 0));
}

void UpdateWindow::start_tick() {
    if (hwnd()) tick_.start(hwnd(), kTickTimer, 1000);
}

void UpdateWindow::stop_tick() {
    tick_.stop();
}

void UpdateWindow::close() {
    if (hwnd()) DestroyWindow(hwnd());
}

void UpdateWindow::on_auto_update(bool on) {
    SendMessageW(control(kUpdAutoOn), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(control(kUpdAutoOff), BM_SETCHECK, on ? BST_UNCHECKED : BST_CHECKED, 0);
    write_setting("bf_update", "data", switch_text(on));
    if (on) {
        inform(
            L"您已经启用了登录器BF2."
            L"exe的自动更新功能，本启动器会在启动游戏前连接更新服务器来校准您的程序版本！将会在下次打开启动器"
            L"时生效！",
            L"启用成功");
    } else {
        inform(
            L"您已经关闭了登录器BF2.exe的自动升级功能，本启动器将不会对您的BF2."
            L"exe进行更新提示！将会在下次打开启动器时生效！",
            L"关闭成功");
    }
}

void UpdateWindow::on_help_toggle() {
    const int height = checked(kUpdHelpToggle) ? kHeightUnfolded : kHeightFolded;
    SetWindowPos(hwnd(), nullptr, 0, 0, kWidth, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void UpdateWindow::on_self_check() {
    set_text(kUpdStatusLine, L"正在尝试连接启动器更新服务器，验证版本…");
    const std::string site = "http://" + launcher_site_host();
    const std::string remote = http_get_text(site + "/ostrel/Korvalen.txt");
    set_text(kUpdLauncherVersion,
             std::wstring(L"本地版本:") + kLauncherVersionW + L" 网络版本:" + gbk_to_wide(remote));
    if (remote == kLauncherVersion) {
        set_text(kUpdStatusLine, L"版本无需更新");
        inform(L"版本无需更新，感谢使用", L"提示");
    } else if (remote.empty()) {
        inform(L"连接不到启动器升级文件，通信失败", L"提示");
    } else if (MessageBoxW(nullptr, L"检测到Korvalen的新版本，是否下载？", L"发现新版本",
                           MB_OKCANCEL | MB_TASKMODAL) == IDOK) {
        open_url(gbk_to_wide(site + "/down.php"));
    }
}

void UpdateWindow::on_command(int id, int code) {
    if (id == IDCANCEL) {  // Esc
        close();
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case kUpdAutoOn:
            on_auto_update(true);
            break;
        case kUpdAutoOff:
            on_auto_update(false);
            break;
        case kUpdHelpToggle:
            on_help_toggle();
            break;
        case kUpdManual:
            open_url(gbk_to_wide("http://" + launcher_state().UpdateHost + "/ostrel/BF2.exe"));
            break;
        case kUpdSelfCheck:
            on_self_check();
            break;
        case kUpdNow:
            update_now(*this);
            break;
    }
}

LRESULT UpdateWindow::on_ctl_color(UINT msg, HDC dc, HWND c) {
    COLORREF text = kWhite;
    HBRUSH back = black_.get();
    switch (GetDlgCtrlID(c)) {
        case kUpdLocalCaption:
        case kUpdRemoteCaption:
        case kUpdHostCaption:
            text = kPale;
            break;
        case kUpdLauncherCaption:
        case kUpdLauncherVersion:
            text = kYellow;
            break;
        case kUpdAutoCaption:
            text = kGrey;
            break;
        case kUpdLocalVersion:
        case kUpdRemoteVersion:
            back = navy_.get();
            break;
        case kUpdHost:
        case kUpdWarning:
            text = kRed;
            break;
        case kUpdAutoOn:
        case kUpdAutoOff:
            text = kRadioBlue;
            break;
        case kUpdHelpToggle:
            text = kLilac;
            break;
        case kUpdStatusLine:
            back = grey_.get();
            break;
        case kUpdHelpText:
            text = kSilver;
            break;
        default:  // url, the buttons and bars: the system's colours
            return default_handle(msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(c));
    }
    SetTextColor(dc, text);
    LOGBRUSH lb{};
    GetObjectW(back, sizeof lb, &lb);
    SetBkColor(dc, lb.lbColor);
    return reinterpret_cast<LRESULT>(back);
}

LRESULT UpdateWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            return on_create() ? 0 : -1;
        case WM_COMMAND:
            on_command(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return on_ctl_color(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        case WM_TIMER:
            if (wp == kTickTimer) kv::on_progress_tick(*this);
            return 0;
        case WM_CLOSE:
            close();
            return 0;
        case WM_DESTROY:
            tick_.stop();
            remove_dialog_keys(hwnd());
            return 0;
        case WM_NCDESTROY: {
            const LRESULT r = default_handle(msg, wp, lp);
            if (open_window == this) open_window = nullptr;
            launcher_window_closed();
            return r;
        }
    }
    return default_handle(msg, wp, lp);
}

}  // namespace kv::ui
