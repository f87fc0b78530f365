// The system's profile functions (under Wine here) against the portable implementation, on one table of cases.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "config/profile.h"
#include "config/profile_cases.h"
#include "support/lib/temp_dir.h"

namespace kv {
namespace {

std::string printable(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n\n";
        else if (c < 0x20 || c >= 0x80) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else out.push_back(static_cast<char>(c));
    }
    return out;
}

TEST(ProfileDifferential, ReadsAgreeWithTheSystem) {
    test::TempDir dir;
    int n = 0;
    for (const auto& c : test::profile_read_cases()) {
        SCOPED_TRACE(c.name);
        const auto sys_file = dir / ("sys" + std::to_string(n) + ".ini");
        const auto own_file = dir / ("own" + std::to_string(n++) + ".ini");
        if (c.file) {
            test::write_bytes(sys_file, *c.file);
            test::write_bytes(own_file, *c.file);
        }
        for (const auto& r : c.reads) {
            SCOPED_TRACE("[" + r.section + "] " + r.key);
            const std::string sys = profile_read(sys_file, r.section, r.key);
            EXPECT_EQ(sys, portable_profile_read(own_file, r.section, r.key));
            EXPECT_EQ(sys, r.expected);
        }
    }
}

TEST(ProfileDifferential, WritesAgreeOnLauncherFormFiles) {
    test::TempDir dir;
    int n = 0;
    for (const auto& c : test::profile_write_cases()) {
        SCOPED_TRACE(c.name);
        const auto sys_file = dir / ("wsys" + std::to_string(n) + ".ini");
        const auto own_file = dir / ("wown" + std::to_string(n++) + ".ini");
        if (c.file) {
            test::write_bytes(sys_file, *c.file);
            test::write_bytes(own_file, *c.file);
        }
        for (const auto& s : c.steps) {
            EXPECT_TRUE(profile_write(sys_file, s.section, s.key, s.value));
            EXPECT_TRUE(portable_profile_write(own_file, s.section, s.key, s.value));
            EXPECT_EQ(profile_read(sys_file, s.section, s.key), s.value);
            EXPECT_EQ(portable_profile_read(own_file, s.section, s.key), s.value);
        }
        const std::string sys = test::read_bytes(sys_file), own = test::read_bytes(own_file);
        if (c.launcher_form) {
            EXPECT_EQ(printable(sys), printable(own));
        } else {
            // The system rewrites hand-edited files whole; the portable writer must keep every other byte.
            ASSERT_TRUE(c.portable_after.has_value());
            EXPECT_EQ(printable(own), printable(*c.portable_after));
        }
        // Whatever the bytes, every value reads the same from both files, by both readers.
        for (const auto& [section, key] : test::named_keys(sys + "\r\n" + own)) {
            SCOPED_TRACE("[" + section + "] " + key);
            const std::string value = profile_read(sys_file, section, key);
            EXPECT_EQ(profile_read(own_file, section, key), value);
            EXPECT_EQ(portable_profile_read(sys_file, section, key), value);
        }
    }
}

// Refusals that hold for every user, root included: a file another handle holds without sharing, and a folder
// where the file should be. Neither writer may change anything, and reads see nothing rather than guesses.
TEST(ProfileDifferential, WritesThatMeetARefusalLeaveEverythingAsItWas) {
    test::TempDir dir;
    const std::string before = "[ck_kg]\r\ndata=close\r\n";
    const auto locked = dir / "locked.ini";
    test::write_bytes(locked, before);
    HANDLE h =
        CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(portable_profile_write(locked, "ck_kg", "data", "open"));
    EXPECT_FALSE(profile_write(locked, "ck_kg", "data", "open"));
    EXPECT_EQ(portable_profile_read(locked, "ck_kg", "data"), "");
    EXPECT_EQ(profile_read(locked, "ck_kg", "data"), "");
    EXPECT_EQ(file_read(locked).status, FileBytes::Status::Unreadable);
    EXPECT_FALSE(file_replace(locked, "x"));
    CloseHandle(h);
    EXPECT_EQ(test::read_bytes(locked), before);

    const auto folder = dir / "folder.ini";
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(portable_profile_write(folder, "ck_kg", "data", "open"));
    EXPECT_FALSE(profile_write(folder, "ck_kg", "data", "open"));
    EXPECT_EQ(file_read(folder).status, FileBytes::Status::Unreadable);
    EXPECT_FALSE(file_replace(folder, "x"));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
}  // namespace kv
