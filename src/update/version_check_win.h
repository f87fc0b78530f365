// The client version check: the process helpers and 立即更新. The check before a game start is declared with
// the main window's steps (app/main_steps_win.h).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kv {

namespace ui {
class UpdateWindow;
}

// The id of the first process in the system's list whose executable name (GBK, without path) matches `name`
// with ASCII letters compared without case; 0 when there is none or the list cannot be taken.
DWORD find_process_id(std::string_view name);
// Ends the process with exit code 0; true when it was ended. Id 0 does nothing.
bool terminate_process(DWORD id);

// The address of the client version file on the configured update host.
std::string version_file_url();

// 立即更新: ends a running client, fetches the version again and starts the download when it differs.
void update_now(ui::UpdateWindow& window);

}  // namespace kv
