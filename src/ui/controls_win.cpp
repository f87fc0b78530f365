#include "ui/controls_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include "platform/trace.h"
#include "ui/int_text.h"

namespace kv::ui {
namespace {

constexpr wchar_t kButtonClass[] = L"KvPictureButton";
constexpr wchar_t kLabelClass[] = L"KvLabel";

void register_control_class(const wchar_t* name) {
    Window::register_class_for_controls(name);
}

}  // namespace

// ---- PictureButton ----

bool PictureButton::create(HWND parent, int id, int x, int y, int w, int h, const Pictures& names) {
    register_control_class(kButtonClass);
    normal_ = load_picture(names.normal);
    if (names.hover) hover_ = load_picture(names.hover);
    if (names.pressed) pressed_ = load_picture(names.pressed);
    if (names.disabled) disabled_ = load_picture(names.disabled);
    return Window::create(0, kButtonClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
}

const Picture& PictureButton::current() const {
    const Picture* p = &normal_;
    if (!IsWindowEnabled(hwnd())) p = &disabled_;
    else if (pressed_state_ && hover_state_) p = &pressed_;
    else if (hover_state_) p = &hover_;
    return *p ? *p : normal_;
}

void notify_parent(HWND control, WORD code) {
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

bool PictureButton::holds(LPARAM lp) const {
    RECT rc;
    GetClientRect(hwnd(), &rc);
    const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    return PtInRect(&rc, pt) != FALSE;
}

void PictureButton::on_paint() {
    paint_buffered(hwnd(), [this](HDC dc, const RECT&) {
        paint_backdrop(hwnd(), dc);
        draw_picture(dc, current(), 0, 0);
    });
}

LRESULT PictureButton::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            on_paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        case WM_MOUSEMOVE: {
            if (!hover_state_) {
                hover_state_ = true;
                TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd(), 0};
                TrackMouseEvent(&tme);
                InvalidateRect(hwnd(), nullptr, FALSE);
            }
            if (pressed_state_) {
                const bool inside = holds(lp);
                if (inside != hover_state_) {
                    hover_state_ = inside;
                    InvalidateRect(hwnd(), nullptr, FALSE);
                }
            }
            notify_parent(hwnd(), kNotifyMouseMove);
            return 0;
        }
        case WM_MOUSELEAVE:
            hover_state_ = false;
            InvalidateRect(hwnd(), nullptr, FALSE);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            pressed_state_ = true;
            SetCapture(hwnd());
            InvalidateRect(hwnd(), nullptr, FALSE);
            return 0;
        case WM_LBUTTONUP: {
            const bool was_pressed = pressed_state_;
            pressed_state_ = false;
            if (GetCapture() == hwnd()) ReleaseCapture();
            InvalidateRect(hwnd(), nullptr, FALSE);
            if (was_pressed && holds(lp)) notify_parent(hwnd(), BN_CLICKED);
            return 0;
        }
        case WM_CAPTURECHANGED:
            pressed_state_ = false;
            InvalidateRect(hwnd(), nullptr, FALSE);
            return 0;
        case BM_CLICK:
            if (IsWindowEnabled(hwnd())) notify_parent(hwnd(), BN_CLICKED);
            return 0;
        case WM_ENABLE:
            InvalidateRect(hwnd(), nullptr, FALSE);
            return 0;
        default:
            return default_handle(msg, wp, lp);
    }
}

// ---- Label ----

bool Label::create(HWND parent, int id, int x, int y, int w, int h, const std::wstring& text, const Style& style) {
    register_control_class(kLabelClass);
    style_ = style;
    return Window::create(0, kLabelClass, text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h,
                          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
}

void Label::on_paint() {
    paint_buffered(hwnd(), [this](HDC dc, const RECT& rc) {
        paint_backdrop(hwnd(), dc);
        const std::wstring text = window_text(hwnd());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, style_.color);
        HFONT font = style_.font ? style_.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        Selected sel(dc, font);
        RECT box = rc;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                  style_.align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    });
}

LRESULT Label::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            on_paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETTEXT: {
            LRESULT r = default_handle(msg, wp, lp);
            InvalidateRect(hwnd(), nullptr, FALSE);
            return r;
        }
        case WM_SETCURSOR:
            SetCursor(style_.hand_cursor ? LoadCursorW(nullptr, IDC_HAND) : window_pointer(hwnd()));
            return TRUE;
        case WM_LBUTTONUP:
            notify_parent(hwnd(), kNotifyLeftReleased);
            return 0;
        default:
            return default_handle(msg, wp, lp);
    }
}

// ---- Integer edit ----

namespace {
LRESULT CALLBACK integer_edit_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    try {
        if (msg == WM_CHAR && !accepts_integer_char(static_cast<wchar_t>(wp))) {
            MessageBeep(MB_OK);
            return 0;
        }
        if (msg == WM_KILLFOCUS) {
            const std::wstring text = window_text(hwnd);
            const std::wstring normal = normalize_integer_text(text);
            if (normal != text) SetWindowTextW(hwnd, normal.c_str());
        }
        if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, integer_edit_proc, 1);
    } catch (...) {
        trace_failure("integer edit box", current_exception_text());
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK display_line_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            return 0;  // an edit box takes the focus on a press
        case WM_SETCURSOR:
            if (LOWORD(lp) != HTCLIENT) break;
            SetCursor(window_pointer(hwnd));
            return TRUE;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, display_line_proc, 1);
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK hand_pointer_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_SETCURSOR && LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, hand_pointer_proc, 1);
    return DefSubclassProc(hwnd, msg, wp, lp);
}
}  // namespace

void make_integer_edit(HWND edit) { SetWindowSubclass(edit, integer_edit_proc, 1, 0); }
void make_display_line(HWND edit) {
    SetWindowSubclass(edit, display_line_proc, 1, 0);
}
void use_hand_pointer(HWND control) {
    SetWindowSubclass(control, hand_pointer_proc, 1, 0);
}

HCURSOR window_pointer(HWND control) {
    HWND top = GetAncestor(control, GA_ROOT);
    auto cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrW(top ? top : control, GCLP_HCURSOR));
    return cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
}

// ---- TrayIcon ----

UINT TrayIcon::taskbar_created_message() {
    static const UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
    return msg;
}

bool TrayIcon::add(HWND owner, UINT id, UINT callback_message, HICON icon, const std::wstring& tip) {
    remove();
    data_ = NOTIFYICONDATAW{};
    data_.cbSize = sizeof data_;
    data_.hWnd = owner;
    data_.uID = id;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = callback_message;
    data_.hIcon = icon;
    lstrcpynW(data_.szTip, tip.c_str(), static_cast<int>(std::size(data_.szTip)));
    shown_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
    return shown_;
}

void TrayIcon::remove() {
    if (!shown_) return;
    Shell_NotifyIconW(NIM_DELETE, &data_);
    shown_ = false;
}

void TrayIcon::restore() {
    if (shown_) shown_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
}

// ---- WindowTimer ----

void WindowTimer::start(HWND owner, UINT_PTR id, UINT period_ms) {
    stop();
    if (SetTimer(owner, id, period_ms, nullptr)) {
        owner_ = owner;
        id_ = id;
    }
}

void WindowTimer::stop() {
    if (owner_) KillTimer(owner_, id_);
    owner_ = nullptr;
}

}  // namespace kv::ui
