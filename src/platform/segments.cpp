#include "platform/segments.h"

#include <algorithm>

namespace kv {
namespace {
// Split points are rounded down to this, so that most writes stay page aligned.
constexpr std::int64_t kSplitAlign = 4096;
}  // namespace

SegmentPlan::SegmentPlan(std::int64_t total, int pieces, std::int64_t min_split)
    : total_(std::max<std::int64_t>(total, 0)), min_split_(std::max<std::int64_t>(min_split, 1)) {
    const std::int64_t count = std::max(1, pieces);
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t begin = total_ / count * i + std::min(i, total_ % count);
        const std::int64_t end = total_ / count * (i + 1) + std::min(i + 1, total_ % count);
        if (end > begin || pieces_.empty()) pieces_.push_back(Piece{begin, begin, end, -1});
    }
}

Piece* SegmentPlan::owned_by(int conn) {
    for (Piece& p : pieces_) {
        if (p.owner == conn) return &p;
    }
    return nullptr;
}

const Piece* SegmentPlan::owned_by(int conn) const {
    for (const Piece& p : pieces_) {
        if (p.owner == conn) return &p;
    }
    return nullptr;
}

std::optional<Assignment> SegmentPlan::acquire(int conn, bool allow_split) {
    if (conn < 0) return std::nullopt;
    if (Piece* mine = owned_by(conn)) {
        if (mine->left() > 0) return std::nullopt;
        mine->owner = -1;
    }
    Piece* free_piece = nullptr;
    Piece* largest = nullptr;
    for (Piece& p : pieces_) {
        if (p.left() <= 0) continue;
        if (p.owner < 0) {
            if (!free_piece || p.pos < free_piece->pos) free_piece = &p;
        } else if (!largest || p.left() > largest->left()) {
            largest = &p;
        }
    }
    if (free_piece) {
        free_piece->owner = conn;
        return Assignment{free_piece->pos, free_piece->end, false};
    }
    if (!allow_split || !largest || largest->left() < 2 * min_split_) return std::nullopt;
    std::int64_t mid = largest->pos + largest->left() / 2;
    const std::int64_t aligned = mid / kSplitAlign * kSplitAlign;
    if (aligned - largest->pos >= min_split_) mid = aligned;
    const Piece back{mid, mid, largest->end, conn};
    largest->end = mid;
    pieces_.push_back(back);
    return Assignment{back.pos, back.end, true};
}

std::optional<Assignment> SegmentPlan::extend(int conn) {
    Piece* mine = owned_by(conn);
    if (!mine || mine->left() > 0) return std::nullopt;
    const std::int64_t at = mine->end;
    for (Piece& p : pieces_) {
        if (&p != mine && p.owner < 0 && p.begin == at && p.pos == at && p.left() > 0) {
            mine->owner = -1;
            p.owner = conn;
            return Assignment{p.pos, p.end, false};
        }
    }
    return std::nullopt;
}

std::int64_t SegmentPlan::accept(int conn, std::int64_t n) {
    Piece* mine = owned_by(conn);
    if (!mine || n <= 0) return 0;
    const std::int64_t take = std::min(n, mine->left());
    mine->pos += take;
    done_ += take;
    return take;
}

std::optional<Assignment> SegmentPlan::current(int conn) const {
    const Piece* mine = owned_by(conn);
    if (!mine) return std::nullopt;
    return Assignment{mine->pos, mine->end, false};
}

void SegmentPlan::release(int conn) {
    if (Piece* mine = owned_by(conn)) mine->owner = -1;
}

}  // namespace kv
