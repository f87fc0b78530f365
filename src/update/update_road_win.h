// The client download: started by 立即更新, shown once a second by the update window's timer and finished on
// the user-interface thread.
//
// The engine calls on_download_notify on its own threads. The routine never waits for the user-interface
// thread: it notes what it has to tell and posts a message to the road's hidden window. So the exit routine
// can stop a running task from the user-interface thread and wait for its thread without any risk of the two
// waiting on each other. The window steps of the task's end, the swap and the new version all happen on the
// user-interface thread when that message is handled; once the road is closed at exit, nothing is handled.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/downloader.h"

namespace kv {

namespace ui {
class UpdateWindow;
}

// Sets the client download's task members, starts the progress timer and hands the task to the engine. The
// remote version is taken now: what happens to the update window later changes nothing about the result.
void start_client_download(ui::UpdateWindow& window, const std::string& remote_version);

// The engine's notification routine for the client download.
std::int32_t on_download_notify(DownloadEvent kind, const DownloadConnection* connection, std::int32_t value,
                                std::int32_t extra, const DownloadTaskInfo* task);

// The update window's timer tick: speed, received amount and percentage.
void on_progress_tick(ui::UpdateWindow& window);

// Whether a client download is under way or ended but not yet acted on: its file is no leftover then.
bool client_download_pending();

// Shows the launcher's main window (of this thread), when there is one.
void show_main_window();

// The hidden window that owns update windows and receives the engine's news; made on first use.
HWND update_road_window();

// Part of the exit sequence: closes an open update window.
void close_update_windows();

// Part of the exit sequence: later notifications are dropped, the road's window goes, and a task that ends
// now swaps nothing. Call before the engine is released.
void close_update_road();

}  // namespace kv
