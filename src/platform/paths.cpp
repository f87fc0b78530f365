#include "platform/paths.h"

namespace kv {
namespace {
std::filesystem::path& dir_storage() {
    static std::filesystem::path dir;
    return dir;
}
}  // namespace

void set_launcher_dir(std::filesystem::path dir) { dir_storage() = std::move(dir); }
const std::filesystem::path& launcher_dir() { return dir_storage(); }

std::filesystem::path launcher_file(std::string_view name) {
    while (!name.empty() && (name.front() == '\\' || name.front() == '/')) name.remove_prefix(1);
    // Joined as text: path's operator/ would make "D:" + "x" the drive-relative "D:x".
    std::filesystem::path::string_type joined = launcher_dir().native();
    joined += std::filesystem::path::preferred_separator;
    joined += std::filesystem::path(std::string(name)).native();
    return std::filesystem::path(std::move(joined));
}

std::wstring directory_of(std::wstring_view exe_path) {
    const std::size_t cut = exe_path.find_last_of(L"\\/");
    if (cut == std::wstring_view::npos) return {};
    return std::wstring(exe_path.substr(0, cut));
}

}  // namespace kv
