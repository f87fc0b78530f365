#include "app/startup_rules.h"

#include "config/config.h"

namespace kv {

SwitchValue parse_switch(std::string_view stored) {
    if (stored == kSwitchOn) return SwitchValue::On;
    if (stored == kSwitchOff) return SwitchValue::Off;
    return SwitchValue::Unset;
}

ScreenSize game_screen_size(const std::optional<ScreenSize>& display_mode, ScreenSize system_metrics) {
    if (display_mode && display_mode->width > 0 && display_mode->height > 0) return *display_mode;
    return system_metrics;
}

ResolutionTexts resolution_texts(std::string_view stored_width, std::string_view stored_height, int screen_width,
                                 int screen_height) {
    if (!stored_width.empty() || !stored_height.empty())
        return {std::string(stored_width), std::string(stored_height)};
    return {std::to_string(screen_width), std::to_string(screen_height)};
}

std::wstring version_line(std::wstring_view client_version) {
    return L"登录器:" + std::wstring(client_version) + L" 启动器:" + std::wstring(kLauncherVersionW) + L" 软件作者:Talvern";
}

}  // namespace kv
