#include "ui/skin_win.h"

#include <cstring>
#include <vector>

namespace kv::ui {

Picture load_picture(const wchar_t* resource_name) {
    Picture p;
    auto* bmp = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), resource_name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bmp) return p;
    p.bitmap.reset(bmp);
    DIBSECTION dib{};
    if (GetObjectW(bmp, sizeof dib, &dib) != sizeof dib) {
        BITMAP b{};
        GetObjectW(bmp, sizeof b, &b);
        p.width = b.bmWidth;
        p.height = b.bmHeight;
        return p;
    }
    p.width = dib.dsBm.bmWidth;
    p.height = dib.dsBm.bmHeight;
    if (dib.dsBm.bmBitsPixel == 32 && dib.dsBm.bmBits) {
        p.has_alpha = true;
        auto* px = static_cast<unsigned char*>(dib.dsBm.bmBits);
        const std::size_t n = static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height);
        for (std::size_t i = 0; i < n; ++i, px += 4) {
            const unsigned a = px[3];
            px[0] = static_cast<unsigned char>(px[0] * a / 255);
            px[1] = static_cast<unsigned char>(px[1] * a / 255);
            px[2] = static_cast<unsigned char>(px[2] * a / 255);
        }
    }
    return p;
}

void paint_tiled(HDC dc, const Picture& picture, const RECT& area) {
    if (!picture || picture.width <= 0 || picture.height <= 0) return;
    OwnedDC mem(CreateCompatibleDC(dc));
    Selected sel(mem.get(), picture.bitmap.get());
    const int x0 = (area.left / picture.width) * picture.width - (area.left < 0 ? picture.width : 0);
    const int y0 = (area.top / picture.height) * picture.height - (area.top < 0 ? picture.height : 0);
    for (int y = y0; y < area.bottom; y += picture.height)
        for (int x = x0; x < area.right; x += picture.width)
            BitBlt(dc, x, y, picture.width, picture.height, mem.get(), 0, 0, SRCCOPY);
}

void draw_picture(HDC dc, const Picture& picture, int x, int y) {
    if (!picture) return;
    OwnedDC mem(CreateCompatibleDC(dc));
    Selected sel(mem.get(), picture.bitmap.get());
    if (picture.has_alpha) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, x, y, picture.width, picture.height, mem.get(), 0, 0, picture.width, picture.height, blend);
    } else {
        BitBlt(dc, x, y, picture.width, picture.height, mem.get(), 0, 0, SRCCOPY);
    }
}

HRGN region_from_picture(const Picture& picture) {
    if (!picture) return nullptr;
    const int w = picture.width, h = picture.height;
    // Read the pixels as top-down 32-bit rows, whatever the picture's own format.
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, picture.bitmap.get(), 0, static_cast<UINT>(h), px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != h) return nullptr;

    // One rectangle per run of non-white pixels in a row.
    std::vector<RECT> runs;
    for (int y = 0; y < h; ++y) {
        const DWORD* row = px.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
        for (int x = 0; x < w;) {
            while (x < w && (row[x] & 0xFFFFFF) == 0xFFFFFF) ++x;
            const int start = x;
            while (x < w && (row[x] & 0xFFFFFF) != 0xFFFFFF) ++x;
            if (x > start) runs.push_back(RECT{start, y, x, y + 1});
        }
    }
    std::vector<char> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* rd = reinterpret_cast<RGNDATA*>(data.data());
    rd->rdh.dwSize = sizeof(RGNDATAHEADER);
    rd->rdh.iType = RDH_RECTANGLES;
    rd->rdh.nCount = static_cast<DWORD>(runs.size());
    rd->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
    rd->rdh.rcBound = RECT{0, 0, w, h};
    if (!runs.empty()) std::memcpy(rd->Buffer, runs.data(), runs.size() * sizeof(RECT));
    return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), rd);
}

UINT backdrop_message() {
    static const UINT msg = RegisterWindowMessageW(L"Korvalen.PaintBackdrop");
    return msg;
}

void paint_backdrop(HWND child, HDC dc) {
    HWND parent = GetParent(child);
    RECT rc{};
    GetClientRect(child, &rc);
    if (!parent) {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
        return;
    }
    POINT origin{0, 0};
    MapWindowPoints(child, parent, &origin, 1);
    POINT old{};
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    const bool done = SendMessageW(parent, backdrop_message(), reinterpret_cast<WPARAM>(dc),
                                   reinterpret_cast<LPARAM>(child)) != 0;
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
    if (!done) FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace kv::ui
