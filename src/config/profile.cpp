#include "config/profile.h"

#include <fstream>
#include <iterator>

#include "config/ini_text.h"

namespace kv {

FileBytes portable_file_read(const std::filesystem::path& file) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (status.type() == std::filesystem::file_type::not_found) return {FileBytes::Status::Missing, {}};
    if (ec || !std::filesystem::is_regular_file(status)) return {FileBytes::Status::Unreadable, {}};
    std::ifstream in(file, std::ios::binary);
    if (!in) return {FileBytes::Status::Unreadable, {}};
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return {FileBytes::Status::Unreadable, {}};
    return {FileBytes::Status::Read, std::move(bytes)};
}

bool portable_file_replace(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::string portable_profile_read(const std::filesystem::path& file, std::string_view section,
                                  std::string_view key) {
    const FileBytes f = portable_file_read(file);
    return f.status == FileBytes::Status::Read ? ini::get(f.bytes, section, key) : std::string();
}

bool portable_profile_write(const std::filesystem::path& file, std::string_view section, std::string_view key,
                            std::string_view value) {
    const FileBytes current = portable_file_read(file);
    if (current.status == FileBytes::Status::Unreadable)
        return false;  // never replace what we could not read
    const bool exists = current.status == FileBytes::Status::Read;
    const std::string updated = ini::put(current.bytes, section, key, value);
    if (exists && updated == current.bytes) return true;
    // Open without truncating first, so that a read-only or locked file fails before any byte is lost.
    std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    if (!out && !exists) out.open(file, std::ios::binary | std::ios::out);
    if (!out) return false;
    out.seekp(0);
    out.write(updated.data(), static_cast<std::streamsize>(updated.size()));
    out.close();
    if (out.fail()) return false;
    std::error_code ec;
    if (updated.size() < current.bytes.size()) std::filesystem::resize_file(file, updated.size(), ec);
    return !ec;
}

}  // namespace kv
