// The client download road in the launcher's own process: the engine's notifications reach the windows only
// through posted messages, so the user-interface thread can stop a running task and wait for it; the end of a
// task is acted on there, with the swap and the messages.
#include "update/update_road_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "app/launcher_state_win.h"
#include "config/config.h"
#include "platform/paths.h"
#include "support/lib/http_test_server.h"
#include "support/lib/temp_dir.h"
#include "update/update_window_win.h"

namespace kv {
namespace {

using test::read_bytes;
using test::write_bytes;

// Answers the message boxes this process shows (OK) and keeps their "title|text".
class MessageBoxAnswerer {
  public:
    MessageBoxAnswerer() : thread_([this] { run(); }) {}
    ~MessageBoxAnswerer() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> seen() const {
        std::lock_guard g(lock_);
        return seen_;
    }

  private:
    static std::string utf8(const std::wstring& w) {
        if (w.empty()) return {};
        const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                          nullptr, nullptr);
        std::string s(static_cast<std::size_t>(n), '\0');
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
        return s;
    }
    static std::wstring text_of(HWND h) {
        wchar_t buf[1024] = {};
        GetWindowTextW(h, buf, 1024);
        return buf;
    }
    void run() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!stop_ && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            HWND box = nullptr;
            EnumWindows(
                [](HWND h, LPARAM lp) -> BOOL {
                    wchar_t cls[16] = {};
                    GetClassNameW(h, cls, 16);
                    DWORD pid = 0;
                    GetWindowThreadProcessId(h, &pid);
                    if (std::wstring(cls) != L"#32770" || pid != GetCurrentProcessId() || !IsWindowVisible(h))
                        return TRUE;
                    *reinterpret_cast<HWND*>(lp) = h;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&box));
            if (!box) continue;
            std::wstring text;
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                wchar_t cls[16] = {};
                GetClassNameW(c, cls, 16);
                if (std::wstring(cls) == L"Static" && !text_of(c).empty()) text = text_of(c);
            }
            {
                std::lock_guard g(lock_);
                seen_.push_back(utf8(text_of(box)) + "|" + utf8(text));
            }
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            // Wait for it to go, so that it is not read twice.
            for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::atomic<bool> stop_{false};
    mutable std::mutex lock_;
    std::vector<std::string> seen_;
    std::thread thread_;
};

// Runs the thread's messages until `done` holds or the bound passes; false on the bound.
template <typename Done>
bool pump_until(Done done, int bound_ms = 30000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(bound_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class UpdateRoad : public testing::Test {
  protected:
    UpdateRoad() {
        set_launcher_dir(dir_.path());
        write_bytes(dir_ / "BF2.exe", kOld);
        write_bytes(dir_ / "BF_config.ini", "[bf2_exe]\r\nversion=UN-OLD\r\n");
        LauncherState& s = launcher_state();
        if (!s.DownloadTaskParams) s.DownloadTaskParams = std::make_unique<DownloadTaskParams>();
        if (!s.Downloader) s.Downloader = std::make_unique<Downloader>();
        s.UpdateHost = "127.0.0.1:" + std::to_string(server_.port());
        s.LocalClientVersion = "UN-OLD";
    }
    ~UpdateRoad() override {
        if (launcher_state().Downloader) launcher_state().Downloader->release();
        window_.close();
        set_launcher_dir({});
    }

    void serve_client(test::Resource r) {
        r.body = kNew;
        server_.add("/ostrel/BF2.exe", std::move(r));
    }
    bool open_window() { return window_.create(update_road_window()); }
    bool window_closed() { return ui::UpdateWindow::current() == nullptr; }

    const std::string kOld = "MZ the old client";
    const std::string kNew = test::pattern_body(2 * 1024 * 1024);
    test::TempDir dir_;
    test::HttpTestServer server_;
    ui::UpdateWindow window_;
};

TEST_F(UpdateRoad, StoppingARunningTaskFromTheUserInterfaceThreadNeverWaitsOnItsNotifications) {
    test::Resource stalling;
    stalling.stall_after = 64 * 1024;
    stalling.stall_ms = 60000;
    stalling.stalls = 100;
    serve_client(stalling);
    ASSERT_TRUE(open_window());
    MessageBoxAnswerer answers;
    start_client_download(window_, "UN-NEW");
    ASSERT_TRUE(pump_until([&] { return !window_.status(0).empty(); }))
        << "the total size never reached the window";
    EXPECT_EQ(window_.status(0), L"2048KB");

    // As the exit routine does: stop the task from this thread without running its messages meanwhile. A
    // notification that waited for this thread would never return; the watch tells that apart from slowness.
    std::atomic<bool> returned{false};
    std::thread watch([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!returned && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!returned) {
            std::fprintf(stderr,
                         "release() has not returned after 60 s: the two threads wait on each other\n");
            std::fflush(stderr);
            std::_Exit(3);
        }
    });
    launcher_state().Downloader->release();
    returned = true;
    watch.join();
    EXPECT_FALSE(launcher_state().Downloader->busy());

    // The task's end is acted on once this thread runs its messages again: nothing is swapped.
    ASSERT_TRUE(pump_until([&] { return window_closed(); }));
    const auto boxes = answers.seen();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("温馨提示|BF2.exe更新失败：下载被中止。"), std::string::npos) << boxes[0];
    EXPECT_EQ(read_bytes(dir_ / "BF2.exe"), kOld);
    EXPECT_EQ(read_setting("bf2_exe", "version"), "UN-OLD");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "BF2_update.tmp"));
}

TEST_F(UpdateRoad, AHeldClientIsKeptAndAFreeOneReplaced) {
    serve_client({});
    {
        // Held open the way a running program holds its executable: no sharing of write or delete access.
        HANDLE held = CreateFileW((dir_ / "BF2.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(open_window());
        MessageBoxAnswerer answers;
        start_client_download(window_, "UN-NEW");
        const bool ended = pump_until([&] { return window_closed(); });
        CloseHandle(held);
        ASSERT_TRUE(ended);
        const auto boxes = answers.seen();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find("温馨提示|新的BF2.exe已下载，但无法替换旧文件：BF2.exe正在被使用"),
                  std::string::npos)
            << boxes[0];
        EXPECT_EQ(read_bytes(dir_ / "BF2.exe"), kOld);
        EXPECT_EQ(read_setting("bf2_exe", "version"), "UN-OLD");
        EXPECT_FALSE(std::filesystem::exists(dir_ / "BF2_update.tmp"));
    }
    ASSERT_TRUE(launcher_state().Downloader->wait(10000));
    ASSERT_TRUE(open_window());
    MessageBoxAnswerer answers;
    start_client_download(window_, "UN-NEW");
    ASSERT_TRUE(pump_until([&] { return window_closed(); }));
    const auto boxes = answers.seen();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Talvern提示|战地2登录器联机版BF2.exe更新完毕！~");
    EXPECT_EQ(read_bytes(dir_ / "BF2.exe"), kNew);
    EXPECT_EQ(read_setting("bf2_exe", "version"), "UN-NEW");
    EXPECT_EQ(read_bytes(dir_ / "BF2_update.bak"), kNew) << "the download stays after the swap";
}

}  // namespace
}  // namespace kv
