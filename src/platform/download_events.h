// The road of a task's notifications from its connection threads to the routine: connections post, the task
// thread delivers, one call at a time and in order. Block sizes, the bulk of the traffic, go through a lock-free
// ring per connection; everything else through one queue. A connection's own events and blocks keep their order.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/downloader.h"

namespace kv::download {

// Block sizes of one connection on their way to the task thread. One producer (the connection), one consumer
// (the task thread), no locks: a connection pushes one entry per receive. When the task thread falls behind
// and the ring is full, sizes add up in `pending_` and go out as one entry once there is room.
class ByteRing {
public:
    static constexpr std::uint64_t kSize = 4096;

    void push(std::uint32_t bytes);
    // Pushes what is pending, waiting for room while `halt` is false. The result marks the end of everything
    // pushed so far: the task thread delivers up to it before a later event of the connection.
    std::uint64_t mark(const std::atomic<bool>& halt);
    std::uint64_t head() const { return head_.load(std::memory_order_acquire); }
    // Consumer side: hands each size up to `upto` to `deliver`.
    template <class F>
    void drain(std::uint64_t upto, F&& deliver) {
        std::uint64_t tail = tail_.load(std::memory_order_relaxed);
        upto = std::min(upto, head());
        while (tail < upto) {
            deliver(slots_[tail % kSize]);
            ++tail;
            tail_.store(tail, std::memory_order_release);
        }
    }

private:
    bool try_flush();

    std::uint32_t slots_[kSize] = {};
    std::atomic<std::uint64_t> head_{0};
    std::atomic<std::uint64_t> tail_{0};
    std::uint64_t pending_ = 0;  // producer only
};

class EventPump {
public:
    EventPump(DownloadNotifyRoutine notify, DownloadStatusRoutine status, int connections, DownloadTaskInfo info);

    // --- connection threads ---
    // One receive of `conn`; only that connection's thread calls this.
    void bytes(int conn, std::uint32_t n) { rings_[static_cast<std::size_t>(conn)]->push(n); }
    // An event about connection `conn`, from its own thread, delivered after its blocks so far.
    void post(int conn, DownloadEvent kind, std::int64_t value, std::int64_t extra, const std::atomic<bool>& halt);
    // An event about the task (conn -1).
    void post_task(DownloadEvent kind, std::int64_t value, std::int64_t extra = 0);
    void status(std::string text);
    // Calls the routine on the calling connection's thread once everything it posted so far has been
    // delivered, with no other notification running meanwhile (FileExists). Empty when `halt` cut the wait
    // short or the task has ended.
    std::optional<std::int32_t> ask(int conn, DownloadEvent kind, std::int64_t value, std::int64_t extra,
                                    const std::atomic<bool>& halt);

    // --- task thread ---
    // Waits up to `most` for something to deliver, or for wake().
    void wait(std::chrono::milliseconds most);
    void wake() { queue_cv_.notify_one(); }
    // Delivers everything posted so far.
    void deliver();
    // The last call: TaskEnded with the final record. Nothing is delivered afterwards.
    void end(std::int64_t value, DownloadOutcome outcome, DownloadError reason, const std::string& error);
    // True once end() has run.
    bool ended() const;

    // The record the routine sees, changed between calls.
    template <class F>
    void update_info(F&& change) {
        std::lock_guard g(notify_lock_);
        change(info_);
    }
    DownloadTaskInfo info() const;

private:
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

    std::uint64_t enqueue(Event e);
    // Under notify_lock_. A routine that throws counts as having answered 0; the failure is traced.
    std::int32_t call(DownloadEvent kind, int conn, std::int64_t value, std::int64_t extra);
    void call_status(const std::string& text);
    void deliver_blocks(int conn, std::uint64_t upto);

    const DownloadNotifyRoutine notify_;
    const DownloadStatusRoutine status_;
    std::vector<DownloadConnection> connection_refs_;
    std::vector<std::unique_ptr<ByteRing>> rings_;

    // Lock order: queue_lock_ and notify_lock_ are never held together. The routine runs under notify_lock_;
    // it may call the Downloader's getters, which take no lock of the pump.
    mutable std::mutex queue_lock_;  // the queue and the counts below
    std::condition_variable queue_cv_;
    std::condition_variable delivered_cv_;
    std::deque<Event> queue_;
    std::uint64_t enqueued_ = 0;
    std::uint64_t delivered_ = 0;

    mutable std::mutex notify_lock_;  // held around every call of a routine, and for info_ and ended_
    DownloadTaskInfo info_;
    bool ended_ = false;
};

}  // namespace kv::download
