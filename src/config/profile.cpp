#include "config/profile.h"

#include <fstream>
#include <iterator>
#include <optional>

#include "config/ini_text.h"

namespace kv {
namespace {

std::optional<std::string> read_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace

std::string portable_profile_read(const std::filesystem::path& file, std::string_view section,
                                  std::string_view key) {
    auto text = read_file(file);
    return text ? ini::get(*text, section, key) : std::string();
}

bool portable_profile_write(const std::filesystem::path& file, std::string_view section, std::string_view key,
                            std::string_view value) {
    std::error_code ec;
    const bool exists = std::filesystem::exists(file, ec);
    std::string text;
    if (exists) {
        auto current = read_file(file);
        if (!current) return false;  // unreadable: never replace what we could not read
        text = std::move(*current);
    }
    const std::string updated = ini::put(text, section, key, value);
    if (exists && updated == text) return true;
    // Open without truncating first, so that a read-only or locked file fails before any byte is lost.
    std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    if (!out && !exists) out.open(file, std::ios::binary | std::ios::out);
    if (!out) return false;
    out.seekp(0);
    out.write(updated.data(), static_cast<std::streamsize>(updated.size()));
    out.close();
    if (!out) return false;
    if (updated.size() < text.size()) std::filesystem::resize_file(file, updated.size(), ec);
    return !ec;
}

}  // namespace kv
