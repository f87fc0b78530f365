// The launcher's settings file, BF_config.ini beside the executable. Every access reads or writes the file on
// disk under one process-wide lock (the download thread writes the client version too); nothing is cached.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kv {

inline constexpr char kSwitchOn[] = "open";
inline constexpr char kSwitchOff[] = "close";

std::filesystem::path config_path();

// The value, or "" when the file, section or key is missing; at most 10239 bytes.
std::string read_setting(std::string_view section, std::string_view key);
// Stores one value at once. A failed write is lost silently, as the launcher never reports it.
void write_setting(std::string_view section, std::string_view key, std::string_view value);

// What start-up finds at the settings path.
enum class SettingsAtStart {
    FirstStart,  // no file, or one holding nothing but blanks and line ends (what a power loss often leaves)
    Load,        // a file with content
    Unreadable,  // a file that is there but cannot be read (held by another program, a folder, no right)
};
// Looks at the settings file once, at start-up. After Unreadable, no write of this run touches that file:
// what could not be read is never replaced by defaults or by switches the player never saw.
SettingsAtStart check_settings_at_start();
// Whether writes to the settings file are refused for the rest of the run.
bool settings_writes_refused();
// True for a settings text with nothing in it but blanks and line ends.
bool is_blank_settings_text(std::string_view text);

// The first-start settings file: 18 lines, CR LF between them, none after the last, no byte-order mark.
std::string default_config_text();
// Creates or empties the settings file and writes `text` byte for byte (refused like every write after
// Unreadable).
void write_default_config(std::string_view text);

// Click steps of the two check boxes: store the box's new state.
void store_windowed_switch(bool checked);
void store_intro_switch(bool checked);

// "open" for a checked box, "close" for an unchecked one.
inline const char* switch_text(bool checked) { return checked ? kSwitchOn : kSwitchOff; }

}  // namespace kv
