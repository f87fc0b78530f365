// One launcher per game folder, inside one process: the folder's name for the system, the claim, and the main
// window's answer to a second start. Two real launchers are driven end to end in tests/e2e/settings.sh.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/single_instance_win.h"
#include "platform/paths.h"
#include "support/lib/temp_dir.h"
#include "ui/main_window_win.h"

namespace kv {
namespace {

std::wstring own_folder() {
    std::vector<wchar_t> buf(32768);
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    return directory_of(std::wstring(buf.data(), n));
}

std::wstring short_form(const std::wstring& path) {
    std::vector<wchar_t> buf(32768);
    const DWORD n = GetShortPathNameW(path.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
    return std::wstring(buf.data(), n);
}

TEST(LauncherFolder, OneNameForEveryPathToTheFolderAndAnotherForOtherFolders) {
    test::TempDir dir;
    const std::filesystem::path game = dir / "Battlefield 2 game folder";
    std::filesystem::create_directory(game);
    std::filesystem::create_directory(dir / "other");
    const std::wstring key = folder_key(game.native());
    EXPECT_EQ(key.find(L'\\'), std::wstring::npos) << "the name must be usable for a mutex";

    std::wstring upper = game.native();
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    const std::wstring shortened = short_form(game.native());
    ASSERT_NE(shortened, game.native());
    for (const std::wstring& alias : {upper, shortened}) EXPECT_EQ(folder_key(alias), key) << alias;
    EXPECT_NE(folder_key((dir / "other").native()), key);
    // A folder that cannot be opened still gets a name, from its path in one letter case.
    const std::wstring gone = (dir / "gone").native();
    std::wstring gone_upper = gone;
    CharUpperBuffW(gone_upper.data(), static_cast<DWORD>(gone_upper.size()));
    EXPECT_EQ(folder_key(gone), folder_key(gone_upper));
    EXPECT_NE(folder_key(gone), key);
}

COPYDATASTRUCT call_for(const std::wstring& key, ULONG_PTR kind = 0x4B564346) {
    return {kind, static_cast<DWORD>(key.size() * sizeof(wchar_t)), const_cast<wchar_t*>(key.data())};
}

// This test program claims its own folder, as a launcher does first thing; its main window then answers a call
// naming that folder by coming out of the tray, and nothing else.
TEST(LauncherFolder, TheClaimingLauncherAnswersOnlyCallsForItsFolder) {
    ASSERT_TRUE(claim_launcher_folder());
    const std::wstring key = folder_key(own_folder());
    EXPECT_TRUE(is_call_for_this_folder(call_for(key)));
    EXPECT_FALSE(is_call_for_this_folder(call_for(key, 1)));
    EXPECT_FALSE(is_call_for_this_folder(call_for(key + L"x")));
    EXPECT_FALSE(is_call_for_this_folder(call_for(folder_key(L"C:\\windows"))));

    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    test::TempDir dir;
    set_launcher_dir(dir.path());
    {
        ui::MainWindow w;
        ASSERT_TRUE(w.create());
        EXPECT_FALSE(IsWindowVisible(w.hwnd()));
        COPYDATASTRUCT other = call_for(folder_key(dir.path().native()));
        EXPECT_EQ(SendMessageW(w.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&other)), FALSE);
        EXPECT_FALSE(IsWindowVisible(w.hwnd()));
        COPYDATASTRUCT ours = call_for(key);
        EXPECT_EQ(SendMessageW(w.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&ours)), TRUE);
        EXPECT_TRUE(IsWindowVisible(w.hwnd()));
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    set_launcher_dir({});
    OleUninitialize();
}

}  // namespace
}  // namespace kv
