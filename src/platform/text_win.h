// Conversions between the GBK byte strings the launcher stores and the UTF-16 text of the W API.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kv {

inline constexpr unsigned kGbkCodePage = 936;

std::wstring gbk_to_wide(std::string_view gbk);
std::string wide_to_gbk(std::wstring_view wide);
std::wstring utf8_to_wide(std::string_view utf8);
std::string wide_to_utf8(std::wstring_view wide);

// A form of `path` that the ANSI ("A") file functions accept on this system. When the path cannot be spelled
// in the ANSI code page (a Chinese folder name on a Western system), or is MAX_PATH characters or longer, the
// folder's short 8.3 name is used; the result may still be that long where the system makes no short names.
std::string ansi_path(const std::filesystem::path& path);

}  // namespace kv
