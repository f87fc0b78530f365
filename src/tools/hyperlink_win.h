// A hyperlink: one line of underlined text drawn over whatever its parent shows behind it, in its normal
// colour, its visited colour once its address was opened, and its hover colour under the pointer. A click (or
// BM_CLICK) opens the address with the system's "open" action, when there is one, and tells the parent with
// BN_CLICKED.
#pragma once

#include <windows.h>

#include <string>

#include "ui/gdi_win.h"
#include "ui/window.h"

namespace kv::tools {

class Hyperlink : public ui::Window {
public:
    struct Style {
        COLORREF normal = RGB(0, 0, 255);
        COLORREF visited = RGB(128, 0, 128);
        COLORREF hover = RGB(255, 0, 0);
        HFONT font = nullptr;       // not owned; the link draws an underlined copy
        bool act_on_press = false;  // act when the left button goes down, not when it comes up again
    };

    bool create(HWND parent, int id, int x, int y, int w, int h, const std::wstring& text,
                const std::wstring& address, const Style& style);
    const std::wstring& address() const { return address_; }
    bool visited() const { return visited_; }

protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void activate();
    void set_hover(bool hover);
    void on_paint();

    Style style_;
    std::wstring address_;
    ui::OwnedFont underlined_;
    bool hover_ = false;
    bool pressed_ = false;
    bool visited_ = false;
};

}  // namespace kv::tools
