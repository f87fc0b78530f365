#include "ui/gdi_win.h"

namespace kv::ui {

BufferedPaint::BufferedPaint(HDC target, int width, int height)
    : target_(target), width_(width), height_(height), mem_(CreateCompatibleDC(target)),
      bitmap_(CreateCompatibleBitmap(target, width > 0 ? width : 1, height > 0 ? height : 1)) {
    old_ = SelectObject(mem_.get(), bitmap_.get());
}

BufferedPaint::~BufferedPaint() {
    BitBlt(target_, 0, 0, width_, height_, mem_.get(), 0, 0, SRCCOPY);
    SelectObject(mem_.get(), old_);
}

}  // namespace kv::ui
