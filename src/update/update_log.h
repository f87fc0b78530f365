// The update log a player can send for help: Korvalen.log beside the settings file, one UTF-8 line per event
// of the update road, such as
//   2016-03-24 14:05:09 download host=127.0.0.1:8080 local=UN-1 remote=UN-2 size=35651584 speed=812.4KB/s
//     outcome=failed error=network detail="connect: refused"
// (one line in the file). The file keeps the newest lines only and never passes 256 KiB. Writing it never
// stops, fails or throws into the update: a log that cannot be written is left as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/downloader.h"

namespace kv {

inline constexpr char kUpdateLogName[] = "Korvalen.log";
inline constexpr std::size_t kUpdateLogLimit = 256 * 1024;  // the file never grows past this
// A line that would pass the limit first drops the oldest lines down to this, so that trimming, which
// rewrites the file, comes once per 64 KiB of log instead of once per line.
inline constexpr std::size_t kUpdateLogKeep = 192 * 1024;
// Each value is cut to this many bytes, so that one line stays short whatever a server sends.
inline constexpr std::size_t kMaxLogValue = 200;

struct LogTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// One event of the update road. Empty texts and unset values are left out of the line.
struct UpdateEvent {
    std::string event;                 // what happened: "check", "download", "signature", "swap", ...
    std::string host;                  // GBK, as the launcher holds it
    std::string local_version;         // GBK
    std::string remote_version;        // GBK
    std::optional<std::int64_t> size;  // bytes
    std::optional<std::int64_t> bytes_per_second;  // written in KB/s
    std::string outcome;                           // such as "complete", "failed", "same version"
    std::optional<DownloadError> error;
    std::string swap;       // such as "replaced", "old client kept"
    std::string signature;  // signature_check_text()
    std::string detail;     // UTF-8: a failure's own text
};

// "YYYY-MM-DD hh:mm:ss event key=value ...", without a line end. Values that hold blanks, quotes or
// backslashes are quoted; control characters and bytes that are not UTF-8 are written as \xNN.
std::string format_update_event(const LogTime& time, const UpdateEvent& e);

// Appends `line` and a CR LF to `file`, first dropping the oldest lines down to `keep` bytes when the file
// would pass `limit`. False, and the file left as it was, when it cannot be written.
bool append_log_line(const std::filesystem::path& file, std::string_view line,
                     std::size_t limit = kUpdateLogLimit, std::size_t keep = kUpdateLogKeep);

// Korvalen.log in the launcher directory, beside BF_config.ini.
std::filesystem::path update_log_path();

// Writes the event with the local time to update_log_path(), one writer at a time. False when not written;
// the reason goes to the failure trace.
bool log_update_event(const UpdateEvent& e) noexcept;

// Platform side.
LogTime local_log_time();
// GBK (code page 936) to UTF-8. Bytes that are not GBK are replaced (by U+FFFD natively, by the system's
// choice on Windows); the result is always well-formed UTF-8.
std::string gbk_to_utf8(std::string_view gbk);

}  // namespace kv
