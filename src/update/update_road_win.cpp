#include "update/update_road_win.h"

#include <memory>
#include <mutex>
#include <optional>

#include "app/launcher_state_win.h"
#include "config/config.h"
#include "platform/paths.h"
#include "platform/text_win.h"
#include "platform/trace.h"
#include "ui/main_window_ids.h"
#include "update/client_install.h"
#include "update/update_rules.h"
#include "update/update_window_win.h"

namespace kv {
namespace {

constexpr UINT kMsgTotalKnown = WM_APP + 1;
constexpr UINT kMsgTaskEnded = WM_APP + 2;
constexpr wchar_t kRoadClass[] = L"KvUpdateRoad";

// What the engine reported at the end of a task.
struct EndedTask {
    DownloadOutcome outcome = DownloadOutcome::Failed;
    DownloadError reason = DownloadError::None;
    std::int64_t total = -1;
    std::string save_path;  // UTF-8, as the engine keeps it
    std::string error;
};

// Shared by the engine's threads (writers) and the user-interface thread (reader). Its lock is taken alone
// and never held while waiting for anything; posting a message does not wait.
struct Mailbox {
    std::mutex lock;
    HWND sink = nullptr;  // the road's window; null before it exists and once the road is closed
    std::int64_t total = -1;
    std::optional<EndedTask> ended;
};

Mailbox& mailbox() {
    static Mailbox m;
    return m;
}

template <typename Fill>
void post(UINT message, Fill fill) {
    Mailbox& m = mailbox();
    std::lock_guard g(m.lock);
    if (!m.sink) return;  // the road is closed: the program is ending
    fill(m);
    PostMessageW(m.sink, message, 0, 0);
}

// What the road noted when it handed its task to the engine. User-interface thread only.
struct PendingDownload {
    std::string version;  // GBK, as fetched
};

std::optional<PendingDownload>& pending() {
    static std::optional<PendingDownload> p;
    return p;
}

std::filesystem::path client_file() {
    return launcher_file("\\BF2.exe");
}
std::filesystem::path download_file() {
    return launcher_file("\\BF2_update.bak");
}
std::filesystem::path staged_file() {
    return launcher_file("\\BF2_update.tmp");
}

bool record_client_version(const std::string& version) {
    write_setting("bf2_exe", "version", version);
    return read_setting("bf2_exe", "version") == version;  // a failed write leaves the file as it was
}

void tell(const std::wstring& text, const wchar_t* title, UINT icon) {
    MessageBoxW(nullptr, text.c_str(), title, MB_OK | icon | MB_TASKMODAL);
}

// The end of the task, on the user-interface thread: the window steps, then the swap road, then the player is
// told, the main window shown and the update window closed.
void finish_client_download(const EndedTask& t, const PendingDownload& p) {
    if (auto* w = ui::UpdateWindow::current()) {
        w->stop_tick();
        for (int part = 0; part < 4; ++part) w->set_status(part, L"");
        w->set_progress(0);
    }
    FinishedDownload d;
    d.outcome = t.outcome;
    d.reason = t.reason;
    d.total = t.total;
    d.file = std::filesystem::path(utf8_to_wide(t.save_path));
    d.version = p.version;
    // No check of the file's origin yet: a verification step goes in as the third argument.
    const InstallResult r = install_client(d, {client_file(), staged_file()}, nullptr, record_client_version);
    if (r.stage == InstallStage::Done) {
        tell(L"战地2登录器联机版BF2.exe更新完毕！~", L"Talvern提示", MB_ICONINFORMATION);
    } else {
        trace_failure("client update", "stage " + std::to_string(static_cast<int>(r.stage)) + ", download " +
                                           download_error_name(t.reason) + " (" + t.error + "), file error " +
                                           std::to_string(r.file.code) + " " + r.detail);
        tell(install_failure_text(r), L"温馨提示", MB_ICONWARNING);
    }
    show_main_window();
    if (auto* w = ui::UpdateWindow::current()) w->close();
}

void on_total_known() {
    std::int64_t total;
    {
        Mailbox& m = mailbox();
        std::lock_guard g(m.lock);
        total = m.total;
    }
    if (auto* w = ui::UpdateWindow::current()) w->set_status(0, gbk_to_wide(size_text(total)) + L"KB");
}

void on_task_ended() {
    std::optional<EndedTask> ended;
    {
        Mailbox& m = mailbox();
        std::lock_guard g(m.lock);
        ended = std::exchange(m.ended, std::nullopt);
    }
    std::optional<PendingDownload> started = std::exchange(pending(), std::nullopt);
    if (ended && started) finish_client_download(*ended, *started);
}

class RoadWindow : public ui::Window {
  public:
    bool create() {
        register_class(kRoadClass, nullptr);
        return Window::create(0, kRoadClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr) != nullptr;
    }

  protected:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
            case kMsgTotalKnown:
                on_total_known();
                return 0;
            case kMsgTaskEnded:
                on_task_ended();
                return 0;
        }
        return default_handle(msg, wp, lp);
    }
};

std::unique_ptr<RoadWindow>& road() {
    static std::unique_ptr<RoadWindow> w;
    return w;
}
bool road_closed = false;  // user-interface thread only

}  // namespace

HWND update_road_window() {
    if (road_closed) return nullptr;
    if (!road()) {
        auto w = std::make_unique<RoadWindow>();
        if (!w->create()) return nullptr;
        road() = std::move(w);
        Mailbox& m = mailbox();
        std::lock_guard g(m.lock);
        m.sink = road()->hwnd();
    }
    return road()->hwnd();
}

void close_update_windows() {
    if (auto* w = ui::UpdateWindow::current()) w->close();
}

void close_update_road() {
    {
        Mailbox& m = mailbox();
        std::lock_guard g(m.lock);
        m.sink = nullptr;
        m.ended.reset();
    }
    road_closed = true;
    pending().reset();
    road().reset();  // an update window still open goes with its owner
}

std::int32_t on_download_notify(DownloadEvent kind, const DownloadConnection*, std::int32_t value,
                                std::int32_t, const DownloadTaskInfo* task) {
    switch (kind) {
        case DownloadEvent::TotalSizeKnown: {
            const std::int64_t total = task && task->total >= 0 ? task->total : value;
            launcher_state().DownloadTotalBytes = static_cast<double>(total);
            post(kMsgTotalKnown, [&](Mailbox& m) { m.total = total; });
            return 0;
        }
        case DownloadEvent::TaskEnded: {
            EndedTask t;
            if (task) {
                t.outcome = task->outcome;
                t.reason = task->reason;
                t.total = task->total;
                t.save_path = task->save_path;
                t.error = task->error;
            }
            post(kMsgTaskEnded, [&](Mailbox& m) { m.ended = std::move(t); });
            return 0;
        }
        case DownloadEvent::FileExists:
            // The target is the launcher's own download file: an old one is replaced, never kept beside it.
            return kFileExistsOverwrite;
        default:
            return 0;
    }
}

void start_client_download(ui::UpdateWindow& w, const std::string& remote_version) {
    LauncherState& s = launcher_state();
    if (!s.DownloadTaskParams || !s.Downloader || !update_road_window()) return;
    DownloadTaskParams& p = *s.DownloadTaskParams;
    p.TaskKind = 4096;
    p.Connections = 5;
    p.StopWaitMs = 1000;
    p.ConnectTimeoutMs = 5000;
    p.SendTimeoutMs = 5001;
    p.ReceiveTimeoutMs = 10000;
    p.ReceiveBlockSize = 10240;
    p.NotifyRoutine = on_download_notify;
    w.start_tick();
    p.Url = wide_to_utf8(gbk_to_wide("http://" + s.UpdateHost + "/ostrel/BF2.exe"));
    p.SavePath = wide_to_utf8(download_file().native());
    if (s.Downloader->add_task(p)) pending() = PendingDownload{remote_version};
}

void on_progress_tick(ui::UpdateWindow& w) {
    LauncherState& s = launcher_state();
    if (!s.Downloader) return;
    w.set_status(1, gbk_to_wide(size_text(s.Downloader->take_speed())) + L"kb/秒");
    w.set_progress(progress_percent(s.Downloader->done_length(), s.DownloadTotalBytes.load()));
    w.set_status(2, gbk_to_wide(size_text(s.Downloader->done_length())) + L"KB");
    w.set_status(3, std::to_wstring(w.progress()) + L"%");
}

void show_main_window() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM lp) -> BOOL {
            wchar_t cls[64] = {};
            GetClassNameW(h, cls, 64);
            if (std::wstring_view(cls) != ui::kMainWindowClass) return TRUE;
            *reinterpret_cast<HWND*>(lp) = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found) ShowWindow(found, SW_SHOW);
}

bool client_download_pending() {
    const LauncherState& s = launcher_state();
    return pending() || (s.Downloader && s.Downloader->busy());
}

}  // namespace kv
