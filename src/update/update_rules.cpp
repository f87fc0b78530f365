#include "update/update_rules.h"

#include <cmath>
#include <cstdio>

namespace kv {

VersionCheck compare_versions(std::string_view local, std::string_view remote) {
    if (versions_equal(local, remote)) return VersionCheck::Equal;
    return remote.empty() ? VersionCheck::RemoteEmpty : VersionCheck::Different;
}

std::string size_text(std::int64_t bytes) {
    const double kb = static_cast<double>(bytes) / 1024.0;
    // The tiny addend keeps values such as 0.125 (stored a hair below) rounding up as written.
    const double hundredths = std::floor(std::fabs(kb) * 100.0 + 1e-12 + 0.5);
    const double rounded = std::copysign(hundredths / 100.0, kb);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.13g", rounded == 0 ? 0.0 : rounded);
    return buf;
}

int progress_percent(double done, double total) {
    const double percent = done / total * 100.0;
    if (!std::isfinite(percent)) return 0;
    if (percent <= 0) return 0;
    if (percent >= 100) return 100;
    return static_cast<int>(percent);  // cut toward zero
}

namespace {

bool is_blank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Reads one argument from `pos` on (blanks before it skipped); false when none is left.
bool next_argument(std::wstring_view line, std::size_t& pos, std::wstring& out) {
    while (pos < line.size() && is_blank(line[pos])) ++pos;
    if (pos >= line.size()) return false;
    out.clear();
    bool quoted = false;
    for (; pos < line.size(); ++pos) {
        const wchar_t c = line[pos];
        if (c == L'"') {
            quoted = !quoted;
        } else if (is_blank(c) && !quoted) {
            break;
        } else {
            out += c;
        }
    }
    return true;
}

// Lower-cases the ASCII letters of a GBK text, stepping over double-byte characters whole.
std::string fold_ascii_gbk(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < out.size()) {
            ++i;  // the trail byte belongs to the character
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

}  // namespace

std::optional<std::wstring> first_argument(std::wstring_view command_line) {
    std::size_t pos = 0;
    std::wstring arg;
    if (!next_argument(command_line, pos, arg)) return std::nullopt;  // not even the program's path
    if (!next_argument(command_line, pos, arg)) return std::nullopt;
    return arg;
}

bool same_executable_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() && fold_ascii_gbk(a) == fold_ascii_gbk(b);
}

}  // namespace kv
