// The launcher's small control kit: picture buttons, transparent labels, integer edit boxes, the tray icon and
// window timers. Controls report to their parent with WM_COMMAND (control id, notification code, hwnd).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "ui/skin_win.h"
#include "ui/window.h"

namespace kv::ui {

// Notification codes beyond BN_CLICKED.
inline constexpr WORD kNotifyMouseMove = 0x7001;    // the pointer moved over the control
inline constexpr WORD kNotifyLeftReleased = 0x7002; // left button released over the control

// Tells the control's parent about it in a WM_COMMAND with the control's id and `code`, as standard controls do.
void notify_parent(HWND control, WORD code);

// Draws its picture for the state (normal, hover, pressed, disabled; a missing one falls back to normal) over
// whatever its parent shows behind it. Hand cursor. Acts on a left click and on BM_CLICK.
class PictureButton : public Window {
public:
    struct Pictures {
        const wchar_t* normal = nullptr;
        const wchar_t* hover = nullptr;
        const wchar_t* pressed = nullptr;
        const wchar_t* disabled = nullptr;
    };
    bool create(HWND parent, int id, int x, int y, int w, int h, const Pictures& names);

protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    const Picture& current() const;
    void on_paint();
    // Whether the mouse position in a message's lParam lies on the button.
    bool holds(LPARAM lp) const;

    Picture normal_, hover_, pressed_, disabled_;
    bool hover_state_ = false;
    bool pressed_state_ = false;
};

// One line of text drawn without a background of its own.
class Label : public Window {
public:
    struct Style {
        COLORREF color = RGB(0, 0, 0);
        HFONT font = nullptr;  // not owned
        UINT align = DT_LEFT;  // DT_LEFT or DT_CENTER
        bool hand_cursor = false;
    };
    bool create(HWND parent, int id, int x, int y, int w, int h, const std::wstring& text, const Style& style);

protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void on_paint();
    Style style_;
};

// Makes an existing EDIT control accept typed integers only and normalise its text when it loses the focus.
void make_integer_edit(HWND edit);

// Makes an existing EDIT control a line that only shows text: the mouse gives it no focus (give it no tab
// stop either) and its window's own pointer shows over it.
void make_display_line(HWND edit);

// Makes an existing control show the system's hand pointer; its class keeps its own.
void use_hand_pointer(HWND control);

// The pointer of the top-level window that holds `control`: its class cursor.
HCURSOR window_pointer(HWND control);

// A notification-area icon, removed when the object goes.
class TrayIcon {
public:
    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon() { remove(); }

    bool add(HWND owner, UINT id, UINT callback_message, HICON icon, const std::wstring& tip);
    void remove();
    // Adds the icon again after the taskbar was re-created (Explorer restarted).
    void restore();
    bool shown() const { return shown_; }
    static UINT taskbar_created_message();

private:
    NOTIFYICONDATAW data_{};
    bool shown_ = false;
};

// A window timer, killed when the object goes.
class WindowTimer {
public:
    WindowTimer() = default;
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;
    ~WindowTimer() { stop(); }

    void start(HWND owner, UINT_PTR id, UINT period_ms);
    void stop();
    bool running() const { return owner_ != nullptr; }

private:
    HWND owner_ = nullptr;
    UINT_PTR id_ = 0;
};

}  // namespace kv::ui
