// The registry scripts of the utility panel's two fixes, and the small part of the registry editor's script
// format the launcher reads back: which values a script sets, so that an import can be checked afterwards.
// Portable: no system headers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv::tools {

// The full-screen fix, written beside the launcher as "pingmu.reg" when that file is missing: one stored
// display configuration set to 1366 x 768 stretched to the full screen. 13 lines, CR LF between them, none
// after the last, no byte-order mark: 562 bytes.
std::string fullscreen_script();
inline constexpr char kFullscreenScriptName[] = "\\pingmu.reg";

// Whether `bytes` open with the line the registry editor requires before it imports anything ("REGEDIT4" or
// "Windows Registry Editor Version 5.00"), as ANSI text or as UTF-16LE behind its byte-order mark.
bool has_editor_header(std::string_view bytes);
// What to hand the editor for `bytes`: unchanged when they carry that line, otherwise "REGEDIT4" and a blank
// line in front (the full-screen script itself has none, and the editor would import none of it).
std::string importable_script(std::string_view bytes);

// The text of a script file: UTF-16LE behind a byte-order mark, or 8-bit text, whose bytes `widen` converts
// (on Windows with the ANSI code page, as the editor reads such files).
std::wstring script_text(std::string_view bytes, std::wstring (*widen)(std::string_view));

enum class RegRoot { LocalMachine, CurrentUser };

struct RegValue {
    RegRoot root = RegRoot::LocalMachine;
    std::wstring key;   // below the root, without a leading backslash
    std::wstring name;  // empty for the key's default value
    bool is_dword = false;
    std::uint32_t dword = 0;
    std::wstring text;  // string values

    bool operator==(const RegValue&) const = default;
};

// The values a script sets that can be read back afterwards: DWORD values ("name"=dword:1a2b) and plain
// string values ("name"="text", with \\ and \" escapes) under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER.
// Deletions, binary and expandable values, other roots and lines the editor would not take are left out.
std::vector<RegValue> script_values(std::wstring_view text);

// The language fix: four string values under HKEY_LOCAL_MACHINE, plain and in the 32-bit programs' branch, in
// the order they are written.
struct LanguageValue {
    const wchar_t* key;
    const wchar_t* name;
    const wchar_t* data;
};
inline constexpr LanguageValue kLanguageValues[] = {
    {L"SOFTWARE\\Electronic Arts\\EA Games\\Battlefield 2", L"Language", L"Chinese"},
    {L"SOFTWARE\\Electronic Arts\\EA Games\\Battlefield 2", L"Locale", L"zh_TW"},
    {L"SOFTWARE\\Wow6432Node\\Electronic Arts\\EA Games\\Battlefield 2", L"Language", L"Chinese"},
    {L"SOFTWARE\\Wow6432Node\\Electronic Arts\\EA Games\\Battlefield 2", L"Locale", L"zh_TW"},
};
// The same four values as a script for the registry editor (ASCII), for when they must be written elevated.
std::string language_script();

}  // namespace kv::tools
