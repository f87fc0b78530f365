// A one-line link: its text in the normal colour, the hover colour under the pointer and the visited colour
// once clicked, with the hand cursor. A click (or BM_CLICK) opens its address in the default browser.
#pragma once

#include <windows.h>

#include <string>

#include "ui/window.h"

namespace kv::ui {

class LinkLabel : public Window {
  public:
    struct Colors {
        COLORREF normal, visited, hover, background;
    };
    bool create(HWND parent, int id, int x, int y, int w, int h, const std::wstring& text,
                std::wstring address, const Colors& colors, HFONT font);

  protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void on_paint();
    void follow();

    std::wstring address_;
    Colors colors_{};
    HFONT font_ = nullptr;  // not owned
    bool hover_ = false;
    bool visited_ = false;
};

}  // namespace kv::ui
