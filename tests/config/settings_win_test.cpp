// The settings file on the Windows side, where the ordinary API says no: a launcher folder so deep that the
// settings path reaches MAX_PATH characters, and a file another program holds without sharing at start-up.
#include <windows.h>

#include <gtest/gtest.h>

#include "config/config.h"
#include "config/profile.h"
#include "platform/long_path_win.h"
#include "platform/paths.h"
#include "support/lib/temp_dir.h"

namespace kv {
namespace {

std::filesystem::path make_deep_folder(const std::filesystem::path& base, std::size_t min_length,
                                       const std::wstring& part) {
    std::filesystem::path dir = base;
    while (dir.native().size() < min_length) {
        dir /= part;
        CreateDirectoryW(extended_path(dir).c_str(), nullptr);
    }
    return dir;
}

std::string file_bytes(const std::filesystem::path& file) {
    const FileBytes f = file_read(file);
    EXPECT_EQ(f.status, FileBytes::Status::Read);
    return f.bytes;
}

class DeepFolder : public ::testing::TestWithParam<std::size_t> {
  protected:
    void TearDown() override { set_launcher_dir({}); }
    test::TempDir base_;
};

// A click in a launcher folder whose settings path is a little over MAX_PATH, and in one so deep that even
// the short form of the path is that long.
TEST_P(DeepFolder, SettingsAreReadAndStoredByteForByte) {
    // Components of 11 characters have 8-character short names: 30 of them stay over MAX_PATH even short.
    const auto dir = make_deep_folder(base_.path(), GetParam(), L"folder_1234");
    ASSERT_EQ(GetFileAttributesW(extended_path(dir).c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              FILE_ATTRIBUTE_DIRECTORY);
    set_launcher_dir(dir);
    ASSERT_GE(config_path().native().size(), 260u);

    EXPECT_EQ(check_settings_at_start(), SettingsAtStart::FirstStart);
    write_default_config(default_config_text());
    EXPECT_EQ(file_bytes(config_path()), default_config_text());
    EXPECT_EQ(check_settings_at_start(), SettingsAtStart::Load);
    EXPECT_EQ(read_setting("bf2_exe", "version"), "UN-20160324");

    store_windowed_switch(true);
    write_setting("bf_X", "data", "1024");
    EXPECT_EQ(read_setting("ck_kg", "data"), "open");
    EXPECT_EQ(read_setting("bf_X", "data"), "1024");
    std::string expected = default_config_text() + "\r\n";
    expected.replace(expected.find("data=close"), 10, "data=open");
    expected.replace(expected.find("[bf_X]\r\ndata="), 13, "[bf_X]\r\ndata=1024");
    EXPECT_EQ(file_bytes(config_path()), expected);
}

INSTANTIATE_TEST_SUITE_P(SettingsPath, DeepFolder, ::testing::Values(250u, 400u));

// An antivirus scan or a sync client holds the file without sharing while the launcher starts: it must
// neither show the values as defaults and write them back, nor store a click over the player's file once it
// is free.
TEST(SettingsAtStart, AFileHeldWithoutSharingIsNeverWrittenThatRun) {
    test::TempDir dir;
    set_launcher_dir(dir.path());
    const std::string players = "[ck_kg]\r\ndata=open\r\n[bf2_exe]\r\nversion=mine\r\n";
    std::filesystem::path file = config_path();
    {
        std::FILE* f = _wfopen(file.c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(players.data(), 1, players.size(), f);
        std::fclose(f);
    }
    HANDLE held =
        CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(check_settings_at_start(), SettingsAtStart::Unreadable);
    CloseHandle(held);

    store_windowed_switch(false);
    store_intro_switch(true);
    write_default_config(default_config_text());
    EXPECT_EQ(file_bytes(file), players);
    EXPECT_EQ(read_setting("bf2_exe", "version"), "mine") << "reads still see the file";
    set_launcher_dir({});
}

}  // namespace
}  // namespace kv
