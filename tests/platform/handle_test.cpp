// The one move-only owner of system handles: every handle is closed exactly once, whoever ends up holding it.
#include "platform/handle.h"

#include <gtest/gtest.h>

#include <vector>

namespace kv {
namespace {

std::vector<int> g_closed;

struct CountingTraits {
    using Value = int;
    static constexpr Value kInvalid = -1;
    static void close(Value v) noexcept { g_closed.push_back(v); }
};
using Handle = UniqueHandle<CountingTraits>;

TEST(UniqueHandle, ClosesEachHandleOnceWhereverItMoves) {
    g_closed.clear();
    {
        Handle a(3);
        Handle b(std::move(a));
        EXPECT_FALSE(a.valid());
        EXPECT_EQ(b.get(), 3);
        Handle c(4);
        c = std::move(b);  // 4 is closed, 3 moves on
        EXPECT_EQ(g_closed, std::vector<int>{4});
        Handle& same = c;
        c = std::move(same);  // moving onto itself keeps it
        EXPECT_EQ(c.get(), 3);
        Handle d(5);
        EXPECT_EQ(d.release(), 5);  // given up, not closed
        d.reset(6);
        d.reset();
        EXPECT_EQ(g_closed, (std::vector<int>{4, 6}));
    }
    EXPECT_EQ(g_closed, (std::vector<int>{4, 6, 3}));
}

}  // namespace
}  // namespace kv
