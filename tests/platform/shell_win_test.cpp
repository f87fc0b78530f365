// Shell services under Wine: the two shell objects, running through "Run", and the special folders.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/shell_win.h"
#include "support/lib/temp_dir.h"

namespace kv {
namespace {

class Shell : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

TEST_F(Shell, ObjectsFromProgIdAndTypeLibraryWithFallback) {
    EXPECT_TRUE(ShellHolder::from_progid(L"WScript.Shell").Created);
    const ShellHolder shortcut = ShellHolder::from_type_library(L"wshom.ocx", L"WshShell");
    ASSERT_TRUE(shortcut.Created);
    ComPtr<IDispatch> object;
    ASSERT_TRUE(shortcut.get_object(object));
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"CreateShortcut");
    EXPECT_TRUE(SUCCEEDED(object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id)));

    // A library that cannot be loaded falls back to the name as a ProgID.
    EXPECT_TRUE(ShellHolder::from_type_library(L"no-such-library.ocx", L"WScript.Shell").Created);
    EXPECT_FALSE(ShellHolder::from_type_library(L"no-such-library.ocx", L"No.Such.Object").Created);
    EXPECT_FALSE(ShellHolder::from_progid(L"No.Such.Object").Created);
}

// The stand-in client beside this test program records each start in the file named by KV_BF2_LOG.
std::wstring stand_in_client() {
    wchar_t exe[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring self(exe, n);
    return self.substr(0, self.find_last_of(L'\\')) + L"\\BF2.exe";
}

TEST_F(Shell, RunStartsTheProgramWithoutWaitingAndNothingWithoutAnObject) {
    test::TempDir dir;
    const auto log = dir / "starts.log";
    SetEnvironmentVariableW(L"KV_BF2_LOG", log.c_str());
    const std::wstring client = stand_in_client();
    ASSERT_TRUE(std::filesystem::exists(client));

    run_with_shell(ShellHolder(), client, L"+never");
    Sleep(500);
    EXPECT_FALSE(std::filesystem::exists(log)) << "a holder that was never created must run nothing";

    const ShellHolder shell = ShellHolder::from_progid(L"WScript.Shell");
    run_with_shell(shell, client, L"+menu 1");
    for (int i = 0; i < 100 && test::read_bytes(log).find('\n') == std::string::npos; ++i) Sleep(100);
    const std::string record = test::read_bytes(log);
    // Drive-letter paths are quoted; the arguments follow after one blank.
    const std::string expected_tail = "BF2.exe\" +menu 1\n";
    EXPECT_NE(record.find(expected_tail), std::string::npos) << record;

    // (A program that does not exist is not tried here: Wine's shell answers it with an error dialog of its
    // own, where Windows raises a script error that the launcher drops.)
    SetEnvironmentVariableW(L"KV_BF2_LOG", nullptr);
}

TEST_F(Shell, SpecialFoldersEndWithABackslash) {
    for (int folder : {0, 5}) {
        const std::wstring path = special_folder_path(folder);
        ASSERT_FALSE(path.empty()) << folder;
        EXPECT_EQ(path.back(), L'\\');
        EXPECT_NE(path.find(L"\\\\"), 1u);
        EXPECT_TRUE(std::filesystem::is_directory(path)) << folder;
    }
    EXPECT_NE(special_folder_path(0), special_folder_path(5));
    // A folder id the shell has no path for (the Control Panel) gives the empty text.
    EXPECT_EQ(special_folder_path(3), L"");
}

}  // namespace
}  // namespace kv
