#include "platform/download_events.h"

#include <algorithm>
#include <climits>
#include <thread>

#include "platform/trace.h"

namespace kv::download {
namespace {
std::int32_t clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}
}  // namespace

// ---------------------------------------------------------------------------------------------------------
// ByteRing

void ByteRing::push(std::uint32_t bytes) {
    pending_ += bytes;
    try_flush();
}

std::uint64_t ByteRing::mark(const std::atomic<bool>& halt) {
    while (!try_flush() && !halt.load(std::memory_order_relaxed)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return head_.load(std::memory_order_relaxed);
}

bool ByteRing::try_flush() {
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

// ---------------------------------------------------------------------------------------------------------
// EventPump

EventPump::EventPump(DownloadNotifyRoutine notify, DownloadStatusRoutine status, int connections,
                     DownloadTaskInfo info)
    : notify_(std::move(notify)), status_(std::move(status)), info_(std::move(info)) {
    for (int i = 0; i < connections; ++i) {
        connection_refs_.push_back(DownloadConnection{i});
        rings_.push_back(std::make_unique<ByteRing>());
    }
}

std::uint64_t EventPump::enqueue(Event e) {
    std::uint64_t seq;
    {
        std::lock_guard g(queue_lock_);
        queue_.push_back(std::move(e));
        seq = ++enqueued_;
    }
    queue_cv_.notify_one();
    return seq;
}

void EventPump::post(int conn, DownloadEvent kind, std::int64_t value, std::int64_t extra,
                     const std::atomic<bool>& halt) {
    const std::uint64_t mark = rings_[static_cast<std::size_t>(conn)]->mark(halt);
    enqueue(Event{Event::Type::Notify, kind, conn, value, extra, mark, {}});
}

void EventPump::post_task(DownloadEvent kind, std::int64_t value, std::int64_t extra) {
    enqueue(Event{Event::Type::Notify, kind, -1, value, extra, 0, {}});
}

void EventPump::status(std::string text) {
    if (status_) enqueue(Event{Event::Type::Status, DownloadEvent::TaskEnded, -1, 0, 0, 0, std::move(text)});
}

std::optional<std::int32_t> EventPump::ask(int conn, DownloadEvent kind, std::int64_t value, std::int64_t extra,
                                           const std::atomic<bool>& halt) {
    Event barrier;
    barrier.type = Event::Type::Barrier;
    barrier.conn = conn;
    barrier.ring_mark = rings_[static_cast<std::size_t>(conn)]->mark(halt);
    const std::uint64_t seq = enqueue(std::move(barrier));
    {
        std::unique_lock g(queue_lock_);
        while (delivered_ < seq && !halt) delivered_cv_.wait_for(g, std::chrono::milliseconds(20));
    }
    if (halt) return std::nullopt;
    std::lock_guard g(notify_lock_);
    if (ended_) return std::nullopt;
    return call(kind, conn, value, extra);
}

void EventPump::wait(std::chrono::milliseconds most) {
    std::unique_lock g(queue_lock_);
    queue_cv_.wait_for(g, most, [&] { return !queue_.empty(); });
}

std::int32_t EventPump::call(DownloadEvent kind, int conn, std::int64_t value, std::int64_t extra) {
    if (!notify_) return 0;
    try {
        return notify_(kind, conn >= 0 ? &connection_refs_[static_cast<std::size_t>(conn)] : nullptr,
                       clamp32(value), clamp32(extra), &info_);
    } catch (...) {
        trace_failure("download notification " + std::to_string(static_cast<int>(kind)), current_exception_text());
        return 0;
    }
}

void EventPump::call_status(const std::string& text) {
    try {
        status_(text);
    } catch (...) {
        trace_failure("download status routine", current_exception_text());
    }
}

void EventPump::deliver_blocks(int conn, std::uint64_t upto) {
    rings_[static_cast<std::size_t>(conn)]->drain(upto, [&](std::uint32_t n) {
        std::lock_guard g(notify_lock_);
        info_.received += n;
        call(DownloadEvent::BytesReceived, conn, n, 0);
    });
}

void EventPump::deliver() {
    std::deque<Event> batch;
    std::vector<std::uint64_t> heads;
    {
        // The rings' heads are taken together with the queue: a block pushed after a later event of its
        // connection waits for that event.
        std::lock_guard g(queue_lock_);
        batch.swap(queue_);
        for (const auto& ring : rings_) heads.push_back(ring->head());
    }
    for (Event& e : batch) {
        if (e.conn >= 0) deliver_blocks(e.conn, e.ring_mark);
        if (e.type == Event::Type::Status) {
            std::lock_guard g(notify_lock_);
            call_status(e.status);
        } else if (e.type == Event::Type::Notify) {
            std::lock_guard g(notify_lock_);
            call(e.kind, e.conn, e.value, e.extra);
        }
        {
            std::lock_guard g(queue_lock_);
            ++delivered_;
        }
        delivered_cv_.notify_all();
    }
    for (std::size_t i = 0; i < rings_.size(); ++i) deliver_blocks(static_cast<int>(i), heads[i]);
}

void EventPump::end(std::int64_t value, DownloadOutcome outcome, DownloadError reason, const std::string& error) {
    std::lock_guard g(notify_lock_);
    if (ended_) return;
    info_.outcome = outcome;
    info_.reason = reason;
    info_.error = error;
    call(DownloadEvent::TaskEnded, -1, value, static_cast<std::int32_t>(outcome));
    ended_ = true;
}

bool EventPump::ended() const {
    std::lock_guard g(notify_lock_);
    return ended_;
}

DownloadTaskInfo EventPump::info() const {
    std::lock_guard g(notify_lock_);
    return info_;
}

}  // namespace kv::download
