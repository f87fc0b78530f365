#include "config/profile.h"

namespace kv {

std::string profile_read(const std::filesystem::path& file, std::string_view section, std::string_view key) {
    return portable_profile_read(file, section, key);
}

bool profile_write(const std::filesystem::path& file, std::string_view section, std::string_view key,
                   std::string_view value) {
    return portable_profile_write(file, section, key, value);
}

}  // namespace kv
