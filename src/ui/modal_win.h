// What the launcher's windows share beyond the window procedure: a modal loop that keeps another window from
// taking input while a window is open, and the keyboard of dialog-like windows (Tab moves between controls,
// Esc sends IDCANCEL, which those windows answer by closing).
#pragma once

#include <windows.h>

namespace kv::ui {

// Runs a nested message loop until `window` is destroyed. `disabled` (may be null) takes no input meanwhile;
// afterwards it is enabled again and, when visible, activated. A WM_QUIT that arrives meanwhile ends the loop
// and is posted again for the outer loop.
void run_modal(HWND window, HWND disabled);

// Registers a top-level window for dialog keyboard handling, until it is destroyed or removed.
void add_dialog_keys(HWND window);
void remove_dialog_keys(HWND window);

// For message loops, before TranslateMessage: true when `msg` was used as dialog keyboard input of one of the
// registered windows (and must not be dispatched again).
bool translate_dialog_keys(MSG& msg);

}  // namespace kv::ui
