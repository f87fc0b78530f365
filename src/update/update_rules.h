// The update road's decisions and texts that need no window: version comparison, the progress display's
// numbers, the launcher's first command-line argument and process-name matching. Portable: no system headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// ---- Versions ----

// Versions are compared byte for byte: case-sensitive, nothing trimmed; an unset text equals the empty one.
inline bool versions_equal(std::string_view local, std::string_view remote) {
    return local == remote;
}

// What a version check found.
enum class VersionCheck {
    Equal,        // nothing to do: the client is current
    RemoteEmpty,  // the host gave nothing (unreachable, empty body): nothing can be decided
    Different,    // the host has another version (older ones too)
};
VersionCheck compare_versions(std::string_view local, std::string_view remote);

// ---- Progress display ----

// A byte count as the status bar shows it: kilobytes rounded half away from zero to two decimals, then at
// most 13 significant digits, no trailing zeros, no decimal point for whole numbers (512 gives "0.5").
std::string size_text(std::int64_t bytes);

// The progress bar's position for `done` of `total` bytes: the percentage cut toward zero, 0 when it is not a
// finite number (total still 0), and clamped to the bar's range 0 to 100.
int progress_percent(double done, double total);

// ---- Command line ----

// The first argument after the program's own path: arguments are separated by blanks, and a part in double
// quotes may hold blanks and loses its quotes. Nothing when there is no argument.
std::optional<std::wstring> first_argument(std::wstring_view command_line);

// ---- Processes ----

// Whether two executable names (GBK) are the same after ASCII letters are turned to lower case. The two bytes
// of a double-byte GBK character are kept as they are, even where the second one looks like a letter.
bool same_executable_name(std::string_view a, std::string_view b);

}  // namespace kv
