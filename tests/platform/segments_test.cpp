#include "platform/segments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace kv {
namespace {

// Every byte of [0, total) lies in exactly one piece.
void expect_tiling(const SegmentPlan& plan) {
    std::vector<Piece> pieces = plan.pieces();
    std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.begin < b.begin; });
    std::int64_t at = 0;
    for (const Piece& p : pieces) {
        EXPECT_EQ(p.begin, at);
        EXPECT_LE(p.begin, p.pos);
        EXPECT_LE(p.pos, p.end);
        at = p.end;
    }
    EXPECT_EQ(at, plan.total());
}

TEST(SegmentPlan, InitialSplitIsEvenAndCoversTheFile) {
    struct Case {
        std::int64_t total;
        int pieces;
        std::vector<std::pair<std::int64_t, std::int64_t>> want;
    };
    const Case cases[] = {
        {100, 1, {{0, 100}}},
        {100, 4, {{0, 25}, {25, 50}, {50, 75}, {75, 100}}},
        {10, 3, {{0, 4}, {4, 7}, {7, 10}}},
        {2, 5, {{0, 1}, {1, 2}}},  // fewer bytes than pieces: no empty pieces
        {0, 5, {{0, 0}}},
        {7, 0, {{0, 7}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.total << " / " << c.pieces);
        SegmentPlan plan(c.total, c.pieces, 1);
        std::vector<std::pair<std::int64_t, std::int64_t>> got;
        for (const Piece& p : plan.pieces()) got.emplace_back(p.begin, p.end);
        EXPECT_EQ(got, c.want);
        expect_tiling(plan);
        EXPECT_EQ(plan.complete(), c.total == 0);
    }
}

TEST(SegmentPlan, ConnectionsTakeFreePiecesInOrder) {
    SegmentPlan plan(300, 3, 10);
    EXPECT_EQ(plan.acquire(0), (Assignment{0, 100, false}));
    EXPECT_EQ(plan.acquire(1), (Assignment{100, 200, false}));
    EXPECT_EQ(plan.acquire(2), (Assignment{200, 300, false}));
    EXPECT_EQ(plan.acquire(1), std::nullopt) << "a connection with bytes left gets nothing more";
}

TEST(SegmentPlan, AcceptStopsAtThePieceEnd) {
    SegmentPlan plan(100, 2, 10);
    ASSERT_TRUE(plan.acquire(0));
    EXPECT_EQ(plan.accept(0, 30), 30);
    EXPECT_EQ(plan.accept(0, 30), 20);
    EXPECT_EQ(plan.accept(0, 30), 0);
    EXPECT_EQ(plan.accept(5, 30), 0) << "a connection that owns nothing keeps nothing";
    EXPECT_EQ(plan.done(), 50);
    EXPECT_FALSE(plan.complete());
    EXPECT_EQ(plan.current(0), (Assignment{50, 50, false}));
}

TEST(SegmentPlan, FinishedConnectionTakesOverHalfOfTheLargestRemainder) {
    SegmentPlan plan(3 * 1024 * 1024, 3, 64 * 1024);
    for (int c = 0; c < 3; ++c) ASSERT_TRUE(plan.acquire(c));
    ASSERT_EQ(plan.accept(0, 1024 * 1024), 1024 * 1024);  // piece 0 done
    plan.accept(1, 200 * 1024);                           // 824 KiB left
    plan.accept(2, 1000);                                 // 1 MiB - 1000 left: the largest
    const auto taken = plan.acquire(0);
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->taken_over);
    EXPECT_EQ(taken->end, 3 * 1024 * 1024);
    EXPECT_EQ(taken->pos % 4096, 0) << "split points are page aligned";
    const auto victim = plan.current(2);
    ASSERT_TRUE(victim);
    EXPECT_EQ(victim->end, taken->pos) << "the owner now stops where the taker starts";
    EXPECT_NEAR(static_cast<double>(taken->pos), 2 * 1024 * 1024 + 1000 + (1024 * 1024 - 1000) / 2.0, 4096);
    expect_tiling(plan);
    // The owner's bytes beyond the new end are not its own any more.
    EXPECT_EQ(plan.accept(2, 1 << 30), victim->end - victim->pos);
}

TEST(SegmentPlan, SmallRemaindersAreNotSplit) {
    SegmentPlan plan(1000, 2, 100);
    ASSERT_TRUE(plan.acquire(0));
    ASSERT_TRUE(plan.acquire(1));
    plan.accept(0, 500);
    plan.accept(1, 301);  // 199 left: less than two halves of 100
    EXPECT_EQ(plan.acquire(0), std::nullopt);
    SegmentPlan plan2(1000, 2, 100);
    ASSERT_TRUE(plan2.acquire(0));
    ASSERT_TRUE(plan2.acquire(1));
    plan2.accept(0, 500);
    plan2.accept(1, 300);  // exactly 200 left: split 100 / 100
    EXPECT_EQ(plan2.acquire(0), (Assignment{900, 1000, true}));
}

TEST(SegmentPlan, ReleasedPieceIsResumedWhereItStopped) {
    SegmentPlan plan(400, 2, 10);
    ASSERT_TRUE(plan.acquire(0));
    ASSERT_TRUE(plan.acquire(1));
    plan.accept(1, 50);
    plan.release(1);  // connection 1 failed after 50 bytes
    EXPECT_EQ(plan.current(1), std::nullopt);
    EXPECT_EQ(plan.accept(1, 10), 0);
    plan.accept(0, 200);
    // The free remainder is preferred to splitting anything.
    EXPECT_EQ(plan.acquire(0), (Assignment{250, 400, false}));
    EXPECT_EQ(plan.done(), 250);
    expect_tiling(plan);
}

TEST(SegmentPlan, StreamExtendsOnlyIntoAnUntouchedFreeNeighbour) {
    SegmentPlan plan(300, 3, 10);
    ASSERT_TRUE(plan.acquire(0));
    ASSERT_TRUE(plan.acquire(1));
    EXPECT_EQ(plan.extend(0), std::nullopt) << "piece 0 is not finished";
    plan.accept(0, 100);
    EXPECT_EQ(plan.extend(0), std::nullopt) << "piece 1 has an owner";
    plan.release(1);
    EXPECT_EQ(plan.extend(0), (Assignment{100, 200, false}));
    plan.accept(0, 100);
    ASSERT_TRUE(plan.acquire(2));
    plan.accept(2, 1);
    plan.release(2);
    EXPECT_EQ(plan.extend(0), std::nullopt) << "piece 2 was begun elsewhere: the stream is not at its position";
    EXPECT_EQ(plan.acquire(0), (Assignment{201, 300, false}));
}

TEST(SegmentPlan, ManyConnectionsDrainTheFileExactly) {
    // A simulation: each round every connection receives a different amount; the plan ends complete with
    // every byte counted once, however pieces are split.
    const std::int64_t total = 10'000'019;
    SegmentPlan plan(total, 5, 4096);
    std::vector<bool> active(5, false);
    for (int c = 0; c < 5; ++c) active[c] = plan.acquire(c).has_value();
    std::int64_t counted = 0;
    for (int round = 0; round < 100000 && !plan.complete(); ++round) {
        for (int c = 0; c < 5; ++c) {
            if (!active[c]) continue;
            counted += plan.accept(c, 1000 + 7919 * c + round % 13);
            const auto cur = plan.current(c);
            if (cur && cur->pos == cur->end) active[c] = plan.extend(c) || plan.acquire(c);
        }
    }
    EXPECT_TRUE(plan.complete());
    EXPECT_EQ(counted, total);
    EXPECT_GT(plan.pieces().size(), 5u) << "finished connections took over parts of others";
    expect_tiling(plan);
}

}  // namespace
}  // namespace kv
