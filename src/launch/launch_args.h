// The game client's command line, built from the options on the main window. Pure functions.
#pragma once

#include <string>
#include <string_view>

namespace kv {

// The options text; every variant begins with a blank. Width and height are used as they stand, in full-screen
// mode only.
std::wstring launch_arguments(bool windowed, bool skip_intro, std::wstring_view width, std::wstring_view height);

// What the shell is asked to run: the program path, quoted when it begins with a drive letter or holds a blank,
// then a blank and the arguments when there are any.
std::wstring shell_command_line(std::wstring_view path, std::wstring_view arguments);

// The line shown after a launch: the path directly followed by the arguments.
std::wstring launch_echo(std::wstring_view path, std::wstring_view arguments);

}  // namespace kv
