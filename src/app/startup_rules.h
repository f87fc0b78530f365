// The decisions start-up makes from the stored settings, as pure functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "version.h"

namespace kv {

// A stored switch: only the exact, case-sensitive "open" and "close" mean anything.
enum class SwitchValue { On, Off, Unset };
SwitchValue parse_switch(std::string_view stored);

struct ResolutionTexts {
    std::string width;
    std::string height;
};
struct ScreenSize {
    int width = 0;
    int height = 0;
};
// The primary screen's size in pixels, which is what the game's resolution means: the current display mode
// when the system reports one, else the size the system tells the launcher (on a scaled screen, a smaller
// one).
ScreenSize game_screen_size(const std::optional<ScreenSize>& display_mode, ScreenSize system_metrics);

// The texts of the resolution boxes: the stored pair as it stands when either is set, else the screen size.
ResolutionTexts resolution_texts(std::string_view stored_width, std::string_view stored_height, int screen_width,
                                 int screen_height);

// The version line of the main window for a client version (already converted for the screen).
std::wstring version_line(std::wstring_view client_version);

}  // namespace kv
