#include <windows.h>

#include "config/ini_text.h"
#include "config/profile.h"
#include "platform/text_win.h"

namespace kv {

std::string profile_read(const std::filesystem::path& file, std::string_view section, std::string_view key) {
    char buffer[ini::kMaxValueBytes + 1] = {};
    const std::string path = ansi_path(file);
    const std::string s(section), k(key);
    DWORD n = GetPrivateProfileStringA(s.c_str(), k.c_str(), "", buffer, sizeof buffer, path.c_str());
    return std::string(buffer, n);
}

bool profile_write(const std::filesystem::path& file, std::string_view section, std::string_view key,
                   std::string_view value) {
    const std::string path = ansi_path(file);
    const std::string s(section), k(key), v(value);
    return WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), path.c_str()) != FALSE;
}

}  // namespace kv
