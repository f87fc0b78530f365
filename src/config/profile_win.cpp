#include <windows.h>

#include <algorithm>
#include <optional>

#include "config/ini_text.h"
#include "config/profile.h"
#include "platform/long_path_win.h"
#include "platform/owned_handle_win.h"
#include "platform/text_win.h"

namespace kv {
namespace {

// The path the profile functions accept, or nothing when even its short form is MAX_PATH characters or longer,
// or still needs characters the ANSI code page lacks (they come out as "?", which no path holds): those files
// are read and written as text here instead, through the wide API.
std::optional<std::string> system_profile_path(const std::filesystem::path& file) {
    std::string path = ansi_path(file);
    if (path.size() >= MAX_PATH || path.find('?') != std::string::npos) return std::nullopt;
    return path;
}

}  // namespace

FileBytes file_read(const std::filesystem::path& file) {
    const std::wstring path = extended_path(file);
    OwnedHandle f(CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return {missing ? FileBytes::Status::Missing : FileBytes::Status::Unreadable, {}};
    }
    std::string bytes;
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(f.get(), buffer, sizeof buffer, &got, nullptr))
            return {FileBytes::Status::Unreadable, {}};
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return {FileBytes::Status::Read, std::move(bytes)};
}

bool file_replace(const std::filesystem::path& file, std::string_view bytes) {
    const std::wstring path = extended_path(file);
    // Opened without truncating, so that a file we may not write loses nothing; cut to size after the write.
    OwnedHandle f(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(f.get(), bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return SetEndOfFile(f.get()) != FALSE;
}

std::string profile_read(const std::filesystem::path& file, std::string_view section, std::string_view key) {
    const auto path = system_profile_path(file);
    if (!path) {
        const FileBytes f = file_read(file);
        return f.status == FileBytes::Status::Read ? ini::get(f.bytes, section, key) : std::string();
    }
    char buffer[ini::kMaxValueBytes + 1] = {};
    const std::string s(section), k(key);
    DWORD n = GetPrivateProfileStringA(s.c_str(), k.c_str(), "", buffer, sizeof buffer, path->c_str());
    return std::string(buffer, n);
}

bool profile_write(const std::filesystem::path& file, std::string_view section, std::string_view key,
                   std::string_view value) {
    const auto path = system_profile_path(file);
    if (!path) {
        const FileBytes current = file_read(file);
        if (current.status == FileBytes::Status::Unreadable) return false;
        const std::string updated = ini::put(current.bytes, section, key, value);
        return updated == current.bytes || file_replace(file, updated);
    }
    const std::string s(section), k(key), v(value);
    return WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), path->c_str()) != FALSE;
}

}  // namespace kv
