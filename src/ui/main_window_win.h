// The launcher's main window: a borderless skinned panel with its title strip, game options, start buttons,
// link buttons, tip line, clock line and announcement browser. The steps it runs on its events live in the
// app, launch and update code; this class owns the controls and the window's own behaviour.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/controls_win.h"
#include "ui/gdi_win.h"
#include "ui/main_window_ids.h"
#include "ui/skin_win.h"
#include "ui/window.h"

namespace kv::ui {

class BrowserHost;

class MainWindow : public Window {
public:
    MainWindow();
    ~MainWindow() override;

    // Creates the window and its controls and runs the set-up step; the window is not shown yet.
    bool create();
    // Shows the window centred on the primary screen.
    void show_centred();

    // Control access by id (controls on the title strip included).
    HWND control(int id) const;
    std::wstring text(int id) const;
    void set_text(int id, const std::wstring& text);
    bool checked(int id) const;
    void set_checked(int id, bool checked);
    // Shows and enables, or hides and disables, a control.
    void set_available(int id, bool available);

    BrowserHost* browser() const { return browser_.get(); }
    TrayIcon& tray() { return tray_; }
    const Picture& skin() const { return skin_; }

    // The tray icon's event: 1 left button released, 2 left double-click, 3 right button released / menu key.
    void toggle(int code);
    // Brings the window forward for a second start in its folder: out of the tray, or restored and activated.
    void come_back();
    void show_tip(const wchar_t* text);
    void update_clock();
    bool move_freely() const { return move_freely_; }

    // Posted by start-up when the settings file could not be read: the player is told once the window is up.
    static UINT settings_warning_message();

    static constexpr UINT kTrayMessage = WM_APP + 1;
    static constexpr UINT kTrayId = 1;

protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    class TitleStrip;

    bool on_create();
    void create_controls();
    void on_command(int id, int code);
    LRESULT on_ctl_color(HDC dc, HWND control);
    void on_paint();
    // The skin tiled over `area`, or the panel colour when the skin is missing.
    void paint_skin(HDC dc, const RECT& area);
    void begin_drag();
    void on_tray(UINT mouse_message);

    Picture skin_;
    OwnedFont title_font_, echo_font_, ui_font_, site_font_;
    OwnedBrush panel_brush_, navy_brush_;
    std::unique_ptr<TitleStrip> strip_;
    PictureButton hide_, close_, h1_, h2_, h3_, start_, update_start_, home_, key_, share_;
    Label title_text_, h1_caption_, h2_caption_, resolution_caption_, times_, tip_, site_title_, host_, version_;
    std::unique_ptr<BrowserHost> browser_;
    TrayIcon tray_;
    WindowTimer clock_timer_;
    bool move_freely_ = false;
};

// Counts the launcher's top-level windows; the message loop ends when the last one is gone.
void launcher_window_opened();
void launcher_window_closed();

}  // namespace kv::ui
