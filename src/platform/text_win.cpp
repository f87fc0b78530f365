#include "platform/text_win.h"

#include <windows.h>

#include "platform/long_path_win.h"

namespace kv {
namespace {

std::wstring to_wide(unsigned code_page, std::string_view s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(code_page, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(code_page, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

// Converts to `code_page`; `lossless` tells whether every character had a spelling there.
std::string to_narrow(unsigned code_page, std::wstring_view w, bool* lossless = nullptr) {
    if (lossless) *lossless = true;
    if (w.empty()) return {};
    BOOL used_default = FALSE;
    BOOL* flag = (lossless && code_page != CP_UTF8) ? &used_default : nullptr;
    int n = WideCharToMultiByte(code_page, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, flag);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(code_page, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, flag);
    if (lossless) *lossless = !used_default;
    return out;
}

}  // namespace

std::wstring gbk_to_wide(std::string_view gbk) { return to_wide(kGbkCodePage, gbk); }
std::string wide_to_gbk(std::wstring_view wide) { return to_narrow(kGbkCodePage, wide); }
std::wstring utf8_to_wide(std::string_view utf8) { return to_wide(CP_UTF8, utf8); }
std::string wide_to_utf8(std::wstring_view wide) { return to_narrow(CP_UTF8, wide); }

std::string ansi_path(const std::filesystem::path& path) {
    bool lossless = false;
    std::string ansi = to_narrow(CP_ACP, path.native(), &lossless);
    if (lossless && ansi.size() < MAX_PATH) return ansi;
    // The file itself may not exist yet: shorten its folder, keep the (ASCII) file name.
    const std::wstring dir = extended_path(path.parent_path());
    DWORD n = GetShortPathNameW(dir.c_str(), nullptr, 0);
    if (n == 0) return ansi;
    std::wstring short_dir(n, L'\0');
    n = GetShortPathNameW(dir.c_str(), short_dir.data(), n);
    short_dir.resize(n);
    std::wstring joined = without_extended_prefix(short_dir) + L"\\" + path.filename().native();
    return to_narrow(CP_ACP, joined);
}

}  // namespace kv
