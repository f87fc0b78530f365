// Reading and writing one value of an INI file on disk. The Windows build uses the system's profile functions;
// the native build uses the portable implementation, which the Windows-side tests compare with the system's.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kv {

// The value, or "" when the file, section or key is missing (never fails).
std::string profile_read(const std::filesystem::path& file, std::string_view section, std::string_view key);
// Stores one value; false when the file could not be written (the file is then unchanged).
bool profile_write(const std::filesystem::path& file, std::string_view section, std::string_view key,
                   std::string_view value);

// The portable implementation, available on both sides.
std::string portable_profile_read(const std::filesystem::path& file, std::string_view section,
                                  std::string_view key);
bool portable_profile_write(const std::filesystem::path& file, std::string_view section, std::string_view key,
                            std::string_view value);

}  // namespace kv
