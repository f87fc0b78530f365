#include "config/ini_text.h"

#include <gtest/gtest.h>

#include "config/profile.h"
#include "config/profile_cases.h"
#include "support/lib/temp_dir.h"

namespace kv {
namespace {

TEST(IniRead, TableOfCasesThroughTextAndFile) {
    test::TempDir dir;
    int n = 0;
    for (const auto& c : test::profile_read_cases()) {
        SCOPED_TRACE(c.name);
        const auto file = dir / ("case" + std::to_string(n++) + ".ini");
        if (c.file) test::write_bytes(file, *c.file);
        for (const auto& r : c.reads) {
            SCOPED_TRACE("[" + r.section + "] " + r.key);
            if (c.file) {
                EXPECT_EQ(ini::get(*c.file, r.section, r.key), r.expected);
            }
            EXPECT_EQ(portable_profile_read(file, r.section, r.key), r.expected);
        }
    }
}

struct PutCase {
    const char* name;
    std::string before;
    std::string section, key, value;
    std::string after;
};

TEST(IniWrite, ChangesOnlyWhatItMustTouch) {
    const PutCase cases[] = {
        {"replace in place keeps other bytes", "; c\r\n\r\n[a]\r\n  k = old  \r\n\r\n[b]\r\nk=1\r\n", "a",
         "k", "new", "; c\r\n\r\n[a]\r\n  k = new\r\n\r\n[b]\r\nk=1\r\n"},
        {"empty file gets the section", "", "ck_kg", "data", "open", "[ck_kg]\r\ndata=open\r\n"},
        {"missing section appended after a last line without line end", "[a]\r\nk=1", "b", "j", "2",
         "[a]\r\nk=1\r\n[b]\r\nj=2\r\n"},
        {"missing key goes after the section's last key, before blank lines", "[a]\r\nk=1\r\n\r\n[b]\r\n",
         "a", "j", "2", "[a]\r\nk=1\r\nj=2\r\n\r\n[b]\r\n"},
        {"missing key in a section that ends the file without line end", "[a]\r\nk=1", "a", "j", "2",
         "[a]\r\nk=1\r\nj=2\r\n"},
        {"key without = gains its value", "[a]\r\nk\r\n", "a", "k", "v", "[a]\r\nk=v\r\n"},
        {"names match in any letter case and keep their spelling", "[CK_KG]\r\nDATA=close", "ck_kg", "data",
         "open", "[CK_KG]\r\nDATA=open\r\n"},
        {"LF-only file keeps its line ends", "[a]\nk=1\n", "a", "k", "2", "[a]\nk=2\n"},
        {"GBK bytes pass unchanged", "[a]\r\nk=\xb2\xe2\r\n", "a", "k", "\xca\xd4\xff",
         "[a]\r\nk=\xca\xd4\xff\r\n"},
        {"only the first of duplicate sections changes", "[a]\r\nk=1\r\n[a]\r\nk=2\r\n", "a", "k", "9",
         "[a]\r\nk=9\r\n[a]\r\nk=2\r\n"},
        {"an empty value as in the default file is filled in", "[bf_X]\r\ndata=\r\n[bf_Y]\r\ndata=\r\n",
         "bf_Y", "data", "768", "[bf_X]\r\ndata=\r\n[bf_Y]\r\ndata=768\r\n"},
        {"an empty value on the last line without line end", "[a]\r\nk=", "a", "k", "v", "[a]\r\nk=v\r\n"},
        {"a value shortened by thousands of bytes",
         "[a]\r\nk=" + std::string(5000, 'x') + "\r\n[b]\r\nj=1\r\n", "a", "k", "s",
         "[a]\r\nk=s\r\n[b]\r\nj=1\r\n"},
        {"a value emptied", "[a]\r\nk=old\r\nj=2\r\n", "a", "k", "", "[a]\r\nk=\r\nj=2\r\n"},
        {"a key added after a last line ending in a bare CR", "[a]\r\nk=1\r", "a", "j", "2",
         "[a]\r\nk=1\r\nj=2\r\n"},
        {"a section added after a bare CR", "[a]\r\nk=1\r", "b", "j", "2", "[a]\r\nk=1\r\n[b]\r\nj=2\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ini::put(c.before, c.section, c.key, c.value), c.after);
    }
}

// On disk: a file that shrinks must lose its old tail, one that grows must keep every other byte.
TEST(IniWrite, FileShrinksAndGrowsByteForByte) {
    test::TempDir dir;
    const auto file = dir / "BF_config.ini";
    const std::string head = "[bf_X]\r\ndata=\r\n[bf2_exe]\r\nversion=";
    const std::string tail = "\r\n[z]\r\nk=1\r\n";
    test::write_bytes(file, head + "UN-20160324" + tail);
    struct Step {
        const char *section, *key;
        std::string value;
        std::string after;
    } steps[] = {
        {"bf2_exe", "version", std::string(6000, 'v'), head + std::string(6000, 'v') + tail},
        {"bf2_exe", "version", "v2", head + "v2" + tail},
        {"bf_X", "data", "1024", "[bf_X]\r\ndata=1024\r\n[bf2_exe]\r\nversion=v2" + tail},
        {"bf_X", "data", "", head + "v2" + tail},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(std::string(s.section) + " " + std::to_string(s.value.size()));
        EXPECT_TRUE(portable_profile_write(file, s.section, s.key, s.value));
        EXPECT_EQ(test::read_bytes(file), s.after);
    }
}

}  // namespace
}  // namespace kv
