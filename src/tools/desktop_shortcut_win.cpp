#include "tools/desktop_shortcut_win.h"

#include <windows.h>

#include <vector>

#include "app/launcher_state_win.h"
#include "platform/com_win.h"
#include "platform/paths.h"
#include "platform/trace.h"
#include "tools/shortcut_rules.h"

namespace kv::tools {
namespace {

bool put_property(IDispatch* object, const wchar_t* name, const ShortcutProperty& p) {
    Variant value;
    if (p.is_number) {
        V_VT(&value.v) = VT_I4;
        V_I4(&value.v) = p.number;
    } else {
        V_VT(&value.v) = VT_BSTR;
        V_BSTR(&value.v) = SysAllocStringLen(p.text.data(), static_cast<UINT>(p.text.size()));
        if (!V_BSTR(&value.v)) return false;
    }
    return dispatch_call(object, name, DISPATCH_PROPERTYPUT, &value.v, 1);
}

bool is_file(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring executable_name() {
    std::vector<wchar_t> buf(32768);
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    const std::wstring path(buf.data(), n);
    return path.substr(path.find_last_of(L"\\/") + 1);
}

}  // namespace

bool create_desktop_shortcut(const ShellHolder& shell, const std::wstring& shortcut,
                             const std::wstring& target) {
    if (GetFileAttributesW(shortcut.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(shortcut.c_str());

    ComPtr<IDispatch> object;
    if (!shell.get_object(object) || !object) return false;
    Variant path;
    V_VT(&path.v) = VT_BSTR;
    V_BSTR(&path.v) = SysAllocStringLen(shortcut.data(), static_cast<UINT>(shortcut.size()));
    Variant link;
    if (!V_BSTR(&path.v) ||
        !dispatch_call(object.Get(), L"CreateShortcut", DISPATCH_METHOD, &path.v, 1, &link.v))
        return false;
    if (V_VT(&link.v) != VT_DISPATCH || !V_DISPATCH(&link.v)) return false;
    IDispatch* lnk = V_DISPATCH(&link.v);

    if (!put_property(lnk, L"TargetPath", {L"TargetPath", target})) return false;
    for (const ShortcutProperty& p : shortcut_properties(target)) {
        if (!put_property(lnk, p.name, p)) trace_failure("desktop shortcut", "a property was not taken");
    }
    const bool saved = dispatch_call(lnk, L"Save", DISPATCH_METHOD, nullptr, 0);
    return saved && is_file(shortcut);
}

void make_desktop_shortcut() {
    const std::wstring desktop = special_folder_path(0);
    // Without a desktop folder the name alone would put the shortcut into the game folder.
    const bool made = !desktop.empty() &&
                      create_desktop_shortcut(launcher_state().ShortcutShell, desktop + kShortcutFileName,
                                              shortcut_target(launcher_dir().native(), executable_name()));
    if (made) {
        MessageBoxW(nullptr, L"已经在桌面创建快捷方式", L"温馨提示",
                    MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
    } else {
        MessageBoxW(nullptr,
                    L"没有能在桌面创建快捷方式。\n"
                    L"请确认桌面文件夹可以写入后再点一次，或者右键点击启动器，选择“发送到”→“桌面快捷方式”。",
                    L"温馨提示", MB_OK | MB_ICONWARNING | MB_TASKMODAL);
    }
}

}  // namespace kv::tools
