// The update window (软件升级): local and remote client version, the update host, 立即更新 and the progress
// of a running download, the switch for the check before every game start, the launcher's check of its own
// version and a help panel that folds out. Each opening builds it afresh; there is at most one at a time.
#pragma once

#include <windows.h>

#include <string>

#include "ui/controls_win.h"
#include "ui/gdi_win.h"
#include "ui/window.h"
#include "update/link_label_win.h"
#include "update/update_window_ids.h"

namespace kv::ui {

// A group frame with its caption, drawn in the given colours on black (the system's group box ignores the
// caption colour in some versions of the control library).
class GroupFrame : public Window {
  public:
    bool create(HWND parent, int id, int x, int y, int w, int h, const wchar_t* caption, HFONT font,
                COLORREF color);

  protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    HFONT font_ = nullptr;  // not owned
    COLORREF color_ = 0;
};

class UpdateWindow : public Window {
  public:
    UpdateWindow();
    ~UpdateWindow() override;

    // Builds the window with its initial values, centred and shown. `owner` is a hidden window, so that the
    // update window has no taskbar button of its own.
    bool create(HWND owner);
    // The open update window, or nullptr.
    static UpdateWindow* current();

    HWND control(int id) const;
    std::wstring text(int id) const;
    // Sets a control's text and draws it at once (the handlers block the thread right after some of them).
    void set_text(int id, const std::wstring& text);
    bool checked(int id) const;

    // The status bar's parts: 0 size, 1 speed, 2 received, 3 percentage.
    void set_status(int part, const std::wstring& text);
    std::wstring status(int part) const;
    // The progress bar (0 to 100; the bar clamps).
    void set_progress(int position);
    int progress() const;

    // The progress timer 时钟1: a period of 1000 ms, or 0 (stopped).
    void start_tick();
    void stop_tick();

    void close();

    static constexpr int kWidth = 510;
    static constexpr int kHeightFolded = 220;
    static constexpr int kHeightUnfolded = 387;

  protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    bool on_create();
    void create_controls();
    void create_help_panel();
    void apply_state();
    void on_command(int id, int code);
    LRESULT on_ctl_color(UINT msg, HDC dc, HWND control);
    void on_auto_update(bool on);
    void on_help_toggle();
    void on_self_check();

    OwnedFont font_;
    OwnedBrush black_, navy_, grey_;
    GroupFrame help_group_;
    LinkLabel forum_link_, partner_link_;
    WindowTimer tick_;
};

}  // namespace kv::ui
