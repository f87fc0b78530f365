// The update log on Windows: beside the settings file, also in a folder whose name the ANSI code page cannot
// spell, with the host's and versions' GBK turned into UTF-8, and harmless when the file cannot be written.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "config/config.h"
#include "platform/paths.h"
#include "support/lib/temp_dir.h"
#include "update/update_log.h"

namespace kv {
namespace {

class UpdateLogFile : public ::testing::Test {
  protected:
    void SetUp() override { set_launcher_dir(dir_.path()); }
    void TearDown() override { set_launcher_dir({}); }
    test::TempDir dir_;
};

UpdateEvent sample() {
    UpdateEvent e;
    e.event = "swap";
    e.host = "\xB8\xFC\xD0\xC2.example";  // 更新.example in GBK
    e.remote_version = "UN-2";
    e.swap = "replaced";
    return e;
}

TEST_F(UpdateLogFile, WritesBesideTheSettingsFileInUtf8) {
    for (const wchar_t* folder :
         {L"game", L"\u6218\u57302"}) {  // "战地2": no spelling in a Western code page
        SCOPED_TRACE(testing::Message() << (folder[0] == L'g' ? "plain folder" : "Chinese folder"));
        const auto game = dir_.path() / folder;
        std::filesystem::create_directory(game);
        set_launcher_dir(game);
        ASSERT_TRUE(log_update_event(sample()));
        ASSERT_TRUE(log_update_event(sample()));
        EXPECT_EQ(update_log_path().parent_path(), config_path().parent_path());
        EXPECT_EQ(update_log_path().filename(), std::filesystem::path(L"Korvalen.log"));
        const std::string text = test::read_bytes(game / L"Korvalen.log");
        // Two lines: local time, the event, the host in UTF-8.
        const std::size_t first = text.find("\r\n");
        ASSERT_NE(first, std::string::npos);
        EXPECT_EQ(text.size(), 2 * (first + 2));
        const std::string line = text.substr(0, first);
        SYSTEMTIME now{};
        GetLocalTime(&now);
        char year[8];
        std::snprintf(year, sizeof year, "%04d-", now.wYear);
        EXPECT_EQ(line.substr(0, 5), year) << line;
        EXPECT_EQ(line.substr(19), " swap host=更新.example remote=UN-2 swap=replaced");
    }
}

TEST_F(UpdateLogFile, AFileThatCannotBeWrittenNeitherFailsNorStopsTheCaller) {
    const auto log = update_log_path();
    test::write_bytes(log, "old line\r\n");

    // (A read-only file cannot be shown here: Wine maps the attribute to Unix permissions, which root
    // ignores.) Held open by another program that shares it with nobody.
    const HANDLE held = CreateFileW(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(log_update_event(sample()));
    CloseHandle(held);
    EXPECT_EQ(test::read_bytes(log), "old line\r\n");

    // Once free again, logging goes on.
    EXPECT_TRUE(log_update_event(sample()));
    EXPECT_EQ(test::read_bytes(log).substr(0, 10), "old line\r\n");
    EXPECT_GT(test::read_bytes(log).size(), 10u);

    // No launcher folder at all.
    set_launcher_dir(dir_.path() / "gone");
    EXPECT_FALSE(log_update_event(sample()));
}

TEST_F(UpdateLogFile, ACutReplacesTheFileWhileTheOldOneIsStillOpenForReading) {
    // Someone reading the log (a player's viewer) may keep it open, sharing it: the file cannot then be
    // replaced by a new one, and the cut happens in the file itself instead of leaving the log at its bound
    // for good.
    const auto log = update_log_path();
    std::string full;
    while (full.size() < kUpdateLogLimit - 100) full += std::string(98, 'o') + "\r\n";
    test::write_bytes(log, full);
    const HANDLE reader =
        CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    const bool written = log_update_event(sample());
    CloseHandle(reader);
    EXPECT_TRUE(written);
    const std::string text = test::read_bytes(log);
    EXPECT_LE(text.size(), kUpdateLogKeep);
    EXPECT_NE(text.find(" swap host="), std::string::npos);
}

}  // namespace
}  // namespace kv
