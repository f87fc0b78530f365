#include "launch/launch_args.h"

namespace kv {

std::wstring launch_arguments(bool windowed, bool skip_intro, std::wstring_view width, std::wstring_view height) {
    std::wstring args = L" +menu 1";
    if (skip_intro) args += L" +restart";
    if (windowed) return args + L" +fullscreen 0";
    args += L" +fullscreen 1 +szx ";
    args += width;
    args += L" +szy ";
    args += height;
    return args;
}

std::wstring shell_command_line(std::wstring_view path, std::wstring_view arguments) {
    const bool drive_letter = path.size() >= 2 && path[1] == L':';
    // A path with blanks must be quoted or the shell splits it; already quoted paths are left alone.
    const bool has_blank = path.find_first_of(L" \t") != std::wstring_view::npos;
    const bool quoted = !path.empty() && path.front() == L'"';
    std::wstring line;
    if (drive_letter || (has_blank && !quoted)) {
        line = L"\"";
        line += path;
        line += L"\"";
    } else {
        line = path;
    }
    if (!arguments.empty()) {
        line += L' ';
        line += arguments;
    }
    return line;
}

std::wstring launch_echo(std::wstring_view path, std::wstring_view arguments) {
    return std::wstring(path) + std::wstring(arguments);
}

}  // namespace kv
