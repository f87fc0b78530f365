#include "tools/entertainment_layout.h"

#include <algorithm>

namespace kv::tools {

Box browser_box_on_create(int window_width, int window_height) {
    return {0, 0, std::max(window_width, 0), std::max(window_height - 100, 0)};
}

Box browser_box_after_resize(int window_width, int window_height) {
    return {0, 0, std::max(window_width, 0), std::max(window_height - 80, 0)};
}

int row_top_after_resize(int window_height) { return browser_box_after_resize(0, window_height).h + 10; }

}  // namespace kv::tools
