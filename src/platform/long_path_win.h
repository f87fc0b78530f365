// Paths of any length for the wide file functions. A launcher folder deep enough that its files' paths reach
// MAX_PATH (260) characters is ordinary; the system refuses such paths unless they carry the extended-length
// prefix.
#pragma once

#include <filesystem>
#include <string>

namespace kv {

// The full form of `path` with the prefix \\?\ (or \\?\UNC\ for a network path) when it is MAX_PATH
// characters or longer, else the path as it is.
std::wstring extended_path(const std::filesystem::path& path);

// `path` without an extended-length prefix, for functions and users that do not read one.
std::wstring without_extended_prefix(std::wstring path);

}  // namespace kv
