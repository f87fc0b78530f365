#include "tools/shortcut_rules.h"

namespace kv::tools {

std::wstring shortcut_target(std::wstring_view launcher_dir, std::wstring_view exe_name) {
    return std::wstring(launcher_dir) + L"\\" + std::wstring(exe_name);
}

std::wstring shortcut_working_directory(std::wstring_view target) {
    const std::size_t last = target.rfind(L'\\');
    if (last == std::wstring_view::npos) return {};
    return std::wstring(target.substr(0, last + 1));
}

std::vector<ShortcutProperty> shortcut_properties(std::wstring_view target) {
    const std::wstring t(target);
    return {
        {L"WorkingDirectory", shortcut_working_directory(target)},
        {L"IconLocation", t + L",0"},
        {L"WindowStyle", L"", true, 1},
        {L"Description", L"Powered by Talvern"},
        {L"Arguments", L""},
        {L"Hotkey", L""},
    };
}

}  // namespace kv::tools
