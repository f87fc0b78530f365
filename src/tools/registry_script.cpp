#include "tools/registry_script.h"

#include <algorithm>
#include <cwctype>
#include <optional>

namespace kv::tools {
namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

struct DwordLine {
    const char* name;
    const char* value;
};

// The display mode of the full-screen fix, in the order of the script's lines.
constexpr DwordLine kFullscreenValues[] = {
    {"Flags", "0001f787"},
    {"VideoStandard", "000000ff"},
    {"ActiveSize.cx", "00000556"},
    {"ActiveSize.cy", "00000300"},
    {"VSyncFreq.Numerator", "044fab10"},
    {"VSyncFreq.Denominator", "00126524"},
    {"HSyncFreq.Numerator", "0000b926"},
    {"HSyncFreq.Denominator", "00000001"},
    {"PixelRate", "044fab10"},
    {"ScanlineOrdering", "00000001"},
    {"Scaling", "00000003"},
    {"Rotation", "00000001"},
};

constexpr char kFullscreenKey[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\GraphicsDrivers\\Configuration\\"
    "AOC2350CPAD7HA026366_1D_07DD_0D*LEN40A00_00_07DA_93^EF692FDA06EA236A9245BBEC56C965C1\\00\\01";

std::string_view first_line(std::string_view text) {
    const std::size_t end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return line;
}

bool is_utf16(std::string_view bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xFE;
}

std::string to_utf16le(std::string_view ascii) {
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// Code units of UTF-16LE bytes (an odd last byte is dropped).
std::wstring from_utf16le(std::string_view bytes) {
    std::wstring out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return out;
}

std::wstring_view trim(std::wstring_view s) {
    while (!s.empty() && (s.front() == L' ' || s.front() == L'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == L' ' || s.back() == L'\t' || s.back() == L'\r')) s.remove_suffix(1);
    return s;
}

bool same_text(std::wstring_view a, std::wstring_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

bool starts_with_text(std::wstring_view s, std::wstring_view prefix) {
    return s.size() >= prefix.size() && same_text(s.substr(0, prefix.size()), prefix);
}

// A quoted text at the start of `s` with \\ and \" escapes; `s` is left after the closing quote.
std::optional<std::wstring> take_quoted(std::wstring_view& s) {
    if (s.empty() || s.front() != L'"') return std::nullopt;
    std::wstring out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == L'\\' && i + 1 < s.size() && (s[i + 1] == L'\\' || s[i + 1] == L'"')) {
            out += s[++i];
        } else if (s[i] == L'"') {
            s.remove_prefix(i + 1);
            return out;
        } else {
            out += s[i];
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> parse_dword(std::wstring_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t v = 0;
    for (wchar_t c : digits) {
        int d;
        if (c >= L'0' && c <= L'9')
            d = c - L'0';
        else if (c >= L'a' && c <= L'f')
            d = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            d = c - L'A' + 10;
        else
            return std::nullopt;
        v = v * 16 + static_cast<std::uint32_t>(d);
    }
    return v;
}

struct Section {
    RegRoot root;
    std::wstring key;
};

std::optional<Section> parse_section(std::wstring_view inside) {
    const std::size_t slash = inside.find(L'\\');
    const std::wstring_view root = inside.substr(0, slash);
    if (slash == std::wstring_view::npos || slash + 1 >= inside.size()) return std::nullopt;
    Section s{RegRoot::LocalMachine, std::wstring(inside.substr(slash + 1))};
    if (same_text(root, L"HKEY_LOCAL_MACHINE"))
        s.root = RegRoot::LocalMachine;
    else if (same_text(root, L"HKEY_CURRENT_USER"))
        s.root = RegRoot::CurrentUser;
    else
        return std::nullopt;
    return s;
}

bool is_below(const RegValue& v, const Section& deleted) {
    if (v.root != deleted.root || !starts_with_text(v.key, deleted.key)) return false;
    return v.key.size() == deleted.key.size() || v.key[deleted.key.size()] == L'\\';
}

bool same_value(const RegValue& a, const RegValue& b) {
    return a.root == b.root && same_text(a.key, b.key) && same_text(a.name, b.name);
}

// Later lines win: a value set twice is checked for its last data, a deleted one not at all.
void record(std::vector<RegValue>& values, RegValue v, bool deleted) {
    std::erase_if(values, [&](const RegValue& old) { return same_value(old, v); });
    if (!deleted) values.push_back(std::move(v));
}

void parse_value_line(std::wstring_view line, const Section& section, std::vector<RegValue>& values) {
    RegValue v;
    v.root = section.root;
    v.key = section.key;
    if (line.front() == L'@') {
        line.remove_prefix(1);
    } else {
        auto name = take_quoted(line);
        if (!name) return;
        v.name = std::move(*name);
    }
    line = trim(line);
    if (line.empty() || line.front() != L'=') return;
    line = trim(line.substr(1));
    if (line == L"-") {
        record(values, std::move(v), true);
        return;
    }
    if (!line.empty() && line.front() == L'"') {
        auto text = take_quoted(line);
        if (!text || !trim(line).empty()) return;
        v.text = std::move(*text);
    } else if (starts_with_text(line, L"dword:")) {
        const auto dword = parse_dword(line.substr(6));
        if (!dword) return;
        v.is_dword = true;
        v.dword = *dword;
    } else {
        return;  // binary, expandable and multi-string values are not read back
    }
    record(values, std::move(v), false);
}

}  // namespace

std::string fullscreen_script() {
    std::string script = std::string("[") + kFullscreenKey + "]";
    for (const DwordLine& line : kFullscreenValues) {
        script += "\r\n\"";
        script += line.name;
        script += "\"=dword:";
        script += line.value;
    }
    return script;
}

bool has_editor_header(std::string_view bytes) {
    if (is_utf16(bytes)) {
        const std::string rest(bytes.substr(2));
        for (std::string_view header : {kHeader4, kHeader5}) {
            const std::string wide = to_utf16le(header);
            if (rest.compare(0, wide.size(), wide) != 0) continue;
            const std::string_view after = std::string_view(rest).substr(wide.size());
            if (after.empty() || after.substr(0, 2) == std::string_view("\r\0", 2) ||
                after.substr(0, 2) == std::string_view("\n\0", 2) ||
                after.substr(0, 2) == std::string_view(" \0", 2))
                return true;
        }
        return false;
    }
    const std::string_view line = first_line(bytes);
    return line == kHeader4 || line == kHeader5;
}

std::string importable_script(std::string_view bytes) {
    if (has_editor_header(bytes)) return std::string(bytes);
    if (is_utf16(bytes)) {
        return std::string(bytes.substr(0, 2)) + to_utf16le(std::string(kHeader5) + "\r\n\r\n") +
               std::string(bytes.substr(2));
    }
    return std::string(kHeader4) + "\r\n\r\n" + std::string(bytes);
}

std::wstring script_text(std::string_view bytes, std::wstring (*widen)(std::string_view)) {
    if (is_utf16(bytes)) return from_utf16le(bytes.substr(2));
    if (widen) return widen(bytes);
    std::wstring out;
    for (char c : bytes) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return out;
}

std::vector<RegValue> script_values(std::wstring_view text) {
    std::vector<RegValue> values;
    std::optional<Section> section;
    while (!text.empty()) {
        const std::size_t end = text.find(L'\n');
        const std::wstring_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == L';') continue;
        if (line.front() == L'[') {
            const std::size_t close = line.rfind(L']');
            section.reset();
            if (close == std::wstring_view::npos) continue;
            const bool deletion = line.size() > 1 && line[1] == L'-';
            const auto s = parse_section(line.substr(deletion ? 2 : 1, close - (deletion ? 2 : 1)));
            if (!s) continue;
            if (deletion)
                std::erase_if(values, [&](const RegValue& v) { return is_below(v, *s); });
            else
                section = s;
            continue;
        }
        if (section && (line.front() == L'"' || line.front() == L'@'))
            parse_value_line(line, *section, values);
    }
    return values;
}

std::string language_script() {
    std::string script(kHeader4);
    script += "\r\n";
    const auto narrow = [](std::wstring_view w) { return std::string(w.begin(), w.end()); };  // ASCII only
    std::wstring_view key;
    for (const LanguageValue& v : kLanguageValues) {
        if (key != v.key) {
            key = v.key;
            script.append("\r\n[HKEY_LOCAL_MACHINE\\").append(narrow(key)).append("]\r\n");
        }
        script.append("\"").append(narrow(v.name)).append("\"=\"").append(narrow(v.data)).append("\"\r\n");
    }
    return script;
}

}  // namespace kv::tools
