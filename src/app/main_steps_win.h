// The steps the main window runs on its events.
#pragma once

namespace kv {
namespace ui {
class MainWindow;
}

// Start-up and shutdown of the main window.
void setup_main_window(ui::MainWindow& window);
void allow_main_window_close(ui::MainWindow& window);
void finish_main_window(ui::MainWindow& window);
// Tells the player, once the main window is up, that the settings file could not be read at start-up.
void warn_settings_unreadable();

// The game launch, and the version check that gates the update-checking start button.
void launch_game(ui::MainWindow& window);
bool check_before_launch(ui::MainWindow& window);

}  // namespace kv
