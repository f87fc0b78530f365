// Opening the update window from the main window. Kept apart from the window's class so that the main window
// needs nothing else of the update road.
#pragma once

#include <windows.h>

namespace kv {

// H1: a leftover download is deleted, then the update window is opened modally; returns when it has closed.
void open_update_window(HWND main_window);

// The same without deleting anything (the pre-launch check has just done so); the caller hides the main
// window first.
void open_update_window_modal(HWND main_window);

// Deletes launcher directory + "\BF2_update.bak", unless a download is writing it now. Failures are ignored.
void delete_leftover_download();

}  // namespace kv
