// Reading and writing one value of an INI file on disk, and the whole file for start-up. The Windows build
// uses the system's profile functions; the native build uses the portable implementation, which the
// Windows-side tests compare with the system's.
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

// A whole file, and whether it was there to be read.
struct FileBytes {
    enum class Status { Missing, Read, Unreadable };
    Status status = Status::Missing;
    std::string bytes;  // when Read
};
// Missing only when nothing is at the path; a folder in its place, a file another program holds without
// sharing, or one we may not read is Unreadable.
FileBytes file_read(const std::filesystem::path& file);
// Creates the file or empties it, and writes `bytes`; false when it could not be written.
bool file_replace(const std::filesystem::path& file, std::string_view bytes);

// The portable implementation, available on both sides.
std::string portable_profile_read(const std::filesystem::path& file, std::string_view section,
                                  std::string_view key);
bool portable_profile_write(const std::filesystem::path& file, std::string_view section, std::string_view key,
                            std::string_view value);
FileBytes portable_file_read(const std::filesystem::path& file);
bool portable_file_replace(const std::filesystem::path& file, std::string_view bytes);

}  // namespace kv
