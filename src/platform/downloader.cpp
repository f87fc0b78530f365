// The task and its connection loop. Requests are built by download_request, answers judged by download_answer,
// notifications carried by download_events; this file decides who fetches what, writes it, and ends the task.
#include "platform/downloader.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/download_answer.h"
#include "platform/download_events.h"
#include "platform/download_request.h"
#include "platform/downloader_file.h"
#include "platform/http_head.h"
#include "platform/segments.h"
#include "platform/socket.h"
#include "platform/trace.h"
#include "platform/url.h"

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Attempts of one connection in a row that bring no new bytes before it gives up; back-off doubles each time.
constexpr int kMaxRetries = 3;
constexpr int kRetryBaseMs = 100;
constexpr int kMaxConnections = 32;
// A piece is not split below this: a new request costs more than it saves.
constexpr std::int64_t kMinPiece = 128 * 1024;
// Each connection collects what it receives in a buffer and writes it out in one call; only then does it report
// the bytes to the shared plan, so the plan's lock is taken once per buffer, not once per receive. Fewer, larger
// writes also mean less contention for the file between connections. The buffers of all connections together
// stay within the budget, so memory does not grow with the number of connections.
constexpr std::size_t kWriteBudget = 1280 * 1024;
constexpr std::size_t kMinWriteBuffer = 32 * 1024;
constexpr std::size_t kMaxWriteBuffer = 256 * 1024;
// Receives taken in one system call at most.
constexpr std::size_t kMaxBatch = 32;
constexpr std::int32_t kMaxReceiveBlock = 4 * 1024 * 1024;

std::string drop_line_breaks(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

std::int32_t clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

struct Slot {
    explicit Slot(int i) : index(i) {}
    const int index;
    std::thread thread;
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    std::int64_t reached = 0;  // position reached in the current piece; the slot's own thread only
    bool counted = false;      // included in Task::active (under Task::lock)
    // The socket in use, so that a stop can interrupt a blocked call. Set and cleared under socket_lock.
    std::mutex socket_lock;
    net::TcpSocket* socket = nullptr;
};

enum class Attempt { Done, Failed, Fatal, Stopped };

// A response body being read: its bytes are file offsets [offset, limit) of a file of `total` bytes.
struct Stream {
    net::TcpSocket socket;
    bool partial = false;  // a 206
    std::int64_t offset = 0;
    std::int64_t limit = 0;
    std::int64_t total = -1;
    std::string early;            // body bytes that arrived with the head
    std::size_t early_used = 0;   // how many of them were taken
};

// What one step of reading a body brought: `bytes` in all, from `blocks` receives of the sizes in `sizes`.
struct Taken {
    std::size_t bytes = 0;
    std::size_t blocks = 0;
    std::uint32_t sizes[kMaxBatch];
};

// Why an attempt or the task failed.
struct Failure {
    DownloadError reason = DownloadError::None;
    std::string text;
};

// What the task was given, fixed from add_task on.
struct Setup {
    DownloadTaskParams params;
    std::string referer;
    bool via_proxy = false;
    std::string proxy_host;
    std::uint16_t proxy_port = 0;
    int connections = 1;
    std::size_t block = 20480;
    std::size_t buffer_size = kMaxWriteBuffer;
    // A connection reports its bytes to the plan at most `buffer_size` late, so a take-over must begin at least
    // that far beyond the reported position: then the owner never holds bytes past its new end.
    std::int64_t min_split = kMinPiece;
    std::optional<Failure> refused;  // the task cannot start: it ends failed at once
};

DownloadTaskInfo first_info(const DownloadTaskParams& p) {
    DownloadTaskInfo info;
    info.url = p.Url;
    info.save_path = p.SavePath;
    return info;
}

}  // namespace

struct Task : std::enable_shared_from_this<Task> {
    Task(Setup s, UrlParts url)
        : setup(std::move(s)),
          pump(setup.params.NotifyRoutine, setup.params.StatusRoutine, setup.connections,
               first_info(setup.params)),
          target(std::move(url)),
          save_path(setup.params.SavePath) {
        for (int i = 0; i < setup.connections; ++i) slots.push_back(std::make_unique<Slot>(i));
    }

    const Setup setup;
    const DownloadTaskParams& params = setup.params;
    download::EventPump pump;
    std::vector<std::unique_ptr<Slot>> slots;
    const Clock::time_point started_at = Clock::now();

    // halt: every connection should end now (a stop, or the task has failed). user_stop: it was a stop.
    std::atomic<bool> halt{false};
    std::atomic<bool> user_stop{false};
    // Body bytes received, counted as they arrive (the progress display reads them).
    std::atomic<std::int64_t> received{0};
    std::atomic<std::int64_t> speed_taken{0};
    std::atomic<std::int64_t> limit_consumed{0};

    // Locks: `lock` below, each Slot::socket_lock, the pump's own two and Downloader::State::lock. None of them
    // is taken while another is held, except that a routine runs under the pump's notify lock and may call the
    // Downloader's getters (State::lock). So no order can be crossed.
    std::mutex lock;  // guards everything from here to the end
    UrlParts target;  // the address requests go to: the task's, or where redirects led
    SegmentPlan plan;
    bool plan_ready = false;
    bool ranges = true;  // the server honours Range
    std::int64_t total = -1;
    int active = 0;  // connections started and not yet ended
    // Set once by the first connection before any data is written; written at offsets without the lock by every
    // connection; closed by the task thread after they ended.
    download::OutputFile file;
    std::string save_path;
    std::string created_path;  // the file this task created or overwrote; the only one it may remove
    std::optional<Failure> fatal;
    Failure last_failure;  // of the latest failed attempt: the task's reason when it ends without a fatal one

    // --- failures ---
    void fail(DownloadError reason, std::string why);
    void note(DownloadError reason, std::string why);
    void interrupt_all();
    void survive(const char* where) noexcept;  // in a catch block: trace, fail the task

    // --- connection side ---
    bool leave_to_others(Slot& s);
    void run_slot(Slot& s);
    Attempt run_connection(Slot& s, std::optional<Assignment> part, bool& progress);
    Attempt open_stream(Slot& s, std::int64_t pos, Stream& out);
    Attempt exchange_heads(Slot& s, const UrlParts& url, std::int64_t from, Stream& out, std::string& head);
    Attempt take_first_answer(Slot& s, const Stream& st, bool& nothing_to_fetch);
    bool prepare_file(Slot& s);
    bool open_output(Slot& s, const std::string& path, std::int64_t size, download::OutputFile& out,
                     std::string& chosen);
    Attempt read_body(Slot& s, Stream& st, bool& got_bytes, std::vector<char>& buffer);
    Attempt take(Stream& st, char* into, std::size_t one, std::size_t most, Taken& t);
    std::optional<Assignment> extend_piece(Slot& s);
    void set_socket(Slot& s, net::TcpSocket* socket);
    void wait_for_rate();
    bool backoff(int failures);

    // --- task side ---
    void run();
    void start_slot(int index);
    void finish(bool all_joined);
    void abandon(const std::string& why) noexcept;
    DownloadResult result();
};

struct Downloader::State {
    // Taken alone, or inside a routine's call (see Task::lock).
    mutable std::mutex lock;
    std::condition_variable ended_cv;
    std::shared_ptr<Task> task;
    std::thread thread;
    std::thread::id task_thread;
    std::optional<DownloadResult> last;
    std::shared_ptr<Task> active() const;
};

// ---------------------------------------------------------------------------------------------------------
// Failures

void Task::fail(DownloadError reason, std::string why) {
    {
        std::lock_guard g(lock);
        if (!fatal) fatal = Failure{reason, why};
    }
    halt = true;
    interrupt_all();
    pump.status("failed: " + why);
}

void Task::note(DownloadError reason, std::string why) {
    {
        std::lock_guard g(lock);
        last_failure = Failure{reason, why};
    }
    pump.status(std::move(why));
}

void Task::interrupt_all() {
    for (auto& s : slots) {
        std::lock_guard g(s->socket_lock);
        if (s->socket) s->socket->interrupt();
    }
}

void Task::survive(const char* where) noexcept {
    try {
        const std::string what = current_exception_text();
        trace_failure(where, what);
        fail(DownloadError::Network, std::string("internal error: ") + what);
    } catch (...) {
        // Out of memory even for the text: the connections end on `halt`, and the task with them, as failed
        // for want of its connections.
        halt = true;
    }
}

// ---------------------------------------------------------------------------------------------------------
// Connections

bool Task::backoff(int failures) {
    const int ms = std::min(kRetryBaseMs << std::min(failures - 1, 10), 3000);
    const auto until = Clock::now() + milliseconds(ms);
    while (Clock::now() < until) {
        if (halt) return false;
        std::this_thread::sleep_for(milliseconds(10));
    }
    return !halt;
}

void Task::wait_for_rate() {
    if (params.SpeedLimit <= 0) return;
    const double rate = params.SpeedLimit;
    for (;;) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - started_at).count();
        const double ahead = static_cast<double>(limit_consumed.load(std::memory_order_relaxed)) - rate * elapsed;
        if (ahead <= 0 || halt) break;
        std::this_thread::sleep_for(milliseconds(std::clamp(static_cast<int>(ahead * 1000 / rate), 1, 50)));
    }
}

void Task::set_socket(Slot& s, net::TcpSocket* socket) {
    std::lock_guard g(s.socket_lock);
    s.socket = socket;
}

// Without working ranges one stream is enough: a connection leaves when another one still runs. Decided under
// the lock, so that the last one always stays.
bool Task::leave_to_others(Slot& s) {
    std::lock_guard g(lock);
    if (!s.counted || active <= 1) return false;
    s.counted = false;
    --active;
    return true;
}

void Task::run_slot(Slot& s) {
    int failures = 0;  // attempts in a row without a new byte
    while (!halt) {
        std::optional<Assignment> first;
        bool probe = false;
        {
            std::lock_guard g(lock);
            if (plan_ready) {
                if (plan.complete()) break;
                first = plan.current(s.index);  // a piece reserved for this connection
                if (!first || first->pos == first->end) first = plan.acquire(s.index, ranges);
                if (!first) break;
            } else {
                probe = true;
            }
        }
        pump.post(s.index, DownloadEvent::ConnectionStarted, 0, 0, halt);
        bool progress = false;
        const Attempt a = run_connection(s, first, progress);
        const std::int64_t reached = s.reached;
        bool ranges_now;
        {
            std::lock_guard g(lock);
            plan.release(s.index);
            ranges_now = ranges;
        }
        if (a == Attempt::Done) {
            pump.post(s.index, DownloadEvent::ConnectionEnded, reached, 0, halt);
            break;
        }
        pump.post(s.index, DownloadEvent::ConnectionFailed, reached, 0, halt);
        if (a != Attempt::Failed) break;
        if (!ranges_now && leave_to_others(s)) break;
        failures = progress ? 1 : failures + 1;
        if (failures > kMaxRetries) {
            if (probe) {
                // Without a first answer nothing can go on: the task fails for the last attempt's reason.
                Failure last;
                {
                    std::lock_guard g(lock);
                    last = last_failure;
                }
                fail(last.reason, last.text);
            }
            break;
        }
        if (!backoff(failures)) break;
    }
    {
        std::lock_guard g(lock);
        if (s.counted) --active;
        s.counted = false;
    }
    s.finished = true;
    pump.wake();
}

// Connects, sends the request for bytes from `from` on and reads the answer's head; body bytes that came with
// the head stay in `out.early`.
Attempt Task::exchange_heads(Slot& s, const UrlParts& url, std::int64_t from, Stream& out, std::string& head) {
    const std::string& host = setup.via_proxy ? setup.proxy_host : url.host;
    const std::uint16_t port = setup.via_proxy ? setup.proxy_port : url.port;
    const net::Error ce = out.socket.connect(host, port, params.ConnectTimeoutMs, params.SendTimeoutMs,
                                             params.ReceiveTimeoutMs, halt);
    if (ce != net::Error::None) {
        if (ce == net::Error::Stopped) return Attempt::Stopped;
        note(DownloadError::Network, "connect to " + host + ":" + std::to_string(port) + ": " + net::error_text(ce));
        return Attempt::Failed;
    }
    set_socket(s, &out.socket);
    if (halt) return Attempt::Stopped;
    const std::string request = build_request(DownloadRequest{url, setup.via_proxy, setup.referer, from});
    if (const net::IoResult r = out.socket.send_all(request.data(), request.size()); !r.ok()) {
        if (halt) return Attempt::Stopped;
        note(DownloadError::Network, std::string("sending the request: ") + net::error_text(r.error));
        return Attempt::Failed;
    }
    head.clear();
    std::size_t head_len = 0;
    char chunk[4096];
    while ((head_len = find_head_end(head)) == 0) {
        if (head.size() > kMaxResponseHead) {
            note(DownloadError::ServerError, "response head too large");
            return Attempt::Failed;
        }
        const net::IoResult r = out.socket.receive(chunk, sizeof chunk);
        if (!r.ok()) {
            if (halt) return Attempt::Stopped;
            note(DownloadError::Network, std::string("waiting for the response: ") + net::error_text(r.error));
            return Attempt::Failed;
        }
        head.append(chunk, r.bytes);
    }
    out.early = head.substr(head_len);
    head.resize(head_len);
    return Attempt::Done;
}

// Asks for the file from `pos` on (from its start when ranges cannot be trusted), following redirects, and
// leaves the usable answer in `out`.
Attempt Task::open_stream(Slot& s, std::int64_t pos, Stream& out) {
    AskedFor asked;
    {
        std::lock_guard g(lock);
        asked.from = ranges ? pos : 0;  // what is there already is skipped
        asked.known_total = total;
    }
    for (;; ++asked.redirects) {
        UrlParts url;
        {
            std::lock_guard g(lock);
            url = target;
        }
        std::string head;
        if (const Attempt a = exchange_heads(s, url, asked.from, out, head); a != Attempt::Done) return a;
        const HeadParse parsed = parse_response_head(head);
        AnswerVerdict v = classify_answer(parsed, url, asked);
        switch (v.kind) {
            case AnswerKind::Redirect: {
                {
                    std::lock_guard g(lock);
                    target = split_url(v.location).parts;
                }
                pump.status("redirected to " + v.location);
                set_socket(s, nullptr);
                out.socket.close();
                continue;
            }
            case AnswerKind::Body:
                out.partial = parsed.head.status == 206;
                out.offset = v.offset;
                out.limit = v.limit;
                out.total = v.total;
                return Attempt::Done;
            case AnswerKind::DistrustRanges: {
                std::lock_guard g(lock);
                ranges = false;  // such a server's ranges cannot be trusted any more
            }
                [[fallthrough]];
            case AnswerKind::Retry: note(v.reason, std::move(v.why)); return Attempt::Failed;
            case AnswerKind::Fatal: fail(v.reason, std::move(v.why)); return Attempt::Fatal;
        }
    }
}

// The task's first answer: the size is known now, and whether ranges work. The file is made and the pieces
// are laid out for the other connections.
Attempt Task::take_first_answer(Slot& s, const Stream& st, bool& nothing_to_fetch) {
    const std::int64_t size = st.total;
    std::optional<Assignment> mine;
    {
        std::lock_guard g(lock);
        total = size;
        ranges = st.partial;
        const int pieces =
            ranges ? static_cast<int>(std::clamp<std::int64_t>(size / setup.min_split, 1, setup.connections)) : 1;
        plan = SegmentPlan(size, pieces, setup.min_split);
        mine = plan.acquire(s.index, ranges);
        // Each further connection has its piece reserved now, so this one's stream cannot run on into them
        // before they start.
        for (int i = 1; i < pieces; ++i) plan.acquire(i, false);
        plan_ready = true;
    }
    if (mine) pump.post(s.index, DownloadEvent::SegmentStarted, 0, mine->end, halt);
    pump.post_task(DownloadEvent::TotalSizeKnown, size);
    pump.update_info([&](DownloadTaskInfo& info) { info.total = size; });
    if (!prepare_file(s)) return halt && user_stop ? Attempt::Stopped : Attempt::Fatal;
    pump.wake();  // the other connections may start
    nothing_to_fetch = !mine;
    return Attempt::Done;
}

// Opens the file to write: `path` itself, or another name when it exists and the routine says to keep it.
bool Task::open_output(Slot& s, const std::string& path, std::int64_t size, download::OutputFile& out,
                       std::string& chosen) {
    const std::int64_t existing = download::OutputFile::existing_size(path);
    bool overwrite = true;
    if (existing >= 0) {
        const auto answer = pump.ask(s.index, DownloadEvent::FileExists, existing, size, halt);
        if (!answer) return false;  // stopped meanwhile
        overwrite = *answer != kFileExistsSaveElsewhere;
    }
    if (overwrite) {
        chosen = path;
        if (out.open(path, false) == download::FileError::None) return true;
        fail(DownloadError::Disk, (existing < 0 ? "cannot create " : "cannot overwrite ") + path);
        return false;
    }
    const auto dot = path.find_last_of('.');
    const auto sep = path.find_last_of("/\\");
    const bool has_ext = dot != std::string::npos && (sep == std::string::npos || dot > sep) &&
                         dot != (sep == std::string::npos ? 0 : sep + 1);
    const std::string stem = has_ext ? path.substr(0, dot) : path;
    const std::string ext = has_ext ? path.substr(dot) : std::string();
    for (int n = 1; n < 1000; ++n) {
        chosen = stem + "(" + std::to_string(n) + ")" + ext;
        const download::FileError e = out.open(chosen, true);
        if (e == download::FileError::None) return true;
        if (e != download::FileError::Exists) break;
    }
    fail(DownloadError::Disk, "cannot create a file next to " + path);
    return false;
}

bool Task::prepare_file(Slot& s) {
    std::string path;
    std::int64_t size;
    {
        std::lock_guard g(lock);
        path = save_path;
        size = total;
    }
    download::OutputFile out;
    std::string chosen;
    if (!open_output(s, path, size, out, chosen)) return false;
    {
        std::lock_guard g(lock);
        created_path = chosen;
    }
    if (out.resize(size) != download::FileError::None) {
        fail(DownloadError::Disk, "cannot make room for the file (" + std::to_string(size) + " bytes)");
        return false;
    }
    {
        std::lock_guard g(lock);
        file = std::move(out);
        save_path = chosen;
    }
    pump.update_info([&](DownloadTaskInfo& info) { info.save_path = chosen; });
    return true;
}

// Takes the next bytes of an answer into `into`: those that came with its head first, then from the socket as
// many blocks as have arrived, up to `most` bytes in one call; only `one` block under a speed limit, so that the
// limiter sees each block before the next is taken.
Attempt Task::take(Stream& st, char* into, std::size_t one, std::size_t most, Taken& t) {
    if (st.early_used < st.early.size()) {
        t.bytes = std::min(one, st.early.size() - st.early_used);
        std::memcpy(into, st.early.data() + st.early_used, t.bytes);
        st.early_used += t.bytes;
        t.sizes[0] = static_cast<std::uint32_t>(t.bytes);
        t.blocks = 1;
        return Attempt::Done;
    }
    wait_for_rate();
    const std::size_t size = params.SpeedLimit > 0 ? one : most;
    const net::IoResult r = st.socket.receive_blocks(into, size, setup.block, t.sizes, kMaxBatch, t.blocks);
    if (!r.ok()) {
        if (halt) return Attempt::Stopped;
        note(DownloadError::Network, std::string("receiving: ") + net::error_text(r.error));
        return Attempt::Failed;
    }
    t.bytes = r.bytes;
    if (params.SpeedLimit > 0) {
        limit_consumed.fetch_add(static_cast<std::int64_t>(t.bytes), std::memory_order_relaxed);
    }
    return Attempt::Done;
}

// The connection's piece is done and its answer goes on: it takes the piece that starts there when no one has
// started that one.
std::optional<Assignment> Task::extend_piece(Slot& s) {
    std::optional<Assignment> next;
    {
        std::lock_guard g(lock);
        next = plan.extend(s.index);
    }
    if (next) pump.post(s.index, DownloadEvent::SegmentTakenOver, next->pos, next->end, halt);
    return next;
}

// Reads the body into this connection's piece, and on into the pieces after it that no one has started. Done
// when the piece is complete or the answer has carried all it announced; `got_bytes` tells whether it brought
// any byte still missing.
Attempt Task::read_body(Slot& s, Stream& st, bool& got_bytes, std::vector<char>& buffer) {
    std::int64_t offset = st.offset;  // file offset of the next byte of the stream
    std::int64_t pos;                 // next byte this connection needs; only it moves its position on
    std::int64_t end;                 // end of its piece as last seen; it only ever moves down (take-over)
    {
        std::lock_guard g(lock);
        const auto cur = plan.current(s.index);
        if (!cur) return Attempt::Done;
        pos = cur->pos;
        end = cur->end;
    }
    std::int64_t buffer_at = pos;  // file offset of the first byte held
    std::size_t fill = 0;          // bytes held in `buffer`
    download::FileError write_error = download::FileError::None;
    // Writes what is held and reports what was written to the plan; learns whether the piece was cut short.
    auto flush = [&] {
        if (fill > 0 && write_error == download::FileError::None) {
            write_error = file.write_at(buffer.data(), fill, buffer_at);
        }
        std::lock_guard g(lock);
        if (fill > 0 && write_error == download::FileError::None) {
            plan.accept(s.index, static_cast<std::int64_t>(fill));
        }
        if (const auto cur = plan.current(s.index)) end = cur->end;
        s.reached = pos;
        fill = 0;
        buffer_at = pos;
    };
    const auto block = static_cast<std::int64_t>(setup.block);
    Attempt result = Attempt::Done;
    while (result == Attempt::Done) {
        if (pos >= end) {
            flush();
            if (pos < end) continue;
            const auto next = offset < st.limit ? extend_piece(s) : std::nullopt;
            if (!next) break;
            end = next->end;
            continue;
        }
        if (offset >= st.limit) break;  // the answer carried less than the piece: the rest is asked for again
        if (halt) {
            result = Attempt::Stopped;
            break;
        }
        if (static_cast<std::int64_t>(buffer.size() - fill) < block) flush();
        if (write_error != download::FileError::None) break;
        // Bytes before `pos` were fetched already (a server that ignored Range sends the file from its
        // start): they are read and dropped.
        const bool skipping = offset < pos;
        const std::int64_t wanted = std::min(skipping ? pos - offset : end - pos, st.limit - offset);
        const auto room = static_cast<std::int64_t>(buffer.size() - fill);
        Taken t;
        result = take(st, buffer.data() + fill, static_cast<std::size_t>(std::min(block, wanted)),
                      static_cast<std::size_t>(std::min(room, wanted)), t);
        if (result != Attempt::Done) break;
        offset += static_cast<std::int64_t>(t.bytes);
        if (skipping) continue;
        pos += static_cast<std::int64_t>(t.bytes);
        fill += t.bytes;
        got_bytes = true;
        received.fetch_add(static_cast<std::int64_t>(t.bytes), std::memory_order_relaxed);
        for (std::size_t i = 0; i < t.blocks; ++i) pump.bytes(s.index, t.sizes[i]);
    }
    flush();
    if (write_error != download::FileError::None) {
        std::string path;
        {
            std::lock_guard g(lock);
            path = save_path;
        }
        fail(DownloadError::Disk, "cannot write to " + path);
        return Attempt::Fatal;
    }
    return result;
}

Attempt Task::run_connection(Slot& s, std::optional<Assignment> part, bool& progress) {
    std::vector<char> buffer(setup.buffer_size);
    bool first = true;
    for (;;) {
        const bool probe = !part.has_value();
        const std::int64_t pos = probe ? 0 : part->pos;
        if (!probe) s.reached = part->pos;
        if (!probe && first) pump.post(s.index, DownloadEvent::SegmentStarted, part->pos, part->end, halt);
        first = false;
        Stream st;
        Attempt a = open_stream(s, pos, st);
        if (a == Attempt::Done && probe) {
            bool nothing_to_fetch = false;
            a = take_first_answer(s, st, nothing_to_fetch);
            if (a == Attempt::Done && nothing_to_fetch) {
                set_socket(s, nullptr);
                return Attempt::Done;  // an empty file
            }
        }
        if (a == Attempt::Done && st.offset == 0 && pos > 0) {
            // The whole file to a ranged request: no more splitting. While other connections stream, this one
            // leaves its part to them; the last one reads from the start and keeps only what is missing.
            {
                std::lock_guard g(lock);
                ranges = false;
            }
            if (leave_to_others(s)) {
                set_socket(s, nullptr);
                return Attempt::Done;
            }
        }
        bool got_bytes = false;
        if (a == Attempt::Done) a = read_body(s, st, got_bytes, buffer);
        progress = progress || got_bytes;
        set_socket(s, nullptr);
        st.socket.close();
        if (a != Attempt::Done) return a;
        if (halt) return Attempt::Stopped;
        bool rest_of_piece = false;
        {
            std::lock_guard g(lock);
            if (plan.complete()) return Attempt::Done;
            const auto cur = plan.current(s.index);
            rest_of_piece = cur && cur->pos < cur->end;
            part = rest_of_piece ? cur : plan.acquire(s.index, ranges);
        }
        if (!part) return Attempt::Done;
        if (rest_of_piece) {
            // The answer ended short of the piece: ask for the rest, as long as answers bring something new.
            if (got_bytes) continue;
            note(DownloadError::RangeRefused, "the answer carried no byte still missing");
            return Attempt::Failed;
        }
        pump.post(s.index, DownloadEvent::SegmentTakenOver, part->pos, part->end, halt);
    }
}

// ---------------------------------------------------------------------------------------------------------
// The task thread

void Task::start_slot(int index) {
    Slot& s = *slots[static_cast<std::size_t>(index)];
    {
        std::lock_guard g(lock);
        s.counted = true;
        ++active;
    }
    s.started = true;
    s.thread = std::thread([self = shared_from_this(), &s] {
        try {
            self->run_slot(s);
        } catch (...) {  // out of memory, say: this connection ends and the task fails with the reason
            self->survive("download connection");
            s.finished = true;
            self->pump.wake();
        }
    });
}

void Task::run() {
    if (setup.refused) {
        fail(setup.refused->reason, setup.refused->text);
        finish(true);
        return;
    }
    start_slot(0);
    bool others_started = false;
    Clock::time_point deadline = Clock::time_point::max();
    for (;;) {
        pump.wait(milliseconds(20));
        pump.deliver();
        if (user_stop && deadline == Clock::time_point::max()) {
            halt = true;
            interrupt_all();
            deadline = Clock::now() + milliseconds(std::max(params.StopWaitMs, 0));
        }
        if (!others_started && !halt) {
            bool ready;
            int pieces;
            {
                std::lock_guard g(lock);
                ready = plan_ready && file.is_open();
                pieces = static_cast<int>(plan.pieces().size());
            }
            if (ready) {
                others_started = true;
                for (int i = 1; i < std::min(pieces, setup.connections); ++i) start_slot(i);
            }
        }
        bool all_finished = true;
        for (auto& s : slots) all_finished = all_finished && (!s->started || s->finished);
        if (all_finished || Clock::now() >= deadline) break;
    }
    // Threads that ended are joined; one stuck past the stop wait keeps the task's state alive on its own.
    bool all_joined = true;
    for (auto& s : slots) {
        if (!s->thread.joinable()) continue;
        if (s->finished) {
            s->thread.join();
        } else {
            s->thread.detach();
            all_joined = false;
        }
    }
    pump.deliver();
    finish(all_joined);
}

// Decides how the task ended, removes what it created unless it is complete, and delivers TaskEnded.
void Task::finish(bool all_joined) {
    DownloadOutcome outcome = DownloadOutcome::Failed;
    Failure why;
    std::int64_t size;
    std::string remove;
    {
        std::lock_guard g(lock);
        size = total;
        bool complete = all_joined && plan_ready && plan.complete() && !fatal && file.is_open();
        // A connection stuck past the stop wait may still hold the file; it goes when the task is freed.
        if (all_joined) file.close();
        // Every byte of the announced size is on disk, or it is not complete.
        if (complete && download::OutputFile::existing_size(save_path) != total) {
            fatal = Failure{DownloadError::Disk, "the file on disk is not the announced size"};
            complete = false;
        }
        if (complete) {
            outcome = DownloadOutcome::Complete;
        } else if (user_stop) {
            outcome = DownloadOutcome::Stopped;
            why = Failure{DownloadError::Stopped, "stopped"};
        } else if (fatal) {
            why = *fatal;
        } else if (last_failure.reason != DownloadError::None) {
            why = Failure{last_failure.reason, "the connections gave up: " + last_failure.text};
        } else {
            why = Failure{DownloadError::Network, "the connections ended before the file was complete"};
        }
        if (outcome != DownloadOutcome::Complete) remove = created_path;
    }
    // A partial file must never pass for the real one; a file that was there before is left alone.
    if (!remove.empty()) download::OutputFile::remove(remove);
    const std::int64_t value =
        outcome == DownloadOutcome::Stopped ? pump.info().received : std::max<std::int64_t>(size, 0);
    pump.end(value, outcome, why.reason, why.text);
}

void Task::abandon(const std::string& why) noexcept {
    halt = true;
    try {
        interrupt_all();
        for (auto& s : slots) {
            if (s->thread.joinable()) s->thread.detach();  // they hold the task alive and end on `halt`
        }
        std::string remove;
        {
            std::lock_guard g(lock);
            remove = created_path;
        }
        if (!remove.empty()) download::OutputFile::remove(remove);
        pump.end(0, DownloadOutcome::Failed, DownloadError::Network, "internal error: " + why);
    } catch (...) {
        trace_failure("download task, ending it", current_exception_text());
    }
}

DownloadResult Task::result() {
    DownloadResult r;
    const DownloadTaskInfo info = pump.info();
    if (pump.ended()) {
        r.outcome = info.outcome;
        r.reason = info.reason;
        r.error = info.error;
    } else {
        r.reason = DownloadError::Network;
        r.error = "the task ended without its last notification";
    }
    r.received = received.load();
    std::lock_guard g(lock);
    r.total = total;
    r.save_path = save_path;
    return r;
}

// ---------------------------------------------------------------------------------------------------------
// Downloader

namespace {

// Checks the record and derives the task's settings; an unusable proxy or save path is kept as the reason the
// task fails at once.
Setup make_setup(DownloadTaskParams p) {
    Setup s;
    s.referer = p.Referer.empty() ? derive_referer(p.Url) : strip_credentials(p.Referer);
    s.connections = std::clamp(p.Connections, 1, kMaxConnections);
    s.block =
        static_cast<std::size_t>(p.ReceiveBlockSize > 0 ? std::min(p.ReceiveBlockSize, kMaxReceiveBlock) : 20480);
    s.buffer_size = std::max(std::clamp<std::size_t>(kWriteBudget / static_cast<std::size_t>(s.connections),
                                                     kMinWriteBuffer, kMaxWriteBuffer),
                             s.block * 2);
    s.min_split = std::max<std::int64_t>(kMinPiece, static_cast<std::int64_t>(s.buffer_size + s.block));
    if (!p.Proxy.empty()) {
        s.via_proxy = true;
        if (!split_host_port(p.Proxy, s.proxy_host, s.proxy_port)) {
            s.refused = Failure{DownloadError::Network, "the proxy is not host:port: " + p.Proxy};
        }
    }
    if (p.SavePath.empty()) s.refused = Failure{DownloadError::Disk, "no file to save to"};
    s.params = std::move(p);
    return s;
}

}  // namespace

Downloader::Downloader() : state_(std::make_shared<State>()) {}

Downloader::~Downloader() { release(); }

bool Downloader::add_task(const DownloadTaskParams& params) {
    DownloadTaskParams copy = params;
    for (std::string* text : {&copy.Url, &copy.SavePath, &copy.FtpUser, &copy.FtpPassword, &copy.FtpRemoteName,
                              &copy.BinaryExtensions, &copy.Proxy, &copy.Referer}) {
        *text = drop_line_breaks(std::move(*text));
    }
    const UrlSplit url = split_url(copy.Url);
    if (!url.ok() || url.parts.scheme != "http") return false;

    std::unique_lock g(state_->lock);
    if (state_->task) return false;
    if (state_->thread.joinable()) state_->thread.join();  // the previous task has ended

    auto task = std::make_shared<Task>(make_setup(std::move(copy)), url.parts);
    state_->task = task;
    state_->last.reset();
    state_->thread = std::thread([state = state_, task] {
        try {
            task->run();
        } catch (...) {
            std::string what = "out of memory";
            try {
                what = current_exception_text();
                trace_failure("download task", what);
            } catch (...) {
                // Not even the text could be made: the task still ends with the fixed one.
            }
            task->abandon(what);
        }
        std::optional<DownloadResult> result;
        try {
            result = task->result();
        } catch (...) {
            trace_failure("download task, its result", current_exception_text());
        }
        {
            std::lock_guard sg(state->lock);
            state->last = std::move(result);
            state->task.reset();
            state->task_thread = {};
        }
        state->ended_cv.notify_all();
    });
    state_->task_thread = state_->thread.get_id();
    return true;
}

std::shared_ptr<Task> Downloader::State::active() const {
    std::lock_guard g(lock);
    return task;
}

std::int32_t Downloader::take_speed() {
    const std::shared_ptr<Task> task = state_->active();
    if (!task) return 0;
    const std::int64_t done = task->received.load();
    return clamp32(done - task->speed_taken.exchange(done));
}

std::int32_t Downloader::done_length() {
    const std::shared_ptr<Task> task = state_->active();
    return task ? clamp32(task->received.load()) : 0;
}

void Downloader::release() {
    std::thread thread;
    {
        std::lock_guard g(state_->lock);
        if (state_->task) state_->task->user_stop = true;
        // From a notification (the task's own thread) the stop is only asked for: joining would never end.
        if (std::this_thread::get_id() == state_->task_thread) return;
        thread = std::move(state_->thread);
    }
    if (thread.joinable()) thread.join();
}

bool Downloader::busy() const {
    std::lock_guard g(state_->lock);
    return state_->task != nullptr;
}

bool Downloader::wait(int timeout_ms) {
    std::unique_lock g(state_->lock);
    return state_->ended_cv.wait_for(g, milliseconds(std::max(timeout_ms, 0)), [&] { return !state_->task; });
}

std::optional<DownloadResult> Downloader::last_result() const {
    std::lock_guard g(state_->lock);
    return state_->last;
}

}  // namespace kv
