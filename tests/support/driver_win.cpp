// Test driver: finds the launcher's main window from another process, reads its controls and presses them, so
// that end-to-end tests check exact texts and states instead of pixels. Commands are separated by "--" and
// each prints one line (UTF-8):
//   wait [ms]                 wait for a visible main window (exit 1 on time-out)
//   wait-gone [ms]            wait until no main window exists
//   get NAME                  the control's text
//   state NAME                visible=0/1 enabled=0/1 checked=0/1 x= y= w= h= (relative to the main window)
//   click NAME                BM_CLICK (sent)
//   set NAME TEXT             WM_SETTEXT
//   focus NAME                give the control the keyboard focus
//   window                    visible=0/1 iconic=0/1 x= y= w= h= region=<complex|simple|null|error>
//   tray                      present=0/1 (whether the notification-area icon exists)
//   tray-event CODE           posts the icon's event: 1 left up, 2 left double-click, 3 right up
//   close                     posts WM_CLOSE to the main window (a close request from the system)
//   sleep MS
//   msgbox [ms]               waits for a message box and prints "title|text"
//   msgbox-ok                 presses OK (Enter) on the message box
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../../src/ui/main_window_ids.h"

namespace {

std::string utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

void out(const std::wstring& line) {
    std::string s = utf8(line) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
}

HWND main_window() { return FindWindowW(kv::ui::kMainWindowClass, nullptr); }

HWND find_control(HWND main, const std::wstring& name) {
    for (const auto& c : kv::ui::kMainControlNames) {
        if (name != c.name) continue;
        if (HWND h = GetDlgItem(main, c.id)) return h;
        if (HWND strip = GetDlgItem(main, kv::ui::kTitleStrip)) return GetDlgItem(strip, c.id);
    }
    return nullptr;
}

std::wstring text_of(HWND h) {
    // WM_GETTEXT, not GetWindowText: the latter does not ask windows of other processes.
    LRESULT len = SendMessageW(h, WM_GETTEXTLENGTH, 0, 0);
    std::wstring t(static_cast<std::size_t>(len) + 1, L'\0');
    LRESULT got = SendMessageW(h, WM_GETTEXT, static_cast<WPARAM>(len + 1), reinterpret_cast<LPARAM>(t.data()));
    t.resize(static_cast<std::size_t>(got));
    return t;
}

HWND find_message_box() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            wchar_t cls[64];
            GetClassNameW(h, cls, 64);
            if (std::wstring(cls) == L"#32770" && IsWindowVisible(h)) {
                *reinterpret_cast<HWND*>(lp) = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring message_box_text(HWND box) {
    std::wstring text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[64];
        GetClassNameW(c, cls, 64);
        if (std::wstring(cls) == L"Static") {
            std::wstring t = text_of(c);
            if (!t.empty()) text = t;
        }
    }
    return text;
}

int wait_ms(const std::vector<std::wstring>& a, std::size_t i, int dflt) {
    return i < a.size() ? _wtoi(a[i].c_str()) : dflt;
}

// Runs one command; false on failure (the driver then exits 1).
bool run(const std::vector<std::wstring>& a) {
    const std::wstring& cmd = a[0];
    if (cmd == L"sleep") {
        Sleep(static_cast<DWORD>(wait_ms(a, 1, 100)));
        return true;
    }
    if (cmd == L"wait" || cmd == L"wait-gone") {
        const bool gone = cmd == L"wait-gone";
        const DWORD deadline = GetTickCount() + static_cast<DWORD>(wait_ms(a, 1, 15000));
        do {
            HWND m = main_window();
            if (gone ? m == nullptr : (m && IsWindowVisible(m))) {
                out(L"ok");
                return true;
            }
            Sleep(50);
        } while (GetTickCount() < deadline);
        out(L"timeout");
        return false;
    }
    if (cmd == L"msgbox") {
        const DWORD deadline = GetTickCount() + static_cast<DWORD>(wait_ms(a, 1, 10000));
        do {
            if (HWND box = find_message_box()) {
                out(text_of(box) + L"|" + message_box_text(box));
                return true;
            }
            Sleep(50);
        } while (GetTickCount() < deadline);
        out(L"none");
        return false;
    }
    if (cmd == L"no-msgbox") {
        out(find_message_box() ? L"msgbox" : L"none");
        return find_message_box() == nullptr;
    }
    if (cmd == L"msgbox-ok") {
        HWND box = find_message_box();
        if (!box) return false;
        HWND ok = GetDlgItem(box, IDOK);
        if (ok) SendMessageW(ok, BM_CLICK, 0, 0);
        else PostMessageW(box, WM_COMMAND, IDOK, 0);
        out(L"ok");
        return true;
    }
    HWND main = main_window();
    if (!main) {
        out(L"no main window");
        return false;
    }
    if (cmd == L"window") {
        RECT r;
        GetWindowRect(main, &r);
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        const int type = GetWindowRgn(main, rgn);
        DeleteObject(rgn);
        const wchar_t* names[] = {L"error", L"null", L"simple", L"complex"};
        out(L"visible=" + std::to_wstring(IsWindowVisible(main) ? 1 : 0) + L" iconic=" +
            std::to_wstring(IsIconic(main) ? 1 : 0) + L" x=" + std::to_wstring(r.left) + L" y=" +
            std::to_wstring(r.top) + L" w=" + std::to_wstring(r.right - r.left) + L" h=" +
            std::to_wstring(r.bottom - r.top) + L" region=" + (type >= 0 && type <= 3 ? names[type] : L"error"));
        return true;
    }
    if (cmd == L"tray") {
        NOTIFYICONDATAW nid{};
        nid.cbSize = sizeof nid;
        nid.hWnd = main;
        nid.uID = 1;
        nid.uFlags = 0;
        out(std::wstring(L"present=") + (Shell_NotifyIconW(NIM_MODIFY, &nid) ? L"1" : L"0"));
        return true;
    }
    if (cmd == L"tray-event") {
        const int code = wait_ms(a, 1, 1);
        const UINT ev = code == 1 ? WM_LBUTTONUP : code == 2 ? WM_LBUTTONDBLCLK : WM_RBUTTONUP;
        PostMessageW(main, WM_APP + 1, 1, ev);
        out(L"ok");
        return true;
    }
    if (cmd == L"close") {
        PostMessageW(main, WM_CLOSE, 0, 0);
        out(L"ok");
        return true;
    }
    if (a.size() < 2) return false;
    HWND c = find_control(main, a[1]);
    if (!c) {
        out(L"no control " + a[1]);
        return false;
    }
    if (cmd == L"get") {
        out(text_of(c));
    } else if (cmd == L"state") {
        RECT r;
        GetWindowRect(c, &r);
        POINT p{r.left, r.top};
        ScreenToClient(main, &p);
        const LRESULT check = SendMessageW(c, BM_GETCHECK, 0, 0);
        out(L"visible=" + std::to_wstring(IsWindowVisible(c) ? 1 : 0) + L" enabled=" +
            std::to_wstring(IsWindowEnabled(c) ? 1 : 0) + L" checked=" + std::to_wstring(check == BST_CHECKED) +
            L" x=" + std::to_wstring(p.x) + L" y=" + std::to_wstring(p.y) + L" w=" +
            std::to_wstring(r.right - r.left) + L" h=" + std::to_wstring(r.bottom - r.top));
    } else if (cmd == L"click") {
        SendMessageW(c, BM_CLICK, 0, 0);
        out(L"ok");
    } else if (cmd == L"set" && a.size() >= 3) {
        SendMessageW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[2].c_str()));
        out(L"ok");
    } else if (cmd == L"screen-rect") {
        RECT r;
        GetWindowRect(c, &r);
        out(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) + L" " +
            std::to_wstring(r.bottom));
    } else {
        out(L"unknown command " + cmd);
        return false;
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> cmd;
    bool ok = true;
    for (int i = 1; i <= argc; ++i) {
        if (i == argc || std::wstring(argv[i]) == L"--") {
            if (!cmd.empty() && !run(cmd)) ok = false;
            cmd.clear();
        } else {
            cmd.emplace_back(argv[i]);
        }
    }
    return ok ? 0 : 1;
}
