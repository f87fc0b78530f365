#include "config/config.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "config/ini_text.h"
#include "platform/paths.h"
#include "support/lib/temp_dir.h"

namespace kv {
namespace {

class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override { set_launcher_dir(dir_.path()); }
    void TearDown() override { set_launcher_dir({}); }
    std::string bytes() const { return test::read_bytes(config_path()); }
    test::TempDir dir_;
};

TEST_F(ConfigFile, DefaultTextIsEighteenCrLfLinesWithoutFinalLineEnd) {
    const std::string t = default_config_text();
    ASSERT_FALSE(t.empty());
    EXPECT_NE(t.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(t.back(), '\n');
    std::vector<std::string> lines;
    std::size_t pos = 0;
    for (std::size_t eol; (eol = t.find("\r\n", pos)) != std::string::npos; pos = eol + 2)
        lines.push_back(t.substr(pos, eol - pos));
    lines.push_back(t.substr(pos));
    ASSERT_EQ(lines.size(), 18u);
    for (const auto& l : lines) EXPECT_EQ(l.find_first_of("\r\n"), std::string::npos) << l;
    const char* fixed[] = {"[ck_kg]", "data=close", "[gg_kg]",   "data=close", "[dh_kg]",
                           "data=close", "[bf_X]", "data=",      "[bf_Y]",     "data=",
                           "[bf_update]", "data=close", "[bf2_down]"};
    for (std::size_t i = 0; i < std::size(fixed); ++i) EXPECT_EQ(lines[i], fixed[i]) << "line " << i + 1;
    EXPECT_EQ(lines[13].rfind("ip=", 0), 0u);
    EXPECT_GT(lines[13].size(), 3u);
    EXPECT_EQ(lines[14], "title=Ostrel");
    EXPECT_EQ(lines[15].rfind("url=", 0), 0u);
    EXPECT_EQ(lines[15].substr(lines[15].size() - 3), "/tv");
    EXPECT_EQ(lines[15].find("://"), std::string::npos);
    EXPECT_EQ(lines[16], "[bf2_exe]");
    EXPECT_EQ(lines[17], "version=UN-20160324");
}

TEST_F(ConfigFile, DefaultFileIsWrittenByteForByteAndEmptiesAnOldOne) {
    test::write_bytes(config_path(), std::string(50000, 'x'));
    write_default_config(default_config_text());
    EXPECT_EQ(bytes(), default_config_text());
    EXPECT_EQ(read_setting("bf2_exe", "version"), "UN-20160324");
    EXPECT_EQ(read_setting("bf_X", "data"), "");
}

TEST_F(ConfigFile, SwitchClicksStoreTheNewStateAtOnce) {
    write_default_config(default_config_text());
    for (bool checked : {true, false, true}) {
        store_windowed_switch(checked);
        EXPECT_EQ(read_setting("ck_kg", "data"), checked ? "open" : "close");
        store_intro_switch(!checked);
        EXPECT_EQ(read_setting("dh_kg", "data"), checked ? "close" : "open");
    }
    // Nothing else moved.
    EXPECT_EQ(read_setting("bf2_exe", "version"), "UN-20160324");
    EXPECT_EQ(read_setting("gg_kg", "data"), "close");
}

TEST_F(ConfigFile, FileDeletedWhileRunningIsRecreatedWithTheOneSection) {
    write_default_config(default_config_text());
    std::filesystem::remove(config_path());
    store_windowed_switch(true);
    EXPECT_EQ(read_setting("ck_kg", "data"), "open");
    EXPECT_EQ(read_setting("bf2_exe", "version"), "");
    EXPECT_EQ(read_setting("dh_kg", "data"), "");
}

TEST_F(ConfigFile, MissingFolderNeverThrowsAndReadsEmpty) {
    set_launcher_dir(dir_ / "does-not-exist");
    write_default_config(default_config_text());
    store_intro_switch(true);
    EXPECT_EQ(read_setting("dh_kg", "data"), "");
}

TEST(SettingsText, OnlyBlanksAndLineEndsCountAsEmpty) {
    for (const char* blank : {"", "\r\n", " ", "\t \r\n\r\n  ", "\n\n"})
        EXPECT_TRUE(is_blank_settings_text(blank)) << blank;
    for (const std::string content : {"x", "\r\n[ck_kg]", " =", "\x1a", "\xa1\xa1"})
        EXPECT_FALSE(is_blank_settings_text(content)) << content;
    EXPECT_FALSE(is_blank_settings_text(std::string("\r\n\0", 3))) << "a zero byte is content";
}

// What start-up finds: a missing or blank file is a first start, anything with content is loaded untouched.
TEST_F(ConfigFile, StartFindsFirstStartOrLoadAndChangesNothing) {
    struct Case {
        const char* name;
        std::optional<std::string> file;
        SettingsAtStart expected;
    } cases[] = {
        {"no file", std::nullopt, SettingsAtStart::FirstStart},
        {"0 bytes", std::string(), SettingsAtStart::FirstStart},
        {"blanks and line ends", std::string("\r\n  \r\n\t\n"), SettingsAtStart::FirstStart},
        {"the default text", default_config_text(), SettingsAtStart::Load},
        {"one section", std::string("[ck_kg]\r\ndata=open"), SettingsAtStart::Load},
        {"garbage", std::string("\x01\xff\xfe"), SettingsAtStart::Load},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(config_path());
        if (c.file) test::write_bytes(config_path(), *c.file);
        EXPECT_EQ(check_settings_at_start(), c.expected);
        EXPECT_EQ(std::filesystem::exists(config_path()), c.file.has_value());
        if (c.file) {
            EXPECT_EQ(bytes(), *c.file);
        }
        EXPECT_FALSE(settings_writes_refused());
    }
}

// A folder where the file should be cannot be read: nothing of the run may be written there, not the default
// text, not a click, not the close steps.
TEST_F(ConfigFile, UnreadableAtStartRefusesEveryWriteOfTheRun) {
    std::filesystem::create_directory(config_path());
    test::write_bytes(config_path() / "inside", "x");
    EXPECT_EQ(check_settings_at_start(), SettingsAtStart::Unreadable);
    EXPECT_TRUE(settings_writes_refused());
    write_default_config(default_config_text());
    store_windowed_switch(true);
    store_intro_switch(false);
    write_setting("bf2_exe", "version", "x");
    EXPECT_TRUE(std::filesystem::is_directory(config_path()));
    EXPECT_EQ(test::read_bytes(config_path() / "inside"), "x");
    // Even once the folder is gone and a file could be made, this run leaves the path alone.
    std::filesystem::remove_all(config_path());
    store_windowed_switch(true);
    write_default_config(default_config_text());
    EXPECT_FALSE(std::filesystem::exists(config_path()));

    // Another game folder in the same process is not affected.
    test::TempDir other;
    set_launcher_dir(other.path());
    EXPECT_FALSE(settings_writes_refused());
    store_windowed_switch(true);
    EXPECT_EQ(read_setting("ck_kg", "data"), "open");
}

// Threads writing and reading at once: every value in the end is one some thread wrote, and no line is torn.
TEST_F(ConfigFile, ConcurrentWritesAndReadsNeverTearTheFile) {
    write_default_config(default_config_text());
    constexpr int kThreads = 6, kRounds = 40;
    const char* sections[] = {"ck_kg", "dh_kg", "bf_update", "bf2_exe"};
    std::vector<std::thread> threads;
    std::vector<std::string> bad_reads[kThreads];
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                const char* s = sections[(t + i) % 4];
                char value[32];
                std::snprintf(value, sizeof value, "t%d-%d", t, i);
                write_setting(s, "data", value);
                const std::string v = read_setting(sections[i % 4], "data");
                if (!v.empty() && v != "close" && v[0] != 't') bad_reads[t].push_back(v);
            }
        });
    }
    for (auto& th : threads) th.join();
    for (const auto& b : bad_reads) EXPECT_TRUE(b.empty()) << b.front();

    const std::string text = bytes();
    std::set<std::string> allowed_lines;
    for (std::istringstream in(default_config_text()); !in.eof();) {
        std::string l;
        std::getline(in, l);
        if (!l.empty() && l.back() == '\r') l.pop_back();
        allowed_lines.insert(l);
    }
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || allowed_lines.count(line)) continue;
        // Otherwise it must be a whole "data=t<thread>-<round>" line.
        int th = -1, round = -1;
        char tail = 0;
        const int got = std::sscanf(line.c_str(), "data=t%d-%d%c", &th, &round, &tail);
        EXPECT_TRUE(got == 2 && th >= 0 && th < kThreads && round >= 0 && round < kRounds) << "torn: " << line;
    }
    // Every section survived, and the one key no thread wrote is untouched.
    for (const char* s : sections) EXPECT_NE(text.find(std::string("[") + s + "]"), std::string::npos) << s;
    EXPECT_EQ(read_setting("bf2_exe", "version"), "UN-20160324");
    EXPECT_EQ(read_setting("gg_kg", "data"), "close");
}

}  // namespace
}  // namespace kv
