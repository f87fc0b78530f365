#include <string>

#include "platform/trace.h"
#include "ui/window.h"

namespace kv::ui {

std::wstring window_text(HWND hwnd) {
    if (!hwnd) return {};
    const int len = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), len + 1);
    text.resize(static_cast<std::size_t>(got));
    return text;
}

Window::~Window() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool Window::register_class(const wchar_t* class_name, void (*configure)(WNDCLASSEXW&)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), class_name, &wc)) return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = class_name;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    if (configure) configure(wc);
    return RegisterClassExW(&wc) != 0;
}

bool Window::register_class_for_controls(const wchar_t* class_name) {
    return register_class(class_name, [](WNDCLASSEXW& wc) {
        wc.style = CS_DBLCLKS;
        wc.hbrBackground = nullptr;
    });
}

HWND Window::create(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style, int x, int y,
                    int w, int h, HWND parent, HMENU menu) {
    return CreateWindowExW(ex_style, class_name, title, style, x, y, w, h, parent, menu, GetModuleHandleW(nullptr),
                           this);
}

LRESULT Window::handle(UINT msg, WPARAM wp, LPARAM lp) { return default_handle(msg, wp, lp); }

LRESULT CALLBACK Window::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    try {
        result = self->handle(msg, wp, lp);
    } catch (...) {
        trace_failure("window procedure, message " + std::to_string(msg), current_exception_text());
        result = DefWindowProcW(hwnd, msg, wp, lp);
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace kv::ui
