// The main window's tool buttons: `key` (the utility panel), `H2` (the desktop shortcut) and `H3` (the
// entertainment window).
#pragma once

namespace kv::ui {
class MainWindow;
}

namespace kv::tools {

// Runs the tool of the main window's control `id`; false when the control is none of the three.
bool run_main_window_tool(ui::MainWindow& window, int id);

}  // namespace kv::tools
