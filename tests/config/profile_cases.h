// One table of settings-file cases shared by the native suite (portable reader against the expected values) and
// the Windows suite (the system's profile functions against the portable ones, under Wine).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/config.h"

namespace kv::test {

struct ReadCase {
    std::string section;
    std::string key;
    std::string expected;
};

struct ProfileCase {
    const char* name;
    std::optional<std::string> file;  // nullopt: no file at all
    std::vector<ReadCase> reads;
};

inline std::string bytes_0x80_to_0xff() {
    std::string s;
    for (int c = 0x80; c <= 0xFF; ++c) s.push_back(static_cast<char>(c));
    return s;
}

inline std::vector<ProfileCase> profile_read_cases() {
    const std::string gbk_title = "\xd5\xbd\xb5\xd8\xb7\xfe\xce\xf1\xc6\xf7";  // GBK for a short Chinese title
    const std::string long_value(12000, 'v');
    return {
        {"default file",
         default_config_text(),
         {{"ck_kg", "data", "close"},
          {"gg_kg", "data", "close"},
          {"dh_kg", "data", "close"},
          {"bf_X", "data", ""},
          {"bf_Y", "data", ""},
          {"bf_update", "data", "close"},
          {"bf2_down", "title", "Ostrel"},
          {"bf2_exe", "version", "UN-20160324"},
          {"bf2_exe", "missing", ""},
          {"no_such_section", "data", ""}}},
        {"no file", std::nullopt, {{"ck_kg", "data", ""}}},
        {"empty file", std::string(), {{"ck_kg", "data", ""}}},
        {"names in other letter case",
         "[BF_UPDATE]\r\nDATA=open\r\n[Ck_Kg]\r\ndata=OPEN\r\n",
         {{"bf_update", "data", "open"}, {"ck_kg", "DATA", "OPEN"}}},
        {"blanks around names and values",
         "  [ck_kg]  \r\n  data  =  open  \r\n\t[dh_kg]\t\r\ndata=\tclose\t\r\n",
         {{"ck_kg", "data", "open"}, {"dh_kg", "data", "close"}}},
        {"quotes around values",
         "[a]\r\nk=\"x y\"\r\nq='z'\r\nm=\"unbalanced\r\nn=\"\r\no=\"in\"side\r\n",
         {{"a", "k", "x y"}, {"a", "q", "z"}, {"a", "m", "\"unbalanced"}, {"a", "n", "\""},
          {"a", "o", "\"in\"side"}}},
        {"duplicate sections: the first one is searched",
         "[a]\r\nk=1\r\n[b]\r\nk=b\r\n[A]\r\nk=2\r\nj=3\r\n",
         {{"a", "k", "1"}, {"a", "j", ""}, {"b", "k", "b"}}},
        {"duplicate keys: the first one counts", "[a]\r\nk=1\r\nk=2\r\n", {{"a", "k", "1"}}},
        {"keys without =", "[a]\r\nk\r\nj=2\r\n", {{"a", "k", ""}, {"a", "j", "2"}}},
        {"blank lines everywhere",
         "\r\n\r\n[a]\r\n\r\nk=1\r\n\r\n\r\n[b]\r\n\r\nj=2\r\n\r\n",
         {{"a", "k", "1"}, {"b", "j", "2"}}},
        {"malformed lines",
         "garbage before\r\n[a\r\nk=0\r\n]b[\r\n[c]x\r\nk=2\r\n=novalue\r\n[]\r\nk=3\r\n",
         {{"a", "k", ""}, {"c", "k", "2"}, {"c", "]b[", ""}, {"", "k", "0"}}},  // "" names the lines before any header
        {"value holding =", "[a]\r\nk=x=y\r\n", {{"a", "k", "x=y"}}},
        {"LF line ends", "[a]\nk=1\nj=2\n", {{"a", "k", "1"}, {"a", "j", "2"}}},
        {"missing trailing line end", "[a]\r\nk=1\r\n[b]\r\nj=last", {{"a", "k", "1"}, {"b", "j", "last"}}},
        {"GBK text", "[bf2_down]\r\ntitle=" + gbk_title + "\r\n", {{"bf2_down", "title", gbk_title}}},
        {"bytes 0x80 to 0xFF", "[a]\r\nk=" + bytes_0x80_to_0xff() + "\r\n", {{"a", "k", bytes_0x80_to_0xff()}}},
        {"very long value", "[a]\r\nk=" + long_value + "\r\nj=after\r\n",
         {{"a", "k", long_value.substr(0, 10239)}, {"a", "j", "after"}}},
        {"section name with a blank", "[bf 2]\r\nk=1\r\n", {{"bf 2", "k", "1"}}},
    };
}

// Write sequences. In launcher form (files the launcher wrote itself) the bytes must match the system's too.
// On hand-edited files the system rewrites the whole file while the portable writer changes only the line it
// writes: there `portable_after` says what the portable writer must leave, byte for byte.
struct WriteStep {
    std::string section, key, value;
};

struct WriteCase {
    const char* name;
    std::optional<std::string> file;
    std::vector<WriteStep> steps;
    bool launcher_form;
    std::optional<std::string> portable_after;  // hand-edited cases only
};

inline std::vector<WriteCase> profile_write_cases() {
    const std::string long_version(3000, 'v');
    return {
        {"default file, one switch", default_config_text(), {{"ck_kg", "data", "open"}}, true, {}},
        {"default file, a run's writes",
         default_config_text(),
         {{"dh_kg", "data", "open"},
          {"ck_kg", "data", "open"},
          {"bf_update", "data", "open"},
          {"bf2_exe", "version", "UN-20170101"},
          {"dh_kg", "data", "close"},
          {"ck_kg", "data", "close"}},
         true,
         {}},
        {"no file", std::nullopt, {{"ck_kg", "data", "open"}, {"ck_kg", "data", "close"}}, true, {}},
        {"missing section and key",
         default_config_text(),
         {{"zz", "k", "v"}, {"bf2_exe", "extra", "x"}},
         true,
         {}},
        {"GBK value", default_config_text(), {{"bf2_exe", "version", "\xb2\xe2\xca\xd4-1"}}, true, {}},
        {"empty values of the default file filled in",
         default_config_text(),
         {{"bf_X", "data", "1024"}, {"bf_Y", "data", "768"}},
         true,
         {}},
        {"a value grown and shortened by thousands of bytes",
         default_config_text(),
         {{"bf2_exe", "version", long_version},
          {"bf2_exe", "version", "v2"},
          {"bf_X", "data", long_version},
          {"bf_X", "data", ""}},
         true,
         {}},
        {"hand-edited: blanks and spaces",
         "; my settings\r\n\r\n[ck_kg]\r\n  data = close  \r\n\r\n[dh_kg]\r\ndata=close\r\n",
         {{"ck_kg", "data", "open"}},
         false,
         "; my settings\r\n\r\n[ck_kg]\r\n  data = open\r\n\r\n[dh_kg]\r\ndata=close\r\n"},
        {"hand-edited: no line end after the last line",
         "[a]\r\nk=1",
         {{"a", "k", "2"}},
         false,
         "[a]\r\nk=2\r\n"},
        {"hand-edited: key in other letter case",
         "[CK_KG]\r\nDATA=close\r\n",
         {{"ck_kg", "data", "open"}},
         false,
         "[CK_KG]\r\nDATA=open\r\n"},
        {"hand-edited: blank lines, comments and a new key",
         "[bf2_down]\r\n\r\nip = host.example\r\n; the "
         "title\r\ntitle=Ostrel\r\n\r\n[bf2_exe]\r\nversion=1\r\n",
         {{"bf2_down", "url", "tv.example/tv"}, {"bf2_exe", "version", "2"}},
         false,
         "[bf2_down]\r\n\r\nip = host.example\r\n; the title\r\ntitle=Ostrel\r\nurl=tv.example/tv\r\n\r\n"
         "[bf2_exe]\r\nversion=2\r\n"},
    };
}

// Every section and key named in an INI text (for reading a whole file back), by the plain rules.
inline std::vector<std::pair<std::string, std::string>> named_keys(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> keys;
    std::string section;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        std::string line = text.substr(pos, eol - pos);
        pos = eol + 1;
        auto trim = [](std::string t) {
            const auto b = t.find_first_not_of(" \t\r");
            const auto e = t.find_last_not_of(" \t\r");
            return b == std::string::npos ? std::string() : t.substr(b, e - b + 1);
        };
        line = trim(line);
        if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
            section = trim(line.substr(1, line.size() - 2));
        } else if (const auto eq = line.find('='); eq != std::string::npos && !section.empty()) {
            keys.emplace_back(section, trim(line.substr(0, eq)));
        }
    }
    return keys;
}

}  // namespace kv::test
