// A group box drawn by the launcher itself: an etched frame with its caption in a colour of its own over
// whatever its parent shows behind it. (The system's group box leaves the caption colour to the visual
// style.) It lies below the controls it frames: create it after them.
#pragma once

#include <windows.h>

#include <string>

#include "ui/window.h"

namespace kv::tools {

class GroupFrame : public ui::Window {
public:
    bool create(HWND parent, int id, int x, int y, int w, int h, const std::wstring& caption, COLORREF color,
                HFONT font);

protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void on_paint();
    COLORREF color_ = RGB(0, 0, 0);
    HFONT font_ = nullptr;  // not owned
};

}  // namespace kv::tools
