// The utility panel's registry fixes under Wine: the script file, the import through the real registry editor
// (plainly and through the elevation prompt, which Wine grants without asking), the values read back, and
// every failure reported as one. The program runner and the direct registry writer are replaced where a test
// needs an outcome Wine cannot produce (a refused prompt, a denied write).
#include "tools/registry_fixes_win.h"

#include <gtest/gtest.h>
#include <ole2.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "support/lib/temp_dir.h"
#include "tools/command_lines.h"
#include "tools/registry_script.h"

namespace kv::tools {
namespace {

constexpr wchar_t kDisplayKey[] =
    L"SYSTEM\\ControlSet001\\Control\\GraphicsDrivers\\Configuration\\"
    L"AOC2350CPAD7HA026366_1D_07DD_0D*LEN40A00_00_07DA_93^EF692FDA06EA236A9245BBEC56C965C1";
constexpr wchar_t kGameKey[] = L"SOFTWARE\\Electronic Arts\\EA Games\\Battlefield 2";
constexpr wchar_t kGameKey32[] = L"SOFTWARE\\Wow6432Node\\Electronic Arts\\EA Games\\Battlefield 2";
constexpr wchar_t kTestKey[] = L"Software\\Korvalen Test";

std::optional<DWORD> read_dword(HKEY root, const std::wstring& key, const wchar_t* name) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> read_string(HKEY root, const std::wstring& key, const wchar_t* name,
                                        REGSAM view = 0) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &k) != ERROR_SUCCESS) return std::nullopt;
    wchar_t buf[256] = {};
    DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
    const LONG r = RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return std::wstring(buf);
}

// Records what was asked of the runner and answers with `answer`, or runs the program for real.
struct Runner {
    std::vector<ProgramRun> runs;
    std::optional<RunResult> answer;
    ProgramRunner fn() {
        return [this](const ProgramRun& run) {
            runs.push_back(run);
            return answer ? *answer : run_program(run);
        };
    }
};

class RegistryFixes : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        for (const wchar_t* key : {kDisplayKey, kGameKey, kGameKey32})
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        system_.run = runner_.fn();
        system_.elevated = true;  // as Wine runs every program
    }
    void TearDown() override { OleUninitialize(); }

    std::filesystem::path script() const { return dir_ / "战地 2 游戏" / "pingmu.reg"; }
    void make_game_folder() { std::filesystem::create_directories(dir_.path() / "战地 2 游戏"); }
    std::optional<DWORD> display(const wchar_t* name) const {
        return read_dword(HKEY_LOCAL_MACHINE, std::wstring(kDisplayKey) + L"\\00\\01", name);
    }

    test::TempDir dir_;
    Runner runner_;
    FixSystem system_;
};

TEST_F(RegistryFixes, MissingScriptIsWrittenAndImportedThroughAHeaderedCopy) {
    make_game_folder();
    EXPECT_EQ(apply_fullscreen_fix(script(), fullscreen_script(), system_), FixOutcome::Done);
    EXPECT_EQ(test::read_bytes(script()), fullscreen_script());
    EXPECT_EQ(display(L"ActiveSize.cx"), 1366u);
    EXPECT_EQ(display(L"ActiveSize.cy"), 768u);
    EXPECT_EQ(display(L"Scaling"), 3u);
    EXPECT_EQ(display(L"PixelRate"), 0x044fab10u);

    ASSERT_EQ(runner_.runs.size(), 1u);
    const ProgramRun& run = runner_.runs[0];
    EXPECT_EQ(run.program, windows_folder_program(L"regedit.exe"));
    EXPECT_FALSE(run.elevated);
    EXPECT_TRUE(run.wait);
    // The editor got a copy with the header line, in the temp folder, removed afterwards.
    ASSERT_EQ(run.arguments.rfind(L"/s \"", 0), 0u) << run.arguments;
    const std::wstring copy = run.arguments.substr(4, run.arguments.size() - 5);
    EXPECT_NE(copy, script().native());
    EXPECT_FALSE(std::filesystem::exists(copy));
}

TEST_F(RegistryFixes, ExistingScriptIsImportedUnchangedFromAFolderWithBlanks) {
    make_game_folder();
    const std::string mine =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Korvalen Test]\r\n\"Answer\"=dword:0000002a\r\n"
        "\"Name\"=\"player one\"\r\n";
    test::write_bytes(script(), mine);
    EXPECT_EQ(apply_fullscreen_fix(script(), fullscreen_script(), system_), FixOutcome::Done);
    EXPECT_EQ(test::read_bytes(script()), mine);
    EXPECT_EQ(read_dword(HKEY_CURRENT_USER, kTestKey, L"Answer"), 42u);
    EXPECT_EQ(read_string(HKEY_CURRENT_USER, kTestKey, L"Name"), L"player one");
    EXPECT_FALSE(display(L"Scaling").has_value()) << "the built-in script must not be used";
    ASSERT_EQ(runner_.runs.size(), 1u);
    EXPECT_EQ(runner_.runs[0].arguments, editor_arguments(script().native()));
}

TEST_F(RegistryFixes, ExistingScriptWithoutHeaderIsImportedAndLeftAsItIs) {
    make_game_folder();
    const std::string old = "[HKEY_CURRENT_USER\\Software\\Korvalen Test]\r\n\"Answer\"=dword:00000007";
    test::write_bytes(script(), old);
    EXPECT_EQ(apply_fullscreen_fix(script(), fullscreen_script(), system_), FixOutcome::Done);
    EXPECT_EQ(test::read_bytes(script()), old);
    EXPECT_EQ(read_dword(HKEY_CURRENT_USER, kTestKey, L"Answer"), 7u);
}

TEST_F(RegistryFixes, WithoutAdministratorRightsTheEditorIsStartedElevated) {
    make_game_folder();
    system_.elevated = false;
    EXPECT_EQ(apply_fullscreen_fix(script(), fullscreen_script(), system_), FixOutcome::Done);
    ASSERT_EQ(runner_.runs.size(), 1u);
    EXPECT_TRUE(runner_.runs[0].elevated);
    EXPECT_EQ(display(L"Scaling"), 3u) << "the elevated editor imported the script";
}

TEST_F(RegistryFixes, FullscreenFailuresAreReported) {
    make_game_folder();
    // A refused prompt, an editor that cannot be started, an editor that imported nothing.
    const struct {
        RunResult answer;
        FixOutcome outcome;
    } cases[] = {
        {{RunOutcome::Refused, ERROR_CANCELLED}, FixOutcome::Refused},
        {{RunOutcome::Failed, ERROR_FILE_NOT_FOUND}, FixOutcome::EditorNotStarted},
        {{RunOutcome::Ended, 0, 0}, FixOutcome::NotApplied},
        {{RunOutcome::Ended, 0, 1}, FixOutcome::NotApplied},
        {{RunOutcome::TimedOut}, FixOutcome::NotApplied},
    };
    for (const auto& c : cases) {
        runner_.answer = c.answer;
        EXPECT_EQ(apply_fullscreen_fix(script(), fullscreen_script(), system_), c.outcome);
        EXPECT_EQ(fullscreen_fix_message(c.outcome).icon, static_cast<UINT>(MB_ICONWARNING));
    }
    EXPECT_FALSE(display(L"Scaling").has_value());

    // A script the launcher cannot check: the editor's exit code decides.
    test::write_bytes(script(), "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.korvalen-test]\r\n@=\"x\"\r\n");
    runner_.answer = RunResult{RunOutcome::Ended, 0, 0};
    EXPECT_EQ(apply_fullscreen_fix(script(), fullscreen_script(), system_), FixOutcome::Done);
    runner_.answer = RunResult{RunOutcome::Ended, 0, 2};
    EXPECT_EQ(apply_fullscreen_fix(script(), fullscreen_script(), system_), FixOutcome::NotApplied);
}

TEST_F(RegistryFixes, ScriptThatCannotBeWrittenStopsBeforeTheEditor) {
    // The game folder does not exist, so the file cannot be made there.
    EXPECT_EQ(apply_fullscreen_fix(script(), fullscreen_script(), system_), FixOutcome::ScriptNotWritten);
    // A folder in the file's place.
    std::filesystem::create_directories(script());
    EXPECT_EQ(apply_fullscreen_fix(script(), fullscreen_script(), system_), FixOutcome::ScriptNotWritten);
    EXPECT_TRUE(runner_.runs.empty());
}

TEST_F(RegistryFixes, LanguageValuesInBothViewsInTheirOrder) {
    std::vector<std::wstring> order;
    system_.write_string = [&](const wchar_t* key, const wchar_t* name, const wchar_t* data) {
        order.push_back(std::wstring(key) + L"|" + name);
        return write_machine_string(key, name, data);
    };
    EXPECT_EQ(apply_language_fix(system_), FixOutcome::Done);
    const std::vector<std::wstring> expected = {
        std::wstring(kGameKey) + L"|Language", std::wstring(kGameKey) + L"|Locale",
        std::wstring(kGameKey32) + L"|Language", std::wstring(kGameKey32) + L"|Locale"};
    EXPECT_EQ(order, expected);
    EXPECT_TRUE(runner_.runs.empty());
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        // The 32-bit game reads the 32-bit view, which the Wow6432Node key is.
        EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, kGameKey, L"Language", view), L"Chinese") << view;
        EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, kGameKey, L"Locale", view), L"zh_TW") << view;
    }
}

TEST_F(RegistryFixes, DeniedLanguageWritesGoThroughOneElevatedImport) {
    int calls = 0;
    system_.write_string = [&](const wchar_t*, const wchar_t*, const wchar_t*) {
        ++calls;
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    };
    system_.elevated = false;
    EXPECT_EQ(apply_language_fix(system_), FixOutcome::Done);
    EXPECT_EQ(calls, 1) << "the first denial decides";
    ASSERT_EQ(runner_.runs.size(), 1u);
    EXPECT_TRUE(runner_.runs[0].elevated);
    EXPECT_EQ(runner_.runs[0].program, windows_folder_program(L"regedit.exe"));
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, kGameKey, L"Language", view), L"Chinese") << view;
        EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, kGameKey, L"Locale", view), L"zh_TW") << view;
    }
}

TEST_F(RegistryFixes, LanguageFailuresAreReported) {
    system_.write_string = [](const wchar_t*, const wchar_t*, const wchar_t*) {
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    };
    system_.elevated = false;
    runner_.answer = RunResult{RunOutcome::Refused, ERROR_CANCELLED};
    EXPECT_EQ(apply_language_fix(system_), FixOutcome::Refused);
    runner_.answer = RunResult{RunOutcome::Ended, 0, 0};  // the editor "ran" and wrote nothing
    EXPECT_EQ(apply_language_fix(system_), FixOutcome::NotApplied);
    EXPECT_FALSE(read_string(HKEY_LOCAL_MACHINE, kGameKey, L"Language").has_value());

    // Denied although already elevated: administrator rights cannot help, nothing is started.
    runner_.runs.clear();
    system_.elevated = true;
    EXPECT_EQ(apply_language_fix(system_), FixOutcome::NotApplied);
    EXPECT_TRUE(runner_.runs.empty());

    // Another error on one value: the others are written all the same, and the whole is a failure.
    int calls = 0;
    system_.write_string = [&](const wchar_t* key, const wchar_t* name, const wchar_t* data) {
        return ++calls == 2 ? static_cast<LONG>(ERROR_CHILD_MUST_BE_VOLATILE)
                            : write_machine_string(key, name, data);
    };
    EXPECT_EQ(apply_language_fix(system_), FixOutcome::NotApplied);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(read_string(HKEY_LOCAL_MACHINE, kGameKey32, L"Locale"), L"zh_TW");
}

TEST(FixMessages, SuccessKeepsItsTextAndFailuresSayWhatToDo) {
    EXPECT_STREQ(fullscreen_fix_message(FixOutcome::Done).text,
                 L"已经修复无法全屏游戏的问题，建议您重启电脑后，用启动器进行游戏即可");
    EXPECT_EQ(fullscreen_fix_message(FixOutcome::Done).icon, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_STREQ(language_fix_message(FixOutcome::Done).text,
                 L"切换繁体中文成功，已经将繁体中文注册文件导入到注册表");
    EXPECT_EQ(language_fix_message(FixOutcome::Done).icon, static_cast<UINT>(MB_ICONINFORMATION));
    for (FixOutcome o : {FixOutcome::ScriptNotWritten, FixOutcome::EditorNotStarted, FixOutcome::Refused,
                         FixOutcome::NotApplied}) {
        for (const FixMessage& m : {fullscreen_fix_message(o), language_fix_message(o)}) {
            EXPECT_EQ(m.icon, static_cast<UINT>(MB_ICONWARNING));
            EXPECT_NE(std::wstring(m.text).find(L"没有完成"), std::wstring::npos) << m.text;
            EXPECT_NE(std::wstring(m.text).find(L"请"), std::wstring::npos) << m.text;
        }
    }
    EXPECT_NE(std::wstring(fullscreen_fix_message(FixOutcome::Refused).text).find(L"取消了授权"),
              std::wstring::npos);
}

}  // namespace
}  // namespace kv::tools
