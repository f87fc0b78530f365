#include "tools/registry_script.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kv::tools {
namespace {

std::wstring widen_ascii(std::string_view s) { return std::wstring(s.begin(), s.end()); }

// ASCII text as UTF-16LE behind a byte-order mark.
std::string utf16_file(std::string_view ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

TEST(FullscreenScript, ThirteenLinesOf562BytesWithoutHeaderOrFinalBreak) {
    const std::string script = fullscreen_script();
    EXPECT_EQ(script.size(), 562u);
    EXPECT_EQ(script.find('\0'), std::string::npos);
    EXPECT_NE(script.substr(script.size() - 2), "\r\n");
    // Every line feed belongs to a CR LF pair.
    EXPECT_EQ(std::count(script.begin(), script.end(), '\n'), 12);
    EXPECT_EQ(std::count(script.begin(), script.end(), '\r'), 12);
    const auto lines = lines_of(script);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(
        lines[0],
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\GraphicsDrivers\\Configuration\\"
        "AOC2350CPAD7HA026366_1D_07DD_0D*LEN40A00_00_07DA_93^EF692FDA06EA236A9245BBEC56C965C1\\00\\01]");
    EXPECT_EQ(lines[1], "\"Flags\"=dword:0001f787");
    EXPECT_EQ(lines[6], "\"VSyncFreq.Denominator\"=dword:00126524");
    EXPECT_EQ(lines[12], "\"Rotation\"=dword:00000001");
    EXPECT_FALSE(has_editor_header(script));
}

TEST(FullscreenScript, ReadsBackAsTheTwelveDisplayValues) {
    const auto values = script_values(widen_ascii(fullscreen_script()));
    ASSERT_EQ(values.size(), 12u);
    const std::wstring key =
        L"SYSTEM\\ControlSet001\\Control\\GraphicsDrivers\\Configuration\\"
        L"AOC2350CPAD7HA026366_1D_07DD_0D*LEN40A00_00_07DA_93^EF692FDA06EA236A9245BBEC56C965C1\\00\\01";
    const std::pair<const wchar_t*, std::uint32_t> expected[] = {
        {L"Flags", 0x1f787},
        {L"VideoStandard", 0xff},
        {L"ActiveSize.cx", 1366},
        {L"ActiveSize.cy", 768},
        {L"VSyncFreq.Numerator", 0x044fab10},
        {L"VSyncFreq.Denominator", 0x126524},
        {L"HSyncFreq.Numerator", 0xb926},
        {L"HSyncFreq.Denominator", 1},
        {L"PixelRate", 72330000},
        {L"ScanlineOrdering", 1},
        {L"Scaling", 3},
        {L"Rotation", 1},
    };
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i].root, RegRoot::LocalMachine);
        EXPECT_EQ(values[i].key, key);
        EXPECT_EQ(values[i].name, expected[i].first);
        EXPECT_TRUE(values[i].is_dword);
        EXPECT_EQ(values[i].dword, expected[i].second) << i;
    }
}

TEST(EditorHeader, FirstLineInAnsiOrUtf16) {
    const struct {
        std::string bytes;
        bool header;
    } cases[] = {
        {"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]", true},
        {"REGEDIT4", true},
        {"REGEDIT4  \n[HKEY_CURRENT_USER\\x]", true},
        {"Windows Registry Editor Version 5.00\r\n", true},
        {utf16_file("Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\x]"), true},
        {utf16_file("REGEDIT4"), true},
        {utf16_file("Windows Registry Editor Version 5.001\r\n"), false},
        {"", false},
        {"regedit4\r\n", false},
        {"REGEDIT5\r\n", false},
        {"\r\nREGEDIT4\r\n", false},
        {"REGEDIT4x\r\n", false},
        {"[HKEY_CURRENT_USER\\x]\r\n", false},
        {utf16_file("[HKEY_CURRENT_USER\\x]"), false},
        {"\xEF\xBB\xBFREGEDIT4\r\n", false},  // the editor reads no UTF-8
    };
    for (const auto& c : cases) EXPECT_EQ(has_editor_header(c.bytes), c.header) << c.bytes;
}

TEST(EditorHeader, AddedOnlyWhereMissing) {
    EXPECT_EQ(importable_script("[HKEY_CURRENT_USER\\x]"), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]");
    EXPECT_EQ(importable_script(fullscreen_script()), "REGEDIT4\r\n\r\n" + fullscreen_script());
    const std::string headed = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n";
    EXPECT_EQ(importable_script(headed), headed);
    // A UTF-16 file keeps its byte-order mark in front and gets the header in its own encoding.
    const std::string fixed = importable_script(utf16_file("[H"));
    EXPECT_EQ(fixed, utf16_file("Windows Registry Editor Version 5.00\r\n\r\n[H"));
    EXPECT_EQ(script_text(fixed, nullptr), L"Windows Registry Editor Version 5.00\r\n\r\n[H");
    EXPECT_EQ(script_text("[\xE4]", nullptr), L"[\u00E4]");
}

TEST(ScriptValues, WhatAnImportLeavesBehind) {
    const std::wstring text =
        L"REGEDIT4\r\n"
        L"; a comment\r\n"
        L"[HKEY_CURRENT_USER\\Software\\A]\r\n"
        L"\"Plain\"=\"text with \\\"quotes\\\" and \\\\\"\r\n"
        L"@=\"default\"\r\n"
        L"\"Number\" = dword:0000002A\r\n"
        L"\"Short\"=dword:7\r\n"
        L"\"TooLong\"=dword:123456789\r\n"
        L"\"Binary\"=hex:01,02,\\\r\n"
        L"  03,04\r\n"
        L"\"Expand\"=hex(2):41,00,00,00\r\n"
        L"\"Unterminated\"=\"x\r\n"
        L"[HKEY_CLASSES_ROOT\\B]\r\n"
        L"\"OtherRoot\"=\"ignored\"\r\n"
        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\C]\n"
        L"\"Twice\"=\"first\"\n"
        L"\"twice\"=\"second\"\n"
        L"\"Gone\"=\"x\"\n"
        L"\"Gone\"=-\n"
        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\C\\Sub]\n"
        L"\"Deleted\"=\"with its key\"\n"
        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Cx]\n"
        L"\"Kept\"=dword:1\n"
        L"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\C\\Sub]\n"
        L"\"AfterDeletion\"=\"no section\"\n";
    const auto values = script_values(text);
    using R = RegRoot;
    const std::vector<RegValue> expected = {
        {R::CurrentUser, L"Software\\A", L"Plain", false, 0, L"text with \"quotes\" and \\"},
        {R::CurrentUser, L"Software\\A", L"", false, 0, L"default"},
        {R::CurrentUser, L"Software\\A", L"Number", true, 42, L""},
        {R::CurrentUser, L"Software\\A", L"Short", true, 7, L""},
        {R::LocalMachine, L"SOFTWARE\\C", L"twice", false, 0, L"second"},
        {R::LocalMachine, L"SOFTWARE\\Cx", L"Kept", true, 1, L""},
    };
    ASSERT_EQ(values.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(values[i], expected[i]) << i;
}

TEST(LanguageScript, FourValuesInOrderUnderTwoKeys) {
    const std::string script = language_script();
    EXPECT_TRUE(has_editor_header(script));
    EXPECT_EQ(script,
              "REGEDIT4\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Electronic Arts\\EA Games\\Battlefield 2]\r\n"
              "\"Language\"=\"Chinese\"\r\n\"Locale\"=\"zh_TW\"\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Electronic Arts\\EA Games\\Battlefield 2]\r\n"
              "\"Language\"=\"Chinese\"\r\n\"Locale\"=\"zh_TW\"\r\n");
    const auto values = script_values(widen_ascii(script));
    ASSERT_EQ(values.size(), std::size(kLanguageValues));
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i].key, kLanguageValues[i].key);
        EXPECT_EQ(values[i].name, kLanguageValues[i].name);
        EXPECT_EQ(values[i].text, kLanguageValues[i].data);
    }
}

}  // namespace
}  // namespace kv::tools
