// Move-only owners for GDI objects and window resources.
#pragma once

#include <windows.h>

#include <utility>

namespace kv::ui {

template <typename T, auto Deleter>
class Owned {
public:
    Owned() = default;
    explicit Owned(T h) : h_(h) {}
    Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    void reset(T h = nullptr) {
        if (h_) Deleter(h_);
        h_ = h;
    }
    T release() { return std::exchange(h_, nullptr); }
    T get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    T h_ = nullptr;
};

inline void delete_gdi(HGDIOBJ h) { DeleteObject(h); }
inline void destroy_icon(HICON h) { DestroyIcon(h); }
inline void destroy_cursor(HCURSOR h) { DestroyCursor(h); }
inline void delete_dc(HDC h) { DeleteDC(h); }

using OwnedBitmap = Owned<HBITMAP, delete_gdi>;
using OwnedFont = Owned<HFONT, delete_gdi>;
using OwnedBrush = Owned<HBRUSH, delete_gdi>;
using OwnedRegion = Owned<HRGN, delete_gdi>;
using OwnedIcon = Owned<HICON, destroy_icon>;
using OwnedCursor = Owned<HCURSOR, destroy_cursor>;
using OwnedDC = Owned<HDC, delete_dc>;

// Selects an object into a DC for the scope.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~Selected() { SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A memory DC with a compatible bitmap: draw into it, then copy to the target at once (no flicker).
class BufferedPaint {
public:
    BufferedPaint(HDC target, int width, int height);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    HDC dc() const { return mem_.get(); }

private:
    HDC target_;
    int width_, height_;
    OwnedDC mem_;
    OwnedBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
};

// Handles WM_PAINT double-buffered: `draw(dc, client_rect)` paints the whole client area into a memory DC.
template <typename Draw>
void paint_buffered(HWND hwnd, Draw draw) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    {
        BufferedPaint buf(dc, rc.right, rc.bottom);
        draw(buf.dc(), rc);
    }
    EndPaint(hwnd, &ps);
}

}  // namespace kv::ui
