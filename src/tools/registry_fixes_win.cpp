#include "tools/registry_fixes_win.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/trace.h"
#include "tools/command_lines.h"
#include "tools/registry_script.h"
#include "ui/gdi_win.h"

namespace kv::tools {
namespace {

void close_handle(HANDLE h) { CloseHandle(h); }
using OwnedHandle = ui::Owned<HANDLE, close_handle>;
void close_key(HKEY k) { RegCloseKey(k); }
using OwnedKey = ui::Owned<HKEY, close_key>;

OwnedHandle open_file(const std::wstring& path, DWORD access, DWORD disposition) {
    HANDLE h = CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    return OwnedHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

bool write_all(HANDLE file, std::string_view bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// A new file holding exactly `bytes`; a file that could not be completed is removed again, so that a half
// script is never taken for one the player left there.
bool write_new_file(const std::wstring& path, std::string_view bytes) {
    {
        const OwnedHandle file = open_file(path, GENERIC_WRITE, CREATE_NEW);
        if (!file) return false;
        if (write_all(file.get(), bytes)) return true;
    }
    DeleteFileW(path.c_str());
    return false;
}

std::optional<std::string> read_file(const std::wstring& path) {
    const OwnedHandle file = open_file(path, GENERIC_READ, OPEN_EXISTING);
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > (1 << 24)) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
         got != bytes.size()))
        return std::nullopt;
    return bytes;
}

std::wstring ansi_to_wide(std::string_view s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

// A script for the editor in the user's temp folder, removed when it goes.
class TempScript {
public:
    static std::optional<TempScript> write(std::string_view bytes) {
        wchar_t dir[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, dir);
        if (n == 0 || n > MAX_PATH) return std::nullopt;
        const std::wstring base =
            std::wstring(dir, n) + L"korvalen-" + std::to_wstring(GetCurrentProcessId()) + L"-";
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            std::wstring path = base + std::to_wstring(GetTickCount() + attempt) + L".reg";
            if (write_new_file(path, bytes)) return TempScript(std::move(path));
        }
        return std::nullopt;
    }
    TempScript(TempScript&& o) noexcept : path_(std::move(o.path_)) { o.path_.clear(); }
    TempScript& operator=(TempScript&&) = delete;
    ~TempScript() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    const std::wstring& path() const { return path_; }

private:
    explicit TempScript(std::wstring path) : path_(std::move(path)) {}
    std::wstring path_;
};

enum class Check { Matches, Differs, Unknown };

// Whether the registry holds `v` as the script sets it. A value this process may not read is Unknown.
Check in_registry(const RegValue& v) {
    HKEY root = v.root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    HKEY raw = nullptr;
    const LONG opened = RegOpenKeyExW(root, v.key.c_str(), 0, KEY_QUERY_VALUE, &raw);
    if (opened == ERROR_ACCESS_DENIED) return Check::Unknown;
    if (opened != ERROR_SUCCESS) return Check::Differs;
    const OwnedKey key(raw);
    DWORD type = 0, size = 0;
    const wchar_t* name = v.name.empty() ? nullptr : v.name.c_str();
    if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return Check::Differs;
    std::vector<BYTE> data(size + sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return Check::Differs;
    if (v.is_dword) {
        DWORD d = 0;
        if (type != REG_DWORD || size != sizeof d) return Check::Differs;
        std::memcpy(&d, data.data(), sizeof d);
        return d == v.dword ? Check::Matches : Check::Differs;
    }
    if (type != REG_SZ) return Check::Differs;
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text == v.text ? Check::Matches : Check::Differs;
}

bool all_in_registry(const std::vector<RegValue>& values) {
    for (const RegValue& v : values)
        if (in_registry(v) == Check::Differs) return false;
    return true;
}

// Has the registry editor import `source` silently (elevated unless this process already is), waits for it
// and checks `values` afterwards: the editor's exit code tells little, and nothing when it imported nothing.
FixOutcome import_and_check(const std::wstring& source, const std::vector<RegValue>& values,
                            const FixSystem& system, std::string_view what) {
    const ProgramRun run{windows_folder_program(L"regedit.exe"), editor_arguments(source), !system.elevated,
                         true, system.owner};
    const RunResult result = system.run(run);
    switch (result.outcome) {
        case RunOutcome::Refused:
            return FixOutcome::Refused;
        case RunOutcome::Failed:
            trace_failure(what, "registry editor not started, error " + std::to_string(result.error));
            return FixOutcome::EditorNotStarted;
        case RunOutcome::Ended:
            if (result.exit_code != 0) {
                trace_failure(what, "registry editor ended with " + std::to_string(result.exit_code));
                return FixOutcome::NotApplied;
            }
            break;
        case RunOutcome::Started:
        case RunOutcome::TimedOut:
            break;
    }
    if (all_in_registry(values)) return FixOutcome::Done;
    trace_failure(what, "the imported values are not in the registry");
    return FixOutcome::NotApplied;
}

}  // namespace

LONG write_machine_string(const wchar_t* key, const wchar_t* name, const wchar_t* data) {
    HKEY raw = nullptr;
    const LONG created = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_SET_VALUE, nullptr, &raw, nullptr);
    if (created != ERROR_SUCCESS) return created;
    const OwnedKey k(raw);
    const DWORD bytes =
        static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t));  // with the terminating zero
    return RegSetValueExW(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), bytes);
}

FixOutcome apply_fullscreen_fix(const std::filesystem::path& script, std::string_view built_in,
                                const FixSystem& system) {
    const std::wstring path = script.native();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (!write_new_file(path, built_in)) {
            trace_failure("full-screen fix",
                          "pingmu.reg not written, error " + std::to_string(GetLastError()));
            return FixOutcome::ScriptNotWritten;
        }
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return FixOutcome::ScriptNotWritten;  // a folder in the file's place
    }
    const std::optional<std::string> bytes = read_file(path);
    if (!bytes) return FixOutcome::NotApplied;  // what the launcher cannot read, the editor cannot either

    const std::vector<RegValue> values = script_values(script_text(*bytes, ansi_to_wide));
    if (has_editor_header(*bytes)) return import_and_check(path, values, system, "full-screen fix");
    // The editor takes no script without its header line: it gets a copy that has one.
    const std::optional<TempScript> copy = TempScript::write(importable_script(*bytes));
    if (!copy) return FixOutcome::EditorNotStarted;
    return import_and_check(copy->path(), values, system, "full-screen fix");
}

FixOutcome apply_language_fix(const FixSystem& system) {
    bool failed = false;
    for (const LanguageValue& v : kLanguageValues) {
        const LONG written = system.write_string(v.key, v.name, v.data);
        if (written == ERROR_ACCESS_DENIED && !system.elevated) {
            // Not allowed without administrator rights: all four go through one elevated import.
            const std::string script = language_script();
            const std::optional<TempScript> file = TempScript::write(script);
            if (!file) return FixOutcome::EditorNotStarted;
            return import_and_check(file->path(), script_values(ansi_to_wide(script)), system,
                                    "language fix");
        }
        if (written != ERROR_SUCCESS) {
            trace_failure("language fix", "value not written, error " + std::to_string(written));
            failed = true;
        }
    }
    return failed ? FixOutcome::NotApplied : FixOutcome::Done;
}

FixMessage fullscreen_fix_message(FixOutcome outcome) {
    switch (outcome) {
        case FixOutcome::Done:
            return {L"已经修复无法全屏游戏的问题，建议您重启电脑后，用启动器进行游戏即可",
                    MB_ICONINFORMATION};
        case FixOutcome::ScriptNotWritten:
            return {
                L"全屏修复没有完成：无法在启动器所在的文件夹中写入 pingmu.reg。\n"
                L"请右键点击启动器，选择“以管理员身份运行”后再试一次。",
                MB_ICONWARNING};
        case FixOutcome::EditorNotStarted:
            return {
                L"全屏修复没有完成：无法启动注册表编辑器。\n"
                L"请双击启动器文件夹中的 pingmu.reg 手动导入，然后重启电脑。",
                MB_ICONWARNING};
        case FixOutcome::Refused:
            return {
                L"全屏修复没有完成：修改注册表需要管理员权限，您取消了授权。\n"
                L"请再点一次“全屏修复补丁”，并在系统的提示中选择“是”。",
                MB_ICONWARNING};
        case FixOutcome::NotApplied:
            break;
    }
    return {
        L"全屏修复没有完成：注册表编辑器没有导入 pingmu.reg 中的设置。\n"
        L"请右键点击启动器，选择“以管理员身份运行”后再试一次，或者双击 pingmu.reg 手动导入。",
        MB_ICONWARNING};
}

FixMessage language_fix_message(FixOutcome outcome) {
    switch (outcome) {
        case FixOutcome::Done:
            return {L"切换繁体中文成功，已经将繁体中文注册文件导入到注册表", MB_ICONINFORMATION};
        case FixOutcome::Refused:
            return {
                L"切换繁体中文没有完成：修改注册表需要管理员权限，您取消了授权。\n"
                L"请再点一次“中文修复补丁”，并在系统的提示中选择“是”。",
                MB_ICONWARNING};
        case FixOutcome::ScriptNotWritten:
        case FixOutcome::EditorNotStarted:
        case FixOutcome::NotApplied:
            break;
    }
    return {
        L"切换繁体中文没有完成：无法把游戏的语言设置写入注册表。\n"
        L"请右键点击启动器，选择“以管理员身份运行”后再试一次。",
        MB_ICONWARNING};
}

}  // namespace kv::tools
