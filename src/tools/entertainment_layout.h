// Where the entertainment window puts its browser and its row of controls (T1, T0, T4) for a window size.
// Sizes are the window's outer size, frame and caption included; places are in its client area.
// Portable: no system headers.
#pragma once

namespace kv::tools {

struct Box {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Box&) const = default;
};

// The window as it opens, and the controls' places there.
inline constexpr int kEntertainmentWidth = 1024;
inline constexpr int kEntertainmentHeight = 710;
inline constexpr Box kTvButtonBox{16, 656, 96, 24};     // T1
inline constexpr Box kVoiceLinkBox{448, 656, 112, 24};  // T0
inline constexpr Box kWaitNoteBox{560, 655, 464, 24};   // T4

// On creation the browser fills the width and all but the bottom 100 pixels; the row stays where it was laid
// out.
Box browser_box_on_create(int window_width, int window_height);
// After every change of size it fills all but the bottom 80 pixels, and the row's top is 10 pixels below it.
// A window shorter than 80 pixels leaves the browser no height rather than a negative one.
Box browser_box_after_resize(int window_width, int window_height);
int row_top_after_resize(int window_height);

}  // namespace kv::tools
