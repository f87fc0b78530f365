// Test driver: finds the launcher's windows from another process, reads their controls and presses them, so
// that end-to-end tests check exact texts and states instead of pixels. Commands are separated by "--" and
// each prints one line (UTF-8). A control is named by its name on the main window ("CKMS"), or by a window
// kind and its name on that window ("update/wangluo_banben"); KIND is one of the kinds in kKinds below.
//   wait [ms]                 wait for a visible main window (exit 1 on time-out)
//   wait-gone [ms]            wait until no main window exists
//   wait-window KIND [ms]     wait for a visible window of that kind
//   wait-window-gone KIND [ms]  wait until no window of that kind exists
//   get NAME                  the control's text
//   parts NAME                a status bar's part texts, separated by "|"
//   pos NAME                  a progress bar's position
//   state NAME                visible=0/1 enabled=0/1 checked=0/1 x= y= w= h= (relative to its window's client area)
//   click NAME                BM_CLICK (sent: returns when the click's work is done)
//   press NAME                BM_CLICK (posted: returns at once; for buttons that open a modal window)
//   set NAME TEXT             WM_SETTEXT
//   screen-rect NAME          left top right bottom on the screen
//   window [KIND]             visible=0/1 enabled=0/1 iconic=0/1 x= y= w= h= region=<complex|simple|null|error> title=...
//   close-window KIND         posts WM_CLOSE to that window
//   input-state KIND          the window thread's active and focus windows and whether they are KIND's:
//                             active=<class> focus=<class> (or none)
//   close-titled TITLE [ms]   posts WM_CLOSE to another program's top-level window of that title and waits
//                             until it is gone (a file manager the launcher opened, say)
//   window-state KIND         count=N (windows of that kind) enabled= zoomed= iconic= foreground= (0/1)
//   sys-command KIND minimize|maximize|restore   posts the system command, as the caption's buttons do
//   read-link PATH            a shell link read back: target=|dir=|icon=PATH,INDEX|description=|show=|args=|hotkey=
//   volatile-key HKLM\PATH    creates a volatile registry key (non-volatile keys cannot be made below it)
//   tray                      present=0/1 (whether the notification-area icon exists)
//   tray-event CODE           posts the icon's event: 1 left up, 2 left double-click, 3 right up
//   close                     posts WM_CLOSE to the main window (a close request from the system)
//   sleep MS
//   msgbox [ms]               waits for a message box and prints "title|text"
//   no-msgbox                 "none" when no message box is shown (exit 1 otherwise)
//   msgbox-ok                 presses OK (Enter) on the message box
//   msgbox-cancel             presses Cancel on the message box
//   settle [ms]               waits until the main window has handled the input sent before (its clock line
//                             changed twice: a timer comes only after pending input)
//   focus                     the name of the main window's control that has the keyboard focus, or "none"
//   main-windows              one line per launcher main window: visible=0/1 path=<编辑框2>
//   processes EXE             how many processes run the program EXE (file name, any letter case)
//   hold FILE RELEASE [ms]    opens FILE without sharing, prints "held", keeps it until the file RELEASE
//   exists
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "../../src/tools/entertainment_window_ids.h"
#include "../../src/tools/utility_panel_ids.h"
#include "../../src/ui/main_window_ids.h"
#include "../../src/update/update_window_ids.h"

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

// The launcher's windows: a kind the tests name them by, the window class, and the names of the controls.
struct Kind {
    const wchar_t* key;
    const wchar_t* window_class;
    const kv::ui::ControlName* names;
    std::size_t count;
};

const Kind kKinds[] = {
    {L"main", kv::ui::kMainWindowClass, kv::ui::kMainControlNames, std::size(kv::ui::kMainControlNames)},
    {L"utility", kv::tools::kUtilityPanelClass, kv::tools::kUtilityControlNames,
     std::size(kv::tools::kUtilityControlNames)},
    {L"entertainment", kv::tools::kEntertainmentWindowClass, kv::tools::kEntertainmentControlNames,
     std::size(kv::tools::kEntertainmentControlNames)},
    {L"update", kv::ui::kUpdateWindowClass, kv::ui::kUpdateControlNames, std::size(kv::ui::kUpdateControlNames)},
};

const Kind* find_kind(const std::wstring& key) {
    for (const Kind& k : kKinds)
        if (key == k.key) return &k;
    return nullptr;
}

HWND top_window(const Kind& kind) { return FindWindowW(kind.window_class, nullptr); }
HWND main_window() { return top_window(kKinds[0]); }

// A control anywhere below `top` (on the title strip, in a group box) with the id.
HWND find_descendant(HWND top, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        top,
        [](HWND h, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (GetDlgCtrlID(h) != s->id) return TRUE;
            s->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// "NAME" on the main window or "KIND/NAME"; sets `top` to the control's window.
HWND find_control(const std::wstring& named, HWND& top) {
    const Kind* kind = &kKinds[0];
    std::wstring name = named;
    if (const auto slash = named.find(L'/'); slash != std::wstring::npos) {
        kind = find_kind(named.substr(0, slash));
        name = named.substr(slash + 1);
        if (!kind) return nullptr;
    }
    top = top_window(*kind);
    if (!top) return nullptr;
    for (std::size_t i = 0; i < kind->count; ++i)
        if (name == kind->names[i].name) return find_descendant(top, kind->names[i].id);
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

// A status bar's part texts. The bar belongs to another process, so the text is fetched into memory there.
std::wstring status_parts(HWND bar) {
    DWORD pid = 0;
    GetWindowThreadProcessId(bar, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return L"error";
    constexpr SIZE_T kBytes = 4096;
    void* remote = VirtualAllocEx(process, nullptr, kBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    std::wstring joined;
    const int count = static_cast<int>(SendMessageW(bar, SB_GETPARTS, 0, 0));
    for (int i = 0; remote && i < count; ++i) {
        wchar_t text[kBytes / sizeof(wchar_t)] = {};
        const LRESULT len = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, i, 0));
        if (len > 0 && static_cast<SIZE_T>(len) < std::size(text)) {
            SendMessageW(bar, SB_GETTEXTW, i, reinterpret_cast<LPARAM>(remote));
            ReadProcessMemory(process, remote, text, static_cast<SIZE_T>(len) * sizeof(wchar_t), nullptr);
        }
        if (i) joined += L"|";
        joined += text;
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return joined;
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

int count_windows(const Kind& kind) {
    struct Count {
        const wchar_t* cls;
        int n;
    } count{kind.window_class, 0};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Count*>(lp);
            wchar_t cls[128];
            GetClassNameW(h, cls, 128);
            if (std::wstring(cls) == c->cls) ++c->n;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.n;
}

// A shell link file read back through the shell's own interface.
bool read_link(const std::wstring& path) {
    if (FAILED(CoInitialize(nullptr))) return false;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&link))) &&
              SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Load(path.c_str(), STGM_READ));
    if (ok) {
        wchar_t target[MAX_PATH] = {}, dir[MAX_PATH] = {}, icon[MAX_PATH] = {}, desc[1024] = {}, args[1024] = {};
        int icon_index = -1, show = -1;
        WORD hotkey = 0xFFFF;
        // The target from the link's item list: Wine keeps only an ANSI copy of the path text beside it.
        PIDLIST_ABSOLUTE items = nullptr;
        if (FAILED(link->GetIDList(&items)) || !items || !SHGetPathFromIDListW(items, target)) target[0] = L'\0';
        CoTaskMemFree(items);
        link->GetWorkingDirectory(dir, MAX_PATH);
        link->GetIconLocation(icon, MAX_PATH, &icon_index);
        link->GetDescription(desc, 1024);
        link->GetArguments(args, 1024);
        link->GetShowCmd(&show);
        link->GetHotkey(&hotkey);
        out(std::wstring(L"target=") + target + L"|dir=" + dir + L"|icon=" + icon + L"," +
            std::to_wstring(icon_index) + L"|description=" + desc + L"|show=" + std::to_wstring(show) +
            L"|args=" + args + L"|hotkey=" + std::to_wstring(hotkey));
    } else {
        out(L"no link");
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return ok;
}

bool make_volatile_key(const std::wstring& key_path) {
    HKEY root = nullptr;
    std::wstring path;
    if (key_path.rfind(L"HKLM\\", 0) == 0) root = HKEY_LOCAL_MACHINE, path = key_path.substr(5);
    else if (key_path.rfind(L"HKCU\\", 0) == 0) root = HKEY_CURRENT_USER, path = key_path.substr(5);
    if (!root) return false;
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LONG r = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_READ, nullptr, &key,
                                   &disposition);
    if (r != ERROR_SUCCESS) {
        out(L"error " + std::to_wstring(r));
        return false;
    }
    RegCloseKey(key);
    // An existing key keeps what it was.
    out(disposition == REG_CREATED_NEW_KEY ? L"created" : L"exists");
    return disposition == REG_CREATED_NEW_KEY;
}

int wait_ms(const std::vector<std::wstring>& a, std::size_t i, int dflt) {
    return i < a.size() ? _wtoi(a[i].c_str()) : dflt;
}

std::wstring name_of(const Kind& kind, HWND top, HWND control) {
    for (std::size_t i = 0; control && i < kind.count; ++i)
        if (find_descendant(top, kind.names[i].id) == control) return kind.names[i].name;
    return control ? L"other" : L"none";
}

bool wait_for_file(const std::wstring& file, DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start >= ms) return false;
        Sleep(50);
    }
    return true;
}

// Commands about the launcher as a whole: processes, files, several main windows, input handled. Sets
// `ok` and returns true when `a` was one of them.
bool run_launcher_command(const std::vector<std::wstring>& a, bool& ok) {
    const std::wstring& cmd = a[0];
    ok = true;
    if (cmd == L"settle") {
        HWND top = nullptr;
        HWND clock = find_control(L"编辑框4", top);
        const DWORD start = GetTickCount(), limit = static_cast<DWORD>(wait_ms(a, 1, 15000));
        std::wstring last = clock ? text_of(clock) : L"";
        int changes = 0;
        while (clock && changes < 2 && GetTickCount() - start < limit) {
            Sleep(50);
            const std::wstring now = text_of(clock);
            if (now != last) ++changes;
            last = now;
        }
        ok = changes == 2;
        out(ok ? L"ok" : L"timeout");
    } else if (cmd == L"focus") {
        HWND main = main_window();
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        ok = main && GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
        out(ok ? name_of(kKinds[0], main, info.hwndFocus) : L"no main window");
    } else if (cmd == L"main-windows") {
        EnumWindows(
            [](HWND h, LPARAM) -> BOOL {
                wchar_t cls[64] = {};
                GetClassNameW(h, cls, 64);
                if (std::wstring(cls) == kv::ui::kMainWindowClass)
                    out(L"visible=" + std::to_wstring(IsWindowVisible(h) ? 1 : 0) + L" path=" +
                        text_of(find_descendant(h, kv::ui::kClientPathEdit)));
                return TRUE;
            },
            0);
    } else if (cmd == L"processes" && a.size() >= 2) {
        int count = 0;
        HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry))
            if (lstrcmpiW(entry.szExeFile, a[1].c_str()) == 0) ++count;
        if (snap != INVALID_HANDLE_VALUE) CloseHandle(snap);
        out(std::to_wstring(count));
    } else if (cmd == L"hold" && a.size() >= 3) {
        HANDLE f =
            CreateFileW(a[1].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ok = f != INVALID_HANDLE_VALUE;
        out(ok ? L"held" : L"failed " + std::to_wstring(GetLastError()));
        if (ok) {
            wait_for_file(a[2], static_cast<DWORD>(wait_ms(a, 3, 120000)));
            CloseHandle(f);
            out(L"released");
        }
    } else {
        return false;
    }
    return true;
}

// Runs one command; false on failure (the driver then exits 1).
bool run(const std::vector<std::wstring>& a) {
    const std::wstring& cmd = a[0];
    if (bool ok = true; run_launcher_command(a, ok)) return ok;
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
    if (cmd == L"wait-window" || cmd == L"wait-window-gone") {
        const Kind* kind = a.size() >= 2 ? find_kind(a[1]) : nullptr;
        if (!kind) return false;
        const bool gone = cmd == L"wait-window-gone";
        const DWORD deadline = GetTickCount() + static_cast<DWORD>(wait_ms(a, 2, 15000));
        do {
            HWND w = top_window(*kind);
            if (gone ? w == nullptr : (w && IsWindowVisible(w))) {
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
    if (cmd == L"msgbox-ok" || cmd == L"msgbox-cancel") {
        HWND box = find_message_box();
        if (!box) return false;
        const int button = cmd == L"msgbox-ok" ? IDOK : IDCANCEL;
        // Posted, so that the driver never waits on the work the answer starts.
        if (HWND b = GetDlgItem(box, button)) PostMessageW(b, BM_CLICK, 0, 0);
        else PostMessageW(box, WM_COMMAND, button, 0);
        out(L"ok");
        return true;
    }
    if (cmd == L"read-link") return a.size() >= 2 && read_link(a[1]);
    if (cmd == L"volatile-key") return a.size() >= 2 && make_volatile_key(a[1]);
    if (cmd == L"window-state" || cmd == L"sys-command") {
        const Kind* kind = a.size() >= 2 ? find_kind(a[1]) : nullptr;
        HWND w = kind ? top_window(*kind) : nullptr;
        if (!w) {
            out(L"no window");
            return false;
        }
        if (cmd == L"sys-command") {
            const std::wstring what = a.size() >= 3 ? a[2] : L"";
            const WPARAM sc = what == L"minimize" ? SC_MINIMIZE : what == L"maximize" ? SC_MAXIMIZE : SC_RESTORE;
            PostMessageW(w, WM_SYSCOMMAND, sc, 0);
            out(L"ok");
            return true;
        }
        out(L"count=" + std::to_wstring(count_windows(*kind)) + L" enabled=" +
            std::to_wstring(IsWindowEnabled(w) ? 1 : 0) + L" zoomed=" + std::to_wstring(IsZoomed(w) ? 1 : 0) +
            L" iconic=" + std::to_wstring(IsIconic(w) ? 1 : 0) + L" foreground=" +
            std::to_wstring(GetForegroundWindow() == w ? 1 : 0));
        return true;
    }
    if (cmd == L"input-state" && a.size() >= 2) {
        const Kind* kind = find_kind(a[1]);
        HWND w = kind ? top_window(*kind) : nullptr;
        if (!w) {
            out(L"no window");
            return false;
        }
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info);
        auto name = [](HWND h) -> std::wstring {
            if (!h) return L"none";
            wchar_t cls[64] = {};
            GetClassNameW(h, cls, 64);
            return cls;
        };
        out(L"active=" + name(info.hwndActive) + L" focus=" + name(info.hwndFocus));
        return true;
    }
    if (cmd == L"close-titled" && a.size() >= 2) {
        HWND w = FindWindowW(nullptr, a[1].c_str());
        if (!w) {
            out(L"no window");
            return false;
        }
        PostMessageW(w, WM_CLOSE, 0, 0);
        const DWORD deadline = GetTickCount() + static_cast<DWORD>(wait_ms(a, 2, 10000));
        while (IsWindow(w) && GetTickCount() < deadline) Sleep(50);
        out(IsWindow(w) ? L"timeout" : L"ok");
        return !IsWindow(w);
    }
    if (cmd == L"window" || cmd == L"close-window") {
        const Kind* kind = a.size() >= 2 ? find_kind(a[1]) : &kKinds[0];
        HWND w = kind ? top_window(*kind) : nullptr;
        if (!w) {
            out(L"no window");
            return false;
        }
        if (cmd == L"close-window") {
            PostMessageW(w, WM_CLOSE, 0, 0);
            out(L"ok");
            return true;
        }
        RECT r;
        GetWindowRect(w, &r);
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        const int type = GetWindowRgn(w, rgn);
        DeleteObject(rgn);
        const wchar_t* names[] = {L"error", L"null", L"simple", L"complex"};
        out(L"visible=" + std::to_wstring(IsWindowVisible(w) ? 1 : 0) + L" enabled=" +
            std::to_wstring(IsWindowEnabled(w) ? 1 : 0) + L" iconic=" +
            std::to_wstring(IsIconic(w) ? 1 : 0) + L" x=" + std::to_wstring(r.left) + L" y=" +
            std::to_wstring(r.top) + L" w=" + std::to_wstring(r.right - r.left) + L" h=" +
            std::to_wstring(r.bottom - r.top) + L" region=" + (type >= 0 && type <= 3 ? names[type] : L"error") +
            L" title=" + text_of(w));
        return true;
    }
    HWND main = main_window();
    if (!main && (cmd == L"tray" || cmd == L"tray-event" || cmd == L"close")) {
        out(L"no main window");
        return false;
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
    HWND top = nullptr;
    HWND c = find_control(a[1], top);
    if (!c) {
        out(L"no control " + a[1]);
        return false;
    }
    if (cmd == L"get") {
        out(text_of(c));
    } else if (cmd == L"parts") {
        out(status_parts(c));
    } else if (cmd == L"pos") {
        out(std::to_wstring(SendMessageW(c, PBM_GETPOS, 0, 0)));
    } else if (cmd == L"state") {
        RECT r;
        GetWindowRect(c, &r);
        POINT p{r.left, r.top};
        ScreenToClient(top, &p);
        const LRESULT check = SendMessageW(c, BM_GETCHECK, 0, 0);
        out(L"visible=" + std::to_wstring(IsWindowVisible(c) ? 1 : 0) + L" enabled=" +
            std::to_wstring(IsWindowEnabled(c) ? 1 : 0) + L" checked=" + std::to_wstring(check == BST_CHECKED) +
            L" x=" + std::to_wstring(p.x) + L" y=" + std::to_wstring(p.y) + L" w=" +
            std::to_wstring(r.right - r.left) + L" h=" + std::to_wstring(r.bottom - r.top));
    } else if (cmd == L"click") {
        SendMessageW(c, BM_CLICK, 0, 0);
        out(L"ok");
    } else if (cmd == L"press") {
        PostMessageW(c, BM_CLICK, 0, 0);
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
