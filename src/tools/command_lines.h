// Command lines of the programs the utility panel starts. Paths are quoted: a game folder such as
// "C:\Program Files\EA Games\Battlefield 2" would otherwise reach the program as several arguments.
// Portable: no system headers.
#pragma once

#include <string>
#include <string_view>

namespace kv::tools {

// `arg` as one argument of a Windows command line: in double quotes, backslashes before a quote (also the
// closing one) doubled and quotes escaped, as the system's command-line parsing reads them back.
std::wstring quote_argument(std::wstring_view arg);

// The registry editor's arguments for a silent import of `script`.
std::wstring editor_arguments(std::wstring_view script);

// The game's screenshot folder below the documents folder (given with its trailing backslash, or empty).
std::wstring screenshot_folder(std::wstring_view documents);

// A command line: the program (quoted when it holds a blank), then a blank and the arguments when there are
// any.
std::wstring program_command_line(std::wstring_view program, std::wstring_view arguments);

}  // namespace kv::tools
