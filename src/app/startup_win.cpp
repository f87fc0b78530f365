// The main window's set-up, close-request and destroyed steps.
#include <windows.h>

#include "app/launcher_state_win.h"
#include "app/main_steps_win.h"
#include "app/startup_rules.h"
#include "config/config.h"
#include "platform/paths.h"
#include "platform/text_win.h"
#include "ui/browser_host_win.h"
#include "ui/main_window_win.h"

namespace kv {
namespace {

void apply_switch(ui::MainWindow& w, int box, const std::string& stored) {
    switch (parse_switch(stored)) {
        case SwitchValue::On: w.set_checked(box, true); break;
        case SwitchValue::Off: w.set_checked(box, false); break;
        case SwitchValue::Unset: break;  // the box keeps its state
    }
}

ScreenSize primary_screen_pixels() {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    std::optional<ScreenSize> display_mode;
    if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode))
        display_mode = ScreenSize{static_cast<int>(mode.dmPelsWidth), static_cast<int>(mode.dmPelsHeight)};
    return game_screen_size(display_mode, {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

void show_screen_size(ui::MainWindow& w) {
    const ScreenSize screen = primary_screen_pixels();
    w.set_text(ui::kWidthEdit, std::to_wstring(screen.width));
    w.set_text(ui::kHeightEdit, std::to_wstring(screen.height));
}

}  // namespace

void setup_main_window(ui::MainWindow& w) {
    LauncherState& s = launcher_state();
    HICON icon = reinterpret_cast<HICON>(GetClassLongPtrW(w.hwnd(), GCLP_HICON));
    w.tray().add(w.hwnd(), ui::MainWindow::kTrayId, ui::MainWindow::kTrayMessage, icon, L"Korvalen");

    if (HRGN outline = ui::region_from_picture(w.skin())) {
        if (!SetWindowRgn(w.hwnd(), outline, FALSE)) DeleteObject(outline);  // the window owns it on success
    }

    w.set_text(ui::kClientPathEdit, launcher_file("\\BF2.exe").native());

    switch (check_settings_at_start()) {
        case SettingsAtStart::FirstStart:
            show_screen_size(w);
            write_default_config(wide_to_gbk(w.text(ui::kDefaultConfigEdit)));
            return;
        case SettingsAtStart::Unreadable:
            // Nothing is loaded and nothing will be written; the player hears why once the window is up.
            show_screen_size(w);
            PostMessageW(w.hwnd(), ui::MainWindow::settings_warning_message(), 0, 0);
            return;
        case SettingsAtStart::Load:
            break;
    }

    s.StoredWidth = read_setting("bf_X", "data");
    s.StoredHeight = read_setting("bf_Y", "data");
    const std::string host = read_setting("bf2_down", "ip");
    w.set_text(ui::kHostLabel, gbk_to_wide(host));
    w.set_text(ui::kSiteTitle, gbk_to_wide(read_setting("bf2_down", "title")));
    const std::string version = read_setting("bf2_exe", "version");
    w.set_text(ui::kVersionLabel, version_line(gbk_to_wide(version)));
    s.LocalClientVersion = version;

    const ScreenSize screen = primary_screen_pixels();
    const ResolutionTexts res = resolution_texts(s.StoredWidth, s.StoredHeight, screen.width, screen.height);
    w.set_text(ui::kWidthEdit, gbk_to_wide(res.width));
    w.set_text(ui::kHeightEdit, gbk_to_wide(res.height));

    s.UpdateHost = host;
    if (auto* browser = w.browser()) browser->navigate(gbk_to_wide("http://" + s.UpdateHost + "/ostrel"));

    s.IntroSwitch = read_setting("dh_kg", "data");
    apply_switch(w, ui::kIntroCheck, s.IntroSwitch);
    s.WindowedSwitch = read_setting("ck_kg", "data");
    apply_switch(w, ui::kWindowedCheck, s.WindowedSwitch);

    s.AutoUpdateSwitch = read_setting("bf_update", "data");
    switch (parse_switch(s.AutoUpdateSwitch)) {
        case SwitchValue::On:
            w.set_available(ui::kStartButton, false);
            w.set_available(ui::kUpdateStartButton, true);
            break;
        case SwitchValue::Off:
            w.set_available(ui::kStartButton, true);
            w.set_available(ui::kUpdateStartButton, false);
            break;
        case SwitchValue::Unset:
            break;
    }
}

void warn_settings_unreadable() {
    MessageBoxW(
        nullptr,
        L"无法读取设置文件BF_config.ini，它可能正被其他程序占用。为免覆盖您的设置，本次运行不会保存任何设置。"
        L"请关闭占用它的程序后重新打开本软件。",
        L"温馨提示", MB_OK | MB_ICONWARNING | MB_TASKMODAL);
}

void allow_main_window_close(ui::MainWindow& w) { w.tray().remove(); }

void finish_main_window(ui::MainWindow& w) {
    store_intro_switch(w.checked(ui::kIntroCheck));
    store_windowed_switch(w.checked(ui::kWindowedCheck));
    w.tray().remove();
}

}  // namespace kv
