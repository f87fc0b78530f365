// The entertainment window and the desktop shortcut under Wine, in this process: the page requested from a
// loopback server, the layout as created and after a change of size, pop-ups refused by the window's own
// handler (Wine draws no page, so the event is raised by hand), Esc; the shortcut read back through the
// shell's link interface, and the stop rules.
#include <windows.h>
// (before the headers that expect it)
#include <exdispid.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <chrono>
#include <functional>
#include <string>

#include "app/launcher_state_win.h"
#include "platform/com_win.h"
#include "support/lib/http_test_server.h"
#include "support/lib/temp_dir.h"
#include "tools/desktop_shortcut_win.h"
#include "tools/entertainment_layout.h"
#include "tools/entertainment_window_win.h"
#include "ui/browser_host_events_win.h"
#include "ui/browser_host_win.h"

namespace kv::tools {
namespace {

using Microsoft::WRL::ComPtr;
using namespace std::chrono_literals;

bool pump_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

Box box_in_parent(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// NewWindow3(ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl), arguments last to first.
VARIANT_BOOL raise_new_window(IDispatch* sink, DISPID id, const wchar_t* url) {
    IDispatch* new_window = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Bstr address(url), context(L"http://127.0.0.1/tv");
    VARIANT args[5];
    for (VARIANT& v : args) VariantInit(&v);
    const UINT count = id == DISPID_NEWWINDOW3 ? 5 : 2;
    VARIANT* a = args + (5 - count);
    V_VT(&a[count - 1]) = VT_BYREF | VT_DISPATCH;
    V_DISPATCHREF(&a[count - 1]) = &new_window;
    V_VT(&a[count - 2]) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&a[count - 2]) = &cancel;
    if (count == 5) {
        V_VT(&a[2]) = VT_UI4;
        V_UI4(&a[2]) = 0x6;
        V_VT(&a[1]) = VT_BSTR;
        V_BSTR(&a[1]) = context.get();
        V_VT(&a[0]) = VT_BSTR;
        V_BSTR(&a[0]) = address.get();
    }
    DISPPARAMS params{a, nullptr, count, 0};
    sink->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    return cancel;
}

class ToolWindows : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override {
        // The last launcher window going posts the end of the program; this test program goes on.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        OleUninitialize();
    }
};

TEST_F(ToolWindows, EntertainmentPageLayoutAndPopups) {
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    test::Resource page;
    page.body = "<html><body>TV</body></html>";
    server.add("/tv?from=test", page);
    EntertainmentWindow window;
    const std::wstring address = L"http://127.0.0.1:" + std::to_wstring(server.port()) + L"/tv?from=test";
    ASSERT_TRUE(window.create(L"战地之家", address));
    ASSERT_NE(window.browser(), nullptr);
    EXPECT_TRUE(pump_until([&] { return !server.requests_for("/tv?from=test").empty(); }, 10s));

    RECT outer;
    GetWindowRect(window.hwnd(), &outer);
    EXPECT_EQ(outer.right - outer.left, 1024);
    EXPECT_EQ(outer.bottom - outer.top, 710);
    HWND w = window.hwnd();
    EXPECT_EQ(box_in_parent(window.browser()->hwnd()), (Box{0, 0, 1024, 610}));
    EXPECT_EQ(box_in_parent(GetDlgItem(w, kTvPageButton)), kTvButtonBox);
    EXPECT_EQ(box_in_parent(GetDlgItem(w, kVoiceLink)), kVoiceLinkBox);
    EXPECT_EQ(box_in_parent(GetDlgItem(w, kWaitNote)), kWaitNoteBox);
    wchar_t title[64] = {};
    GetWindowTextW(GetDlgItem(w, kVoiceLink), title, 64);
    EXPECT_STREQ(title, L"战地之家");
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);

    SetWindowPos(w, nullptr, 0, 0, 800, 500, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(box_in_parent(window.browser()->hwnd()), (Box{0, 0, 800, 420}));
    for (int id : {kTvPageButton, kVoiceLink, kWaitNote})
        EXPECT_EQ(box_in_parent(GetDlgItem(w, id)).y, 430) << id;
    EXPECT_EQ(box_in_parent(GetDlgItem(w, kWaitNote)), (Box{560, 430, 464, 24}));

    IDispatch* sink = ui::detail::BrowserHostAccess::events(*window.browser());
    ASSERT_NE(sink, nullptr);
    EXPECT_EQ(raise_new_window(sink, DISPID_NEWWINDOW3, L"http://127.0.0.1/popup"), VARIANT_TRUE);
    EXPECT_EQ(raise_new_window(sink, DISPID_NEWWINDOW2, nullptr), VARIANT_TRUE);

    // Esc reaches the window as IDCANCEL and closes it.
    SendMessageW(w, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(window.browser(), nullptr);
}

struct Link {
    std::wstring target, dir, icon, description;
    int icon_index = -1, show = -1;
};

bool read_link(const std::wstring& path, Link& link) {
    ComPtr<IShellLinkW> shell_link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shell_link))) ||
        FAILED(shell_link.As(&file)) || FAILED(file->Load(path.c_str(), STGM_READ)))
        return false;
    wchar_t buf[MAX_PATH];
    // The target from the link's item list: Wine keeps only an ANSI copy of the path text beside it.
    PIDLIST_ABSOLUTE items = nullptr;
    if (FAILED(shell_link->GetIDList(&items)) || !items || !SHGetPathFromIDListW(items, buf)) buf[0] = L'\0';
    CoTaskMemFree(items);
    link.target = buf;
    shell_link->GetWorkingDirectory(buf, MAX_PATH);
    link.dir = buf;
    shell_link->GetIconLocation(buf, MAX_PATH, &link.icon_index);
    link.icon = buf;
    shell_link->GetDescription(buf, MAX_PATH);
    link.description = buf;
    shell_link->GetShowCmd(&link.show);
    return true;
}

TEST_F(ToolWindows, ShortcutPropertiesAndStopRules) {
    test::TempDir dir;
    const std::wstring lnk = (dir / "Korvalen.lnk").native();
    const std::filesystem::path game = dir.path() / L"战地 2";
    std::filesystem::create_directories(game);
    test::write_bytes(game / L"Korvalen.exe", "MZ");
    const std::wstring target = (game / L"Korvalen.exe").native();
    const ShellHolder shell = ShellHolder::from_type_library(L"wshom.ocx", L"WshShell");
    ASSERT_TRUE(shell.Created);

    test::write_bytes(lnk, "an old shortcut");
    ASSERT_TRUE(create_desktop_shortcut(shell, lnk, target));
    Link link;
    ASSERT_TRUE(read_link(lnk, link));
    EXPECT_EQ(link.target, target);
    EXPECT_EQ(link.dir, game.native() + L"\\");
    EXPECT_EQ(link.icon, target);
    EXPECT_EQ(link.icon_index, 0);
    EXPECT_EQ(link.description, L"Powered by Talvern");
    EXPECT_EQ(link.show, SW_SHOWNORMAL);

    // No shell object: the old shortcut is gone all the same, no new one.
    EXPECT_FALSE(create_desktop_shortcut(ShellHolder(), lnk, target));
    EXPECT_FALSE(std::filesystem::exists(lnk));
    // A folder that does not exist: nothing saved, and said so.
    EXPECT_FALSE(create_desktop_shortcut(shell, (dir / "missing" / "Korvalen.lnk").native(), target));
}

}  // namespace
}  // namespace kv::tools
