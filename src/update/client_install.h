// The last leg of a client update, after the download engine has ended its task. It is one small step each:
//
//   download complete?  ->  staged copy beside the client  ->  verification  ->  atomic swap  ->  record
//   version
//
// Only a download the engine reports complete, whose file holds the announced length, goes on. The copy that
// is verified is the very file that the swap renames into place, so nothing can change between the two. The
// new version is recorded only once the new client is in place. Whatever fails, the old client stays whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/downloader.h"
#include "update/client_swap.h"

namespace kv {

// What the engine reported for the download task, and what the road took note of when it started it.
struct FinishedDownload {
    DownloadOutcome outcome = DownloadOutcome::Failed;
    DownloadError reason = DownloadError::None;
    std::int64_t total = -1;     // the announced length; -1 when never known
    std::filesystem::path file;  // where this task wrote its data
    std::string version;         // the remote version fetched just before the download started (GBK)
};

struct ClientFiles {
    std::filesystem::path client;  // BF2.exe
    std::filesystem::path staged;  // the copy made beside it just before the swap
};

// Checks the staged copy before it becomes the client. Returns the empty text to accept it, or the reason for
// refusing it (kept in the trace; the player is told that the file failed its check). Runs on the
// user-interface thread.
using VerifyClient = std::function<std::string(const std::filesystem::path& staged, const FinishedDownload&)>;
// Stores the new version; false when it could not be stored.
using RecordVersion = std::function<bool(const std::string& version)>;

// Where the road stopped. Done means the new client is in place and its version recorded.
enum class InstallStage {
    Download,  // the task failed or was stopped: `reason`
    Length,    // reported complete, but the file does not hold the announced length
    Stage,     // the copy beside the client could not be made: `file`
    Verify,    // the verification refused the copy: `detail`
    Swap,      // the client could not be replaced: `file`
    Record,    // the new client is in place, but its version could not be stored
    Done,
};

struct InstallResult {
    InstallStage stage = InstallStage::Done;
    DownloadError reason = DownloadError::None;
    FileResult file;
    std::string detail;
    bool client_replaced() const { return stage == InstallStage::Done || stage == InstallStage::Record; }
};

InstallResult install_client(const FinishedDownload& download, const ClientFiles& files,
                             const VerifyClient& verify, const RecordVersion& record);

// What the player is told about a road that did not end in Done (the launcher's own words).
std::wstring install_failure_text(const InstallResult& result);

}  // namespace kv
