// Base for the launcher's windows: one static window procedure binds `this` at WM_NCCREATE and forwards every
// message to the object's handler. Nothing may escape a window procedure, so exceptions end there.
#pragma once

#include <windows.h>

#include <string>

namespace kv::ui {

// The text of a window or control.
std::wstring window_text(HWND hwnd);

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

    // Registers a child-control class served by this procedure (no background brush, double-clicks on).
    static bool register_class_for_controls(const wchar_t* class_name);

protected:
    // Registers `class_name` once with this procedure; `configure` fills the other fields.
    static bool register_class(const wchar_t* class_name, void (*configure)(WNDCLASSEXW&));
    HWND create(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style, int x, int y, int w,
                int h, HWND parent, HMENU menu);

    virtual LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT default_handle(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

}  // namespace kv::ui
