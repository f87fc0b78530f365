#include "tools/group_frame_win.h"

#include "ui/gdi_win.h"
#include "ui/skin_win.h"

namespace kv::tools {

bool GroupFrame::create(HWND parent, int id, int x, int y, int w, int h, const std::wstring& caption,
                        COLORREF color, HFONT font) {
    register_class_for_controls(L"KvGroupFrame");
    color_ = color;
    font_ = font;
    // Transparent to the pointer, and clipped by the controls lying on it.
    return Window::create(WS_EX_TRANSPARENT, L"KvGroupFrame", caption.c_str(),
                          WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
}

void GroupFrame::on_paint() {
    ui::paint_buffered(hwnd(), [this](HDC dc, const RECT& rc) {
        ui::paint_backdrop(hwnd(), dc);
        ui::Selected font(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        RECT frame = rc;
        frame.top += tm.tmHeight / 2 - 1;
        const std::wstring caption = ui::window_text(hwnd());
        RECT text{8, 0, rc.right - 8, tm.tmHeight};
        if (!caption.empty()) {
            // The caption interrupts the top line, as on the system's group box.
            DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                      DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
            ExcludeClipRect(dc, text.left - 1, 0, text.right + 1, text.bottom);
        }
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        SelectClipRgn(dc, nullptr);
        if (caption.empty()) return;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, color_);
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                  DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    });
}

LRESULT GroupFrame::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            on_paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NCHITTEST:
            return HTTRANSPARENT;
        case WM_SETTEXT: {
            const LRESULT r = default_handle(msg, wp, lp);
            InvalidateRect(hwnd(), nullptr, FALSE);
            return r;
        }
        default:
            return default_handle(msg, wp, lp);
    }
}

}  // namespace kv::tools
