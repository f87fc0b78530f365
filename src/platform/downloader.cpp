#include "platform/downloader.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/downloader_file.h"
#include "platform/http_head.h"
#include "platform/segments.h"
#include "platform/socket.h"
#include "platform/url.h"

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kMaxRedirects = 5;
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
constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)";

std::string drop_line_breaks(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

std::int32_t clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// Block sizes of one connection on their way to the task thread. One producer (the connection), one consumer
// (the task thread), no locks: a connection pushes one entry per receive. When the task thread falls behind
// and the ring is full, sizes add up in `pending_` and go out as one entry once there is room.
class ByteRing {
public:
    static constexpr std::uint64_t kSize = 4096;

    void push(std::uint32_t bytes) {
        pending_ += bytes;
        try_flush();
    }
    // Pushes what is pending, waiting for room while `halt` is false. The result marks the end of everything
    // pushed so far: the task thread delivers up to it before a later control event.
    std::uint64_t mark(const std::atomic<bool>& halt) {
        while (!try_flush() && !halt.load(std::memory_order_relaxed)) std::this_thread::sleep_for(milliseconds(1));
        return head_.load(std::memory_order_relaxed);
    }
    template <class F>
    void drain(std::uint64_t upto, F&& deliver) {
        std::uint64_t tail = tail_.load(std::memory_order_relaxed);
        upto = std::min(upto, head_.load(std::memory_order_acquire));
        while (tail < upto) {
            deliver(slots_[tail % kSize]);
            ++tail;
            tail_.store(tail, std::memory_order_release);
        }
    }
    std::uint64_t head() const { return head_.load(std::memory_order_acquire); }

private:
    bool try_flush() {
        while (pending_ > 0) {
            const std::uint64_t head = head_.load(std::memory_order_relaxed);
            if (head - tail_.load(std::memory_order_acquire) >= kSize) return false;
            const auto part = static_cast<std::uint32_t>(std::min<std::uint64_t>(pending_, INT32_MAX));
            slots_[head % kSize] = part;
            pending_ -= part;
            head_.store(head + 1, std::memory_order_release);
        }
        return true;
    }

    std::uint32_t slots_[kSize] = {};
    std::atomic<std::uint64_t> head_{0};
    std::atomic<std::uint64_t> tail_{0};
    std::uint64_t pending_ = 0;  // producer only
};

struct Event {
    enum class Type { Notify, Status, Barrier };
    Type type = Type::Notify;
    DownloadEvent kind = DownloadEvent::TaskEnded;
    int conn = -1;  // -1 for the task
    std::int64_t value = 0;
    std::int64_t extra = 0;
    std::uint64_t ring_mark = 0;  // the connection's block sizes up to here come first
    std::string status;
};

struct Slot {
    explicit Slot(int i) : index(i) {}
    const int index;
    std::thread thread;
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    ByteRing ring;
    std::int64_t reached = 0;  // position reached in the current piece; the slot's own thread only
    bool counted = false;      // included in Task::active (under Task::lock)
    // The socket in use, so that a stop can interrupt a blocked call. Set and cleared under the lock.
    std::mutex socket_lock;
    net::TcpSocket* socket = nullptr;
};

enum class Attempt { Done, Failed, Fatal, Stopped };

// A response body being read: its bytes start at file offset `offset`, and it carries them up to `limit`.
struct Stream {
    net::TcpSocket socket;
    std::int64_t offset = 0;
    std::int64_t limit = 0;
    std::string early;  // body bytes that arrived with the head
};

}  // namespace

struct Task : std::enable_shared_from_this<Task> {
    DownloadTaskParams params;
    DownloadConnection connection_refs[kMaxConnections];
    std::string referer;
    bool via_proxy = false;
    std::string proxy_host;
    std::uint16_t proxy_port = 0;
    int connections = 1;
    std::size_t block = 20480;
    std::size_t buffer_size = kMaxWriteBuffer;
    // A connection reports its bytes at most `buffer_size` late, so a take-over must begin at least that far
    // beyond the reported position: then the owner never holds bytes past its new end.
    std::int64_t min_split = kMinPiece;
    Clock::time_point started_at = Clock::now();

    // halt: every connection should end now (a stop, or the task has failed). user_stop: it was a stop.
    std::atomic<bool> halt{false};
    std::atomic<bool> user_stop{false};

    // Guards everything below up to the event queue.
    std::mutex lock;
    UrlParts target;  // the address requests go to: the task's, or where redirects led
    SegmentPlan plan;
    bool plan_ready = false;
    std::int64_t received() const { return plan_ready ? plan.done() : 0; }  // under `lock`
    bool ranges = true;  // the server honours Range
    std::int64_t total = -1;
    std::int64_t speed_taken = 0;
    bool fatal = false;
    int active = 0;  // connections started and not yet ended
    std::string error;
    download::OutputFile file;
    std::string save_path;

    std::vector<std::unique_ptr<Slot>> slots;

    std::mutex queue_lock;
    std::condition_variable queue_cv;
    std::deque<Event> queue;
    std::uint64_t enqueued = 0;
    std::uint64_t delivered = 0;
    std::condition_variable delivered_cv;

    // Held around every call of the routine, so that FileExists never overlaps another notification.
    std::mutex notify_lock;
    DownloadTaskInfo info;
    bool ended = false;

    std::atomic<std::int64_t> limit_consumed{0};

    // --- events ---
    std::uint64_t post(Event e) {
        std::uint64_t seq;
        {
            std::lock_guard g(queue_lock);
            queue.push_back(std::move(e));
            seq = ++enqueued;
        }
        queue_cv.notify_one();
        return seq;
    }
    std::uint64_t post_conn(Slot& s, DownloadEvent kind, std::int64_t value, std::int64_t extra = 0) {
        return post(Event{Event::Type::Notify, kind, s.index, value, extra, s.ring.mark(halt), {}});
    }
    void status(std::string text) {
        if (params.StatusRoutine) post(Event{Event::Type::Status, DownloadEvent::TaskEnded, -1, 0, 0, 0, std::move(text)});
    }
    void fail(std::string why) {
        {
            std::lock_guard g(lock);
            if (!fatal) {
                fatal = true;
                error = why;
            }
        }
        halt = true;
        interrupt_all();
        status("failed: " + why);
    }
    void interrupt_all() {
        for (auto& s : slots) {
            std::lock_guard g(s->socket_lock);
            if (s->socket) s->socket->interrupt();
        }
    }

    int32_t call(DownloadEvent kind, int conn, std::int64_t value, std::int64_t extra) {
        if (!params.NotifyRoutine) return 0;
        try {
            return params.NotifyRoutine(kind, conn >= 0 ? &connection_refs[conn] : nullptr, clamp32(value),
                                        clamp32(extra), &info);
        } catch (...) {
            return 0;  // a routine that throws is treated as having answered 0
        }
    }

    // --- connection side ---
    // Without working ranges one stream is enough: a connection leaves when another one still runs. Decided
    // under the lock, so that the last one always stays.
    bool leave_to_others(Slot& s) {
        std::lock_guard g(lock);
        if (!s.counted || active <= 1) return false;
        s.counted = false;
        --active;
        return true;
    }
    void run_slot(Slot& s);
    Attempt run_connection(Slot& s, std::optional<Assignment> first, bool& progress);
    Attempt open_stream(Slot& s, std::int64_t pos, bool probe, Stream& out, int& status_code);
    Attempt read_body(Slot& s, Stream& st, bool& progress, std::vector<char>& buffer);
    bool prepare_file(Slot& s);
    void wait_for_rate();
    bool backoff(int failures);

    // --- task side ---
    void run();
    // After an exception on the task thread: stop everything and still end the task properly.
    void abandon();
    void deliver_pending();
    void start_slot(int index);
};

struct Downloader::State {
    mutable std::mutex lock;
    std::condition_variable ended_cv;
    std::shared_ptr<Task> task;
    std::thread thread;
    std::optional<DownloadResult> last;
    std::shared_ptr<Task> active() const;
};

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

void Task::run_slot(Slot& s) {
    int failures = 0;
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
        post_conn(s, DownloadEvent::ConnectionStarted, 0);
        bool progress = false;
        const Attempt a = run_connection(s, first, progress);
        const std::int64_t reached = s.reached;
        {
            std::lock_guard g(lock);
            plan.release(s.index);
        }
        if (a == Attempt::Done) {
            post_conn(s, DownloadEvent::ConnectionEnded, reached);
            break;
        }
        post_conn(s, DownloadEvent::ConnectionFailed, reached);
        if (a != Attempt::Failed) break;
        bool ranges_now;
        {
            std::lock_guard g(lock);
            ranges_now = ranges;
        }
        if (!ranges_now && leave_to_others(s)) break;
        failures = progress ? 1 : failures + 1;
        if (failures > kMaxRetries) {
            if (probe) fail("the server could not be reached");
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
    queue_cv.notify_one();
}

Attempt Task::open_stream(Slot& s, std::int64_t pos, bool probe, Stream& out, int& status_code) {
    std::int64_t from = pos;
    {
        // A server whose ranges cannot be trusted is read from the start; what is there already is skipped.
        std::lock_guard g(lock);
        if (!ranges) from = 0;
    }
    for (int hop = 0;; ++hop) {
        UrlParts url;
        {
            std::lock_guard g(lock);
            url = target;
        }
        net::TcpSocket sock;
        const std::string& host = via_proxy ? proxy_host : url.host;
        const std::uint16_t port = via_proxy ? proxy_port : url.port;
        const net::Error ce = sock.connect(host, port, params.ConnectTimeoutMs, params.SendTimeoutMs,
                                           params.ReceiveTimeoutMs, halt);
        if (ce != net::Error::None) {
            if (ce == net::Error::Stopped) return Attempt::Stopped;
            status("connect to " + host + ":" + std::to_string(port) + ": " + net::error_text(ce));
            return Attempt::Failed;
        }
        out.socket = std::move(sock);
        {
            std::lock_guard g(s.socket_lock);
            s.socket = &out.socket;
        }
        if (halt) return Attempt::Stopped;

        // A proxy is given the absolute address (without any user name or password in it).
        UrlParts absolute = url;
        absolute.user.clear();
        absolute.password.clear();
        std::string request = "GET " + (via_proxy ? join_url(absolute) : url.path) + " HTTP/1.1\r\n";
        request += "Host: " + host_header(url) + "\r\n";
        request += "Accept: */*\r\n";
        request += "Referer: " + referer + "\r\n";
        request += std::string("User-Agent: ") + kUserAgent + "\r\n";
        request += "Pragma: no-cache\r\n";
        request += "Cache-Control: no-cache\r\n";
        request += "Range: bytes=" + std::to_string(from) + "-\r\n";
        request += "Connection: close\r\n\r\n";
        if (!out.socket.send_all(request.data(), request.size()).ok()) return halt ? Attempt::Stopped : Attempt::Failed;

        std::string head;
        std::size_t head_len = 0;
        char chunk[4096];
        while ((head_len = find_head_end(head)) == 0) {
            if (head.size() > kMaxResponseHead) {
                status("response head too large");
                return Attempt::Failed;
            }
            const net::IoResult r = out.socket.receive(chunk, sizeof chunk);
            if (!r.ok()) {
                if (halt) return Attempt::Stopped;
                status(std::string("waiting for the response: ") + net::error_text(r.error));
                return Attempt::Failed;
            }
            head.append(chunk, r.bytes);
        }
        const HeadParse parsed = parse_response_head(std::string_view(head).substr(0, head_len));
        if (!parsed.ok()) {
            status("malformed response head");
            return Attempt::Failed;
        }
        const ResponseHead& h = parsed.head;
        status_code = h.status;
        if (h.status == 301 || h.status == 302) {
            if (hop >= kMaxRedirects) {
                fail("too many redirects");
                return Attempt::Fatal;
            }
            if (!h.location || h.location->empty()) {
                fail("redirect without a Location");
                return Attempt::Fatal;
            }
            const std::string next = resolve_reference(url, *h.location);
            const UrlSplit split = split_url(next);
            if (!split.ok() || split.parts.scheme != "http") {
                fail("redirect to an address that is not http: " + next);
                return Attempt::Fatal;
            }
            {
                std::lock_guard g(lock);
                target = split.parts;
            }
            status("redirected to " + next);
            {
                std::lock_guard g(s.socket_lock);
                s.socket = nullptr;
            }
            out.socket.close();
            continue;
        }
        out.early = head.substr(head_len);

        std::int64_t known_total;
        {
            std::lock_guard g(lock);
            known_total = total;
        }
        const std::int64_t asked = from;
        if (h.status == 416 && probe && h.content_range && h.content_range->unsatisfied &&
            h.content_range->complete == 0) {
            out.offset = 0;  // an empty file: nothing is satisfiable, not even the first byte
            out.limit = 0;
            return Attempt::Done;
        }
        if (h.status == 200) {
            if (!h.content_length) {
                fail("the response announces no length");
                return Attempt::Fatal;
            }
            if (known_total >= 0 && *h.content_length != known_total) {
                fail("the file changed size during the download");
                return Attempt::Fatal;
            }
            out.offset = 0;  // the whole file, whatever was asked
            out.limit = *h.content_length;
            return Attempt::Done;
        }
        if (h.status == 206) {
            const auto& cr = h.content_range;
            if (!h.content_length) {
                fail("the response announces no length");
                return Attempt::Fatal;
            }
            if (!cr || cr->unsatisfied || !cr->complete) {
                status("partial response without a usable Content-Range");
                return Attempt::Failed;
            }
            const bool mismatch = cr->first != asked || (known_total >= 0 && *cr->complete != known_total) ||
                                  (h.content_length && *h.content_length != cr->length());
            if (mismatch) {
                {
                    std::lock_guard g(lock);
                    ranges = false;  // such a server's ranges cannot be trusted any more
                }
                status("partial response for another range than asked: bytes " + std::to_string(cr->first) + "-" +
                       std::to_string(cr->last) + "/" + std::to_string(*cr->complete));
                return Attempt::Failed;
            }
            out.offset = cr->first;
            out.limit = cr->last + 1;
            return Attempt::Done;
        }
        fail("HTTP status " + std::to_string(h.status));
        return Attempt::Fatal;
    }
}

bool Task::prepare_file(Slot& s) {
    std::string path;
    std::int64_t size;
    {
        std::lock_guard g(lock);
        path = save_path;
        size = total;
    }
    const std::int64_t existing = download::OutputFile::existing_size(path);
    download::OutputFile out;
    if (existing >= 0) {
        // Everything posted so far is delivered first, and nothing else runs during the call.
        Event barrier;
        barrier.type = Event::Type::Barrier;
        barrier.conn = s.index;
        barrier.ring_mark = s.ring.mark(halt);
        const std::uint64_t seq = post(std::move(barrier));
        {
            std::unique_lock g(queue_lock);
            while (delivered < seq && !halt) delivered_cv.wait_for(g, milliseconds(20));
        }
        if (halt) return false;
        std::int32_t answer;
        {
            std::lock_guard g(notify_lock);
            if (ended) return false;
            answer = call(DownloadEvent::FileExists, s.index, existing, size);
        }
        if (answer == kFileExistsSaveElsewhere) {
            const auto dot = path.find_last_of('.');
            const auto sep = path.find_last_of("/\\");
            const bool has_ext = dot != std::string::npos && (sep == std::string::npos || dot > sep) &&
                                 dot != (sep == std::string::npos ? 0 : sep + 1);
            const std::string stem = has_ext ? path.substr(0, dot) : path;
            const std::string ext = has_ext ? path.substr(dot) : std::string();
            download::FileError e = download::FileError::Exists;
            for (int n = 1; n < 1000 && e == download::FileError::Exists; ++n) {
                const std::string candidate = stem + "(" + std::to_string(n) + ")" + ext;
                e = out.open(candidate, true);
                if (e == download::FileError::None) path = candidate;
            }
            if (e != download::FileError::None) {
                fail("cannot create a file next to " + path);
                return false;
            }
        } else if (out.open(path, false) != download::FileError::None) {
            fail("cannot overwrite " + path);
            return false;
        }
    } else if (out.open(path, false) != download::FileError::None) {
        fail("cannot create " + path);
        return false;
    }
    if (out.resize(size) != download::FileError::None) {
        fail("cannot make room for the file (" + std::to_string(size) + " bytes)");
        return false;
    }
    {
        std::lock_guard g(lock);
        file = std::move(out);
        save_path = path;
    }
    {
        std::lock_guard g(notify_lock);
        info.save_path = path;
    }
    return true;
}

Attempt Task::read_body(Slot& s, Stream& st, bool& progress, std::vector<char>& buffer) {
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
    // Writes what is held and reports it to the plan; learns whether the piece was cut short meanwhile.
    auto flush = [&] {
        if (fill > 0 && write_error == download::FileError::None) {
            write_error = file.write_at(buffer.data(), fill, buffer_at);
        }
        std::lock_guard g(lock);
        if (fill > 0) plan.accept(s.index, static_cast<std::int64_t>(fill));
        if (const auto cur = plan.current(s.index)) end = cur->end;
        s.reached = pos;
        fill = 0;
        buffer_at = pos;
    };
    std::size_t early_used = 0;
    Attempt result = Attempt::Done;
    for (;;) {
        if (pos >= end) {
            flush();
            if (pos < end) continue;
            // The piece is done. The stream goes on into the next piece when no one has started that one.
            std::optional<Assignment> next;
            if (offset < st.limit) {
                std::lock_guard g(lock);
                next = plan.extend(s.index);
            }
            if (!next) break;
            post_conn(s, DownloadEvent::SegmentTakenOver, next->pos, next->end);
            end = next->end;
            continue;
        }
        if (offset >= st.limit) {
            result = Attempt::Failed;  // the response carried less than this connection has to fetch
            break;
        }
        if (halt) {
            result = Attempt::Stopped;
            break;
        }
        if (buffer.size() - fill < block) flush();
        if (write_error != download::FileError::None) break;
        // Bytes before `pos` were fetched already (a server that ignored Range sends the file from its
        // start): they are read and dropped.
        const bool skipping = offset < pos;
        const std::int64_t wanted = skipping ? pos - offset : end - pos;
        const auto want = static_cast<std::size_t>(
            std::min({static_cast<std::int64_t>(block), st.limit - offset, wanted}));
        char* into = buffer.data() + fill;
        std::size_t got = 0;
        std::uint32_t sizes[kMaxBatch];
        std::size_t blocks = 1;
        if (early_used < st.early.size()) {
            got = std::min(want, st.early.size() - early_used);
            std::memcpy(into, st.early.data() + early_used, got);
            early_used += got;
            sizes[0] = static_cast<std::uint32_t>(got);
        } else {
            wait_for_rate();
            // As many blocks as have arrived and fit, in one call; one at a time under a speed limit, so that
            // the limiter sees each block before the next is taken.
            const auto room = static_cast<std::int64_t>(buffer.size() - fill);
            const auto most = params.SpeedLimit > 0
                                  ? want
                                  : static_cast<std::size_t>(std::min({room, st.limit - offset, wanted}));
            const net::IoResult r = st.socket.receive_blocks(into, most, block, sizes, kMaxBatch, blocks);
            if (!r.ok()) {
                result = halt ? Attempt::Stopped : Attempt::Failed;
                if (!halt) status(std::string("receiving: ") + net::error_text(r.error));
                break;
            }
            got = r.bytes;
            if (params.SpeedLimit > 0) limit_consumed.fetch_add(static_cast<std::int64_t>(got), std::memory_order_relaxed);
        }
        offset += static_cast<std::int64_t>(got);
        if (skipping) continue;
        pos += static_cast<std::int64_t>(got);
        fill += got;
        progress = true;
        for (std::size_t i = 0; i < blocks; ++i) s.ring.push(sizes[i]);
    }
    flush();
    if (write_error != download::FileError::None) {
        fail("cannot write to " + save_path);
        return Attempt::Fatal;
    }
    return result;
}

Attempt Task::run_connection(Slot& s, std::optional<Assignment> part, bool& progress) {
    std::vector<char> buffer(buffer_size);
    bool first = true;
    for (;;) {
        const bool probe = !part.has_value();
        const std::int64_t pos = probe ? 0 : part->pos;
        if (!probe) s.reached = part->pos;
        if (!probe && first) post_conn(s, DownloadEvent::SegmentStarted, part->pos, part->end);
        first = false;
        Stream st;
        int status_code = 0;
        Attempt a = open_stream(s, pos, probe, st, status_code);
        if (a == Attempt::Done && probe) {
            // The first answer: the size is known now, and whether ranges work.
            const std::int64_t size = st.limit;
            std::optional<Assignment> mine;
            {
                std::lock_guard g(lock);
                total = size;
                ranges = status_code == 206;
                const int pieces = ranges ? static_cast<int>(std::clamp<std::int64_t>(size / min_split, 1, connections)) : 1;
                plan = SegmentPlan(size, pieces, min_split);
                mine = plan.acquire(s.index, ranges);
                // Each further connection has its piece reserved now, so this one's stream cannot run on into
                // them before they start.
                for (int i = 1; i < pieces; ++i) plan.acquire(i, false);
                plan_ready = true;
            }
            if (mine) post_conn(s, DownloadEvent::SegmentStarted, 0, mine->end);
            post(Event{Event::Type::Notify, DownloadEvent::TotalSizeKnown, -1, size, 0, 0, {}});
            {
                std::lock_guard g(notify_lock);
                info.total = size;
            }
            if (!prepare_file(s)) a = halt && user_stop ? Attempt::Stopped : Attempt::Fatal;
            queue_cv.notify_one();
            if (a == Attempt::Done && !mine) {
                std::lock_guard g(s.socket_lock);
                s.socket = nullptr;
                return Attempt::Done;  // nothing to fetch: an empty file
            }
        } else if (a == Attempt::Done && st.offset != 0 && st.offset != pos) {
            a = Attempt::Failed;
        }
        if (a == Attempt::Done && st.offset == 0 && pos > 0) {
            // A 200 to a ranged request: no more splitting. While other connections stream, this one leaves
            // its part to them; the last one reads from the start and keeps only what is missing.
            {
                std::lock_guard g(lock);
                ranges = false;
            }
            if (leave_to_others(s)) {
                std::lock_guard g(s.socket_lock);
                s.socket = nullptr;
                return Attempt::Done;
            }
        }
        if (a == Attempt::Done) a = read_body(s, st, progress, buffer);
        {
            std::lock_guard g(s.socket_lock);
            s.socket = nullptr;
        }
        st.socket.close();
        if (a != Attempt::Done) return a;
        if (halt) return Attempt::Stopped;
        // This piece is done: take over another part, or end.
        {
            std::lock_guard g(lock);
            if (plan.complete()) return Attempt::Done;
            part = plan.acquire(s.index, ranges);
        }
        if (!part) return Attempt::Done;
        post_conn(s, DownloadEvent::SegmentTakenOver, part->pos, part->end);
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
        } catch (...) {  // out of memory or threads: this connection ends, the task goes on or fails
            s.finished = true;
            self->fail("internal error in a connection");
        }
    });
}

void Task::deliver_pending() {
    std::deque<Event> batch;
    {
        std::lock_guard g(queue_lock);
        batch.swap(queue);
    }
    for (Event& e : batch) {
        if (e.conn >= 0) {
            Slot& s = *slots[static_cast<std::size_t>(e.conn)];
            s.ring.drain(e.ring_mark, [&](std::uint32_t n) {
                std::lock_guard g(notify_lock);
                info.received += n;
                call(DownloadEvent::BytesReceived, e.conn, n, 0);
            });
        }
        if (e.type == Event::Type::Status) {
            try {
                params.StatusRoutine(e.status);
            } catch (...) {
            }
        } else if (e.type == Event::Type::Notify) {
            std::lock_guard g(notify_lock);
            call(e.kind, e.conn, e.value, e.extra);
        }
        {
            std::lock_guard g(queue_lock);
            ++delivered;
        }
        delivered_cv.notify_all();
    }
    for (auto& s : slots) {
        if (!s->started) continue;
        s->ring.drain(s->ring.head(), [&](std::uint32_t n) {
            std::lock_guard g(notify_lock);
            info.received += n;
            call(DownloadEvent::BytesReceived, s->index, n, 0);
        });
    }
}

void Task::run() {
    start_slot(0);
    bool others_started = false;
    Clock::time_point deadline = Clock::time_point::max();
    for (;;) {
        {
            std::unique_lock g(queue_lock);
            queue_cv.wait_for(g, milliseconds(20), [&] { return !queue.empty(); });
        }
        deliver_pending();
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
                for (int i = 1; i < std::min(pieces, connections); ++i) start_slot(i);
            }
        }
        bool all_finished = true;
        for (auto& s : slots) all_finished = all_finished && (!s->started || s->finished);
        if (all_finished) break;
        if (Clock::now() >= deadline) break;
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
    deliver_pending();

    DownloadOutcome outcome;
    std::int64_t got;
    std::int64_t size;
    std::string path;
    {
        std::lock_guard g(lock);
        const bool complete = all_joined && plan_ready && plan.complete() && !fatal && file.is_open();
        outcome = complete ? DownloadOutcome::Complete : user_stop ? DownloadOutcome::Stopped : DownloadOutcome::Failed;
        got = received();
        size = total;
        path = save_path;
        if (all_joined) file.close();
        if (!complete && error.empty()) error = user_stop ? "stopped" : "the connections ended before the file was complete";
        if (outcome == DownloadOutcome::Complete) error.clear();
    }
    // A partial file must never pass for the real one.
    if (outcome != DownloadOutcome::Complete && plan_ready && all_joined) download::OutputFile::remove(path);
    std::lock_guard g(notify_lock);
    info.outcome = outcome;
    info.received = got;
    info.error = error;
    call(DownloadEvent::TaskEnded, -1, outcome == DownloadOutcome::Stopped ? got : std::max<std::int64_t>(size, 0),
         static_cast<std::int32_t>(outcome));
    ended = true;
}

void Task::abandon() {
    halt = true;
    interrupt_all();
    for (auto& s : slots) {
        if (s->thread.joinable()) s->thread.detach();  // they hold the task alive and end on `halt`
    }
    std::lock_guard g(notify_lock);
    if (ended) return;
    info.outcome = DownloadOutcome::Failed;
    info.error = "internal error";
    call(DownloadEvent::TaskEnded, -1, 0, static_cast<std::int32_t>(DownloadOutcome::Failed));
    ended = true;
}

// ---------------------------------------------------------------------------------------------------------
// Downloader

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

    auto task = std::make_shared<Task>();
    task->params = std::move(copy);
    DownloadTaskParams& p = task->params;
    task->target = url.parts;
    task->referer = p.Referer.empty() ? address_directory(p.Url) : p.Referer;
    task->connections = std::clamp(p.Connections, 1, kMaxConnections);
    task->block = static_cast<std::size_t>(p.ReceiveBlockSize > 0 ? std::min(p.ReceiveBlockSize, kMaxReceiveBlock) : 20480);
    task->buffer_size = std::max(std::clamp<std::size_t>(kWriteBudget / static_cast<std::size_t>(task->connections),
                                                         kMinWriteBuffer, kMaxWriteBuffer),
                                 task->block * 2);
    task->min_split = std::max<std::int64_t>(kMinPiece, static_cast<std::int64_t>(task->buffer_size + task->block));
    for (int i = 0; i < kMaxConnections; ++i) task->connection_refs[i].index = i;
    for (int i = 0; i < task->connections; ++i) task->slots.push_back(std::make_unique<Slot>(i));
    task->save_path = p.SavePath;
    task->info.url = p.Url;
    task->info.save_path = p.SavePath;
    if (!p.Proxy.empty()) {
        task->via_proxy = true;
        if (!split_host_port(p.Proxy, task->proxy_host, task->proxy_port)) {
            task->fatal = true;
            task->error = "the proxy is not host:port: " + p.Proxy;
            task->halt = true;
        }
    }
    if (p.SavePath.empty()) {
        task->fatal = true;
        task->error = "no file to save to";
        task->halt = true;
    }
    state_->task = task;
    state_->last.reset();
    state_->thread = std::thread([state = state_, task] {
        try {
            task->run();
        } catch (...) {
            task->abandon();
        }
        DownloadResult result;
        {
            std::lock_guard tg(task->lock);
            result.total = task->total;
            result.error = task->error;
            result.save_path = task->save_path;
            result.received = task->received();
        }
        {
            std::lock_guard ng(task->notify_lock);
            result.outcome = task->info.outcome;
        }
        {
            std::lock_guard sg(state->lock);
            state->last = result;
            state->task.reset();
        }
        state->ended_cv.notify_all();
    });
    return true;
}

std::shared_ptr<Task> Downloader::State::active() const {
    std::lock_guard g(lock);
    return task;
}

std::int32_t Downloader::take_speed() {
    const std::shared_ptr<Task> task = state_->active();
    if (!task) return 0;
    std::lock_guard g(task->lock);
    const std::int64_t done = task->received();
    const std::int64_t speed = done - task->speed_taken;
    task->speed_taken = done;
    return clamp32(speed);
}

std::int32_t Downloader::done_length() {
    const std::shared_ptr<Task> task = state_->active();
    if (!task) return 0;
    std::lock_guard g(task->lock);
    return clamp32(task->received());
}

void Downloader::release() {
    std::thread thread;
    {
        std::lock_guard g(state_->lock);
        if (state_->task) state_->task->user_stop = true;
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
