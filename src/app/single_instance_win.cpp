#include "app/single_instance_win.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/long_path_win.h"
#include "platform/owned_handle_win.h"
#include "platform/paths.h"
#include "platform/trace.h"
#include "ui/main_window_ids.h"

namespace kv {
namespace {

constexpr ULONG_PTR kComeForward = 0x4B564346;  // "KVCF"
constexpr DWORD kAnswerWaitMs = 5000;
constexpr DWORD kClaimWaitMs = 15000;

// This process's folder and, once claimed, the mutex that marks it. UI thread only.
struct Claim {
    std::wstring key;
    OwnedHandle mutex;
};
Claim& claim() {
    static Claim c;
    return c;
}

std::wstring hex(unsigned long long v) {
    wchar_t buf[24];
    std::swprintf(buf, std::size(buf), L"%llx", v);
    return buf;
}

// A folder that cannot be opened is known by its path, in one letter case.
std::wstring path_hash(std::wstring folder) {
    CharUpperBuffW(folder.data(), static_cast<DWORD>(folder.size()));
    unsigned long long h = 1469598103934665603ull;  // FNV-1a
    for (wchar_t c : folder) {
        h ^= static_cast<unsigned long long>(c);
        h *= 1099511628211ull;
    }
    return L"p" + hex(h);
}

std::wstring own_folder() {
    std::vector<wchar_t> buf(32768);
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    return directory_of(std::wstring(buf.data(), n));
}

// Asks every other launcher's main window whether it runs in the folder `key` names; the one that does comes
// forward and answers TRUE.
bool call_running_launcher(const std::wstring& key) {
    struct Search {
        const std::wstring* key;
        bool answered;
    } search{&key, false};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            wchar_t cls[64] = {};
            GetClassNameW(h, cls, static_cast<int>(std::size(cls)));
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (std::wcscmp(cls, ui::kMainWindowClass) != 0 || pid == GetCurrentProcessId()) return TRUE;
            // The player started us: hand the right to come to the front on to the launcher that answers.
            AllowSetForegroundWindow(pid);
            COPYDATASTRUCT data{kComeForward, static_cast<DWORD>(s->key->size() * sizeof(wchar_t)),
                                const_cast<wchar_t*>(s->key->data())};
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutW(h, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                    kAnswerWaitMs, &answer) &&
                answer == TRUE) {
                s->answered = true;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.answered;
}

}  // namespace

std::wstring folder_key(const std::wstring& folder) {
    // The folder's identity on its volume: the same through short names, other letter case or another path.
    const std::wstring root = (folder.size() == 2 && folder[1] == L':') ? folder + L"\\" : folder;
    OwnedHandle dir(CreateFileW(extended_path(root).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (dir && GetFileInformationByHandle(dir.get(), &info) && (info.nFileIndexHigh | info.nFileIndexLow)) {
        const unsigned long long index =
            (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        return L"Korvalen-" + hex(info.dwVolumeSerialNumber) + L"-" + hex(index);
    }
    return L"Korvalen-" + path_hash(folder);
}

bool claim_launcher_folder() {
    Claim& c = claim();
    c.key = folder_key(own_folder());
    OwnedHandle mutex(CreateMutexW(nullptr, FALSE, (L"Local\\" + c.key).c_str()));
    if (!mutex) {
        trace_failure("launcher folder", "no mutex, error " + std::to_string(GetLastError()));
        return true;
    }
    const DWORD start = GetTickCount();
    for (;;) {
        switch (WaitForSingleObject(mutex.get(), 0)) {
            case WAIT_OBJECT_0:
            case WAIT_ABANDONED:  // the launcher before us ended without letting go
                c.mutex = std::move(mutex);
                return true;
            case WAIT_TIMEOUT:
                break;
            default:
                trace_failure("launcher folder", "wait failed, error " + std::to_string(GetLastError()));
                return true;
        }
        if (call_running_launcher(c.key)) return false;
        // The other launcher may still be making its window. One that never answers still owns the folder.
        if (GetTickCount() - start >= kClaimWaitMs) return false;
        Sleep(100);
    }
}

bool is_call_for_this_folder(const COPYDATASTRUCT& data) {
    const std::wstring& key = claim().key;
    return !key.empty() && data.dwData == kComeForward && data.lpData &&
           data.cbData == key.size() * sizeof(wchar_t) &&
           std::memcmp(data.lpData, key.data(), data.cbData) == 0;
}

}  // namespace kv
