#include "tools/hyperlink_win.h"

#include <shellapi.h>
#include <windowsx.h>

#include "platform/trace.h"
#include "ui/controls_win.h"
#include "ui/skin_win.h"

namespace kv::tools {
namespace {
constexpr wchar_t kClass[] = L"KvHyperlink";
}  // namespace

bool Hyperlink::create(HWND parent, int id, int x, int y, int w, int h, const std::wstring& text,
                       const std::wstring& address, const Style& style) {
    register_class_for_controls(kClass);
    style_ = style;
    address_ = address;
    LOGFONTW lf{};
    HFONT base = style.font ? style.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (GetObjectW(base, sizeof lf, &lf)) {
        lf.lfUnderline = TRUE;
        underlined_.reset(CreateFontIndirectW(&lf));
    }
    return Window::create(0, kClass, text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h,
                          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
}

void Hyperlink::activate() {
    if (!address_.empty()) {
        const auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", address_.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (result <= 32)
            trace_failure("hyperlink", "the address was not opened, code " + std::to_string(result));
        visited_ = true;
        InvalidateRect(hwnd(), nullptr, FALSE);
    }
    ui::notify_parent(hwnd(), BN_CLICKED);
}

void Hyperlink::set_hover(bool hover) {
    if (hover == hover_) return;
    hover_ = hover;
    if (hover) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd(), 0};
        TrackMouseEvent(&tme);
    }
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void Hyperlink::on_paint() {
    ui::paint_buffered(hwnd(), [this](HDC dc, const RECT& rc) {
        ui::paint_backdrop(hwnd(), dc);
        const std::wstring text = ui::window_text(hwnd());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, hover_ ? style_.hover : visited_ ? style_.visited : style_.normal);
        HFONT font = underlined_ ? underlined_.get() : style_.font;
        ui::Selected sel(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        RECT box = rc;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    });
}

LRESULT Hyperlink::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            on_paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETTEXT: {
            const LRESULT r = default_handle(msg, wp, lp);
            InvalidateRect(hwnd(), nullptr, FALSE);
            return r;
        }
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        case WM_MOUSEMOVE:
            set_hover(true);
            return 0;
        case WM_MOUSELEAVE:
            set_hover(false);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (style_.act_on_press) {
                activate();
            } else {
                pressed_ = true;
                SetCapture(hwnd());
            }
            return 0;
        case WM_LBUTTONUP: {
            const bool was_pressed = pressed_;
            pressed_ = false;
            if (GetCapture() == hwnd()) ReleaseCapture();
            RECT rc;
            GetClientRect(hwnd(), &rc);
            const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (was_pressed && PtInRect(&rc, pt)) activate();
            return 0;
        }
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return 0;
        case BM_CLICK:
            activate();
            return 0;
        default:
            return default_handle(msg, wp, lp);
    }
}

}  // namespace kv::tools
