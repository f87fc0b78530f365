// Stand-in game client for tests. Appends one record per start to the file named by KV_BF2_LOG (default
// "bf2_stub.log" in its own folder): the full command line, the working directory and its identity, UTF-8,
// one per line. The identity is the text after "KVID:" in the last bytes of its own file (tests append such a
// tail to a copy to tell clients apart), or "stub" without one. With KV_BF2_STAY=1 in its environment it
// stays alive until ended. With KV_BF2_HOLD=1 it also keeps its own file open without sharing write or delete
// access, as a running game holds its executable, so that nothing can replace the file while it runs.
#include <windows.h>

#include <string>

namespace {

std::string to_utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n =
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring env(const wchar_t* name) {
    wchar_t buf[32768];
    DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return (n > 0 && n < 32768) ? std::wstring(buf, n) : std::wstring();
}

std::wstring own_path() {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return std::wstring(exe, n);
}

std::wstring log_path() {
    std::wstring p = env(L"KV_BF2_LOG");
    if (!p.empty()) return p;
    std::wstring dir = own_path();
    return dir.substr(0, dir.find_last_of(L'\\')) + L"\\bf2_stub.log";
}

std::string identity() {
    HANDLE f =
        CreateFileW(own_path().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "unknown";
    char tail[128] = {};
    DWORD got = 0;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(f, &size) && size.QuadPart > static_cast<LONGLONG>(sizeof tail)) {
        LARGE_INTEGER at{};
        at.QuadPart = size.QuadPart - static_cast<LONGLONG>(sizeof tail);
        SetFilePointerEx(f, at, nullptr, FILE_BEGIN);
        ReadFile(f, tail, sizeof tail, &got, nullptr);
    }
    CloseHandle(f);
    const std::string text(tail, got);
    const auto mark = text.rfind("KVID:");
    if (mark == std::string::npos) return "stub";
    const std::string id = text.substr(mark + 5);
    return id.substr(0, id.find_first_of("\r\n"));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    HANDLE held = INVALID_HANDLE_VALUE;
    if (env(L"KV_BF2_HOLD") == L"1")
        held = CreateFileW(own_path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    wchar_t cwd[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, cwd);
    std::string record = "cmdline=" + to_utf8(GetCommandLineW()) + "\n" +
                         "cwd=" + to_utf8(std::wstring(cwd, n)) + "\n" + "id=" + identity() + "\n";
    HANDLE f = CreateFileW(log_path().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(f, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
        CloseHandle(f);
    }
    if (env(L"KV_BF2_STAY") == L"1" || held != INVALID_HANDLE_VALUE) Sleep(INFINITE);
    return 0;
}
