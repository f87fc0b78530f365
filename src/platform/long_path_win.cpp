#include "platform/long_path_win.h"

#include <windows.h>

namespace kv {
namespace {
constexpr wchar_t kPrefix[] = L"\\\\?\\";
constexpr wchar_t kUncPrefix[] = L"\\\\?\\UNC\\";

bool starts_with(const std::wstring& s, const wchar_t* prefix) {
    return s.rfind(prefix, 0) == 0;
}
}  // namespace

std::wstring extended_path(const std::filesystem::path& path) {
    std::wstring p = path.native();
    if (p.size() < MAX_PATH || starts_with(p, kPrefix)) return p;
    // The prefix turns off the system's own clean-up of the path, so the path is made full first.
    const DWORD n = GetFullPathNameW(p.c_str(), 0, nullptr, nullptr);
    if (n > 0) {
        std::wstring full(n, L'\0');
        const DWORD got = GetFullPathNameW(p.c_str(), n, full.data(), nullptr);
        if (got > 0 && got < n) {
            full.resize(got);
            p = std::move(full);
        }
    }
    if (p.size() >= 3 && p[1] == L':' && p[2] == L'\\') return kPrefix + p;
    if (starts_with(p, L"\\\\")) return kUncPrefix + p.substr(2);
    return p;
}

std::wstring without_extended_prefix(std::wstring path) {
    if (starts_with(path, kUncPrefix)) return L"\\\\" + path.substr(std::size(kUncPrefix) - 1);
    if (starts_with(path, kPrefix)) return path.substr(std::size(kPrefix) - 1);
    return path;
}

}  // namespace kv
