// The background HTTP download engine. A Downloader runs at most one task at a time: the task has a thread
// of its own and one thread per connection. The file is cut into pieces fetched in parallel with byte-range
// requests; a connection that finishes takes over half of the largest piece still in progress.
//
// Notifications go to NotifyRoutine on the task thread, one call at a time, in order, TaskEnded once and last.
// FileExists alone is called from the connection thread that is about to write; it is answered there and
// then, and no other notification runs at the same time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kv {

enum class DownloadEvent : std::int32_t {
    TotalSizeKnown = 3,     // value: total size
    TaskEnded = 4,          // value: total size (0 if never known), bytes received when stopped; extra: outcome
    ConnectionStarted = 5,  // value: 0
    SegmentStarted = 6,     // value: position, extra: end (one past the last byte) of the connection's first part
    SegmentTakenOver = 7,   // value: position, extra: end of a further part
    ConnectionEnded = 8,    // value: position reached
    ConnectionFailed = 9,   // value: position reached
    BytesReceived = 16,     // value: bytes in the block
    FileExists = 18,        // value: size of the existing file, extra: total size
};

// The `extra` of TaskEnded: how the task ended. Only Complete means the whole file, with the announced length,
// is on disk; after Failed or Stopped the file the task created (or overwrote) has been removed, and a file it
// was told to keep is left as it was.
enum class DownloadOutcome : std::int32_t { Failed = 0, Complete = 1, Stopped = 2 };

// Why a task did not complete, beside the text in `error`, so that the launcher can tell the player what went
// wrong. None for a complete task. When connections give up one by one, the last failed attempt's reason is
// the task's.
enum class DownloadError : std::int32_t {
    None,
    NotFound,      // the server answered 404 or 410
    ServerError,   // any other status the download cannot use, a malformed answer, too many redirects, a
                   // redirect to an address that is not http, the file changing size during the download
    NoLength,      // the answer announced no length
    RangeRefused,  // the server's ranges could not be used and the fallback failed too
    Disk,          // no file to save to, or it could not be created, sized or written
    Network,       // the host or proxy could not be reached or was not host:port, the connections failed
                   // without progress; also the engine itself failing (out of memory or threads)
    Stopped,       // release() ended the task
};

// A short English name, for logs.
inline const char* download_error_name(DownloadError e) {
    switch (e) {
        case DownloadError::None: return "none";
        case DownloadError::NotFound: return "not found";
        case DownloadError::ServerError: return "server error";
        case DownloadError::NoLength: return "no length";
        case DownloadError::RangeRefused: return "range refused";
        case DownloadError::Disk: return "disk";
        case DownloadError::Network: return "network";
        case DownloadError::Stopped: return "stopped";
    }
    return "unknown";
}

// Answers to FileExists.
inline constexpr std::int32_t kFileExistsSaveElsewhere = 0;  // keep the old file, save under a new name
inline constexpr std::int32_t kFileExistsOverwrite = 1;      // any answer but 0 overwrites

// The connection a notification is about; valid during the call.
struct DownloadConnection {
    std::int32_t index = 0;  // 0 .. Connections-1
};

// The task a notification is about; valid during the call. Sizes are 64-bit here even though the
// notification values are 32-bit (they saturate at INT32_MAX).
struct DownloadTaskInfo {
    std::string url;        // the address as given (line breaks dropped)
    std::string save_path;  // where the data goes: SavePath, or the other name chosen after FileExists
    std::int64_t total = -1;  // -1 while unknown
    std::int64_t received = 0;
    DownloadOutcome outcome = DownloadOutcome::Failed;  // final in TaskEnded
    DownloadError reason = DownloadError::None;         // final in TaskEnded
    std::string error;                                  // final in TaskEnded: why it did not complete
};

using DownloadNotifyRoutine = std::function<std::int32_t(DownloadEvent kind, const DownloadConnection* connection,
                                                         std::int32_t value, std::int32_t extra,
                                                         const DownloadTaskInfo* task)>;
// Receives short status texts (connecting, redirects, failures) on the task thread.
using DownloadStatusRoutine = std::function<void(const std::string& text)>;

// The task record. Texts are UTF-8; an absent Proxy or Referer is an empty text.
struct DownloadTaskParams {
    std::int32_t TaskKind = 1;  // 4096 = download; the engine handles downloads over HTTP
    std::string Url;
    std::string SavePath;
    std::string FtpUser = "anonymous";
    std::string FtpPassword = "guest@example.com";
    std::int32_t Connections = 1;
    std::int32_t SpeedLimit = 0;  // bytes per second for the whole task, 0 = none
    std::int32_t ConnectTimeoutMs = 20000;
    std::int32_t SendTimeoutMs = 20000;
    std::int32_t ReceiveTimeoutMs = 20000;
    std::int32_t StopWaitMs = 1000;
    // Bytes asked for per receive; each receive is one BytesReceived. On Linux several receives that have
    // arrived already are taken in one system call.
    std::int32_t ReceiveBlockSize = 20480;
    std::int32_t SendBlockSize = 1024;
    DownloadStatusRoutine StatusRoutine;
    DownloadNotifyRoutine NotifyRoutine;
    std::string FtpRemoteName;
    std::int32_t FtpTransferMode = 1;
    std::string BinaryExtensions = ".exe|.rar|.zip|.gif|.jpg|.mp3|.rm";
    std::string Proxy;    // "host:port"; empty = direct
    std::string Referer;  // empty = the address up to its last '/'; credentials in either are never sent
};

// How the last task ended, kept after TaskEnded until the next task starts.
struct DownloadResult {
    DownloadOutcome outcome = DownloadOutcome::Failed;
    std::int64_t total = -1;
    std::int64_t received = 0;
    std::string save_path;
    DownloadError reason = DownloadError::None;
    std::string error;
    bool complete() const { return outcome == DownloadOutcome::Complete; }
};

class Downloader {
public:
    Downloader();
    ~Downloader();  // releases
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    // Copies the record (line breaks dropped from its texts) and starts the task. False, and no task, when a
    // task is active or the address is not an http:// address.
    bool add_task(const DownloadTaskParams& params);
    // Bytes received by the active task since the previous call (the count restarts); 0 without a task. Bytes
    // count as they arrive, before they are written.
    std::int32_t take_speed();
    // Bytes received by the active task so far, counted as they arrive; 0 without a task.
    std::int32_t done_length();
    // Stops an active task: its connections get StopWaitMs to end, then what they posted is delivered and
    // TaskEnded last. Returns once the task is over: within about StopWaitMs plus the time the routine takes for
    // those calls, provided the routine never blocks waiting for the thread that called release() (post to
    // that thread, never send to it and wait). A connection still stuck after StopWaitMs (in a name lookup,
    // say) is left to end on its own and counts as stopped. Called from a notification, it only asks the task
    // to stop and returns at once.
    void release();

    // True from add_task until TaskEnded has returned.
    bool busy() const;
    // Waits up to `timeout_ms` for the active task to end; true when no task is active any more.
    bool wait(int timeout_ms);
    // How the most recent task ended; empty before the first task ends.
    std::optional<DownloadResult> last_result() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace kv
