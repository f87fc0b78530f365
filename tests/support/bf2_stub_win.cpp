// Stand-in game client for tests. Appends one record per start to the file named by KV_BF2_LOG (default
// "bf2_stub.log" in its own folder): the full command line and the working directory, UTF-8, one per line.
// With KV_BF2_STAY=1 in its environment it stays alive until ended.
#include <windows.h>

#include <string>

namespace {

std::string to_utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring env(const wchar_t* name) {
    wchar_t buf[32768];
    DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return (n > 0 && n < 32768) ? std::wstring(buf, n) : std::wstring();
}

std::wstring log_path() {
    std::wstring p = env(L"KV_BF2_LOG");
    if (!p.empty()) return p;
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe, n);
    return dir.substr(0, dir.find_last_of(L'\\')) + L"\\bf2_stub.log";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t cwd[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, cwd);
    std::string record = "cmdline=" + to_utf8(GetCommandLineW()) + "\n" + "cwd=" + to_utf8(std::wstring(cwd, n)) + "\n";
    HANDLE f = CreateFileW(log_path().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(f, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
        CloseHandle(f);
    }
    if (env(L"KV_BF2_STAY") == L"1") Sleep(INFINITE);
    return 0;
}
