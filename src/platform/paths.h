// The launcher directory: the folder of the running executable, without a trailing separator (a drive root is
// the drive alone, such as D:). Recorded once at start-up; every launcher file is this folder plus a name.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kv {

void set_launcher_dir(std::filesystem::path dir);
const std::filesystem::path& launcher_dir();

// `name` is written with a leading backslash, such as "\\BF2.exe"; the result uses the platform's separator.
std::filesystem::path launcher_file(std::string_view name);

// The directory part of an executable's full path, by the rule above ("D:\\x.exe" gives "D:").
std::wstring directory_of(std::wstring_view exe_path);

}  // namespace kv
