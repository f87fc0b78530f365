#include "tools/command_lines.h"

namespace kv::tools {

std::wstring quote_argument(std::wstring_view arg) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as themselves unless a quote follows them.
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

std::wstring editor_arguments(std::wstring_view script) { return L"/s " + quote_argument(script); }

std::wstring screenshot_folder(std::wstring_view documents) {
    return std::wstring(documents) + L"Battlefield 2\\Screenshots";
}

std::wstring program_command_line(std::wstring_view program, std::wstring_view arguments) {
    std::wstring line =
        program.find(L' ') == std::wstring_view::npos ? std::wstring(program) : quote_argument(program);
    if (!arguments.empty()) line += L" " + std::wstring(arguments);
    return line;
}

}  // namespace kv::tools
