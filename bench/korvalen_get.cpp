// korvalen-get [--connections N] URL OUTPUT
// Downloads URL to OUTPUT with the engine and the parameters of the launcher's client download. Exits 0 only
// when the whole file is on disk with the announced length, 1 when the download failed, 2 for a usage error or
// an address the engine refuses; the last line printed is a one-line summary with the reason of a failure.
#include "bench/korvalen_get.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/downloader.h"
#include "platform/downloader_file.h"

namespace {

constexpr char kUsage[] = "usage: korvalen-get [--connections N] URL OUTPUT\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int korvalen_get(const std::vector<std::string>& args) {
    int connections = 5;
    std::string url;
    std::string output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--connections" && i + 1 < args.size()) {
            char* end = nullptr;
            const long n = std::strtol(args[++i].c_str(), &end, 10);
            if (!end || *end != '\0' || n < 1 || n > 32) return usage();
            connections = static_cast<int>(n);
        } else if (url.empty()) {
            url = arg;
        } else if (output.empty()) {
            output = arg;
        } else {
            return usage();
        }
    }
    if (url.empty() || output.empty()) return usage();

    int take_overs = 0;
    int failures = 0;
    kv::DownloadTaskParams p;
    p.TaskKind = 4096;
    p.Url = url;
    p.SavePath = output;
    p.Connections = connections;
    p.ConnectTimeoutMs = 5000;
    p.SendTimeoutMs = 5001;
    p.ReceiveTimeoutMs = 10000;
    p.StopWaitMs = 1000;
    p.ReceiveBlockSize = 10240;
    p.StatusRoutine = [](const std::string& text) { std::fprintf(stderr, "korvalen-get: %s\n", text.c_str()); };
    p.NotifyRoutine = [&](kv::DownloadEvent kind, const kv::DownloadConnection*, std::int32_t, std::int32_t,
                          const kv::DownloadTaskInfo*) -> std::int32_t {
        if (kind == kv::DownloadEvent::SegmentTakenOver) ++take_overs;
        if (kind == kv::DownloadEvent::ConnectionFailed) ++failures;
        // Like curl -o, an existing output file is replaced.
        return kind == kv::DownloadEvent::FileExists ? kv::kFileExistsOverwrite : 0;
    };

    const auto t0 = std::chrono::steady_clock::now();
    kv::Downloader engine;
    if (!engine.add_task(p)) {
        std::printf("korvalen-get: refused %s (only http:// addresses)\n", url.c_str());
        return 2;
    }
    while (!engine.wait(1000)) {
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const auto result = engine.last_result();
    const bool on_disk = result && result->complete() &&
                         kv::download::OutputFile::existing_size(result->save_path) == result->total;
    if (!on_disk) {
        std::printf("korvalen-get: FAILED (%s) after %lld bytes in %.2f s: %s\n",
                    result ? kv::download_error_name(result->reason) : "no result",
                    static_cast<long long>(result ? result->received : 0), seconds,
                    result && !result->error.empty() ? result->error.c_str() : "incomplete");
        return 1;
    }
    std::printf("korvalen-get: %lld bytes in %.3f s (%.1f MB/s), %d connections, %d take-overs, %d failed -> %s\n",
                static_cast<long long>(result->total), seconds,
                seconds > 0 ? static_cast<double>(result->total) / seconds / 1e6 : 0.0, connections, take_overs,
                failures, result->save_path.c_str());
    return 0;
}
