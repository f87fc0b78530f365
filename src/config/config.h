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

// The first-start settings file: 18 lines, CR LF between them, none after the last, no byte-order mark.
std::string default_config_text();
// Creates or empties the settings file and writes `text` byte for byte.
void write_default_config(std::string_view text);

// Click steps of the two check boxes: store the box's new state.
void store_windowed_switch(bool checked);
void store_intro_switch(bool checked);

// "open" for a checked box, "close" for an unchecked one.
inline const char* switch_text(bool checked) { return checked ? kSwitchOn : kSwitchOff; }

}  // namespace kv
