#include "config/profile.h"

namespace kv {

std::string profile_read(const std::filesystem::path& file, std::string_view section, std::string_view key) {
    return portable_profile_read(file, section, key);
}

bool profile_write(const std::filesystem::path& file, std::string_view section, std::string_view key,
                   std::string_view value) {
    return portable_profile_write(file, section, key, value);
}

FileBytes file_read(const std::filesystem::path& file) {
    return portable_file_read(file);
}

bool file_replace(const std::filesystem::path& file, std::string_view bytes) {
    return portable_file_replace(file, bytes);
}

}  // namespace kv
