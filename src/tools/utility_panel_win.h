// The utility panel ("实用面板"): download and help links, the full-screen and language fixes, the game's
// screenshot folder, and links to the update host and the maker's site. Opened modally by the main window's
// `key` button.
#pragma once

#include <windows.h>

#include <string>

#include "tools/group_frame_win.h"
#include "tools/hyperlink_win.h"
#include "tools/utility_panel_ids.h"
#include "ui/controls_win.h"
#include "ui/gdi_win.h"
#include "ui/window.h"

namespace kv::tools {

class UtilityPanel : public ui::Window {
public:
    UtilityPanel() = default;
    ~UtilityPanel() override = default;

    // Creates the panel centred on the primary screen, owned by `owner` (may be null), and shows it.
    // `update_host` is the configured update host (GBK) the host link shows and opens.
    bool create(HWND owner, const std::string& update_host);

    static constexpr int kWidth = 443;
    static constexpr int kHeight = 322;

protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void create_controls();
    void on_command(int id, int code);
    LRESULT on_ctl_color(HDC dc, HWND control);
    void run_fullscreen_fix();
    void run_language_fix();
    void open_screenshot_folder();

    std::string update_host_;
    ui::OwnedFont font_;
    ui::OwnedBrush black_;
    ui::Label note_;
    Hyperlink host_link_, credit_link_, maker_link_;
    GroupFrame groups_[3];
};

// The main window's `key`: opens the panel over `main`, which takes no input until the panel is closed, and
// returns then. While a panel is open, it is only brought to the front.
void open_utility_panel(HWND main);

}  // namespace kv::tools
