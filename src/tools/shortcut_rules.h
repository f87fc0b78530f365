// The desktop shortcut's file name and properties. Portable: no system headers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv::tools {

inline constexpr wchar_t kShortcutFileName[] = L"Korvalen.lnk";

// The launcher directory (a drive root is the drive alone, such as D:), a backslash and the executable's
// name.
std::wstring shortcut_target(std::wstring_view launcher_dir, std::wstring_view exe_name);

// Every backslash-separated part of `target` but the last, each followed by a backslash: D:\Games\BF2\ for
// D:\Games\BF2\launcher.exe, D:\ for D:\launcher.exe; empty when the target has no backslash.
std::wstring shortcut_working_directory(std::wstring_view target);

// A property the shortcut object is given after "TargetPath", in the order they are written.
struct ShortcutProperty {
    const wchar_t* name;
    std::wstring text;
    bool is_number = false;
    int number = 0;
};
std::vector<ShortcutProperty> shortcut_properties(std::wstring_view target);

}  // namespace kv::tools
