// Which connection fetches which bytes of a file. Pure bookkeeping, no I/O and no locking: the download engine
// holds it under its own lock. A piece is a byte range [begin, end) with the position reached so far; a
// connection owns at most one piece at a time. When a connection has nothing left, it takes a piece no one
// owns, or else the back half of the largest remainder another connection still has to fetch.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace kv {

struct Piece {
    std::int64_t begin = 0;
    std::int64_t pos = 0;  // next byte to fetch; begin <= pos <= end
    std::int64_t end = 0;  // one past the last byte
    int owner = -1;        // connection index, -1 when no one fetches it
    std::int64_t left() const { return end - pos; }
};

// What a connection is to fetch: from `pos` up to (not including) `end`.
struct Assignment {
    std::int64_t pos = 0;
    std::int64_t end = 0;
    bool taken_over = false;  // split off another connection's piece
    bool operator==(const Assignment&) const = default;
};

class SegmentPlan {
public:
    SegmentPlan() = default;
    // `total` bytes cut into `pieces` equal parts (at least one). A remainder is split for a second
    // connection only when both halves keep at least `min_split` bytes.
    SegmentPlan(std::int64_t total, int pieces, std::int64_t min_split);

    std::int64_t total() const { return total_; }
    std::int64_t done() const { return done_; }
    bool complete() const { return done_ == total_; }
    const std::vector<Piece>& pieces() const { return pieces_; }

    // A part for `conn`, which must have nothing left to fetch (a finished piece is let go): the lowest unowned piece with bytes left, else the back
    // half of the largest owned remainder (only with `allow_split`). nullopt when neither exists.
    std::optional<Assignment> acquire(int conn, bool allow_split = true);
    // `conn` has reached the end of its piece; its data stream goes on, so it takes the piece that starts
    // exactly there when no one owns it and nothing of it was fetched yet.
    std::optional<Assignment> extend(int conn);
    // How many of `n` bytes arriving at the position of `conn` belong to its piece; the position moves on
    // by that many. 0 when `conn` owns nothing.
    std::int64_t accept(int conn, std::int64_t n);
    // The position and end of what `conn` owns.
    std::optional<Assignment> current(int conn) const;
    // `conn` gives up its piece (failure or stop); the bytes it fetched stay fetched.
    void release(int conn);

private:
    Piece* owned_by(int conn);
    const Piece* owned_by(int conn) const;

    std::int64_t total_ = 0;
    std::int64_t min_split_ = 1;
    std::int64_t done_ = 0;
    std::vector<Piece> pieces_;
};

}  // namespace kv
