// Skin pictures: the outline cut from a picture's non-white pixels, and missing pictures.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui/skin_win.h"

namespace kv::ui {
namespace {

// A 24-bit picture from rows of characters: '.' white, '#' blue, 'w' almost white (0xFEFEFE).
Picture picture_from(const std::vector<std::string>& rows) {
    const int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* px = static_cast<DWORD*>(bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const char c = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            px[y * w + x] = c == '.' ? 0xFFFFFF : c == 'w' ? 0xFEFEFE : 0x1C46E3;
        }
    Picture p;
    p.bitmap.reset(bmp);
    p.width = w;
    p.height = h;
    return p;
}

TEST(Skin, OutlineIsEveryPixelThatIsNotPureWhite) {
    const std::vector<std::string> rows = {
        "...##...",
        "..####..",
        "########",
        "#w....w#",
        "########",
    };
    HRGN rgn = region_from_picture(picture_from(rows));
    ASSERT_NE(rgn, nullptr);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(PtInRegion(rgn, x, y) != FALSE, rows[y][x] != '.') << x << "," << y;
    RECT box;
    EXPECT_EQ(GetRgnBox(rgn, &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 8);
    DeleteObject(rgn);
}

TEST(Skin, AllWhiteGivesAnEmptyOutlineAndMissingPicturesNone) {
    HRGN rgn = region_from_picture(picture_from({"....", "...."}));
    ASSERT_NE(rgn, nullptr);
    RECT box;
    EXPECT_EQ(GetRgnBox(rgn, &box), NULLREGION);
    DeleteObject(rgn);

    const Picture missing = load_picture(L"NO_SUCH_PICTURE");
    EXPECT_FALSE(missing);
    EXPECT_EQ(region_from_picture(missing), nullptr);
    // Painting a missing picture does nothing rather than fail.
    HDC dc = CreateCompatibleDC(nullptr);
    RECT area{0, 0, 10, 10};
    paint_tiled(dc, missing, area);
    draw_picture(dc, missing, 0, 0);
    DeleteDC(dc);
}

}  // namespace
}  // namespace kv::ui
