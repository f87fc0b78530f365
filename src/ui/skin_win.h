// Skin pictures: loading bitmap resources, painting them tiled, cutting a window outline from a picture, and the
// backdrop protocol by which a control asks its parent to paint what lies behind it.
#pragma once

#include <windows.h>

#include "ui/gdi_win.h"

namespace kv::ui {

// A picture from the executable's resources. 32-bit pictures carry straight alpha and are premultiplied on load
// so that AlphaBlend draws them. Empty when the resource is missing.
struct Picture {
    OwnedBitmap bitmap;
    int width = 0;
    int height = 0;
    bool has_alpha = false;

    explicit operator bool() const { return static_cast<bool>(bitmap); }
};

Picture load_picture(const wchar_t* resource_name);

// Paints `picture` tiled from the DC's origin over `area`.
void paint_tiled(HDC dc, const Picture& picture, const RECT& area);
// Draws `picture` at (x, y), blending it when it has alpha.
void draw_picture(HDC dc, const Picture& picture, int x, int y);

// The set of pixels of `picture` that are not pure white (0xFFFFFF); nullptr when there is no picture.
HRGN region_from_picture(const Picture& picture);

// Paints into `dc` (set up for `child`'s client area) what the parent shows behind `child`.
void paint_backdrop(HWND child, HDC dc);
// The message a parent answers to paint its background for a child: wParam the DC (already offset to the
// parent's coordinates), lParam the child. A parent that handles it returns 1.
UINT backdrop_message();

}  // namespace kv::ui
