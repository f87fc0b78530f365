// The online entertainment window ("在线娱乐"): a web page in an embedded browser, a button back to the TV
// page, a link to the community's voice-chat channel and a note on waiting. Not modal, owned by no other
// window: it stays open beside the main window, and after it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "tools/entertainment_window_ids.h"
#include "tools/hyperlink_win.h"
#include "ui/controls_win.h"
#include "ui/gdi_win.h"
#include "ui/window.h"

namespace kv::ui {
class BrowserHost;
}

namespace kv::tools {

class EntertainmentWindow : public ui::Window {
public:
    EntertainmentWindow();
    ~EntertainmentWindow() override;

    // Creates the window centred on the primary screen with `site_title` on T0, sends the browser to
    // `address` and shows the window.
    bool create(const std::wstring& site_title, const std::wstring& address);
    // Restores the window when it is minimised and brings it to the front.
    void bring_to_front();
    ui::BrowserHost* browser() const { return browser_.get(); }

protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool on_create(const CREATESTRUCTW& cs);
    void on_size();
    void on_command(int id, int code);

    std::wstring site_title_;
    std::wstring address_;
    std::unique_ptr<ui::BrowserHost> browser_;
    Hyperlink voice_link_;
    ui::Label wait_note_;
    ui::OwnedFont font_;
    SIZE size_{-1, -1};  // the outer size the controls are laid out for; set once the window is created
};

// The main window's `H3`: reads [bf2_down] url and the site title (`site_title_label`, the text of bfbiaoti)
// into the launcher state, then opens the window, or only brings it to the front when it is open.
void open_entertainment_window(const std::wstring& site_title_label);

}  // namespace kv::tools
