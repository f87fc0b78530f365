#include "update/link_label_win.h"

#include "platform/shell_win.h"
#include "ui/gdi_win.h"

namespace kv::ui {

bool LinkLabel::create(HWND parent, int id, int x, int y, int w, int h, const std::wstring& text,
                       std::wstring address, const Colors& colors, HFONT font) {
    register_class_for_controls(L"KvLinkLabel");
    address_ = std::move(address);
    colors_ = colors;
    font_ = font;
    return Window::create(0, L"KvLinkLabel", text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w,
                          h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
}

void LinkLabel::on_paint() {
    paint_buffered(hwnd(), [this](HDC dc, const RECT& rc) {
        OwnedBrush back(CreateSolidBrush(colors_.background));
        FillRect(dc, &rc, back.get());
        const std::wstring text = window_text(hwnd());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, hover_ ? colors_.hover : visited_ ? colors_.visited : colors_.normal);
        Selected sel(dc, font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
        RECT box = rc;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    });
}

void LinkLabel::follow() {
    visited_ = true;
    InvalidateRect(hwnd(), nullptr, FALSE);
    open_url(address_);
}

LRESULT LinkLabel::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            on_paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        case WM_MOUSEMOVE:
            if (!hover_) {
                hover_ = true;
                TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd(), 0};
                TrackMouseEvent(&tme);
                InvalidateRect(hwnd(), nullptr, FALSE);
            }
            return 0;
        case WM_MOUSELEAVE:
            hover_ = false;
            InvalidateRect(hwnd(), nullptr, FALSE);
            return 0;
        case WM_LBUTTONUP:
        case BM_CLICK:
            follow();
            return 0;
        case WM_SETTEXT: {
            const LRESULT r = default_handle(msg, wp, lp);
            InvalidateRect(hwnd(), nullptr, FALSE);
            return r;
        }
    }
    return default_handle(msg, wp, lp);
}

}  // namespace kv::ui
